#include "splash_window.h"

#include "controls.h"
#include "form_builder.h"
#include "layout.h"
#include "main_window.h"
#include "pictures.h"
#include "twips.h"

#include <QPixmap>
#include <QTimer>

namespace lumox {

frmStartup::frmStartup(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmStartup"));
    setFixedSize(pixelsAcross(layout::splashWindowClient.width),
                 pixelsDown(layout::splashWindowClient.height));
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);

    buildFormControls(*this, layout::splashWindowControls());
    auto *picStartup = findChild<PictureBox *>(QStringLiteral("picStartup"));
    picStartup->setFocusPolicy(Qt::NoFocus);
    // Decoded by the program itself: no image plugin is looked for or loaded before the
    // splash shows.
    picStartup->setPicture(QPixmap::fromImage(pictures::readPicture(pictures::startup)));

    tmrSplash = new QTimer(this);
    tmrSplash->setObjectName(QStringLiteral("tmrSplash"));
    tmrSplash->setInterval(splashInterval);
    connect(tmrSplash, &QTimer::timeout, this, &frmStartup::tmrSplash_Timer);

    Form_Load();
}

frmStartup::~frmStartup() = default;

void frmStartup::Form_Load()
{
    tmrSplash->start();
}

void frmStartup::tmrSplash_Timer()
{
    frmMain::showMainWindow();
    // Unload: the timer goes with the window, so it never ticks again.
    tmrSplash->stop();
    hide();
    deleteLater();
}

} // namespace lumox

// The meta-object code of splash_window.h, compiled here rather than in a unit of its own.
#include "moc_splash_window.cpp" // NOLINT(bugprone-suspicious-include): moc writes it as .cpp
