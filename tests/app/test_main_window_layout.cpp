#include "window_fixture.h"

#include "expected_main_window.h"
#include "qt_text.h"

#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTextLayout>

#include <algorithm>
#include <optional>
#include <string_view>
#include <vector>

namespace {

using lumox::frmMain;

// One row of the window's control tables: the expected pixel rectangle is
// the table's twips divided by fifteen, rounded to the nearest pixel.
struct ControlRow
{
    const char *name;
    const char *parent;
    QRect rect;
    std::optional<QString> text;
    int focusOrder;
};

void PrintTo(const ControlRow &row, std::ostream *os)
{
    *os << row.name;
}

const QString noTip;

// The rows of the expected table as Qt sees them: a banner slot's geometry is
// relative to its frame's own corner, outside the 2-pixel border, and the tab
// control's place in the focus order belongs to its tab strip.
const std::vector<ControlRow> &controlTable()
{
    static const std::vector<ControlRow> rows = [] {
        std::vector<ControlRow> converted;
        for (const lumox::expected::ControlRow &row : lumox::expected::mainWindowControls()) {
            const int border = lumox::expected::isBannerFrame(row.parent) ? 2 : 0;
            const QRect rect(row.rect.left + border, row.rect.top + border, row.rect.width,
                             row.rect.height);
            std::optional<QString> text;
            if (row.text)
                text = lumox::qs(*row.text);
            const bool strip = std::string_view(row.name) == "SSTab1";
            converted.push_back({row.name, row.parent, rect, text, strip ? -1 : row.focusOrder});
        }
        return converted;
    }();
    return rows;
}

QString textOf(const QWidget *widget)
{
    if (const auto *label = qobject_cast<const QLabel *>(widget))
        return label->text();
    if (const auto *box = qobject_cast<const QLineEdit *>(widget))
        return box->text();
    if (const auto *button = qobject_cast<const QPushButton *>(widget))
        return button->text();
    return QString();
}

class ControlTable : public MainWindowTest, public ::testing::WithParamInterface<ControlRow>
{
};

TEST_P(ControlTable, SitsOnItsPageWithItsGeometryAndText)
{
    const ControlRow &row = GetParam();
    const QWidget *widget = control<QWidget>(row.name);
    ASSERT_NE(widget, nullptr);
    ASSERT_NE(widget->parentWidget(), nullptr);
    EXPECT_EQ(widget->parentWidget()->objectName(), QLatin1String(row.parent));
    EXPECT_EQ(widget->geometry(), row.rect);
    if (row.text)
        EXPECT_EQ(textOf(widget), *row.text);
    EXPECT_FALSE(widget->accessibleName().isEmpty() && textOf(widget).isEmpty() &&
                 row.focusOrder >= 0)
        << "a control that takes the focus needs a readable name";
}

INSTANTIATE_TEST_SUITE_P(MainWindow, ControlTable, ::testing::ValuesIn(controlTable()),
                         [](const auto &info) { return std::string(info.param.name); });

TEST_F(MainWindowTest, WindowIsBorderlessFixedAndTitled)
{
    EXPECT_EQ(m_window->size(), QSize(378, 373));
    EXPECT_EQ(m_window->minimumSize(), m_window->maximumSize());
    EXPECT_TRUE(m_window->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(m_window->windowType(), Qt::Window) << "the main window has a taskbar button";
    EXPECT_EQ(m_window->windowTitle(), "Lumox 2000");
    EXPECT_EQ(m_window->palette().color(QPalette::Window), QColor(192, 192, 192));
}

TEST_F(MainWindowTest, TabStripShowsFourCaptionsInOneRowInformationFirst)
{
    lumox::TabStrip *strip = tabs()->tabStrip();
    ASSERT_EQ(strip->count(), 4);
    const QStringList expected = {"Information", "MTU Settings", "RWIN Settings",
                                  "Exit Lumox 2000"};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(strip->tabText(i), expected[i]);
        const QRect tab = strip->tabRect(i);
        EXPECT_EQ(tab.height(), 20);
        EXPECT_EQ(tab.top(), strip->tabRect(0).top());
        EXPECT_LE(tab.right(), tabs()->width());
        EXPECT_LE(strip->fontMetrics().horizontalAdvance(expected[i]), tab.width() - 6)
            << "caption does not fit its tab";
        if (i > 0)
            EXPECT_GT(tab.left(), strip->tabRect(i - 1).left());
    }
    EXPECT_EQ(tabs()->currentIndex(), Information);
}

TEST_F(MainWindowTest, OnlyTheSelectedPageIsVisible)
{
    for (int selected = 0; selected < 4; ++selected) {
        showPage(static_cast<Page>(selected));
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(tabs()->page(i)->isVisible(), i == selected) << selected << " " << i;
    }
}

TEST_F(MainWindowTest, FocusChainFollowsTheTableOrder)
{
    std::vector<const ControlRow *> focusable;
    for (const ControlRow &row : controlTable()) {
        if (row.focusOrder >= 0)
            focusable.push_back(&row);
    }
    std::sort(focusable.begin(), focusable.end(), [](const ControlRow *a, const ControlRow *b) {
        return a->focusOrder < b->focusOrder;
    });

    QStringList expected;
    for (const ControlRow *row : focusable)
        expected << QLatin1String(row->name);
    // The tab strip of the tab control has its place between the banner frames.
    expected.insert(expected.indexOf("Picture3"), "SSTab1Tabs");

    QStringList chain;
    QWidget *start = control<QWidget>("Picture1");
    QWidget *widget = start;
    do {
        if ((widget->focusPolicy() & Qt::TabFocus) && !widget->isHidden() &&
            widget->window() == m_window.get())
            chain << widget->objectName();
        widget = widget->nextInFocusChain();
    } while (widget != start);
    EXPECT_EQ(chain, expected);
}

TEST_F(MainWindowTest, OnlyTheTwoTextBoxesHaveTooltips)
{
    for (const QWidget *widget : m_window->findChildren<QWidget *>()) {
        const QString name = widget->objectName();
        if (name == "txtMTU")
            EXPECT_EQ(widget->toolTip(), "Please enter your ISP's MaxMTU setting in this field. "
                                         "Contact your ISP to find out what it is if you're not "
                                         "sure.");
        else if (name == "txtRWIN")
            EXPECT_EQ(widget->toolTip(), "You don't have to enter anything here unless you "
                                         "really know what you're doing.");
        else
            EXPECT_TRUE(widget->toolTip().isEmpty()) << qPrintable(name);
    }
}

TEST_F(MainWindowTest, HeadingsAndNoticesHaveTheirFontsAndColours)
{
    for (const char *name : {"lblReg", "Label8", "Label14"}) {
        const auto *heading = control<QLabel>(name);
        EXPECT_TRUE(heading->font().bold()) << name;
        EXPECT_EQ(heading->font().pixelSize(), 13) << name;
        EXPECT_EQ(heading->palette().color(QPalette::WindowText), QColor(128, 128, 128)) << name;
        EXPECT_TRUE(heading->alignment() & Qt::AlignHCenter) << name;
    }
    for (const char *name :
         {"Label2", "Label3", "Label10", "Label11", "Label13", "Label4", "Label17", "Label18"}) {
        const auto *notice = control<QLabel>(name);
        EXPECT_EQ(notice->palette().color(QPalette::WindowText), QColor(0, 0, 255)) << name;
        EXPECT_FALSE(notice->font().bold()) << name;
        EXPECT_TRUE(notice->alignment() & Qt::AlignLeft) << name;
    }
    for (const char *name : {"Label1", "Label9", "Label15", "Label5", "Label6", "Label7"})
        EXPECT_TRUE(control<QLabel>(name)->alignment() & Qt::AlignHCenter) << name;
    EXPECT_EQ(control<QLabel>("Label9")->font().pixelSize(), 11);
}

QSize wrappedSize(const QLabel *label, const QString &text)
{
    const QFontMetrics metrics(label->font());
    const QRect bounds = metrics.boundingRect(QRect(0, 0, label->width(), 1 << 20),
                                              int(label->alignment()) | Qt::TextWordWrap, text);
    return bounds.size();
}

QStringList wrappedLines(const QLabel *label)
{
    QTextLayout layout(label->text(), label->font());
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    layout.setTextOption(option);
    QStringList lines;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLineWidth(label->width());
        lines << label->text().mid(line.textStart(), line.textLength()).trimmed();
    }
    layout.endLayout();
    return lines;
}

