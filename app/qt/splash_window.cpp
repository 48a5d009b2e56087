#include "splash_window.h"

#include "controls.h"
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
    setFixedSize(twipsToPixels(4590), twipsToPixels(4155));
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);

    Frame1 = new EtchedFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setGeometry(twipsRect(0, -70, 4575, 4215));

    picStartup = new PictureBox(PictureBox::Border::Sunken3D, Frame1);
    picStartup->setObjectName(QStringLiteral("picStartup"));
    picStartup->setAccessibleName(QStringLiteral("Lumox 2000"));
    picStartup->setFocusPolicy(Qt::NoFocus);
    picStartup->setGeometry(twipsRect(130, 225, 4335, 3855));
    picStartup->setPicture(QPixmap(pictures::startup));

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
