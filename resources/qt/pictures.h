#pragma once

#include <QImage>
#include <QString>

// Resource paths of the pictures compiled in by the lumox_qt library, and the facts
// about them that code showing them needs. The pictures themselves come from
// tools/make_pictures.py.
namespace lumox::pictures {

// The start-up picture of the splash window (288 x 264 pixels).
inline const QString startup = QStringLiteral(":/startup.jpg");

// The picture every banner slot shows before the first banner change; byte for byte the
// same file as sponsor banner 8.
inline const QString initialBanner = QStringLiteral(":/banners/initial.gif");

// The hand pointer shown over the banners (a 32 x 32 Windows cursor file). Qt's image reader
// does not report a cursor's hot spot, so it is given here: the fingertip, counted in pixels
// from the top-left corner.
inline const QString handCursor = QStringLiteral(":/hand.cur");
inline constexpr int handHotSpotX = 12;
inline constexpr int handHotSpotY = 1;

// The program icon: one ICO file holding a 32 x 32 and a 16 x 16 image.
inline const QString icon = QStringLiteral(":/lumox.ico");

// The same two images as GIFs, which the windows take as their icon (readPicture decodes
// them; Qt's reader would look through its image plugins first).
inline const QString icon16 = QStringLiteral(":/icons/lumox-16.gif");
inline const QString icon32 = QStringLiteral(":/icons/lumox-32.gif");

// Returns the resource path of sponsor banner `number` (":/banners/sponsor01.gif" for 1).
// `number` must lie between 1 and sponsorPictureCount (sponsor_draw.h).
QString sponsorBanner(int number);

// Decodes the compiled-in JPEG or GIF at resource path `path` with the program's own decoder
// (picture_decoder.h), without any of Qt's image plugins. The image has format
// QImage::Format_RGB32 when every pixel is opaque, otherwise
// QImage::Format_ARGB32_Premultiplied with the transparent pixels all zero. Returns a null
// image when there is no such resource or it cannot be decoded.
QImage readPicture(const QString &path);

} // namespace lumox::pictures
