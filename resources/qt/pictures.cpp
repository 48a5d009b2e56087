#include "pictures.h"

#include "picture_decoder.h"
#include "sponsor_draw.h"

#include <QByteArray>
#include <QResource>
#include <QtGlobal>

#include <cstddef>
#include <cstdint>
#include <span>

namespace lumox::pictures {

QString sponsorBanner(int number)
{
    Q_ASSERT(number >= 1 && number <= sponsorPictureCount);
    return QStringLiteral(":/banners/sponsor%1.gif").arg(number, 2, 10, QLatin1Char('0'));
}

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
