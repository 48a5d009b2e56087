// The picture files: their byte-level layout as read from the source tree, and their decoding
// from the resources compiled into the program, by Qt's image readers and by the program's own
// decoder, which the windows use.
//
// The decoded pictures are checked against what tools/make_pictures.py drew, which it records
// in the files' comments: each sponsor banner carries the CRC-32 of its pixels' colour-table
// indices, and the start-up picture the average colour and luma of small blocks of the drawing.
// The program's own decoder must give Qt's pixels exactly.
//
// One file past 400 lines: every group reads the same files through the helpers below.

#include "picture_decoder.h"
#include "pictures.h"
#include "sponsor_draw.h"

#include <QBuffer>
#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QRegularExpression>
#include <QRgb>
#include <QSize>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <ostream>
#include <span>
#include <utility>
#include <vector>

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot open " << path.toStdString();
        return {};
    }
    return file.readAll();
}

QByteArray sourceFile(const QString &relativePath)
{
    return readFile(QStringLiteral(LUMOX_RESOURCES_DIR "/") + relativePath);
}

int byteAt(const QByteArray &data, qsizetype pos)
{
    return static_cast<unsigned char>(data.at(pos));
}

int le16(const QByteArray &data, qsizetype pos)
{
    return byteAt(data, pos) | byteAt(data, pos + 1) << 8;
}

int be16(const QByteArray &data, qsizetype pos)
{
    return byteAt(data, pos) << 8 | byteAt(data, pos + 1);
}

std::uint32_t le32(const QByteArray &data, qsizetype pos)
{
    return static_cast<std::uint32_t>(le16(data, pos)) |
           static_cast<std::uint32_t>(le16(data, pos + 2)) << 16;
}