TEST_F(MainWindowTest, EveryLabelTextFitsItsBox)
{
    const QList<QLabel *> labels = m_window->findChildren<QLabel *>();
    ASSERT_GE(labels.size(), 20);
    for (const QLabel *label : labels) {
        if (label->text().isEmpty())
            continue;
        const QSize needed = wrappedSize(label, label->text());
        EXPECT_LE(needed.height(), label->height()) << qPrintable(label->objectName());
        EXPECT_LE(needed.width(), label->width()) << qPrintable(label->objectName());
    }
    // The formula label is empty at start; the longest formula it shows must fit too.
    const auto *formula = control<QLabel>("lblCalc");
    EXPECT_LE(wrappedSize(formula, "(65535 - 40) * 4").height(), formula->height());
}

TEST_F(MainWindowTest, WrappedLabelsBreakWhereTheyShould)
{
    for (const char *name : {"Label3", "Label10", "Label4", "Label17"}) {
        EXPECT_EQ(wrappedLines(control<QLabel>(name)),
                  QStringList({"Martin Quillfeather", "42 Modem Lane", "Harbour District",
                               "Port Lumen 40404", "Republic of Lumoria"}))
            << name;
    }
    for (const char *name : {"Label5", "Label6", "Label7"})
        EXPECT_EQ(wrappedLines(control<QLabel>(name)), QStringList({"Just Click", "Here -->"}))
            << name;
    for (const char *name : {"Label2", "Label11", "Label13", "Label12", "Label16"})
        EXPECT_EQ(wrappedLines(control<QLabel>(name)).size(), 1) << name;
}

