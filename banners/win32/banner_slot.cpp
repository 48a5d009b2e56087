#include "banner_slot.h"

#include "dib_picture.h"
#include "display_palette.h"
#include "resource.h"
#include "window_object.h"

#include <windowsx.h>

#include <new>

namespace lumox::win32 {

namespace {

// What a slot keeps: the picture it shows, with a reference of its own. It lives in
// memory of the slot's, not in the window's extra bytes, so that a banner change does
// not write to the window (under Wine every such write is a round trip to the server).
struct SlotState
{
    DibPicture *picture = nullptr;
};

// The window's extra bytes hold the slot's state, set once when the window is made.
constexpr int stateOffset = 0;

// The slot class, registered once per process; the atom tells slots from other windows.
ATOM &slotClassAtom()
{
    static ATOM atom = 0;
    return atom;
}

bool isBannerSlot(HWND hwnd)
{
    return hwnd != nullptr && slotClassAtom() != 0 &&
           GetClassWord(hwnd, GCW_ATOM) == slotClassAtom();
}

SlotState *slotState(HWND slot)
{
    return reinterpret_cast<SlotState *>(GetWindowLongPtrA(slot, stateOffset));
}

DibPicture *storedPicture(HWND slot)
{
    const SlotState *state = slotState(slot);
    return state != nullptr ? state->picture : nullptr;
}

void paintSlot(HWND hwnd, HDC dc, const RECT &client)
{
    FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
    renderPicture(dc, storedPicture(hwnd), 0, 0, client);
}

// Message handlers.

BOOL Slot_NonClientCreate(HWND hwnd, LPCREATESTRUCTA create)
{
    auto *state = new (std::nothrow) SlotState;
    if (state == nullptr)
        return FALSE;
    SetWindowLongPtrA(hwnd, stateOffset, reinterpret_cast<LONG_PTR>(state));
    // The default handling sets the window text.
    return FORWARD_WM_NCCREATE(hwnd, create, DefWindowProcA);
}

BOOL Slot_EraseBackground(HWND, HDC)
{
    // WM_PAINT covers the whole slot.
    return TRUE;
}

// Paints the slot into its window's context `dc`, with the program's palette there while
// it paints.
void composeSlot(HWND hwnd, HDC dc, const RECT &client)
{
    // The composed picture's colours are the palette's, as on the screen.
    const PaletteSelection palette(dc);
    // Composed off screen first, so that the face colour under a picture never flashes.
    const HDC memory = CreateCompatibleDC(dc);
    const HBITMAP bitmap =
        memory != nullptr ? CreateCompatibleBitmap(dc, client.right, client.bottom) : nullptr;
    if (bitmap != nullptr) {
        const HGDIOBJ previous = SelectObject(memory, bitmap);
        paintSlot(hwnd, memory, client);
        BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
        SelectObject(memory, previous);
        DeleteObject(bitmap);
    } else {
        paintSlot(hwnd, dc, client);
    }
    if (memory != nullptr)
        DeleteDC(memory);
}

void Slot_Paint(HWND hwnd)
{
    PAINTSTRUCT paint;
    const HDC dc = BeginPaint(hwnd, &paint);
    if (dc == nullptr)
        return;
    RECT client;
    GetClientRect(hwnd, &client);
    composeSlot(hwnd, dc, client);
    EndPaint(hwnd, &paint);
}

void Slot_LeftButtonDown(HWND hwnd, BOOL, int, int, UINT)
{
    // Captured, so that the release is seen even outside the slot.
    SetCapture(hwnd);
}

void Slot_LeftButtonUp(HWND hwnd, int x, int y, UINT)
{
    if (GetCapture() != hwnd)
        return;
    ReleaseCapture();
    RECT client;
    GetClientRect(hwnd, &client);
    const POINT point = {x, y};
    if (!PtInRect(&client, point))
        return;
    const int id = GetDlgCtrlID(hwnd);
    SendMessageA(topLevelWindowOf(hwnd), WM_COMMAND, MAKEWPARAM(id, STN_CLICKED),
                 reinterpret_cast<LPARAM>(hwnd));
}

void Slot_Destroy(HWND hwnd)
{
    SlotState *state = slotState(hwnd);
    SetWindowLongPtrA(hwnd, stateOffset, 0);
    if (state == nullptr)
        return;
    if (state->picture != nullptr)
        state->picture->release();
    delete state;
}

LRESULT CALLBACK slotWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
        HANDLE_MSG(hwnd, WM_NCCREATE, Slot_NonClientCreate);
        HANDLE_MSG(hwnd, WM_ERASEBKGND, Slot_EraseBackground);
        HANDLE_MSG(hwnd, WM_PAINT, Slot_Paint);
        HANDLE_MSG(hwnd, WM_LBUTTONDOWN, Slot_LeftButtonDown);
        HANDLE_MSG(hwnd, WM_LBUTTONUP, Slot_LeftButtonUp);
        HANDLE_MSG(hwnd, WM_NCDESTROY, Slot_Destroy);
    default:
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
}

bool registerSlotClass(HINSTANCE instance)
{
    if (slotClassAtom() != 0)
        return true;
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = &slotWindowProc;
    windowClass.cbWndExtra = sizeof(LONG_PTR);
    windowClass.hInstance = instance;
    // The hand pointer, loaded once with the class and shared by every slot: over the
    // client area DefWindowProc's WM_SETCURSOR shows the class cursor.
    windowClass.hCursor = LoadCursorA(instance, MAKEINTRESOURCEA(IDC_HAND_POINTER));
    windowClass.lpszClassName = bannerSlotClassName;
    slotClassAtom() = RegisterClassA(&windowClass);
    return slotClassAtom() != 0;
}

} // namespace

HWND createBannerSlot(HINSTANCE instance, HWND parent, const RECT &pixels, int controlId)
{
    if (!registerSlotClass(instance))
        return nullptr;
    return CreateWindowExA(0, bannerSlotClassName, nullptr, WS_CHILD | WS_VISIBLE, pixels.left,
                           pixels.top, pixels.right - pixels.left, pixels.bottom - pixels.top,
                           parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(controlId)),
                           instance, nullptr);
}

void setBannerPicture(HWND slot, DibPicture *shared)
{
    SlotState *state = isBannerSlot(slot) ? slotState(slot) : nullptr;
    if (state == nullptr || state->picture == shared)
        return;
    if (shared != nullptr)
        shared->addRef();
    DibPicture *previous = state->picture;
    state->picture = shared;
    if (previous != nullptr)
        previous->release();
    // A slot on a hidden page is painted anew when its page is shown, so only a slot
    // on the screen is marked: one slot per banner change in the main window.
    if (IsWindowVisible(slot))
        InvalidateRect(slot, nullptr, FALSE);
}

DibPicture *bannerPicture(HWND slot)
{
    return isBannerSlot(slot) ? storedPicture(slot) : nullptr;
}

DibPicture *initialBannerPicture(HINSTANCE instance)
{
    // Decoded once per process and never released: every main window's slots share it.
    static DibPicture *const initial = loadPictureResource(instance, IDR_INITIAL_BANNER);
    return initial;
}

} // namespace lumox::win32
