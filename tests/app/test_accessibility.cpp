#include "window_fixture.h"

#include <QAccessible>
#include <QAccessibleInterface>
#include <QLineEdit>
#include <QPushButton>

#include <set>

namespace {

// Collects every accessible object below the root, depth first.
void walk(QAccessibleInterface *node, std::vector<QAccessibleInterface *> &out)
{
    out.push_back(node);
    for (int i = 0; i < node->childCount(); ++i) {
        if (QAccessibleInterface *child = node->child(i))
            walk(child, out);
    }
}

class Accessibility : public MainWindowTest
{
protected:
    std::vector<QAccessibleInterface *> tree()
    {
        std::vector<QAccessibleInterface *> nodes;
        QAccessibleInterface *root = QAccessible::queryAccessibleInterface(m_window.get());
        EXPECT_NE(root, nullptr);
        if (root)
            walk(root, nodes);
        return nodes;
    }
};

TEST_F(Accessibility, EveryControlOnEveryPageHasAReadableName)
{
    std::set<QString> seen;
    for (int page = 0; page < 4; ++page) {
        showPage(static_cast<Page>(page));
        for (QAccessibleInterface *node : tree()) {
            QObject *object = node->object();
            if (!object || object->objectName().isEmpty())
                continue;
            const QAccessible::Role role = node->role();
            if (role == QAccessible::Client || role == QAccessible::Window ||
                role == QAccessible::Separator || role == QAccessible::Grouping ||
                role == QAccessible::PageTab || role == QAccessible::ScrollBar)
                continue;
            if (node->state().invisible)
                continue;
            seen.insert(object->objectName());
            if (role == QAccessible::StaticText && node->text(QAccessible::Name).isEmpty())
                continue; // the empty formula label has nothing to say yet
            EXPECT_FALSE(node->text(QAccessible::Name).trimmed().isEmpty())
                << qPrintable(object->objectName());
        }
    }
    // The walk reached the controls of all four pages.
    for (const char *name : {"lblReg", "txtMTU", "cmdSaveMTU", "txtRWIN", "cmdReset", "cmdExit",
                             "imgAds", "imgAds4", "Label17"})
        EXPECT_TRUE(seen.count(QLatin1String(name))) << name;
}

TEST_F(Accessibility, BoxesAndButtonsAreDescribed)
{
    showPage(MtuSettings);
    for (const char *name : {"txtMTU", "txtRWIN", "cmdSaveMTU", "cmdResetMTU", "cmdSave",
                             "cmdReset", "cmdExit"}) {
        QAccessibleInterface *node = QAccessible::queryAccessibleInterface(control<QWidget>(name));
        ASSERT_NE(node, nullptr) << name;
        EXPECT_FALSE(node->text(QAccessible::Description).isEmpty()) << name;
        EXPECT_FALSE(node->text(QAccessible::Name).isEmpty()) << name;
    }
    QAccessibleInterface *mtu = QAccessible::queryAccessibleInterface(control<QWidget>("txtMTU"));
    EXPECT_EQ(mtu->role(), QAccessible::EditableText);
    EXPECT_EQ(mtu->text(QAccessible::Name), "MaxMTU setting");
}

TEST_F(Accessibility, TabStripOffersTheFourPages)
{
    QAccessibleInterface *strip = QAccessible::queryAccessibleInterface(tabs()->tabStrip());
    ASSERT_NE(strip, nullptr);
    QStringList captions;
    for (int i = 0; i < strip->childCount(); ++i) {
        QAccessibleInterface *tab = strip->child(i);
        if (tab && tab->role() == QAccessible::PageTab && !tab->state().invisible)
            captions << tab->text(QAccessible::Name);
    }
    EXPECT_EQ(captions, QStringList({"Information", "MTU Settings", "RWIN Settings",
                                     "Exit Lumox 2000"}));
}

TEST_F(Accessibility, KeyboardTurnsPagesFromAnywhereInTheWindow)
{
    showPage(MtuSettings);
    auto *mtu = control<QLineEdit>("txtMTU");
    mtu->setFocus();
    QTest::keyClick(mtu, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(tabs()->currentIndex(), RwinSettings);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(tabs()->currentIndex(), ExitPage);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(tabs()->currentIndex(), Information) << "the last page wraps round to the first";
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(tabs()->currentIndex(), ExitPage);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab,
                    Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(tabs()->currentIndex(), RwinSettings);
    // The focus never stays on a control of a page that went out of view.
    QWidget *focus = QApplication::focusWidget();
    ASSERT_NE(focus, nullptr);
    EXPECT_TRUE(focus->isVisible()) << qPrintable(focus->objectName());
    // Typing text is not taken for page turning.
    showPage(MtuSettings);
    mtu->setFocus();
    mtu->clear();
    QTest::keyClicks(mtu, "1500");
    EXPECT_EQ(tabs()->currentIndex(), MtuSettings);
    EXPECT_EQ(mtu->text(), "1500");
}

} // namespace
