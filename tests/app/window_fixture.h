#pragma once

#include "controls.h"
#include "main_window.h"
#include "message_boxes.h"
#include "qt_printers.h"

#include <QApplication>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// Builds a fresh main window for every test, shown on the offscreen platform,
// and records every message box instead of showing it.
class MainWindowTest : public ::testing::Test
{
protected:
    struct Message {
        QString title;
        QString text;
    };

    enum Page { Information = 0, MtuSettings = 1, RwinSettings = 2, ExitPage = 3 };

    void SetUp() override
    {
        // The window's store lives in a scratch data folder, never the user's own.
        ASSERT_TRUE(m_dataHome.isValid());
        m_previousDataHome = qgetenv("XDG_DATA_HOME");
        qputenv("XDG_DATA_HOME", m_dataHome.path().toLocal8Bit());
        lumox::MessageBoxes::setPresenter(
            [this](QWidget *, const QString &title, const QString &text) {
                m_messages.push_back({title, text});
            });
        m_window = std::make_unique<lumox::frmMain>();
        m_window->show();
        QApplication::setActiveWindow(m_window.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_window.get()));
    }

    void TearDown() override
    {
        m_window.reset();
        lumox::MessageBoxes::setPresenter({});
        if (m_previousDataHome.isNull())
            qunsetenv("XDG_DATA_HOME");
        else
            qputenv("XDG_DATA_HOME", m_previousDataHome);
    }

    // The file the window's store keeps its values in.
    QString storeFile() const
    {
        return m_dataHome.path() + QStringLiteral("/lumox2000/registry.sqlite3");
    }

    template <typename T> T *control(const char *name) const
    {
        T *widget = m_window->findChild<T *>(QLatin1String(name));
        EXPECT_NE(widget, nullptr) << "no control named " << name;
        return widget;
    }

    lumox::TabControl *tabs() const { return control<lumox::TabControl>("SSTab1"); }

    void showPage(Page page) const { tabs()->setCurrentIndex(page); }

    QTemporaryDir m_dataHome;
    QByteArray m_previousDataHome;
    std::unique_ptr<lumox::frmMain> m_window;
    std::vector<Message> m_messages;
};
