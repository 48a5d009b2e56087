#include "pictures.h"

#include "picture_decoder.h"
#include "sponsor_draw.h"

#include <QByteArray>
#include <QResource>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <span>

#include <sys/mman.h>
#include <unistd.h>

namespace lumox::pictures {

QString sponsorBanner(int number)
{
    Q_ASSERT(number >= 1 && number <= sponsorPictureCount);
    return QStringLiteral(":/banners/sponsor%1.gif").arg(number, 2, 10, QLatin1Char('0'));
}

namespace {

// Has the kernel put every whole page of a new image's pixels in place at once, before the
// decoder writes them: one call instead of one page fault per page. For the splash picture
// that is 75 pages, which the kernel then provides in 0.3 ms instead of 0.7 (measured on a
// virtual machine, where a page fault is dear). A kernel older than 5.14 refuses the
// request, and the pages then come one fault at a time, as they always did.
void populatePixels(QImage &image)
{
#ifdef MADV_POPULATE_WRITE
    static const auto pageSize = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
    uchar *pixels = image.bits();
    if (pixels == nullptr)
        return;
    // From the first page boundary in the pixels to the last.
    const std::uintptr_t skip =
        (pageSize - reinterpret_cast<std::uintptr_t>(pixels) % pageSize) % pageSize;
    const auto size = static_cast<std::uintptr_t>(image.sizeInBytes());
    if (size > skip && (size - skip) / pageSize > 0)
        madvise(pixels + skip, (size - skip) / pageSize * pageSize, MADV_POPULATE_WRITE);
#else
    Q_UNUSED(image);
#endif
}

} // namespace

QImage readPicture(const QString &path)
{
    const QResource resource(path);
    if (!resource.isValid())
        return {};
    // The compiled-in bytes themselves when the resource is stored uncompressed.
    const QByteArray bytes = resource.uncompressedData();
    QImage image;
    const auto decoded = decodePicture(
        std::as_bytes(std::span(bytes.constData(), static_cast<std::size_t>(bytes.size()))),
        [&image](int width, int height) {
            image = QImage(width, height, QImage::Format_ARGB32_Premultiplied);
            populatePixels(image);
            // 32-bit rows of a QImage are whole pixels long.
            return PixelRows{reinterpret_cast<std::uint32_t *>(image.bits()),
                             image.bytesPerLine() / 4};
        });
    if (!decoded)
        return {};
    if (!decoded->transparent)
        image.reinterpretAsFormat(QImage::Format_RGB32);
    return image;
}

} // namespace lumox::pictures
