#include "program.h"

#include "classic_look.h"
#include "controls.h"
#include "identity.h"
#include "main_window.h"
#include "pictures.h"
#include "qt_text.h"
#include "splash_window.h"
#include "sqlite_registry_store.h"
#include "texts.h"
#include "twips.h"

#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QPixmapCache>
#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

// Without a display Qt would abort with a long message; say it in one line.
bool displayAvailable(int argc, char **argv)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0)
            return true;
    }
    const auto set = [](const char *name) {
        const char *value = std::getenv(name);
        return value != nullptr && *value != '\0';
    };
    return set("QT_QPA_PLATFORM") || set("DISPLAY") || set("WAYLAND_DISPLAY");
}

} // namespace

int lumox::runProgram(int argc, char **argv)
{
    // Before anything else, so that no write past the file size limit or to a closed
    // pipe can end the program, the splash included.
    lumox::ignoreStoreSignals();
    if (!displayAvailable(argc, argv)) {
        std::fputs(std::string(lumox::texts::noDisplay).c_str(), stderr);
        return 1;
    }

    // On X11, Qt paints through shared memory by default and then, before it paints again
    // where it has just drawn, waits for the X server to confirm it has read the pixels: a
    // round trip and two wake-ups for every banner change. Sent over the connection, the
    // few changed pixels need no reply.
    if (!qEnvironmentVariableIsSet("QT_XCB_NO_MITSHM"))
        qputenv("QT_XCB_NO_MITSHM", "1");
    lumox::keepDevicePixels();
    QApplication app(argc, argv);
    // Every picture the program shows is kept by its owner, so Qt's pixmap cache saves no
    // work; each entry in it would arm a timer that wakes the idle program 30 s later to
    // drop the entries nobody uses any more (the window icon's copies, the first banner).
    QPixmapCache::setCacheLimit(0);
    // No application display name: on X11 Qt would append it to every window title, and
    // the message boxes must carry their own titles alone ("Saved!", not "Saved! — Lumox
    // 2000"). The main window's title is the program title anyway.
    QApplication::setApplicationName(lumox::qs(lumox::identity::programTitle));
    QApplication::setApplicationVersion(QStringLiteral(LUMOX_VERSION_TEXT));
    QApplication::setOrganizationDomain(lumox::qs(lumox::identity::organizationDomain));
    QApplication::setDesktopFileName(QStringLiteral("com.example.Lumox2000"));
    // The icon's two sizes, decoded by the program itself like every picture it shows: Qt's
    // image reader would first read the descriptions of all its image plugins, most of a
    // millisecond before the splash can show.
    QIcon icon;
    for (const QString &path : {lumox::pictures::icon16, lumox::pictures::icon32})
        icon.addPixmap(QPixmap::fromImage(lumox::pictures::readPicture(path)));
    QApplication::setWindowIcon(icon);
    lumox::applyClassicLook(app);

    auto *splash = new lumox::frmStartup;
    lumox::centreOnScreen(splash);
    splash->show();

    const int status = QApplication::exec();
    delete lumox::frmMain::instance();
    return status;
}
