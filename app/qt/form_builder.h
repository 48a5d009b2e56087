#pragma once

#include "layout.h"

#include <span>
#include <string_view>
#include <unordered_map>

class QWidget;

// Building a window's controls from its layout table, for frmMain and frmStartup alike.
namespace lumox {

// The widgets of a window's table controls, by name.
using FormControls = std::unordered_map<std::string_view, QWidget *>;

// Makes the widgets of table on form, in table order, each named (objectName) and
// placed as the table says, with its text, style, tooltip and accessible name. A
// control goes on the control named as its parent, on the parent tab control's page
// when it has a page, and on form itself when it has no parent; the registry control
// has no widget at run time. A tab control gets one page per caption of
// layout::tabCaptions, named as layout::pageNames. A later control lies over an
// earlier one, as in the form designer. Returns the widgets made, by their names in
// table (which must outlive the result).
FormControls buildFormControls(QWidget &form, std::span<const layout::Control> table);

} // namespace lumox
