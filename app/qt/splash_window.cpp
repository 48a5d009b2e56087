#include "splash_window.h"

#include "controls.h"
#include "layout.h"
#include "main_window.h"
#include "pictures.h"
#include "qt_text.h"
#include "twips.h"

#include <QPixmap>
#include <QTimer>

namespace lumox {

frmStartup::frmStartup(QWidget *parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(QStringLiteral("frmStartup"));
    setFixedSize(twipsToPixels(layout::splashWindowClient.width),
                 twipsToPixels(layout::splashWindowClient.height));
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);

    const layout::Control &frame = *layout::findSplashWindowControl("Frame1");
    Frame1 = new EtchedFrame(this);
    Frame1->setObjectName(qs(frame.name));
    Frame1->setGeometry(twipsRect(frame.rect));

    const layout::Control &picture = *layout::findSplashWindowControl("picStartup");
    picStartup = new PictureBox(PictureBox::Border::Sunken3D, Frame1);
    picStartup->setObjectName(qs(picture.name));
    picStartup->setAccessibleName(qs(picture.accessibleName));
    picStartup->setFocusPolicy(Qt::NoFocus);
    picStartup->setGeometry(twipsRect(picture.rect));
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
