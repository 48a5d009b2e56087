#include "controls.h"
#include "main_window.h"
#include "splash_window.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

using lumox::frmMain;
using lumox::frmStartup;

int mainWindowCount()
{
    int count = 0;
    for (QWidget *widget : QApplication::topLevelWidgets()) {
        if (qobject_cast<frmMain *>(widget))
            ++count;
    }
    return count;
}

void processDeferredDeletes()
{
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

class SplashWindow : public ::testing::Test
{
protected:
    void TearDown() override
    {
        delete frmMain::instance();
        processDeferredDeletes();
    }
};

TEST_F(SplashWindow, IsABorderlessSplashWithTheStartupPicture)
{
    frmStartup splash;
    EXPECT_EQ(splash.size(), QSize(306, 277));
    EXPECT_TRUE(splash.windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(splash.windowType(), Qt::SplashScreen) << "a splash window has no taskbar button";

    const auto *frame = splash.findChild<QWidget *>("Frame1");
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->geometry(), QRect(0, -5, 305, 281));
    const auto *picture = splash.findChild<lumox::PictureBox *>("picStartup");
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->parentWidget(), frame);
    EXPECT_EQ(picture->geometry(), QRect(9, 15, 289, 257));
    EXPECT_EQ(picture->contentsRect(), QRect(2, 2, 285, 253));
    EXPECT_EQ(picture->picture().size(), QSize(288, 264));
}

TEST_F(SplashWindow, LoadHandlerStartsTheSplashTimer)
{
    frmStartup splash;
    ASSERT_NE(splash.splashTimer(), nullptr);
    EXPECT_TRUE(splash.splashTimer()->isActive());
    EXPECT_EQ(splash.splashTimer()->interval(), 1250);
    EXPECT_EQ(frmMain::instance(), nullptr) << "nothing else happens at start";
}

TEST_F(SplashWindow, ClicksAndKeysChangeNothing)
{
    auto *splash = new frmStartup;
    splash->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(splash));
    QTest::mouseClick(splash, Qt::LeftButton, {}, QPoint(100, 100));
    QTest::keyClick(splash, Qt::Key_Escape);
    QTest::keyClick(splash, Qt::Key_Return);
    QTest::keyClick(splash, Qt::Key_Space);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_TRUE(splash->splashTimer()->isActive());
    EXPECT_EQ(frmMain::instance(), nullptr);
    delete splash;
}

TEST_F(SplashWindow, TickShowsTheMainWindowThenDestroysTheSplash)
{
    QPointer<frmStartup> splash = new frmStartup;
    splash->show();
    splash->tmrSplash_Timer();
    frmMain *main = frmMain::instance();
    ASSERT_NE(main, nullptr);
    // The main window appears while the splash still exists: never a moment without a window.
    EXPECT_FALSE(splash.isNull());
    EXPECT_TRUE(main->isVisible());
    EXPECT_FALSE(splash->isVisible());

    processDeferredDeletes();
    EXPECT_TRUE(splash.isNull()) << "the splash window is destroyed with its timer";
    EXPECT_EQ(mainWindowCount(), 1);
    EXPECT_TRUE(main->isVisible());
}

TEST_F(SplashWindow, ThereIsOnlyEverOneMainWindow)
{
    for (int i = 0; i < 3; ++i) {
        auto *splash = new frmStartup;
        splash->tmrSplash_Timer();
        processDeferredDeletes();
    }
    EXPECT_EQ(mainWindowCount(), 1);
}

TEST_F(SplashWindow, RealTimerHandsOverWithoutUserAction)
{
    QPointer<frmStartup> splash = new frmStartup;
    splash->show();
    // The splash timer fires on its own; wait for its effect, not for a fixed time.
    EXPECT_TRUE(QTest::qWaitFor([&] { return splash.isNull(); }, 10000));
    ASSERT_NE(frmMain::instance(), nullptr);
    EXPECT_TRUE(frmMain::instance()->isVisible());
}

} // namespace
