#include "main_window_behaviour.h"

#include "identity.h"
#include "texts.h"
#include "tuning_actions.h"

#include <utility>

namespace lumox {

MainWindowBehaviour::MainWindowBehaviour(MainWindowFace &face, RwinRules rules,
                                         std::unique_ptr<RegistryStore> store,
                                         SystemReadsTuningValues system)
    : m_face(face), m_rules(std::move(rules)), m_store(std::move(store)),
      RegEdit1(std::make_unique<RegistryWriter>(*m_store)), m_system(system)
{
}

bool MainWindowBehaviour::handle(std::string_view control, ControlEvent event)
{
    const EventRoute *route = findEventRoute(control, event);
    if (route == nullptr)
        return false;
    (this->*route->handler)();
    return true;
}

void MainWindowBehaviour::txtMTU_Change()
{
    mtuChanged(m_rules, m_face);
}

void MainWindowBehaviour::txtRWIN_Change()
{
    rwinChanged(m_rules, m_face);
}

void MainWindowBehaviour::showOutcome(const ActionOutcome &outcome)
{
    m_face.showMessage(outcome.title, outcome.text);
}

void MainWindowBehaviour::cmdSaveMTU_Click()
{
    showOutcome(saveTuningValues(*RegEdit1, m_face.toUtf8(m_face.mtuText()),
                                 m_face.toUtf8(m_face.rwinText()), m_system));
}

void MainWindowBehaviour::cmdSave_Click()
{
    cmdSaveMTU_Click();
}

void MainWindowBehaviour::cmdResetMTU_Click()
{
    showOutcome(resetTuningValues(*m_store, m_system));
}

void MainWindowBehaviour::cmdReset_Click()
{
    cmdResetMTU_Click();
}

void MainWindowBehaviour::imgAds_Click()
{
    if (!m_face.openSponsorPage(sponsorPageAddress))
        m_face.showMessage(identity::programTitle,
                           texts::sponsorPageUnavailable(sponsorPageAddress));
}

void MainWindowBehaviour::imgAds2_Click()
{
    imgAds_Click();
}

void MainWindowBehaviour::imgAds3_Click()
{
    imgAds_Click();
}

void MainWindowBehaviour::tmrAds_Timer()
{
    m_sponsorNumber = drawSponsorNumber(m_sponsorRandom);
    // The exit page's banner rotates with the other three.
    m_face.showSponsorPicture(m_sponsorNumber);
}

void MainWindowBehaviour::cmdExit_Click()
{
    m_face.unload();
}

} // namespace lumox
