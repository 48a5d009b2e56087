# Sources of the Win32 banners (paths relative to this folder). The product's library
# and the Windows test program compile the same list.
set(LUMOX_WIN32_BANNER_SOURCES
    dib_picture.h dib_picture.cpp
    frm_sponsors.h frm_sponsors.cpp
    banner_slot.h banner_slot.cpp
    sponsor_launcher.h sponsor_launcher.cpp)
