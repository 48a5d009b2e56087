#include "banner_slot.h"

#include "pictures.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QFile>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPoint>
#include <QRect>

namespace lumox {

BannerSlot::BannerSlot(QWidget *parent) : QLabel(parent)
{
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setScaledContents(false);
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void BannerSlot::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPixmap picture = pixmap();
    // The face colour shows only under transparent pixels or beside a smaller picture.
    if (picture.hasAlphaChannel() || !QRect(QPoint(), picture.size()).contains(rect()))
        painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.drawPixmap(0, 0, picture);
}

void BannerSlot::enterEvent(QEnterEvent *event)
{
    // Reading the pointer file loads Qt's icon reader, a few milliseconds that would delay
    // the main window; read when the mouse first comes over a banner, the hand is there
    // before the pointer is drawn over the slot.
    if (!testAttribute(Qt::WA_SetCursor))
        setCursor(handCursor());
    QLabel::enterEvent(event);
}

void BannerSlot::mousePressEvent(QMouseEvent *event)
{
    m_pressed = event->button() == Qt::LeftButton;
    event->accept();
}

void BannerSlot::mouseReleaseEvent(QMouseEvent *event)
{
    const bool wasPressed = m_pressed;
    m_pressed = false;
    event->accept();
    if (wasPressed && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint()))
        emit clicked();
}

QCursor loadCursorFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QCursor(Qt::ArrowCursor);
    const QByteArray bytes = file.readAll();
    QPixmap image;
    // A cursor file is an icon file whose directory entry carries the hot spot.
    if (bytes.size() < 22 || !image.loadFromData(bytes, "ICO"))
        return QCursor(Qt::ArrowCursor);
    const auto word = [&bytes](int offset) {
        return static_cast<unsigned char>(bytes[offset]) |
               (static_cast<unsigned char>(bytes[offset + 1]) << 8);
    };
    return QCursor(image, word(10), word(12));
}

namespace {

// Pictures loaded once and shared by every slot. They are released when the
// application object goes, as Qt requires of pixmaps and cursors.
QCursor *sharedCursor = nullptr;
QPixmap *sharedInitialPicture = nullptr;

void releaseSharedPictures()
{
    delete sharedCursor;
    sharedCursor = nullptr;
    delete sharedInitialPicture;
    sharedInitialPicture = nullptr;
}

void registerRelease()
{
    static bool registered = false;
    if (!registered) {
        qAddPostRoutine(releaseSharedPictures);
        registered = true;
    }
}

} // namespace

const QCursor &handCursor()
{
    if (!sharedCursor) {
        registerRelease();
        sharedCursor = new QCursor(loadCursorFile(pictures::handCursor));
    }
    return *sharedCursor;
}

const QPixmap &initialBannerPicture()
{
    if (!sharedInitialPicture) {
        registerRelease();
        sharedInitialPicture =
            new QPixmap(QPixmap::fromImage(pictures::readPicture(pictures::initialBanner)));
    }
    return *sharedInitialPicture;
}

} // namespace lumox

// The meta-object code of banner_slot.h, compiled here rather than in a unit of its own.
#include "moc_banner_slot.cpp" // NOLINT(bugprone-suspicious-include): moc writes it as .cpp
