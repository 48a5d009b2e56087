#pragma once

#include "dib_picture.h"

#include "sponsor_draw.h"

#include <windows.h>

#include <array>
#include <memory>

namespace lumox::win32 {

// The hidden window that holds the eleven sponsor pictures, the picture store. Its
// window, of the class "frmSponsors", is never shown: it refuses to become visible,
// ignores requests to close, and has no taskbar button. Creating the store decodes
// every sponsor picture exactly once (from the RCDATA resources
// IDR_SPONSOR_PICTURE_1 to IDR_SPONSOR_PICTURE_1 + 10); the banners are then given
// the store's own picture objects, so that nothing is copied or decoded again.
// Destroying the store destroys its window and releases its references to the
// pictures (a banner that still shows one keeps its own reference).
class frmSponsors
{
public:
    // Registers the window class on first use, creates the hidden window and decodes
    // the eleven pictures from `instance`'s resources. Returns nullptr when the window
    // cannot be created; a picture
    // that cannot be decoded is left empty (picture() gives nullptr for it).
    static std::unique_ptr<frmSponsors> create(HINSTANCE instance);

    frmSponsors(const frmSponsors &) = delete;
    frmSponsors &operator=(const frmSponsors &) = delete;
    ~frmSponsors();

    // The store's window, or nullptr once it is gone.
    HWND hwnd() const { return m_hwnd; }

    // The store's own picture with the given number, from 1 to sponsorPictureCount, or
    // nullptr for any other number. The store keeps the reference: a caller that keeps
    // the picture beyond the store's life adds a reference of its own (addRef).
    DibPicture *picture(int number) const;

    // How many times sponsor picture `number` (1 to sponsorPictureCount) has been
    // decoded by all stores created so far in this process; 0 for any other number.
    static int decodeCount(int number);

private:
    frmSponsors() = default;

    static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);

    // Message handlers.
    BOOL Form_Load(HWND hwnd, LPCREATESTRUCTA creation);
    BOOL Form_WindowPosChanging(HWND hwnd, LPWINDOWPOS position);
    static void Form_QueryUnload(HWND hwnd);
    void Form_Terminate(HWND hwnd);

    HINSTANCE m_instance = nullptr;
    HWND m_hwnd = nullptr;
    std::array<PictureRef, sponsorPictureCount> m_pictures;
};

} // namespace lumox::win32
