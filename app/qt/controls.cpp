#include "controls.h"

#include "twips.h"

#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QShortcut>
#include <QStringView>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStyleOptionTab>
#include <QStyleOptionTabWidgetFrame>

#include <algorithm>

namespace lumox {

EtchedFrame::EtchedFrame(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::NoFocus);
}

void EtchedFrame::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int captionOffset = pixelsDown(layout::frameCaptionOffset);
    const QRect outline(0, captionOffset, width() - 1, height() - captionOffset - 1);
    // An etched line is a dark line with a light line one pixel below and to the right.
    painter.setPen(palette().color(QPalette::Light));
    painter.drawRect(outline.translated(1, 1).adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(outline.adjusted(0, 0, -1, -1));
}

RuleLine::RuleLine(QPoint from, QPoint to, const QColor &colour, QWidget *parent)
    : QWidget(parent), m_colour(colour)
{
    setFocusPolicy(Qt::NoFocus);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setGeometry(QRect(from, QPoint(to.x() - 1, from.y())));
}

void RuleLine::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(m_colour);
    painter.drawLine(0, 0, width() - 1, 0);
}

PictureBox::PictureBox(Border border, QWidget *parent) : QFrame(parent)
{
    setFocusPolicy(Qt::TabFocus);
    if (border == Border::Sunken3D) {
        setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
        setLineWidth(2);
    } else {
        setFrameStyle(QFrame::NoFrame);
    }
}

QValidator::State FirstLineOnly::validate(QString &input, int &pos) const
{
    const auto isLineBreak = [](QChar c) {
        return c == u'\n' || c == u'\r' || c == QChar::LineSeparator ||
               c == QChar::ParagraphSeparator;
    };
    const auto inserted = QStringView(input).first(std::clamp(pos, 0, int(input.size())));
    const auto lineBreak = std::find_if(inserted.begin(), inserted.end(), isLineBreak);
    if (lineBreak != inserted.end()) {
        const auto at = static_cast<int>(lineBreak - inserted.begin());
        input.remove(at, pos - at);
        pos = at;
    }
    return Acceptable;
}

void PictureBox::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    update();
}

void PictureBox::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    QPainter painter(this);
    if (!m_picture.isNull()) {
        painter.save();
        painter.setClipRect(contentsRect());
        painter.drawPixmap(innerOrigin(), m_picture);
        painter.restore();
    }
    if (!hasFocus())
        return;
    // A focused picture box shows a dotted focus rectangle inside its border.
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = contentsRect();
    option.backgroundColor = palette().color(QPalette::Window);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
}

TabStrip::TabStrip(QWidget *parent) : QTabBar(parent)
{
    setDrawBase(false);
    setExpanding(false);
    setUsesScrollButtons(false);
    setElideMode(Qt::ElideNone);
    setFocusPolicy(Qt::TabFocus);
}

QSize TabStrip::tabSizeHint(int index) const
{
    // Tabs share the strip's width evenly; the leftover pixels go to the last tabs.
    const int tabs = qMax(1, count());
    const int base = width() / tabs;
    const int extra = width() % tabs;
    const int w = base + (index >= tabs - extra ? 1 : 0);
    return QSize(w, tabStripPixels());
}

QSize TabStrip::minimumTabSizeHint(int index) const
{
    return tabSizeHint(index);
}

void TabStrip::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const int selected = currentIndex();
    // The selected tab is drawn last, so that it overlaps its neighbours.
    QList<int> order;
    for (int i = 0; i < count(); ++i) {
        if (i != selected)
            order.append(i);
    }
    if (selected >= 0)
        order.append(selected);

    for (int i : std::as_const(order)) {
        QStyleOptionTab option;
        initStyleOption(&option, i);
        option.text.clear();
        style()->drawControl(QStyle::CE_TabBarTabShape, &option, &painter, this);

        QRect textRect = option.rect.adjusted(3, 2, -3, 0);
        if (i != selected)
            textRect.translate(0, 1);
        style()->drawItemText(&painter, textRect, Qt::AlignCenter | Qt::TextSingleLine, palette(),
                              isEnabled(), tabText(i), QPalette::WindowText);
        if (i == selected && hasFocus()) {
            QStyleOptionFocusRect focus;
            focus.initFrom(this);
            const int w = fontMetrics().horizontalAdvance(tabText(i)) + 4;
            const int h = fontMetrics().height() + 2;
            focus.rect = QRect(0, 0, w, h);
            focus.rect.moveCenter(textRect.center());
            style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
        }
    }
}

TabControl::TabControl(QWidget *parent) : QWidget(parent), m_strip(new TabStrip(this))
{
    setFocusPolicy(Qt::NoFocus);
    connect(m_strip, &QTabBar::currentChanged, this, [this](int index) {
        showPage(index);
        emit currentChanged(index);
    });
    // Pages can be switched from anywhere in the window with the usual keys.
    addPageShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), 1);
    addPageShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageDown), 1);
    addPageShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), -1);
    addPageShortcut(QKeySequence(Qt::CTRL | Qt::Key_PageUp), -1);
}

void TabControl::addPageShortcut(const QKeySequence &keys, int step)
{
    auto *shortcut = new QShortcut(keys, this);
    shortcut->setContext(Qt::WindowShortcut);
    connect(shortcut, &QShortcut::activated, this, [this, step] {
        if (count() > 0)
            setCurrentIndex((currentIndex() + step + count()) % count());
    });
}

QWidget *TabControl::addPage(const QString &caption)
{
    auto *added = new QWidget(this);
    added->setGeometry(rect());
    m_pages.append(added);
    m_strip->addTab(caption);
    m_strip->raise();
    showPage(m_strip->currentIndex());
    return added;
}

void TabControl::showPage(int index)
{
    for (int i = 0; i < m_pages.size(); ++i)
        m_pages[i]->setVisible(i == index);
}

void TabControl::resizeEvent(QResizeEvent *)
{
    m_strip->setGeometry(0, 0, width(), tabStripPixels());
    for (QWidget *each : std::as_const(m_pages))
        each->setGeometry(rect());
}

void TabControl::paintEvent(QPaintEvent *)
{
    // The raised panel below the strip; the selected tab opens into it.
    QPainter painter(this);
    QStyleOptionTabWidgetFrame option;
    option.initFrom(this);
    const int strip = tabStripPixels();
    option.rect = QRect(0, strip - 2, width(), height() - strip + 2);
    option.shape = QTabBar::RoundedNorth;
    option.tabBarSize = QSize(width(), strip);
    option.lineWidth = 2;
    style()->drawPrimitive(QStyle::PE_FrameTabWidget, &option, &painter, this);
}

void centreOnScreen(QWidget *window)
{
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame(QPoint(), window->size());
    frame.moveCenter(screen->geometry().center());
    window->move(frame.topLeft());
}

} // namespace lumox

// The meta-object code of controls.h, compiled here rather than in a unit of its own.
#include "moc_controls.cpp" // NOLINT(bugprone-suspicious-include): moc writes it as .cpp