std::uint32_t crc32(const QByteArray &data)
{
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const char c : data) {
        crc ^= static_cast<unsigned char>(c);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

// ------------------------------------------------------------------------------- JPEG

struct JpegSegment
{
    int marker;
    QByteArray payload;
};

// The marker segments from the start of image up to and including the start of scan.
std::vector<JpegSegment> jpegSegments(const QByteArray &data)
{
    std::vector<JpegSegment> segments;
    qsizetype pos = 2;
    while (pos + 4 <= data.size()) {
        if (byteAt(data, pos) != 0xFF) {
            ADD_FAILURE() << "no marker at byte " << pos;
            break;
        }
        const int marker = byteAt(data, pos + 1);
        const int length = be16(data, pos + 2);
        segments.push_back({marker, data.mid(pos + 4, length - 2)});
        pos += 2 + length;
        if (marker == 0xDA)
            break;
    }
    return segments;
}

bool isFrameMarker(int marker)
{
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

TEST(StartupPicture, IsABaselineJfifOfTheRightLayoutAndSize)
{
    const QByteArray data = sourceFile(QStringLiteral("startup.jpg"));
    ASSERT_EQ(data.size(), 14458);
    EXPECT_EQ(data.left(2), QByteArray("\xFF\xD8", 2));
    EXPECT_EQ(data.right(2), QByteArray("\xFF\xD9", 2));

    const std::vector<JpegSegment> segments = jpegSegments(data);
    ASSERT_GE(segments.size(), 3u);
    ASSERT_EQ(segments.front().marker, 0xE0) << "the JFIF header must come first";
    const QByteArray &jfif = segments.front().payload;
    ASSERT_GE(jfif.size(), 14);
    EXPECT_EQ(jfif.left(5), QByteArray("JFIF\0", 5));
    EXPECT_EQ(byteAt(jfif, 5), 1);
    EXPECT_EQ(byteAt(jfif, 6), 1) << "JFIF version 1.01";
    EXPECT_EQ(byteAt(jfif, 7), 1) << "density in dots per inch";
    EXPECT_EQ(be16(jfif, 8), 96);
    EXPECT_EQ(be16(jfif, 10), 96);

    std::optional<std::size_t> frameAt;
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (!isFrameMarker(segments[i].marker))
            continue;
        EXPECT_EQ(segments[i].marker, 0xC0) << "only a baseline frame header is allowed";
        EXPECT_FALSE(frameAt.has_value()) << "more than one frame header";
        frameAt = i;
    }
    ASSERT_TRUE(frameAt.has_value()) << "no frame header";
    for (std::size_t i = 0; i < segments.size(); ++i) {
        if (segments[i].marker == 0xFE) {
            EXPECT_LT(i, *frameAt) << "comments belong between the JFIF header and the frame";
        }
    }
    EXPECT_EQ(segments.back().marker, 0xDA);

    const QByteArray &frame = segments[*frameAt].payload;
    ASSERT_EQ(frame.size(), 6 + 3 * 3);
    EXPECT_EQ(byteAt(frame, 0), 8);
    EXPECT_EQ(be16(frame, 1), 264) << "height";
    EXPECT_EQ(be16(frame, 3), 288) << "width";
    EXPECT_EQ(byteAt(frame, 5), 3) << "components";
    EXPECT_EQ(byteAt(frame, 7), 0x22) << "luma sampled 2 x 2";
    EXPECT_EQ(byteAt(frame, 10), 0x11) << "Cb sampled 1 x 1";
    EXPECT_EQ(byteAt(frame, 13), 0x11) << "Cr sampled 1 x 1";
}

// Compares the averages of `measure` over each block x block square of the picture (cut short
// at the edges), row by row, with the drawn ones; returns the largest difference.
template <typename Measure>
double compareBlockMeans(const QImage &image, int block, int channels, const QByteArray &drawn,
                         double tolerance, Measure measure)
{
    const int columns = (image.width() + block - 1) / block;
    const int rows = (image.height() + block - 1) / block;
    EXPECT_EQ(drawn.size(), columns * rows * channels) << block << "-pixel blocks";
    if (drawn.size() != columns * rows * channels)
        return 0;
    double worst = 0;
    for (int by = 0; by < rows; ++by) {
        for (int bx = 0; bx < columns; ++bx) {
            for (int c = 0; c < channels; ++c) {
                double sum = 0;
                int count = 0;
                for (int y = by * block; y < std::min((by + 1) * block, image.height()); ++y) {
                    for (int x = bx * block; x < std::min((bx + 1) * block, image.width()); ++x) {
                        sum += measure(image.pixel(x, y), c);
                        ++count;
                    }
                }
                const double difference =
                    std::abs(sum / count - byteAt(drawn, (by * columns + bx) * channels + c));
                worst = std::max(worst, difference);
                EXPECT_LE(difference, tolerance)
                    << block << "-pixel block " << bx << "," << by << " channel " << c;
            }
        }
    }
    return worst;
}

TEST(StartupPicture, DecodesCloseToTheDrawing)
{
    const QString comment = QString::fromLatin1(sourceFile(QStringLiteral("startup.jpg")));
    static const QRegularExpression colourPattern(
        QStringLiteral("Block means \\(24 x 24, RGB hex\\): ([0-9a-f]+)"));
    static const QRegularExpression lumaPattern(
        QStringLiteral("Luma means \\(12 x 12, hex\\): ([0-9a-f]+)"));
    const QRegularExpressionMatch colour = colourPattern.match(comment);
    const QRegularExpressionMatch luma = lumaPattern.match(comment);
    ASSERT_TRUE(colour.hasMatch() && luma.hasMatch()) << "the drawing's block means are missing";

    const QImage image = QImage(lumox::pictures::startup).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), QSize(288, 264));

    // Compression rounds colours and blurs edges, yet keeps block averages within a few steps
    // (at most 5 for these blocks as drawn); broken Huffman coding, DC prediction, colour
    // conversion or chroma placement moves the 24-pixel colour averages much further. The
    // 12-pixel luma blocks straddle the 8 x 8 transform blocks, so wrongly ordered or scaled
    // AC coefficients show up there (by 13 or more), though good encodings stay within 3.
    const double worstColour = compareBlockMeans(
        image, 24, 3, QByteArray::fromHex(colour.captured(1).toLatin1()), 8.0,
        [](QRgb pixel, int channel) {
            return channel == 0 ? qRed(pixel) : channel == 1 ? qGreen(pixel) : qBlue(pixel);
        });
    const double worstLuma = compareBlockMeans(
        image, 12, 1, QByteArray::fromHex(luma.captured(1).toLatin1()), 5.0, [](QRgb pixel, int) {
            return 0.299 * qRed(pixel) + 0.587 * qGreen(pixel) + 0.114 * qBlue(pixel);
        });
    RecordProperty("worst_colour_mean_difference", QString::number(worstColour).toStdString());
    RecordProperty("worst_luma_mean_difference", QString::number(worstLuma).toStdString());
}

