#pragma once

#include "layout.h"

#include <QFrame>
#include <QKeySequence>
#include <QList>
#include <QPixmap>
#include <QTabBar>
#include <QValidator>
#include <QWidget>

namespace lumox {

// A frame without caption: an etched outline whose top line runs a few
// pixels below the frame's own top (layout::frameCaptionOffset), where a
// caption would otherwise sit.
// Placed a few pixels above its window's top edge, the outline becomes the
// visible edge of a borderless window.
class EtchedFrame : public QWidget
{
    Q_OBJECT

public:
    explicit EtchedFrame(QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;
};

// A one-pixel rule in the given colour, drawn along the widget's top row.
class RuleLine : public QWidget
{
    Q_OBJECT

public:
    // Places a horizontal line from `from` to `to` (same y) on the parent.
    RuleLine(QPoint from, QPoint to, const QColor &colour, QWidget *parent);

    QColor colour() const { return m_colour; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_colour;
};

// A picture box: a container with the standard sunken border of two pixels,
// or none. Children are placed relative to the inner area, which for a
// bordered box starts two pixels in from the top-left corner. A picture box
// takes part in the keyboard focus order, as the classic control does.
class PictureBox : public QFrame
{
    Q_OBJECT

public:
    enum class Border
    {
        None,
        Sunken3D
    };

    PictureBox(Border border, QWidget *parent);

    // The top-left corner of the inner area in widget coordinates.
    QPoint innerOrigin() const { return contentsRect().topLeft(); }

    // Shows a picture at its own size from the inner area's top-left corner,
    // clipped to the inner area.
    void setPicture(const QPixmap &picture);
    const QPixmap &picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QPixmap m_picture;
};

// Keeps a text box to one line, as a one-line box on Windows does: text the user
// puts in (a paste, a middle-click paste or a drop) ends at its first line break,
// and what follows the break is left out. Any text is acceptable otherwise.
class FirstLineOnly : public QValidator
{
    Q_OBJECT

public:
    explicit FirstLineOnly(QObject *parent) : QValidator(parent) {}

    // Removes everything from the first line break before pos up to pos, where the
    // box puts its cursor after an insertion, and moves pos to the break.
    State validate(QString &input, int &pos) const override;
};

// The tab strip of a TabControl: one row of equally wide tabs, layout::tabStripHeight high.
class TabStrip : public QTabBar
{
    Q_OBJECT

public:
    explicit TabStrip(QWidget *parent = nullptr);

protected:
    QSize tabSizeHint(int index) const override;
    QSize minimumTabSizeHint(int index) const override;
    // Draws the tab shapes in the current style and each caption centred in
    // its whole tab, so that a caption is never cut by the style's margins.
    void paintEvent(QPaintEvent *event) override;
};

// The tabbed-dialog control: a strip of tabs along the top and one page per
// tab. Each page covers the whole control, tab strip included, so that
// controls on a page are placed relative to the control's top-left corner.
// Only the selected page is visible; the others keep their controls and state
// but are out of view and take no keyboard focus. Ctrl+Tab and Ctrl+PgDown turn
// to the next page, Ctrl+Shift+Tab and Ctrl+PgUp to the previous one.
class TabControl : public QWidget
{
    Q_OBJECT

public:
    explicit TabControl(QWidget *parent = nullptr);

    // Adds a page with the given tab caption and returns it; the control owns it.
    QWidget *addPage(const QString &caption);

    int count() const { return static_cast<int>(m_pages.size()); }
    QWidget *page(int index) const { return m_pages.value(index); }
    int currentIndex() const { return m_strip->currentIndex(); }
    void setCurrentIndex(int index) { m_strip->setCurrentIndex(index); }
    TabStrip *tabStrip() const { return m_strip; }

signals:
    void currentChanged(int index);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void showPage(int index);
    void addPageShortcut(const QKeySequence &keys, int step);

    TabStrip *m_strip;
    QList<QWidget *> m_pages;
};

// Moves a top-level window to the centre of the screen it is on (the primary
// screen for a window not shown yet).
void centreOnScreen(QWidget *window);

} // namespace lumox
