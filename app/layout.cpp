#include "layout.h"

#include "identity.h"
#include "texts.h"

#include <algorithm>

namespace lumox::layout {

namespace {

namespace t = lumox::texts;

constexpr Control label(std::string_view name, std::string_view parent, int page, TwipsRect rect,
                        std::string_view text, Style style)
{
    return {name, Kind::Label, parent, page, rect, text, style, -1, {}, text, {}};
}

constexpr Control rule(std::string_view name, std::string_view parent, int page, int x1, int y,
                       int x2)
{
    return {name, Kind::Line, parent, page, {x1, y, x2 - x1, 0}, {}, Style::Rule, -1, {}, {}, {}};
}

constexpr Control button(std::string_view name, int page, TwipsRect rect, std::string_view text,
                         int focusOrder, std::string_view description)
{
    return {name,        Kind::Button, "SSTab1", page, rect,       text,
            Style::None, focusOrder,   {},       text, description};
}

constexpr Control bannerFrame(std::string_view name, std::string_view parent, int page, int left,
                              int top, int focusOrder)
{
    return {name, Kind::BannerFrame, parent,     page, {left, top, 1860, 960},
            {},   Style::Sunken,     focusOrder, {},   t::bannerFrameName,
            {}};
}

constexpr Control bannerSlot(std::string_view name, std::string_view frame, int page)
{
    return {name, Kind::BannerSlot,  frame, page, {0, 0, 1800, 900}, {}, Style::None, -1,
            {},   t::bannerSlotName, {}};
}

constexpr int information = 0;
constexpr int mtu = 1;
constexpr int rwin = 2;
constexpr int exitPage = 3;

constexpr std::array mainControls = {
    Control{"Frame1", Kind::Frame, {}, -1, {0, -70, 5655, 5655}, {}, Style::None, -1, {}, {}, {}},
    Control{"SSTab1",
            Kind::TabControl,
            "Frame1",
            -1,
            {120, 240, 5445, 5295},
            {},
            Style::None,
            11,
            {},
            t::tabControlName,
            {}},

    // "Information": everything visible lies in Picture2.
    Control{"Picture2",
            Kind::PictureBox,
            "SSTab1",
            information,
            {100, 360, 5295, 4780},
            {},
            Style::None,
            13,
            {},
            t::informationTab,
            {}},
    Control{"RegEdit1",
            Kind::Registry,
            "SSTab1",
            information,
            {4800, 0, 0, 0},
            {},
            Style::None,
            -1,
            {},
            t::registryName,
            {}},
    label("lblReg", "Picture2", information, {120, 0, 5055, 495}, t::informationHeading,
          Style::Heading),
    rule("Line2", "Picture2", information, 0, 310, 5160),
    label("Label1", "Picture2", information, {0, 360, 5175, 3015}, t::about, Style::Centred),
    label("Label2", "Picture2", information, {240, 3360, 2655, 255}, t::donationNotice,
          Style::Donation),
    label("Label3", "Picture2", information, {240, 3600, 1815, 1335}, t::donationAddress,
          Style::Donation),
    label("Label5", "Picture2", information, {2520, 3960, 735, 495}, t::clickHere, Style::Centred),
    bannerFrame("Picture1", "Picture2", information, 3360, 3720, 0),
    bannerSlot("imgAds", "Picture1", information),

    // "MTU Settings"
    label("Label8", "SSTab1", mtu, {230, 360, 5055, 495}, t::mtuHeading, Style::Heading),
    rule("Line1", "SSTab1", mtu, 110, 675, 5270),
    label("Label9", "SSTab1", mtu, {120, 840, 5175, 1815}, t::mtuHelp, Style::Centred),
    label("Label12", "SSTab1", mtu, {240, 3000, 1335, 255}, t::mtuFieldLabel, Style::None),
    Control{"txtMTU",
            Kind::TextBox,
            "SSTab1",
            mtu,
            {1560, 3000, 975, 285},
            {},
            Style::None,
            1,
            t::mtuToolTip,
            t::mtuBoxName,
            t::mtuDescription},
    button("cmdSaveMTU", mtu, {3480, 2760, 1815, 495}, t::saveButton, 2, t::saveDescription),
    button("cmdResetMTU", mtu, {3480, 3240, 1815, 495}, t::resetButton, 3, t::resetDescription),
    label("Label11", "SSTab1", mtu, {345, 3720, 2655, 255}, t::donationNotice, Style::Donation),
    label("Label10", "SSTab1", mtu, {345, 3960, 1815, 1335}, t::donationAddress, Style::Donation),
    label("Label6", "SSTab1", mtu, {2630, 4320, 735, 495}, t::clickHere, Style::Centred),
    bannerFrame("Picture3", "SSTab1", mtu, 3470, 4080, 12),
    bannerSlot("imgAds2", "Picture3", mtu),

    // "RWIN Settings"
    label("Label14", "SSTab1", rwin, {230, 360, 5055, 495}, t::rwinHeading, Style::Heading),
    rule("Line3", "SSTab1", rwin, 110, 675, 5270),
    label("Label15", "SSTab1", rwin, {120, 840, 5175, 1815}, t::rwinHelp, Style::Centred),
    label("Label16", "SSTab1", rwin, {240, 3000, 1335, 255}, t::rwinFieldLabel, Style::None),
    Control{"txtRWIN",
            Kind::TextBox,
            "SSTab1",
            rwin,
            {1320, 3000, 975, 285},
            {},
            Style::None,
            4,
            t::rwinToolTip,
            t::rwinBoxName,
            t::rwinDescription},
    // Empty until the calculator fills it, so it carries a name of its own.
    Control{"lblCalc",
            Kind::Label,
            "SSTab1",
            rwin,
            {2400, 3000, 975, 615},
            {},
            Style::None,
            -1,
            {},
            t::formulaName,
            {}},
    button("cmdSave", rwin, {3480, 2760, 1815, 495}, t::saveButton, 5, t::saveDescription),
    button("cmdReset", rwin, {3480, 3240, 1815, 495}, t::resetButton, 6, t::resetDescription),
    label("Label13", "SSTab1", rwin, {345, 3720, 2655, 255}, t::donationNotice, Style::Donation),
    label("Label4", "SSTab1", rwin, {345, 3960, 1815, 1335}, t::donationAddress, Style::Donation),
    label("Label7", "SSTab1", rwin, {2630, 4320, 735, 495}, t::clickHere, Style::Centred),
    bannerFrame("Picture4", "SSTab1", rwin, 3470, 4080, 10),
    bannerSlot("imgAds3", "Picture4", rwin),

    // "Exit Lumox 2000": no heading and no rule.
    label("Label18", "SSTab1", exitPage, {240, 1680, 2055, 495}, t::exitDonationNotice,
          Style::Donation),
    label("Label17", "SSTab1", exitPage, {240, 2160, 1815, 1335}, t::donationAddress,
          Style::Donation),
    bannerFrame("Picture5", "SSTab1", exitPage, 3240, 2160, 9),
    bannerSlot("imgAds4", "Picture5", exitPage),
    button("cmdExit", exitPage, {2040, 3960, 1215, 495}, t::quitButton, 8, t::quitDescription),
};

constexpr std::array splashControls = {
    Control{"Frame1", Kind::Frame, {}, -1, {0, -70, 4575, 4215}, {}, Style::None, -1, {}, {}, {}},
    Control{"picStartup",
            Kind::PictureBox,
            "Frame1",
            -1,
            {130, 225, 4335, 3855},
            {},
            Style::Sunken,
            -1,
            {},
            identity::programTitle,
            {}},
};

const Control *findIn(std::span<const Control> controls, std::string_view name)
{
    const auto found =
        std::find_if(controls.begin(), controls.end(),
                     [name](const Control &control) { return control.name == name; });
    return found == controls.end() ? nullptr : &*found;
}

} // namespace

std::span<const Control> mainWindowControls()
{
    return mainControls;
}

std::span<const Control> splashWindowControls()
{
    return splashControls;
}

const Control *findMainWindowControl(std::string_view name)
{
    return findIn(mainControls, name);
}

const Control *findSplashWindowControl(std::string_view name)
{
    return findIn(splashControls, name);
}

} // namespace lumox::layout