TEST(StartupPicture, OwnDecoderGivesQtsPixelsAndRefusesOtherData)
{
    QImageReader reader(lumox::pictures::startup);
    const QImage byQt = reader.read().convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(byQt.isNull()) << reader.errorString().toStdString();

    const QImage own = lumox::pictures::readPicture(lumox::pictures::startup);
    ASSERT_EQ(own.format(), QImage::Format_RGB32);
    ASSERT_EQ(own.size(), byQt.size());
    // Byte for byte, the padding byte included: a swapped channel order, a wrong row pitch,
    // a faster but coarser transform or upsampling, other rounding in the colour conversion,
    // or an unset alpha byte all show here.
    const auto rowBytes = static_cast<size_t>(own.width()) * 4;
    int differingRows = 0;
    int firstDifferingRow = -1;
    for (int y = 0; y < own.height(); ++y) {
        if (std::memcmp(own.constScanLine(y), byQt.constScanLine(y), rowBytes) != 0) {
            ++differingRows;
            if (firstDifferingRow < 0)
                firstDifferingRow = y;
        }
    }
    EXPECT_EQ(differingRows, 0) << "first differing row: " << firstDifferingRow;

    // Anything that is neither a JPEG nor a GIF gives a null picture, and nothing else
    // happens.
    const QByteArray icon = sourceFile(QStringLiteral("lumox.ico"));
    EXPECT_FALSE(lumox::decodePicture(std::as_bytes(std::span(icon.constData(), icon.size())),
                                      [](int, int) -> lumox::PixelRows {
                                          ADD_FAILURE() << "asked for rows";
                                          return {};
                                      }));
    EXPECT_TRUE(lumox::pictures::readPicture(lumox::pictures::handCursor).isNull());
    EXPECT_TRUE(lumox::pictures::readPicture(QStringLiteral(":/no-such-picture.jpg")).isNull());
}

// The splash picture written again as Qt writes JPEGs (grey; progressive colour) decodes to
// the pixels Qt reads from it, also into rows laid out bottom-up as in a DIB section.
TEST(OtherJpegs, OwnDecoderGivesQtsPixels)
{
    const QImage splash = lumox::pictures::readPicture(lumox::pictures::startup);
    ASSERT_FALSE(splash.isNull());
    struct Kind
    {
        const char *name;
        QImage picture;
        bool progressive;
    };
    const Kind kinds[] = {{"grey", splash.convertToFormat(QImage::Format_Grayscale8), false},
                          {"progressive colour", splash, true}};
    for (const Kind &kind : kinds) {
        SCOPED_TRACE(kind.name);
        QByteArray data;
        QBuffer buffer(&data);
        ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(90);
        writer.setProgressiveScanWrite(kind.progressive);
        ASSERT_TRUE(writer.write(kind.picture)) << writer.errorString().toStdString();
        buffer.close();
        const QImage byQt = QImage::fromData(data, "JPEG").convertToFormat(QImage::Format_RGB32);
        ASSERT_EQ(byQt.size(), splash.size());

        const auto width = static_cast<std::size_t>(byQt.width());
        std::vector<std::uint32_t> pixels(width * static_cast<std::size_t>(byQt.height()));
        const auto decoded = lumox::decodePicture(
            std::as_bytes(std::span(data.constData(), static_cast<std::size_t>(data.size()))),
            [&](int w, int h) {
                EXPECT_EQ(QSize(w, h), byQt.size());
                return lumox::PixelRows{pixels.data() + (pixels.size() - width),
                                        -static_cast<std::ptrdiff_t>(width)};
            });
        ASSERT_TRUE(decoded);
        EXPECT_FALSE(decoded->transparent);
        int differingRows = 0;
        for (int y = 0; y < byQt.height(); ++y) {
            const std::uint32_t *row = pixels.data() + (pixels.size() - width * (y + 1));
            if (std::memcmp(row, byQt.constScanLine(y), width * 4) != 0)
                ++differingRows;
        }
        EXPECT_EQ(differingRows, 0);
    }
}

// -------------------------------------------------------------------------------- GIF

struct SponsorFacts
{
    int number;
    qsizetype size;
    int colourTableEntries;
    bool interlaced;
    std::optional<int> transparentIndex;
};

void PrintTo(const SponsorFacts &facts, std::ostream *out)
{
    *out << "sponsor " << facts.number;
}

