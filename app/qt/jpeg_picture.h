#pragma once

#include <QImage>
#include <QString>
#include <QtGlobal>

namespace lumox {

// Decodes a JPEG held in memory straight through libjpeg-turbo's TurboJPEG interface, without
// Qt's image plugins: finding and loading those costs more at start-up than the decoding
// itself. The result has format QImage::Format_RGB32 and the very pixels Qt's own JPEG reader
// gives for the same data, since both decode with libjpeg-turbo's accurate integer transform
// and smooth chroma upsampling. Returns a null image when the data is not a JPEG that can be
// decoded to colour pixels.
QImage decodeJpeg(const uchar *data, qsizetype size);

// Reads the JPEG file or compiled-in resource at `path` (":/startup.jpg") and decodes it as
// decodeJpeg() does. Returns a null image when the file cannot be read or decoded.
QImage readJpeg(const QString &path);

} // namespace lumox
