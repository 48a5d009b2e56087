#pragma once

#include <span>
#include <string_view>

// Which control event runs which handler of the main window's behaviour, as one
// table that both front ends read: Qt connects its signals from it, Win32 looks up
// each notification in it. A control or an event that is not in the table is not
// handled.
namespace lumox {

class MainWindowBehaviour;

enum class ControlEvent
{
    Change, // a text box's text changed, by the user or by the program
    Click,  // a button or a banner slot was clicked
    Timer,  // a timer's interval elapsed
};

struct EventRoute
{
    // The control's name, as in the layout table (or tmrAds, the banner timer).
    std::string_view control;
    ControlEvent event;
    void (MainWindowBehaviour::*handler)();
};

// Every handled event of frmMain, one row per control and event.
std::span<const EventRoute> mainWindowEventRoutes();

// The route of the named control's event, or nullptr when the event is not handled.
const EventRoute *findEventRoute(std::string_view control, ControlEvent event);

} // namespace lumox