const SponsorFacts sponsorTable[] = {
    {1, 2146, 64, true, std::nullopt},
    {2, 2174, 64, true, 50},
    {3, 2618, 128, true, 65},
    {4, 2107, 64, false, std::nullopt},
    {5, 2170, 64, true, std::nullopt},
    {6, 1828, 32, true, std::nullopt},
    {7, 2231, 64, true, std::nullopt},
    {8, 1850, 16, true, std::nullopt},
    {9, 2113, 64, true, std::nullopt},
    {10, 2154, 64, true, std::nullopt},
    {11, 3793, 256, true, std::nullopt},
};

// What a walk through a GIF file's blocks finds.
struct GifLayout
{
    QByteArray signature;
    int screenWidth = 0;
    int screenHeight = 0;
    bool globalTable = false;
    int globalTableEntries = 0;
    std::vector<QRgb> colours;
    int imageCount = 0;
    int imageLeft = -1, imageTop = -1, imageWidth = 0, imageHeight = 0;
    bool localTable = false;
    bool interlaced = false;
    bool transparencyFlag = false;
    int transparentIndex = -1;
    bool loopingExtension = false;
    QByteArray comments;
    bool endsWithTrailer = false;
};

// Reads the data sub-blocks starting at pos up to their terminator; returns the position
// after it, or -1 if the file ends first.
qsizetype readSubBlocks(const QByteArray &data, qsizetype pos, QByteArray *content)
{
    while (pos < data.size()) {
        const int length = byteAt(data, pos++);
        if (length == 0)
            return pos;
        if (pos + length > data.size())
            return -1;
        if (content)
            content->append(data.mid(pos, length));
        pos += length;
    }
    return -1;
}

GifLayout parseGif(const QByteArray &data)
{
    GifLayout gif;
    if (data.size() < 13)
        return gif;
    gif.signature = data.left(6);
    gif.screenWidth = le16(data, 6);
    gif.screenHeight = le16(data, 8);
    const int packed = byteAt(data, 10);
    gif.globalTable = packed & 0x80;
    gif.globalTableEntries = 2 << (packed & 7);
    qsizetype pos = 13;
    if (gif.globalTable) {
        for (int i = 0; i < gif.globalTableEntries && pos + 3 <= data.size(); ++i, pos += 3)
            gif.colours.push_back(
                qRgb(byteAt(data, pos), byteAt(data, pos + 1), byteAt(data, pos + 2)));
    }
    while (pos >= 0 && pos < data.size()) {
        const int introducer = byteAt(data, pos++);
        if (introducer == 0x3B) {
            gif.endsWithTrailer = pos == data.size();
            break;
        }
        if (introducer == 0x2C && pos + 9 <= data.size()) {
            ++gif.imageCount;
            gif.imageLeft = le16(data, pos);
            gif.imageTop = le16(data, pos + 2);
            gif.imageWidth = le16(data, pos + 4);
            gif.imageHeight = le16(data, pos + 6);
            const int imagePacked = byteAt(data, pos + 8);
            gif.localTable = imagePacked & 0x80;
            gif.interlaced = imagePacked & 0x40;
            pos += 9;
            if (gif.localTable)
                pos += 3 * (2 << (imagePacked & 7));
            pos = readSubBlocks(data, pos + 1, nullptr); // after the LZW code size
            continue;
        }
        if (introducer == 0x21 && pos < data.size()) {
            const int label = byteAt(data, pos++);
            QByteArray content;
            pos = readSubBlocks(data, pos, &content);
            if (label == 0xF9 && content.size() == 4) {
                gif.transparencyFlag = byteAt(content, 0) & 1;
                gif.transparentIndex = byteAt(content, 3);
            } else if (label == 0xFF && content.startsWith("NETSCAPE2.0")) {
                gif.loopingExtension = true;
            } else if (label == 0xFE) {
                gif.comments += content;
            }
            continue;
        }
        ADD_FAILURE() << "unknown block 0x" << std::hex << introducer << " at byte " << pos - 1;
        break;
    }
    return gif;
}

class SponsorBanner : public testing::TestWithParam<SponsorFacts>
{
protected:
    QString fileName() const
    {
        return QStringLiteral("banners/sponsor%1.gif").arg(GetParam().number, 2, 10, QChar('0'));
    }
};

