#pragma once

#include "form_builder.h"
#include "frm_sponsors.h"
#include "main_window_behaviour.h"
#include "registry_access.h"

#include <QList>
#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <string_view>

namespace lumox {

class BannerSlot;

// The program's only working window: a borderless, fixed-size window whose
// face is one tab control with four pages, built from the layout table (layout.h).
// It finds its controls by their table names and hands their events, as the event
// routes (event_routes.h) name them, to the shared MainWindowBehaviour. The
// program ends when this window is closed, by "Quit" or by any other means the
// desktop offers.
class frmMain : public QWidget
{
    Q_OBJECT

public:
    // Shows the main window, creating it first if it does not exist yet; there
    // is never more than one. The window deletes itself when it is closed.
    static frmMain &showMainWindow();

    // The main window that showMainWindow() made, if it still exists; otherwise null.
    static frmMain *instance();

    // Creates the window over the platform's registry store, which is opened
    // only when the user first saves or resets.
    explicit frmMain(QWidget *parent = nullptr);
    // Creates the window over the given store.
    explicit frmMain(std::unique_ptr<RegistryStore> store, QWidget *parent = nullptr);
    ~frmMain() override;

    // The banner timer's handler, which draws the next sponsor; public so that the
    // banner rotation can be driven without waiting for the timer.
    void tmrAds_Timer();

    // The sponsor number drawn at the last banner change, 0 before the first.
    std::int16_t sponsorNumber() const { return m_behaviour->sponsorNumber(); }
    // The sponsor picture store, null until the first banner change creates it.
    const frmSponsors *sponsorStore() const { return m_sponsors.get(); }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void connectEvents();
    void setFocusOrder();
    // The window's table control of the given name, of type Widget; null when there is
    // none.
    template <typename Widget> Widget *control(std::string_view name) const
    {
        const auto found = m_controls.find(name);
        return found != m_controls.end() ? qobject_cast<Widget *>(found->second) : nullptr;
    }

    // The window as the shared behaviour sees it.
    class Face;

    std::unique_ptr<Face> m_face;
    std::unique_ptr<MainWindowBehaviour> m_behaviour;
    // The hidden picture store, created by the first banner change and kept
    // for as long as the window lives, that is until the program ends.
    std::unique_ptr<frmSponsors> m_sponsors;
    // The table's controls by name, and the banner slots among them, found once.
    FormControls m_controls;
    QList<BannerSlot *> m_banners;

    static QPointer<frmMain> s_instance;
};

} // namespace lumox
