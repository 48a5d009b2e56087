#include "event_routes.h"

#include "layout.h"
#include "main_window_behaviour.h"

#include <algorithm>
#include <array>

namespace lumox {

namespace {

using B = MainWindowBehaviour;

constexpr std::array routes = {
    EventRoute{"txtMTU", ControlEvent::Change, &B::txtMTU_Change},
    EventRoute{"txtRWIN", ControlEvent::Change, &B::txtRWIN_Change},
    EventRoute{"cmdSaveMTU", ControlEvent::Click, &B::cmdSaveMTU_Click},
    EventRoute{"cmdSave", ControlEvent::Click, &B::cmdSave_Click},
    EventRoute{"cmdResetMTU", ControlEvent::Click, &B::cmdResetMTU_Click},
    EventRoute{"cmdReset", ControlEvent::Click, &B::cmdReset_Click},
    EventRoute{"imgAds", ControlEvent::Click, &B::imgAds_Click},
    EventRoute{"imgAds2", ControlEvent::Click, &B::imgAds2_Click},
    EventRoute{"imgAds3", ControlEvent::Click, &B::imgAds3_Click},
    // The exit page's banner opens the sponsor page like the other three.
    EventRoute{"imgAds4", ControlEvent::Click, &B::imgAds_Click},
    EventRoute{layout::bannerTimerName, ControlEvent::Timer, &B::tmrAds_Timer},
    EventRoute{"cmdExit", ControlEvent::Click, &B::cmdExit_Click},
};

} // namespace

std::span<const EventRoute> mainWindowEventRoutes()
{
    return routes;
}

const EventRoute *findEventRoute(std::string_view control, ControlEvent event)
{
    const auto found = std::find_if(routes.begin(), routes.end(), [&](const EventRoute &route) {
        return route.control == control && route.event == event;
    });
    return found == routes.end() ? nullptr : &*found;
}

} // namespace lumox