TEST_P(SponsorBanner, FileHasTheListedLayout)
{
    const SponsorFacts &facts = GetParam();
    const QByteArray data = sourceFile(fileName());
    EXPECT_EQ(data.size(), facts.size);

    const GifLayout gif = parseGif(data);
    EXPECT_EQ(gif.signature, "GIF89a");
    EXPECT_EQ(gif.screenWidth, 120);
    EXPECT_EQ(gif.screenHeight, 60);
    EXPECT_TRUE(gif.globalTable);
    EXPECT_EQ(gif.globalTableEntries, facts.colourTableEntries);
    EXPECT_EQ(gif.imageCount, 1) << "a banner is one still image";
    EXPECT_EQ(gif.imageLeft, 0);
    EXPECT_EQ(gif.imageTop, 0);
    EXPECT_EQ(gif.imageWidth, 120);
    EXPECT_EQ(gif.imageHeight, 60);
    EXPECT_FALSE(gif.localTable);
    EXPECT_EQ(gif.interlaced, facts.interlaced);
    EXPECT_FALSE(gif.loopingExtension);
    EXPECT_TRUE(gif.endsWithTrailer);
    EXPECT_EQ(gif.transparencyFlag, facts.transparentIndex.has_value());
    if (facts.transparentIndex) {
        EXPECT_EQ(gif.transparentIndex, *facts.transparentIndex);
    }
}

TEST_P(SponsorBanner, OwnDecoderGivesTheDrawnPixels)
{
    const SponsorFacts &facts = GetParam();
    const GifLayout gif = parseGif(sourceFile(fileName()));
    static const QRegularExpression crcPattern(
        QStringLiteral("Pixel-index CRC-32: 0x([0-9A-F]{8})"));
    const QRegularExpressionMatch match = crcPattern.match(QString::fromLatin1(gif.comments));
    ASSERT_TRUE(match.hasMatch()) << "the comment with the drawing's checksum is missing";
    const std::uint32_t drawnCrc = match.captured(1).toUInt(nullptr, 16);

    // Each colour appears once in the table, so a decoded colour names its index.
    QHash<QRgb, int> indexOf;
    for (int i = 0; i < static_cast<int>(gif.colours.size()); ++i)
        indexOf.insert(gif.colours[i], i);
    ASSERT_EQ(indexOf.size(), facts.colourTableEntries) << "colour table has repeated colours";

    QImageReader reader(lumox::pictures::sponsorBanner(facts.number));
    EXPECT_EQ(reader.imageCount(), 1);
    const QImage decoded =
        lumox::pictures::readPicture(lumox::pictures::sponsorBanner(facts.number));
    EXPECT_EQ(decoded.format(),
              facts.transparentIndex ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    const QImage image = decoded.convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(image.size(), QSize(120, 60));

    QByteArray indices;
    int transparentPixels = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) == 0) {
                // Transparent pixels carry no colour, so that they also serve premultiplied.
                ASSERT_EQ(pixel, 0u) << "at " << x << "," << y;
                ++transparentPixels;
                indices.append(static_cast<char>(gif.transparentIndex));
                continue;
            }
            ASSERT_EQ(qAlpha(pixel), 255);
            const auto found = indexOf.constFind(pixel | 0xFF000000u);
            ASSERT_NE(found, indexOf.constEnd()) << "colour not in the table at " << x << "," << y;
            indices.append(static_cast<char>(*found));
        }
    }
    EXPECT_EQ(crc32(indices), drawnCrc) << "the decoded pixels are not the drawn ones";
    if (facts.transparentIndex) {
        EXPECT_GT(transparentPixels, 0) << "the transparent colour is never used";
    } else {
        EXPECT_EQ(transparentPixels, 0);
    }
}

INSTANTIATE_TEST_SUITE_P(AllSponsors, SponsorBanner, testing::ValuesIn(sponsorTable));

TEST(SponsorBanners, DifferFromEachOtherAndNumberEightIsTheInitialPicture)
{
    std::vector<QByteArray> files;
    for (int n = 1; n <= lumox::sponsorPictureCount; ++n)
        files.push_back(readFile(lumox::pictures::sponsorBanner(n)));
    for (std::size_t a = 0; a < files.size(); ++a) {
        for (std::size_t b = a + 1; b < files.size(); ++b)
            EXPECT_NE(files[a], files[b]) << "sponsors " << a + 1 << " and " << b + 1;
    }
    EXPECT_EQ(readFile(lumox::pictures::initialBanner), files[7]);
}

