#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <ole2.h>
#include <olectl.h>

namespace lumox::win32 {

// A picture resource decoded on a thread of its own, so that the decoding runs while
// the window that shows it is being made, and that window waits only for what is
// left of it. The thread decodes the file with the OLE picture object in an apartment
// of its own and keeps a copy of the decoded bitmap, a GDI object that every thread of
// the process may use; take() wraps that bitmap in a picture object of the calling
// thread, so no interface pointer crosses from one apartment to another. The pixels
// are those the OLE picture object decoded.
class StartupPicture
{
public:
    // Starts decoding the RCDATA resource `id` of `instance` (a GIF or a JPEG). When
    // no thread can be started, take() decodes it on the calling thread instead.
    StartupPicture(HINSTANCE instance, int id);
    // Waits for the thread, and deletes a decoded bitmap that was never taken.
    ~StartupPicture();
    StartupPicture(const StartupPicture &) = delete;
    StartupPicture &operator=(const StartupPicture &) = delete;

    // Waits until the decoding is done and returns the picture: a new reference that
    // the caller releases, or null when the resource is missing or cannot be decoded.
    // The first call hands the picture over; later calls return null. OLE must be
    // initialised on the calling thread.
    IPicture *take();

private:
    static DWORD WINAPI decode(LPVOID self);
    void wait();

    HINSTANCE m_instance;
    int m_id;
    HANDLE m_thread = nullptr;
    // Written by the thread before it ends, read only after waiting for it.
    HBITMAP m_bitmap = nullptr;
    bool m_taken = false;
};

} // namespace lumox::win32
