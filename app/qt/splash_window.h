#pragma once

#include "layout.h"

#include <QWidget>

class QTimer;

namespace lumox {

// The splash window: a borderless picture without a taskbar button, shown
// centred for one tick of its timer. At that tick it shows the main window
// and then destroys itself, so the timer ticks exactly once. It reacts to no
// click and no key.
class frmStartup : public QWidget
{
    Q_OBJECT

public:
    static constexpr int splashInterval = layout::splashIntervalMs;

    // Creates the window and runs its load handler; the caller shows it.
    explicit frmStartup(QWidget *parent = nullptr);
    ~frmStartup() override;

    // Runs once when the window is created, before it becomes visible.
    void Form_Load();
    // The first (and only) tick: shows the main window, then unloads this one.
    void tmrSplash_Timer();

    QTimer *splashTimer() const { return tmrSplash; }

private:
    QTimer *tmrSplash = nullptr;
};

} // namespace lumox
