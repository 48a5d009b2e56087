#pragma once

#include "texts.h"

#include <optional>
#include <string_view>
#include <vector>

// What the main window must look like, as the tests of both front ends check it:
// every control with its parent, its rectangle, its text and its place in the focus
// order. Written out by hand from the form, never taken from the program's own table.
namespace lumox::expected {

// A rectangle in pixels: the form's twips divided by fifteen and rounded to the
// nearest pixel, relative to the top-left corner of the parent's inner area. A
// banner frame's inner area starts inside its 2-pixel border; a page's is the tab
// control's top-left corner, strip included.
struct PixelRect
{
    int left;
    int top;
    int width;
    int height;
};

struct ControlRow
{
    const char *name;
    const char *parent;
    PixelRect rect;
    // The text the control shows, where it has one to check.
    std::optional<std::string_view> text;
    // The place in the window's Tab order, counted from 0, or -1 for no focus.
    int focusOrder;
};

// Whether a control of that name is a banner frame, whose children sit inside a
// 2-pixel sunken border.
inline bool isBannerFrame(std::string_view name)
{
    return name == "Picture1" || name == "Picture3" || name == "Picture4" || name == "Picture5";
}

inline const std::vector<ControlRow> &mainWindowControls()
{
    static const std::vector<ControlRow> rows = {
        {"Frame1", "frmMain", {0, -5, 377, 377}, std::nullopt, -1},
        {"SSTab1", "Frame1", {8, 16, 363, 353}, std::nullopt, 11},
        // Information
        {"Picture2", "pageInformation", {7, 24, 353, 319}, std::nullopt, 13},
        {"lblReg", "Picture2", {8, 0, 337, 33}, "Lumox 2000 Information", -1},
        {"Line2", "Picture2", {0, 21, 344, 1}, std::nullopt, -1},
        {"Label1", "Picture2", {0, 24, 345, 201}, texts::about, -1},
        {"Label2", "Picture2", {16, 224, 177, 17}, "Send donations via UPS or FedEx to:", -1},
        {"Label3", "Picture2", {16, 240, 121, 89}, texts::donationAddress, -1},
        {"Label5", "Picture2", {168, 264, 49, 33}, "Just Click Here -->", -1},
        {"Picture1", "Picture2", {224, 248, 124, 64}, std::nullopt, 0},
        {"imgAds", "Picture1", {0, 0, 120, 60}, std::nullopt, -1},
        // MTU Settings
        {"Label8", "pageMTU", {15, 24, 337, 33}, "MTU Settings", -1},
        {"Line1", "pageMTU", {7, 45, 344, 1}, std::nullopt, -1},
        {"Label9", "pageMTU", {8, 56, 345, 121}, texts::mtuHelp, -1},
        {"Label12", "pageMTU", {16, 200, 89, 17}, "MaxMTU Setting:", -1},
        {"txtMTU", "pageMTU", {104, 200, 65, 19}, "", 1},
        {"cmdSaveMTU", "pageMTU", {232, 184, 121, 33}, "Save MTU and RWIN", 2},
        {"cmdResetMTU", "pageMTU", {232, 216, 121, 33}, "Reset To Default", 3},
        {"Label11", "pageMTU", {23, 248, 177, 17}, "Send donations via UPS or FedEx to:", -1},
        {"Label10", "pageMTU", {23, 264, 121, 89}, texts::donationAddress, -1},
        {"Label6", "pageMTU", {175, 288, 49, 33}, "Just Click Here -->", -1},
        {"Picture3", "pageMTU", {231, 272, 124, 64}, std::nullopt, 12},
        {"imgAds2", "Picture3", {0, 0, 120, 60}, std::nullopt, -1},
        // RWIN Settings
        {"Label14", "pageRWIN", {15, 24, 337, 33}, "RWIN Settings", -1},
        {"Line3", "pageRWIN", {7, 45, 344, 1}, std::nullopt, -1},
        {"Label15", "pageRWIN", {8, 56, 345, 121}, texts::rwinHelp, -1},
        {"Label16", "pageRWIN", {16, 200, 89, 17}, "RWIN Setting:", -1},
        {"txtRWIN", "pageRWIN", {88, 200, 65, 19}, "", 4},
        {"lblCalc", "pageRWIN", {160, 200, 65, 41}, "", -1},
        {"cmdSave", "pageRWIN", {232, 184, 121, 33}, "Save MTU and RWIN", 5},
        {"cmdReset", "pageRWIN", {232, 216, 121, 33}, "Reset To Default", 6},
        {"Label13", "pageRWIN", {23, 248, 177, 17}, "Send donations via UPS or FedEx to:", -1},
        {"Label4", "pageRWIN", {23, 264, 121, 89}, texts::donationAddress, -1},
        {"Label7", "pageRWIN", {175, 288, 49, 33}, "Just Click Here -->", -1},
        {"Picture4", "pageRWIN", {231, 272, 124, 64}, std::nullopt, 10},
        {"imgAds3", "Picture4", {0, 0, 120, 60}, std::nullopt, -1},
        // Exit Lumox 2000
        {"Label18",
         "pageExit",
         {16, 112, 137, 33},
         "PLEASESend donations via UPS or FedEx to:",
         -1},
        {"Label17", "pageExit", {16, 144, 121, 89}, texts::donationAddress, -1},
        {"Picture5", "pageExit", {216, 144, 124, 64}, std::nullopt, 9},
        {"imgAds4", "Picture5", {0, 0, 120, 60}, std::nullopt, -1},
        {"cmdExit", "pageExit", {136, 264, 81, 33}, "Quit", 8},
    };
    return rows;
}

} // namespace lumox::expected