// Decodes `data` with the program's decoder and checks what a caller relies on, whatever the
// data: no rows are asked for unless the picture has been decoded, then exactly once, and a
// picture comes back only when rows were given for it. Returns the picture's size, if any.
std::optional<QSize> decodeChecked(const QByteArray &data)
{
    int asked = 0;
    QSize askedFor;
    std::vector<std::uint32_t> pixels;
    const auto decoded = lumox::decodePicture(
        std::as_bytes(std::span(data.constData(), static_cast<std::size_t>(data.size()))),
        [&](int width, int height) {
            ++asked;
            askedFor = QSize(width, height);
            pixels.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
            return lumox::PixelRows{pixels.data(), width};
        });
    if (!decoded) {
        EXPECT_EQ(asked, 0);
        return std::nullopt;
    }
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(QSize(decoded->width, decoded->height), askedFor);
    return askedFor;
}

// Cut short, a picture decodes to a picture of its own size or to none; damaged, to one no
// larger than the decoder allows, or to none. It never reads or writes outside its data or
// its pixels (which the sanitizer build checks).
TEST(DamagedPictures, DecodeToTheirOwnSizeOrToNothing)
{
    struct Damaged
    {
        const char *path;
        QSize size;
        int prefixStep;
    };
    const Damaged pictures[] = {{"startup.jpg", {288, 264}, 89},
                                {"banners/sponsor02.gif", {120, 60}, 7},
                                {"banners/sponsor03.gif", {120, 60}, 11},
                                {"banners/sponsor04.gif", {120, 60}, 13}};
    std::uint32_t seed = 12345;
    const auto nextRandom = [&seed] {
        seed = seed * 1103515245u + 12345u;
        return seed >> 8;
    };
    for (const Damaged &picture : pictures) {
        SCOPED_TRACE(picture.path);
        const QByteArray whole = sourceFile(QString::fromLatin1(picture.path));
        ASSERT_EQ(decodeChecked(whole), picture.size);
        int refused = 0;
        for (qsizetype length = 0; length < whole.size(); length += picture.prefixStep) {
            const auto size = decodeChecked(whole.left(length));
            if (!size)
                ++refused;
            else
                EXPECT_EQ(*size, picture.size) << "first " << length << " bytes";
        }
        EXPECT_GT(refused, 0) << "a picture cut short before its image data is refused";
        // A few bytes overwritten at random, past the signature.
        for (int round = 0; round < 150; ++round) {
            QByteArray damaged = whole;
            for (int i = 0; i < 4; ++i)
                damaged[static_cast<qsizetype>(4 + nextRandom() % (whole.size() - 4))] =
                    static_cast<char>(nextRandom());
            const auto size = decodeChecked(damaged);
            if (size) {
                EXPECT_TRUE(size->width() <= 4096 && size->height() <= 4096) << "round " << round;
            }
        }
    }
    // Only the signature of a picture.
    EXPECT_FALSE(decodeChecked(QByteArray("\xFF\xD8\xFF\xE0", 4)));
    EXPECT_FALSE(decodeChecked(QByteArray("GIF89a")));
}

// ------------------------------------------------------------------------ ICO and CUR

struct WindowsIconFacts
{
    const char *path;
    int type; // 1 icon, 2 cursor
    std::vector<int> sizes;
};

void PrintTo(const WindowsIconFacts &facts, std::ostream *out)
{
    *out << facts.path;
}

class WindowsIconFile : public testing::TestWithParam<WindowsIconFacts>
{
};

