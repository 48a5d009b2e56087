#pragma once

#include "layout.h"

#include <span>

class QWidget;

// Building a window's controls from its layout table, for frmMain and frmStartup alike.
namespace lumox {

// Makes the widgets of table on form, in table order, each named (objectName) and
// placed as the table says, with its text, style, tooltip and accessible name. A
// control goes on the control named as its parent, on the parent tab control's page
// when it has a page, and on form itself when it has no parent; the registry control
// has no widget at run time. A tab control gets one page per caption of
// layout::tabCaptions, named as layout::pageNames. A later control lies over an
// earlier one, as in the form designer.
void buildFormControls(QWidget &form, std::span<const layout::Control> table);

} // namespace lumox
