#include "twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtGlobal>

namespace lumox {

void keepDevicePixels()
{
    if (!qEnvironmentVariableIsSet("QT_ENABLE_HIGHDPI_SCALING"))
        qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
}

layout::Dpi displayDpi()
{
    static const layout::Dpi dpi = [] {
        const QScreen *screen = QGuiApplication::primaryScreen();
        if (screen == nullptr)
            return layout::standardDpi;
        const int across = qRound(screen->logicalDotsPerInchX());
        const int down = qRound(screen->logicalDotsPerInchY());
        return across > 0 && down > 0 ? layout::Dpi{across, down} : layout::standardDpi;
    }();
    return dpi;
}

} // namespace lumox
