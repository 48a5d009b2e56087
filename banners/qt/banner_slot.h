#pragma once

#include <QCursor>
#include <QEnterEvent>
#include <QLabel>
#include <QString>

namespace lumox {

// One banner slot: an image shown at its own size (never stretched) from the
// top-left corner, under the pointing-hand pointer. A left click inside the slot
// emits clicked().
class BannerSlot : public QLabel
{
    Q_OBJECT

public:
    explicit BannerSlot(QWidget *parent = nullptr);

signals:
    void clicked();

protected:
    // Paints the whole slot itself (the face colour where the picture is
    // transparent or does not reach, then the picture at its own size), so a
    // banner change repaints the slot alone and not the page behind it.
    void paintEvent(QPaintEvent *event) override;
    // Puts the pointing hand on the slot when the mouse first comes over it.
    void enterEvent(QEnterEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};

// The pointing hand shown over every banner, read from the compiled-in cursor
// file with the hot spot the file records.
const QCursor &handCursor();

// Reads a cursor file (.cur): the image through Qt's reader, the hot spot
// from the file's directory entry. Returns the arrow pointer when the file
// cannot be read.
QCursor loadCursorFile(const QString &path);

// The picture every banner shows when the main window opens.
const QPixmap &initialBannerPicture();

} // namespace lumox
