#include "window_fixture.h"

#include "sqlite_test_support.h"

#include <QFileInfo>

#include <cstring>
#include <QLineEdit>
#include <QPushButton>

#include <filesystem>

namespace {

using lumox::testing::RawStore;

using lumox::testing::adapterKeys;
using lumox::testing::tcpKey;

const QString savedNote = QStringLiteral(
    " saved! NOTE: Changes will only take affect after you have restarted your computer. Also "
    "note that this program does not have to be running in order for the new settings to be "
    "active.");

class SaveAndResetInWindow : public MainWindowTest
{
protected:
    void typeMtu(const QString &text)
    {
        showPage(MtuSettings);
        auto *box = control<QLineEdit>("txtMTU");
        box->clear();
        QTest::keyClicks(box, text);
    }
    void typeRwin(const QString &text)
    {
        showPage(RwinSettings);
        auto *box = control<QLineEdit>("txtRWIN");
        box->clear();
        QTest::keyClicks(box, text);
    }
    void press(const char *button)
    {
        auto *target = control<QPushButton>(button);
        showPage(target->parentWidget()->objectName() == "pageMTU" ? MtuSettings : RwinSettings);
        QTest::mouseClick(target, Qt::LeftButton);
    }
    std::filesystem::path store() const { return storeFile().toStdString(); }

    // Expects every adapter key to hold mtu and the TCP key to hold rwin.
    void expectStored(const std::string &mtu, const std::string &rwin)
    {
        RawStore raw(store());
        for (const std::string &key : adapterKeys) {
            const auto value = raw.value(key, "MaxMTU");
            ASSERT_TRUE(value.has_value()) << key;
            EXPECT_EQ(value->data, mtu) << key;
        }
        const auto window = raw.value(tcpKey, "DefaultRcvWindow");
        ASSERT_TRUE(window.has_value());
        EXPECT_EQ(window->data, rwin);
    }
    void expectNothingStored()
    {
        if (!QFileInfo::exists(storeFile()))
            return;
        RawStore raw(store());
        for (const std::string &key : adapterKeys)
            EXPECT_FALSE(raw.value(key, "MaxMTU").has_value()) << key;
        EXPECT_FALSE(raw.value(tcpKey, "DefaultRcvWindow").has_value());
    }
};

TEST_F(SaveAndResetInWindow, OpeningTheWindowTouchesNoStore)
{
    EXPECT_FALSE(QFileInfo::exists(storeFile()));
    EXPECT_FALSE(QFileInfo::exists(m_dataHome.path() + "/lumox2000"));
}

TEST_F(SaveAndResetInWindow, EachSaveButtonStoresBothValuesAndSaysSo)
{
    for (const char *button : {"cmdSaveMTU", "cmdSave"}) {
        SCOPED_TRACE(button);
        m_messages.clear();
        typeMtu(std::strcmp(button, "cmdSave") == 0 ? "576" : "1500");
        press(button);
        const std::string mtu = std::strcmp(button, "cmdSave") == 0 ? "576" : "1500";
        const std::string rwin = std::strcmp(button, "cmdSave") == 0 ? "2144" : "5840";
        expectStored(mtu, rwin);
        ASSERT_EQ(m_messages.size(), 1u);
        EXPECT_EQ(m_messages[0].title, "Saved!");
        EXPECT_EQ(m_messages[0].text, QString::fromStdString("MaxMTU setting: " + mtu +
                                                             " & RWIN setting: " + rwin) +
                                          savedNote);
    }
}

TEST_F(SaveAndResetInWindow, CustomRwinIsSavedAsItsPlainNumber)
{
    typeMtu("1500");
    typeRwin(" 8192 ");
    press("cmdSave");
    expectStored("1500", "8192");
}

TEST_F(SaveAndResetInWindow, EachResetButtonRemovesTheValuesAndKeepsTheBoxes)
{
    for (const char *button : {"cmdResetMTU", "cmdReset"}) {
        SCOPED_TRACE(button);
        typeMtu("1400");
        press("cmdSaveMTU");
        expectStored("1400", "5440");
        m_messages.clear();
        press(button);
        expectNothingStored();
        ASSERT_EQ(m_messages.size(), 1u);
        EXPECT_EQ(m_messages[0].title, "Reset");
        EXPECT_EQ(m_messages[0].text, "Settings reset!");
        EXPECT_EQ(control<QLineEdit>("txtMTU")->text(), "1400");
        EXPECT_EQ(control<QLineEdit>("txtRWIN")->text(), "5440");
    }
}

TEST_F(SaveAndResetInWindow, ResetWithNothingSavedCreatesNoStore)
{
    press("cmdResetMTU");
    EXPECT_FALSE(QFileInfo::exists(storeFile()));
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].text, "Settings reset!");
}

TEST_F(SaveAndResetInWindow, BadInputIsRefusedAndTheStoreKeepsWhatItHad)
{
    typeMtu("1500");
    press("cmdSaveMTU");
    expectStored("1500", "5840");
    const auto before = lumox::testing::fileBytes(store());
    ASSERT_TRUE(before.has_value());

    struct Input {
        QString mtu;
        QString rwin;
        const char *field;
    };
    const QString megabyte(1 << 20, QLatin1Char('1'));
    const Input inputs[] = {
        {"", "5840", "MaxMTU"},       {"abc", "5840", "MaxMTU"},  {"1500.5", "5842", "MaxMTU"},
        {"-1500", "5840", "MaxMTU"},  {"+1500", "5840", "MaxMTU"}, {"1e3", "5840", "MaxMTU"},
        {"67", "5840", "MaxMTU"},     {"65536", "5840", "MaxMTU"}, {megabyte, "5840", "MaxMTU"},
        {QString::fromUtf8("\u0661\u0665\u0660\u0660"), "5840", "MaxMTU"},
        {"1500", "", "RWIN"},         {"1500", "0", "RWIN"},       {"1500", "1073741824", "RWIN"},
        {"1500", "5840\t\x01", "RWIN"},
    };
    for (const Input &input : inputs) {
        SCOPED_TRACE(input.mtu.left(20).toStdString() + " / " + input.rwin.toStdString());
        m_messages.clear();
        control<QLineEdit>("txtMTU")->setText(input.mtu);
        control<QLineEdit>("txtRWIN")->setText(input.rwin);
        press("cmdSave");
        ASSERT_EQ(m_messages.size(), 1u);
        EXPECT_NE(m_messages[0].title, "Saved!");
        EXPECT_TRUE(m_messages[0].text.contains(QLatin1String(input.field)));
        EXPECT_TRUE(m_messages[0].text.contains("Nothing was saved."));
        EXPECT_EQ(lumox::testing::fileBytes(store()), before) << "the store must be untouched";
    }
    EXPECT_TRUE(m_window->isVisible());
}

TEST_F(SaveAndResetInWindow, UnusableStoreFileIsReportedAndLeftAlone)
{
    std::filesystem::create_directories(store().parent_path());
    const std::string foreign = "this is somebody else's file, not a registry store\n";
    lumox::testing::writeFileBytes(store(), foreign);
    typeMtu("1500");
    press("cmdSaveMTU");
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_NE(m_messages[0].title, "Saved!");
    EXPECT_FALSE(m_messages[0].text.isEmpty());
    EXPECT_EQ(lumox::testing::fileBytes(store()), foreign);
    EXPECT_TRUE(m_window->isVisible());
}

} // namespace