TEST_P(WindowsIconFile, HoldsSixteenColourBitmapsWithMasks)
{
    const WindowsIconFacts &facts = GetParam();
    const QByteArray data = sourceFile(QString::fromLatin1(facts.path));
    ASSERT_GE(data.size(), 6);
    EXPECT_EQ(le16(data, 0), 0);
    EXPECT_EQ(le16(data, 2), facts.type);
    ASSERT_EQ(le16(data, 4), static_cast<int>(facts.sizes.size()));

    qsizetype end = 6 + 16 * static_cast<qsizetype>(facts.sizes.size());
    for (std::size_t i = 0; i < facts.sizes.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "image " << i);
        const qsizetype entry = 6 + 16 * static_cast<qsizetype>(i);
        ASSERT_LE(entry + 16, data.size());
        const int size = facts.sizes[i];
        EXPECT_EQ(byteAt(data, entry), size);
        EXPECT_EQ(byteAt(data, entry + 1), size);
        EXPECT_EQ(byteAt(data, entry + 2), 16) << "colour count";
        EXPECT_EQ(byteAt(data, entry + 3), 0);
        if (facts.type == 2) {
            EXPECT_EQ(le16(data, entry + 4), lumox::pictures::handHotSpotX);
            EXPECT_EQ(le16(data, entry + 6), lumox::pictures::handHotSpotY);
        } else {
            EXPECT_EQ(le16(data, entry + 4), 1) << "planes";
            EXPECT_EQ(le16(data, entry + 6), 4) << "bits per pixel";
        }
        const std::uint32_t bytes = le32(data, entry + 8);
        const std::uint32_t offset = le32(data, entry + 12);
        EXPECT_EQ(offset, static_cast<std::uint32_t>(end)) << "images follow each other";
        ASSERT_LE(offset + bytes, static_cast<std::uint32_t>(data.size()));
        end = offset + bytes;

        const qsizetype bmp = offset;
        EXPECT_EQ(le32(data, bmp), 40u) << "BITMAPINFOHEADER";
        EXPECT_EQ(le32(data, bmp + 4), static_cast<std::uint32_t>(size));
        EXPECT_EQ(le32(data, bmp + 8), static_cast<std::uint32_t>(2 * size))
            << "the height counts colour bitmap and mask";
        EXPECT_EQ(le16(data, bmp + 12), 1);
        EXPECT_EQ(le16(data, bmp + 14), 4);
        EXPECT_EQ(le32(data, bmp + 16), 0u) << "uncompressed";
        const std::uint32_t colourRow = (size * 4 + 31) / 32 * 4;
        const std::uint32_t maskRow = (size + 31) / 32 * 4;
        EXPECT_EQ(bytes, 40 + 16 * 4 + (colourRow + maskRow) * size);
    }
    EXPECT_EQ(end, data.size());
}

INSTANTIATE_TEST_SUITE_P(IconAndPointer, WindowsIconFile,
                         testing::Values(WindowsIconFacts{"hand.cur", 2, {32}},
                                         WindowsIconFacts{"lumox.ico", 1, {32, 16}}));

// Colours agree wherever a pixel is visible; transparent pixels may carry any colour.
void expectSamePicture(const QImage &actual, const QImage &expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    const QImage a = actual.convertToFormat(QImage::Format_ARGB32);
    const QImage e = expected.convertToFormat(QImage::Format_ARGB32);
    int opaque = 0;
    int clear = 0;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            const QRgb pa = a.pixel(x, y);
            const QRgb pe = e.pixel(x, y);
            ASSERT_EQ(qAlpha(pa), qAlpha(pe)) << "at " << x << "," << y;
            if (qAlpha(pe) == 0) {
                ++clear;
                continue;
            }
            ++opaque;
            ASSERT_EQ(pa, pe) << "at " << x << "," << y;
        }
    }
    EXPECT_GT(opaque, 0);
    EXPECT_GT(clear, 0) << "the mask leaves nothing transparent";
}

// The icon file's two images, the GIFs the windows take as their icon (through the program's
// own decoder) and the PNGs of the desktop's icon theme show the same pixels.
TEST(ProgramIcon, BothImagesMatchTheWindowGifsAndTheThemePngs)
{
    QImageReader reader(lumox::pictures::icon);
    ASSERT_EQ(reader.imageCount(), 2);
    QHash<int, QImage> bySize;
    for (int i = 0; i < 2; ++i) {
        ASSERT_TRUE(reader.jumpToImage(i));
        const QImage image = reader.read();
        ASSERT_FALSE(image.isNull()) << reader.errorString().toStdString();
        bySize.insert(image.width(), image);
    }
    ASSERT_TRUE(bySize.contains(32) && bySize.contains(16));
    for (const int size : {32, 16}) {
        SCOPED_TRACE(size);
        const QImage gif = lumox::pictures::readPicture(size == 32 ? lumox::pictures::icon32
                                                                   : lumox::pictures::icon16);
        EXPECT_TRUE(gif.hasAlphaChannel());
        expectSamePicture(bySize[size], gif);
        const QString png = QStringLiteral("icons/hicolor/%1x%1/apps/lumox2000.png").arg(size);
        expectSamePicture(bySize[size], QImage::fromData(sourceFile(png), "PNG"));
    }
}