TEST_F(MainWindowTest, ButtonCaptionsFitAndNoButtonIsDefault)
{
    for (const QPushButton *button : m_window->findChildren<QPushButton *>()) {
        const int needed = button->fontMetrics().horizontalAdvance(button->text()) + 8;
        EXPECT_LE(needed, button->width()) << qPrintable(button->objectName());
        EXPECT_FALSE(button->isDefault()) << qPrintable(button->objectName());
        EXPECT_FALSE(button->autoDefault()) << qPrintable(button->objectName());
        EXPECT_FALSE(button->text().contains(QLatin1Char('&'))) << qPrintable(button->objectName());
    }
}

TEST_F(MainWindowTest, BannersShowTheInitialPictureUnderTheHandPointer)
{
    const QImage initial = QImage(QStringLiteral(":/banners/initial.gif"));
    ASSERT_FALSE(initial.isNull());
    for (const char *name : {"imgAds", "imgAds2", "imgAds3", "imgAds4"}) {
        auto *banner = control<QLabel>(name);
        EXPECT_EQ(banner->pixmap().size(), QSize(120, 60)) << name;
        EXPECT_EQ(banner->pixmap().toImage().convertToFormat(QImage::Format_ARGB32),
                  initial.convertToFormat(QImage::Format_ARGB32))
            << name;
        EXPECT_FALSE(banner->hasScaledContents()) << name;
        // With the mouse over the slot, on the page that holds it.
        for (int page = Information; !banner->isVisible() && page <= ExitPage; ++page)
            showPage(static_cast<Page>(page));
        ASSERT_TRUE(banner->isVisible()) << name;
        QTest::mouseMove(banner, banner->rect().center());
        EXPECT_TRUE(banner->underMouse()) << name;
        EXPECT_EQ(banner->cursor().shape(), Qt::BitmapCursor) << name;
        EXPECT_EQ(banner->cursor().hotSpot(), QPoint(12, 1)) << name;
        EXPECT_EQ(banner->cursor().pixmap().size(), QSize(32, 32)) << name;
    }
    showPage(Information);
    auto *about = control<QWidget>("Label1");
    QTest::mouseMove(about, about->rect().center());
    EXPECT_EQ(about->cursor().shape(), Qt::ArrowCursor);
}

} // namespace
