#include "classic_look.h"

#include "layout.h"
#include "twips.h"

#include <QApplication>
#include <QColor>
#include <QStringList>
#include <QStyle>
#include <QStyleFactory>
#include <QToolTip>

namespace lumox {

QPalette classicPalette()
{
    const QColor face(192, 192, 192);
    QPalette p(Qt::black, face, Qt::white, QColor(128, 128, 128), QColor(160, 160, 160),
               Qt::black, Qt::white, Qt::white, face);
    p.setColor(QPalette::Midlight, QColor(223, 223, 223));
    p.setColor(QPalette::Shadow, Qt::black);
    p.setColor(QPalette::Highlight, QColor(0, 0, 128));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::ToolTipBase, QColor(255, 255, 225));
    p.setColor(QPalette::ToolTipText, Qt::black);
    p.setColor(QPalette::Disabled, QPalette::WindowText, QColor(128, 128, 128));
    p.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(128, 128, 128));
    p.setColor(QPalette::Disabled, QPalette::Text, QColor(128, 128, 128));
    return p;
}

QFont dialogFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif"),
                      QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                      QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(layout::pointsToPixels(layout::dialogFontSize, displayDpi().y));
    // The substitutes run a little wider than the classic bitmap font; a
    // slightly narrowed face keeps every caption inside its box.
    font.setStretch(96);
    return font;
}

QFont headingFont()
{
    QFont font;
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(layout::pointsToPixels(layout::headingFontSize, displayDpi().y));
    font.setBold(true);
    return font;
}

void applyClassicLook(QApplication &app)
{
    if (QStyle *style = QStyleFactory::create(QStringLiteral("Windows")))
        QApplication::setStyle(style);
    QApplication::setPalette(classicPalette());
    QApplication::setFont(dialogFont());
    QToolTip::setPalette(classicPalette());
    QToolTip::setFont(dialogFont());
}

} // namespace lumox
