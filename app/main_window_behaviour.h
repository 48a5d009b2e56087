#pragma once

#include "event_routes.h"
#include "registry_access.h"
#include "rwin_rules.h"
#include "sponsor_draw.h"
#include "tuning_actions.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

// The main window's behaviour, written once for both front ends and free of any
// toolkit: what each of its eleven handlers does, and the state the window keeps
// between them. Each front end's frmMain hands every control event to handle(), which
// runs the handler that the event routes (event_routes.h) name for it.
namespace lumox {

// What the behaviour needs of a front end's main window: the three controls the
// calculator keeps in step, with texts in the front end's own encoding (the one its
// RwinRules read), and what only the toolkit can do.
class MainWindowFace : public CalculatorControls
{
public:
    // A text of the boxes, as mtuText() and rwinText() return it, in UTF-8.
    virtual std::string toUtf8(const std::string &text) const = 0;
    // Shows a modal message box with one OK button and an exclamation icon; title
    // and text are UTF-8.
    virtual void showMessage(std::string_view title, std::string_view text) = 0;
    // Starts opening address in the system's web browser, without waiting for it,
    // and returns whether that could be started.
    virtual bool openSponsorPage(std::string_view address) = 0;
    // Shows the sponsor picture with the given number (1 to sponsorPictureCount) in
    // the four banner slots, first creating the hidden picture store frmSponsors when
    // there is none yet. Shows nothing when the store cannot be created.
    virtual void showSponsorPicture(std::int16_t sponsorNumber) = 0;
    // Unloads the window, by which the program ends.
    virtual void unload() = 0;
};

class MainWindowBehaviour
{
public:
    // The behaviour of the window face, whose calculator reads numbers by rules, and
    // which saves and resets through store. system says whether the running system
    // reads the values that saving writes; where it does not, saving and resetting
    // leave store alone and say why. The face must outlive this object.
    MainWindowBehaviour(MainWindowFace &face, RwinRules rules, std::unique_ptr<RegistryStore> store,
                        SystemReadsTuningValues system = SystemReadsTuningValues::Yes);

    MainWindowBehaviour(const MainWindowBehaviour &) = delete;
    MainWindowBehaviour &operator=(const MainWindowBehaviour &) = delete;

    // The calculator: proposes RWIN for the MTU typed, and shows the formula while
    // the RWIN box holds the proposal.
    void txtMTU_Change();
    void txtRWIN_Change();
    // Saves both boxes' texts through RegEdit1 and shows the outcome.
    void cmdSaveMTU_Click();
    void cmdSave_Click();
    // Deletes the stored values and shows the outcome.
    void cmdResetMTU_Click();
    void cmdReset_Click();
    // Opens the sponsor's page; when the browser cannot be started, the message
    // names the address instead.
    void imgAds_Click();
    void imgAds2_Click();
    void imgAds3_Click();
    // Draws the next sponsor and shows its picture in every banner slot.
    void tmrAds_Timer();
    // Unloads the window, and with it ends the program.
    void cmdExit_Click();

    // Runs the handler routed to the named control's event and returns true, or
    // returns false and does nothing when the event is not handled. Not const: the
    // handler, run through a member pointer, changes the behaviour's state.
    // cppcheck-suppress functionConst
    bool handle(std::string_view control, ControlEvent event);

    // The sponsor number drawn at the last banner change, 0 before the first.
    std::int16_t sponsorNumber() const { return m_sponsorNumber; }
    const RwinRules &rules() const { return m_rules; }

private:
    void showOutcome(const ActionOutcome &outcome);

    MainWindowFace &m_face;
    RwinRules m_rules;
    std::unique_ptr<RegistryStore> m_store;
    // The registry writer: saving goes through it, resetting reaches the store directly.
    std::unique_ptr<RegistryWriter> RegEdit1;
    SystemReadsTuningValues m_system;
    std::int16_t m_sponsorNumber = 0;
    // Reseeded from the clock at every banner change.
    ClockSeededRandom m_sponsorRandom;
};

} // namespace lumox
