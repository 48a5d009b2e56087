#include "form_builder.h"

namespace lumox::win32 {

namespace {

// The default place: on the control named as the parent, when it was made before.
ControlPlace defaultPlace(HWND form, std::span<const layout::Control> table,
                          const std::vector<HWND> &windows, const layout::Control &control)
{
    if (!control.parent.empty()) {
        for (std::size_t i = 0; i < table.size() && &table[i] != &control; ++i) {
            if (table[i].name == control.parent && windows[i] != nullptr) {
                return {windows[i], {0, 0}};
            }
        }
    }
    return {form, {0, 0}};
}

} // namespace

bool buildFormControls(HINSTANCE instance, HWND form, std::span<const layout::Control> table,
                       const Fonts &fonts, const FormHooks &hooks, std::vector<HWND> &windows)
{
    windows.assign(table.size(), nullptr);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const layout::Control &entry = table[i];
        if (entry.kind == layout::Kind::Registry) {
            // RegEdit1 is invisible at run time: the registry writer stands for it.
            continue;
        }
        const int id = firstControlId + static_cast<int>(i);
        const ControlPlace place =
            hooks.place ? hooks.place(entry) : defaultPlace(form, table, windows, entry);
        if (place.parent == nullptr) {
            return false;
        }
        RECT pixels = pixelRect(entry);
        OffsetRect(&pixels, place.offset.x, place.offset.y);
        HWND window = hooks.make ? hooks.make(entry, place.parent, pixels, id)
                                 : createControl(instance, entry, place.parent, pixels, id, fonts);
        if (window == nullptr) {
            return false;
        }
        windows[i] = window;
    }
    // Some labels reach under the control beside them (Label16 under txtRWIN) or under
    // the label below them (lblReg under Label1). As in the form, what comes later in
    // the table lies on top: the labels go under everything else, the later ones
    // over the earlier ones.
    for (std::size_t i = table.size(); i-- > 0;) {
        if (table[i].kind == layout::Kind::Label) {
            SetWindowPos(windows[i], HWND_BOTTOM, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        }
    }
    return true;
}

} // namespace lumox::win32
