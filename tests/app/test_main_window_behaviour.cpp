#include "window_fixture.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

namespace {

class CalculatorInWindow : public MainWindowTest
{
protected:
    void typeMtu(const QString &text)
    {
        showPage(MtuSettings);
        mtu()->clear();
        QTest::keyClicks(mtu(), text);
    }
    void typeRwin(const QString &text)
    {
        showPage(RwinSettings);
        rwin()->clear();
        QTest::keyClicks(rwin(), text);
    }
    QLineEdit *mtu() const { return control<QLineEdit>("txtMTU"); }
    QLineEdit *rwin() const { return control<QLineEdit>("txtRWIN"); }
    QLabel *formula() const { return control<QLabel>("lblCalc"); }
};

TEST_F(CalculatorInWindow, StartsEmpty)
{
    EXPECT_EQ(tabs()->currentIndex(), Information);
    EXPECT_TRUE(mtu()->text().isEmpty());
    EXPECT_TRUE(rwin()->text().isEmpty());
    EXPECT_TRUE(formula()->text().isEmpty());
    EXPECT_FALSE(formula()->isHidden());
}

TEST_F(CalculatorInWindow, TypingAnMtuProposesRwinOnTheOtherPage)
{
    typeMtu("1500");
    showPage(RwinSettings);
    EXPECT_EQ(rwin()->text(), "5840");
    EXPECT_EQ(formula()->text(), "(1500 - 40) * 4");
    EXPECT_TRUE(formula()->isVisible());
    // Turning pages back and forth changes neither box.
    showPage(MtuSettings);
    showPage(Information);
    showPage(RwinSettings);
    EXPECT_EQ(mtu()->text(), "1500");
    EXPECT_EQ(rwin()->text(), "5840");
}

TEST_F(CalculatorInWindow, CaptionKeepsTheMtuAsTyped)
{
    typeMtu(" 1500");
    EXPECT_EQ(rwin()->text(), "5840");
    EXPECT_EQ(formula()->text(), "( 1500 - 40) * 4");
    typeMtu("1500.5");
    EXPECT_EQ(rwin()->text(), "5842");
    typeMtu("1");
    EXPECT_EQ(rwin()->text(), "-156");
}

TEST_F(CalculatorInWindow, CustomRwinHidesTheFormulaUntilItMatchesAgain)
{
    typeMtu("1500");
    typeRwin("8192");
    EXPECT_TRUE(formula()->isHidden());
    typeRwin("5840.0");
    EXPECT_FALSE(formula()->isHidden());
    typeRwin("5840");
    EXPECT_FALSE(formula()->isHidden());
    // A new MTU replaces the custom value with the new proposal.
    typeRwin("9000");
    typeMtu("576");
    EXPECT_EQ(rwin()->text(), "2144");
    EXPECT_EQ(formula()->text(), "(576 - 40) * 4");
    EXPECT_FALSE(formula()->isHidden());
}

TEST_F(CalculatorInWindow, ProposalEqualToTheCustomTextShowsTheFormula)
{
    typeMtu("1500");
    typeRwin("8192");
    ASSERT_TRUE(formula()->isHidden());
    // 2088 proposes 8192, the text already in the box: the box does not
    // change, but the formula now holds for it and must show.
    typeMtu("208");
    typeRwin("8192");
    ASSERT_TRUE(formula()->isHidden());
    QSignalSpy rwinChanges(rwin(), &QLineEdit::textChanged);
    showPage(MtuSettings);
    QTest::keyClick(mtu(), Qt::Key_8);
    EXPECT_EQ(rwin()->text(), "8192");
    EXPECT_EQ(formula()->text(), "(2088 - 40) * 4");
    EXPECT_FALSE(formula()->isHidden());
    EXPECT_EQ(rwinChanges.count(), 0);
}

TEST_F(CalculatorInWindow, NonNumericTextLeavesTheOtherBoxAndTheLabel)
{
    typeMtu("1500");
    for (const QString &junk : {QString(), QStringLiteral("abc"), QStringLiteral("-"),
                                QStringLiteral("1e400"), QStringLiteral("nan")}) {
        SCOPED_TRACE(junk.toStdString());
        showPage(MtuSettings);
        mtu()->setText(junk);
        EXPECT_EQ(rwin()->text(), "5840");
        EXPECT_EQ(formula()->text(), "(1500 - 40) * 4");
        EXPECT_FALSE(formula()->isHidden());
    }
    mtu()->setText("1500");
    rwin()->setText("lots");
    EXPECT_FALSE(formula()->isHidden());
    EXPECT_EQ(mtu()->text(), "1500");
}

TEST_F(CalculatorInWindow, MegabytePasteIsKeptAndChangesNothing)
{
    typeMtu("1500");
    const QString paste(1 << 20, QLatin1Char('7'));
    mtu()->setText(paste);
    EXPECT_EQ(mtu()->text().size(), paste.size()) << "the box has no length limit";
    EXPECT_EQ(rwin()->text(), "5840");
}

TEST_F(CalculatorInWindow, PasteKeepsItsFirstLineAndSaves)
{
    // As a one-line box on Windows: the paste ends at its first line break, whatever
    // stands around the cursor, and the box never holds a line break, not even for a
    // moment (the calculator sees every text the box has held).
    typeMtu("10");
    mtu()->setCursorPosition(1);
    QStringList seen;
    QObject::connect(mtu(), &QLineEdit::textChanged,
                     [&seen](const QString &text) { seen << text; });
    QGuiApplication::clipboard()->setText(QStringLiteral("5\r\n99\n"));
    QTest::keyClick(mtu(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(mtu()->text(), "150");
    EXPECT_EQ(mtu()->cursorPosition(), 2);
    EXPECT_EQ(seen, QStringList{"150"});
    EXPECT_EQ(formula()->text(), "(150 - 40) * 4");

    mtu()->selectAll();
    QGuiApplication::clipboard()->setText(QString::fromUtf8("\u00a01500\u2029576"));
    QTest::keyClick(mtu(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(mtu()->text(), QString::fromUtf8("\u00a01500"));
    EXPECT_EQ(rwin()->text(), "5840");
    // What the calculator reads as an MTU, blanks and all, saves as that number.
    control<QPushButton>("cmdSaveMTU")->click();
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].title, "Saved!") << m_messages[0].text.toStdString();
}

TEST_F(CalculatorInWindow, ReadsNumbersInTheUsersLocale)
{
    // The default locale is process-wide: put it back whatever happens here.
    struct LocaleGuard {
        QLocale previous;
        ~LocaleGuard() { QLocale::setDefault(previous); }
    } guard;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    auto german = std::make_unique<lumox::frmMain>();
    auto *box = german->findChild<QLineEdit *>("txtMTU");
    auto *rwinBox = german->findChild<QLineEdit *>("txtRWIN");
    ASSERT_NE(box, nullptr);
    ASSERT_NE(rwinBox, nullptr);
    box->setText("1500,5");
    EXPECT_EQ(rwinBox->text(), "5842");
    box->setText("1500,25");
    EXPECT_EQ(rwinBox->text(), "5841");
    // A German group separator is no number: the proposal stays as it was.
    box->setText("1.500");
    EXPECT_EQ(rwinBox->text(), "5841");
}

class KeyboardInWindow : public MainWindowTest
{
protected:
    QString focusName() const
    {
        return QApplication::focusWidget() ? QApplication::focusWidget()->objectName() : "(none)";
    }
    void pressTab() { QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab); }
};

TEST_F(KeyboardInWindow, TabMovesWithinTheVisiblePageOnly)
{
    showPage(MtuSettings);
    control<QWidget>("txtMTU")->setFocus();
    ASSERT_EQ(focusName(), "txtMTU");
    pressTab();
    EXPECT_EQ(focusName(), "cmdSaveMTU");
    pressTab();
    EXPECT_EQ(focusName(), "cmdResetMTU");

    // A full round visits only controls of the visible page and the tab strip.
    const QWidget *page = tabs()->page(MtuSettings);
    for (int i = 0; i < 8; ++i) {
        pressTab();
        QWidget *focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        EXPECT_TRUE(page->isAncestorOf(focus) || focus == tabs()->tabStrip()) << qPrintable(focusName());
    }

    showPage(RwinSettings);
    control<QWidget>("txtRWIN")->setFocus();
    pressTab();
    EXPECT_EQ(focusName(), "cmdSave");
    pressTab();
    EXPECT_EQ(focusName(), "cmdReset");
}

TEST_F(KeyboardInWindow, EnterAndEscapePressNoButton)
{
    std::vector<std::unique_ptr<QSignalSpy>> spies;
    for (QPushButton *button : m_window->findChildren<QPushButton *>())
        spies.push_back(std::make_unique<QSignalSpy>(button, &QPushButton::clicked));

    for (Page page : {MtuSettings, RwinSettings, ExitPage}) {
        showPage(page);
        QList<QWidget *> targets;
        for (QWidget *w : tabs()->page(page)->findChildren<QWidget *>()) {
            if (w->focusPolicy() & Qt::TabFocus)
                targets << w;
        }
        for (QWidget *target : targets) {
            target->setFocus();
            for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
                QTest::keyClick(target, key);
        }
    }
    for (const auto &spy : spies)
        EXPECT_EQ(spy->count(), 0);
    EXPECT_TRUE(m_window->isVisible());
}

TEST_F(KeyboardInWindow, HiddenPageKeepsItsContents)
{
    showPage(MtuSettings);
    control<QLineEdit>("txtMTU")->setText("1400");
    showPage(ExitPage);
    EXPECT_FALSE(control<QWidget>("txtMTU")->isVisible());
    EXPECT_EQ(control<QLineEdit>("txtMTU")->text(), "1400");
}

// Runs the event loop until the program ends, with a deadline so that a
// window that fails to end the program fails the test instead of hanging it.
int runUntilProgramEnds(QObject *context, const std::function<void()> &action)
{
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [] { QCoreApplication::exit(99); });
    deadline.start(10000);
    QTimer::singleShot(0, context, action);
    return QApplication::exec();
}

TEST_F(MainWindowTest, QuitEndsTheProgramWhileTheBannerTimerRuns)
{
    auto *banners = m_window->findChild<QTimer *>("tmrAds");
    ASSERT_NE(banners, nullptr);
    EXPECT_TRUE(banners->isActive());
    EXPECT_EQ(banners->interval(), 1750);
    showPage(ExitPage);
    auto *quit = control<QPushButton>("cmdExit");
    const int status = runUntilProgramEnds(m_window.get(), [quit] {
        QTest::mouseClick(quit, Qt::LeftButton);
    });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(m_window->isVisible());
    EXPECT_FALSE(banners->isActive());
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(MainWindowTest, ClosingTheWindowOtherwiseEndsTheProgramToo)
{
    const int status = runUntilProgramEnds(m_window.get(), [this] { m_window->close(); });
    EXPECT_EQ(status, 0);
    EXPECT_FALSE(m_window->isVisible());
}

} // namespace
