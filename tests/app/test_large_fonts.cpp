// The Qt windows on a desktop of large fonts, 120 dots per inch (QT_FONT_DPI=120, as
// ctest runs this program; Xft.dpi: 120 gives the same): the same window and control
// sizes as the Windows program at 120 dots per inch, in real pixels, with the pictures
// at their own pixel size. The pixel values are the form's twips divided by twelve and
// rounded to the nearest pixel, halves away from zero, written out by hand.
#include "window_fixture.h"

#include "controls.h"
#include "pictures.h"
#include "splash_window.h"
#include "twips.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace {

using lumox::frmMain;

// The widget's rectangle in the coordinates of its window.
QRect rectInWindow(const QWidget *widget)
{
    return QRect(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
}

// The number of pixels of area (in widget's coordinates) that differ from picture
// drawn unscaled at area's top-left corner, with the button face around it and under
// its transparent pixels; pixels neither opaque nor transparent are not counted.
int pixelsOffThePicture(QWidget *widget, const QRect &area, const QImage &picture)
{
    const QImage shown = widget->grab(area).toImage().convertToFormat(QImage::Format_RGB32);
    const QImage wanted = picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb face = widget->palette().color(QPalette::Window).rgb();
    int off = 0;
    for (int y = 0; y < shown.height(); ++y) {
        for (int x = 0; x < shown.width(); ++x) {
            const bool inPicture = x < wanted.width() && y < wanted.height();
            const int alpha = inPicture ? qAlpha(wanted.pixel(x, y)) : 0;
            if (alpha != 0 && alpha != 255)
                continue;
            const QRgb expected = alpha == 255 ? wanted.pixel(x, y) : face;
            off += (shown.pixel(x, y) & 0xFFFFFF) != (expected & 0xFFFFFF) ? 1 : 0;
        }
    }
    return off;
}

class LargeFonts : public MainWindowTest
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(lumox::displayDpi().x, 120) << "run with QT_FONT_DPI=120";
        ASSERT_EQ(lumox::displayDpi().y, 120);
        ASSERT_EQ(QGuiApplication::primaryScreen()->devicePixelRatio(), 1.0)
            << "Qt scales the windows itself";
        MainWindowTest::SetUp();
    }
};

TEST_F(LargeFonts, TheMainWindowIsLaidOutAtTwelveTwipsToThePixel)
{
    EXPECT_EQ(m_window->size(), QSize(473, 466));
    EXPECT_EQ(control<QWidget>("Frame1")->geometry(), QRect(0, -6, 471, 471));
    EXPECT_EQ(rectInWindow(tabs()), QRect(10, 14, 454, 441));
    EXPECT_EQ(tabs()->tabStrip()->height(), 25);
    showPage(MtuSettings);
    EXPECT_EQ(rectInWindow(control<QWidget>("txtMTU")), QRect(10 + 130, 14 + 250, 81, 24));
    EXPECT_EQ(rectInWindow(control<QWidget>("Line1")), QRect(10 + 9, 14 + 56, 430, 1));
    EXPECT_EQ(rectInWindow(control<QWidget>("Picture3")), QRect(10 + 289, 14 + 340, 155, 80));
    auto *banner = control<QLabel>("imgAds2");
    EXPECT_EQ(rectInWindow(banner), QRect(10 + 289 + 2, 14 + 340 + 2, 150, 75));
    // The banner keeps its 120 x 60 pixels at the top-left of its larger box.
    const QImage initial = lumox::pictures::readPicture(lumox::pictures::initialBanner);
    ASSERT_EQ(initial.size(), QSize(120, 60));
    EXPECT_EQ(pixelsOffThePicture(banner, banner->rect(), initial), 0);
}

TEST_F(LargeFonts, TheSplashShowsItsPictureUnscaled)
{
    lumox::frmStartup splash;
    EXPECT_EQ(splash.size(), QSize(383, 346));
    auto *box = splash.findChild<lumox::PictureBox *>(QStringLiteral("picStartup"));
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(rectInWindow(box), QRect(11, -6 + 19, 361, 321));
    EXPECT_EQ(box->contentsRect(), QRect(2, 2, 357, 317));
    const QImage startup = lumox::pictures::readPicture(lumox::pictures::startup);
    ASSERT_EQ(startup.size(), QSize(288, 264));
    EXPECT_EQ(pixelsOffThePicture(box, box->contentsRect(), startup), 0);
}

TEST_F(LargeFonts, EveryTextFitsItsBoxInFontsOfTheirPointSizes)
{
    // 8.25 pt and 9.75 pt at 120 dots per inch.
    EXPECT_EQ(control<QLabel>("Label1")->font().pixelSize(), 13);
    EXPECT_EQ(control<QLabel>("lblReg")->font().pixelSize(), 16);

    control<QLabel>("lblCalc")->setText(QStringLiteral("(65535 - 40) * 4"));
    const QList<QLabel *> labels = m_window->findChildren<QLabel *>();
    int measured = 0;
    for (const QLabel *label : labels) {
        if (label->text().isEmpty())
            continue;
        ++measured;
        const QRect needed =
            QFontMetrics(label->font())
                .boundingRect(QRect(0, 0, label->width(), 1 << 20),
                              int(label->alignment()) | Qt::TextWordWrap, label->text());
        EXPECT_LE(needed.height(), label->height()) << qPrintable(label->objectName());
        EXPECT_LE(needed.width(), label->width()) << qPrintable(label->objectName());
    }
    EXPECT_EQ(measured, 20);
    for (const QPushButton *button : m_window->findChildren<QPushButton *>()) {
        const QFontMetrics metrics = button->fontMetrics();
        EXPECT_LE(metrics.horizontalAdvance(button->text()) + 8, button->width())
            << qPrintable(button->objectName());
        EXPECT_LE(metrics.height() + 8, button->height()) << qPrintable(button->objectName());
    }
    for (const QLineEdit *box : m_window->findChildren<QLineEdit *>()) {
        const QFontMetrics metrics = box->fontMetrics();
        EXPECT_LE(metrics.height() + 4, box->height()) << qPrintable(box->objectName());
        EXPECT_LE(metrics.horizontalAdvance(QStringLiteral("65535")) + 4, box->width())
            << qPrintable(box->objectName());
    }
    const lumox::TabStrip *strip = tabs()->tabStrip();
    for (int i = 0; i < strip->count(); ++i) {
        EXPECT_LE(strip->fontMetrics().horizontalAdvance(strip->tabText(i)) + 6,
                  strip->tabRect(i).width())
            << qPrintable(strip->tabText(i));
        EXPECT_LE(strip->fontMetrics().height(), strip->tabRect(i).height());
    }
}

} // namespace