TEST(HandPointer, DecodesAsAnUprightHandWithTheFingertipAtTheHotSpot)
{
    const QImage hand = QImage(lumox::pictures::handCursor).convertToFormat(QImage::Format_ARGB32);
    ASSERT_EQ(hand.size(), QSize(32, 32));
    const int x = lumox::pictures::handHotSpotX;
    const int y = lumox::pictures::handHotSpotY;
    EXPECT_EQ(hand.pixel(x, y), qRgb(0, 0, 0)) << "the fingertip's outline";
    EXPECT_EQ(qAlpha(hand.pixel(x, y - 1)), 0) << "nothing above the fingertip";
    EXPECT_EQ(hand.pixel(x, y + 3), qRgb(255, 255, 255)) << "inside the finger";
    EXPECT_EQ(qAlpha(hand.pixel(x - 3, y + 3)), 0) << "beside the finger";
    for (const auto &[cx, cy] : {std::pair{0, 0}, {31, 0}, {0, 31}, {31, 31}})
        EXPECT_EQ(qAlpha(hand.pixel(cx, cy)), 0) << "corner " << cx << "," << cy;
}

// --------------------------------------------------------------------- resource list

struct CompiledPicture
{
    const char *alias;
    const char *path;
    QSize size;
};

void PrintTo(const CompiledPicture &picture, std::ostream *out)
{
    *out << picture.alias;
}

std::vector<CompiledPicture> compiledPictures()
{
    std::vector<CompiledPicture> pictures = {
        {"startup.jpg", "startup.jpg", {288, 264}},
        {"banners/initial.gif", "banners/initial.gif", {120, 60}},
        {"hand.cur", "hand.cur", {32, 32}},
        {"lumox.ico", "lumox.ico", {32, 32}},
        {"icons/lumox-16.gif", "icons/lumox-16.gif", {16, 16}},
        {"icons/lumox-32.gif", "icons/lumox-32.gif", {32, 32}},
    };
    static const char *const sponsors[] = {
        "banners/sponsor01.gif", "banners/sponsor02.gif", "banners/sponsor03.gif",
        "banners/sponsor04.gif", "banners/sponsor05.gif", "banners/sponsor06.gif",
        "banners/sponsor07.gif", "banners/sponsor08.gif", "banners/sponsor09.gif",
        "banners/sponsor10.gif", "banners/sponsor11.gif"};
    for (const char *sponsor : sponsors)
        pictures.push_back({sponsor, sponsor, {120, 60}});
    return pictures;
}

class CompiledIn : public testing::TestWithParam<CompiledPicture>
{
};

TEST_P(CompiledIn, IsTheSourceFileAndQtReadsIt)
{
    const CompiledPicture &picture = GetParam();
    const QString resource = QStringLiteral(":/") + QString::fromLatin1(picture.alias);
    EXPECT_EQ(readFile(resource), sourceFile(QString::fromLatin1(picture.path)));
    QImageReader reader(resource);
    const QImage image = reader.read();
    EXPECT_EQ(image.size(), picture.size) << reader.errorString().toStdString();
}

INSTANTIATE_TEST_SUITE_P(EveryPicture, CompiledIn, testing::ValuesIn(compiledPictures()));

TEST(PicturesQrc, ListsEveryPictureOnceUnderItsAlias)
{
    const QString qrc = QString::fromUtf8(sourceFile(QStringLiteral("pictures.qrc")));
    EXPECT_TRUE(qrc.contains(QStringLiteral("<qresource prefix=\"/\">")));
    static const QRegularExpression entryPattern(
        QStringLiteral("<file alias=\"([^\"]+)\">([^<]+)</file>"));
    QStringList listed;
    for (const QRegularExpressionMatch &m : entryPattern.globalMatch(qrc))
        listed << m.captured(1) + QLatin1Char('=') + m.captured(2);
    QStringList expected;
    for (const CompiledPicture &picture : compiledPictures())
        expected << QString::fromLatin1(picture.alias) + QLatin1Char('=') +
                        QString::fromLatin1(picture.path);
    listed.sort();
    expected.sort();
    EXPECT_EQ(listed, expected);
}

} // namespace

int main(int argc, char **argv)
{
    testing::InitGoogleTest(&argc, argv);
    // Qt finds its image format plugins through the application object.
    QCoreApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
