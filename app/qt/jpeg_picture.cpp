#include "jpeg_picture.h"

#include <QByteArray>
#include <QFile>
#include <QIODevice>
#include <QSysInfo>

#include <turbojpeg.h>

namespace lumox {

namespace {

// A TurboJPEG decompressor that is destroyed on every way out.
class Decompressor
{
public:
    Decompressor() : m_handle(tjInitDecompress()) {}
    ~Decompressor()
    {
        if (m_handle != nullptr)
            tjDestroy(m_handle);
    }
    Decompressor(const Decompressor &) = delete;
    Decompressor &operator=(const Decompressor &) = delete;

    tjhandle handle() const { return m_handle; }

private:
    tjhandle m_handle;
};

} // namespace

QImage decodeJpeg(const uchar *data, qsizetype size)
{
    if (data == nullptr || size <= 0)
        return {};
    const Decompressor decompressor;
    if (decompressor.handle() == nullptr)
        return {};
    const auto length = static_cast<unsigned long>(size);
    int width = 0;
    int height = 0;
    int subsampling = 0;
    int colourspace = 0;
    if (tjDecompressHeader3(decompressor.handle(), data, length, &width, &height, &subsampling,
                            &colourspace) != 0 ||
        width <= 0 || height <= 0)
        return {};
    // RGB32 keeps each pixel as 0xffRRGGBB, which little- and big-endian machines store in
    // the byte orders BGRA and ARGB; TurboJPEG sets the A byte of those formats to 0xff.
    const int pixelFormat = QSysInfo::ByteOrder == QSysInfo::LittleEndian ? TJPF_BGRA : TJPF_ARGB;
    QImage image(width, height, QImage::Format_RGB32);
    if (image.isNull())
        return {};
    // A warning (damaged data that could still be decoded, the rest filled in) keeps the
    // picture, as Qt's reader does.
    if (tjDecompress2(decompressor.handle(), data, length, image.bits(), width,
                      static_cast<int>(image.bytesPerLine()), height, pixelFormat,
                      TJFLAG_ACCURATEDCT) != 0 &&
        tjGetErrorCode(decompressor.handle()) != TJERR_WARNING)
        return {};
    return image;
}

QImage readJpeg(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    return decodeJpeg(reinterpret_cast<const uchar *>(bytes.constData()), bytes.size());
}

} // namespace lumox
