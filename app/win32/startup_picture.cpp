#include "startup_picture.h"

#include "ole_picture.h"

namespace lumox::win32 {

StartupPicture::StartupPicture(HINSTANCE instance, int id) : m_instance(instance), m_id(id)
{
    m_thread = CreateThread(nullptr, 0, &StartupPicture::decode, this, 0, nullptr);
}

StartupPicture::~StartupPicture()
{
    wait();
    if (m_bitmap != nullptr) {
        DeleteObject(m_bitmap);
    }
}

DWORD WINAPI StartupPicture::decode(LPVOID self)
{
    auto &job = *static_cast<StartupPicture *>(self);
    const HRESULT initialised = CoInitialize(nullptr);
    {
        PictureRef picture(loadPictureResource(job.m_instance, job.m_id));
        SHORT type = PICTYPE_UNINITIALIZED;
        OLE_HANDLE handle = 0;
        if (picture && SUCCEEDED(picture.get()->get_Type(&type)) && type == PICTYPE_BITMAP &&
            SUCCEEDED(picture.get()->get_Handle(&handle)) && handle != 0) {
            // A handle travels as 32 bits and is sign-extended back, as Windows does.
            HANDLE bitmap = LongToHandle(static_cast<LONG>(handle));
            // The picture object keeps its own bitmap and deletes it with itself: the
            // copy, a DIB section of the same size and depth, outlives it.
            job.m_bitmap =
                static_cast<HBITMAP>(CopyImage(bitmap, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        }
    }
    if (SUCCEEDED(initialised)) {
        CoUninitialize();
    }
    return 0;
}

void StartupPicture::wait()
{
    if (m_thread != nullptr) {
        WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
}

IPicture *StartupPicture::take()
{
    if (m_taken) {
        return nullptr;
    }
    m_taken = true;
    wait();
    if (m_bitmap == nullptr) {
        // No thread ran, or it could not copy what it decoded: decode it here.
        return loadPictureResource(m_instance, m_id);
    }
    PICTDESC description = {};
    description.cbSizeofstruct = sizeof description;
    description.picType = PICTYPE_BITMAP;
    description.bmp.hbitmap = m_bitmap;
    IPicture *picture = nullptr;
    // The picture object owns the bitmap from here on and deletes it with itself.
    if (FAILED(OleCreatePictureIndirect(&description, IID_IPicture, TRUE,
                                        reinterpret_cast<void **>(&picture))) ||
        picture == nullptr) {
        return nullptr;
    }
    m_bitmap = nullptr;
    return picture;
}

} // namespace lumox::win32
