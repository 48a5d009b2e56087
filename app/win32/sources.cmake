# Sources of the Win32 front end (paths relative to this folder), all but the program's
# entry in main.cpp. The product executable and the Windows test program compile the
# same list.
set(LUMOX_WIN32_APP_SOURCES
    ansi_text.h ansi_text.cpp
    control_names.h control_names.cpp
    controls.h controls.cpp
    frm_main.h frm_main.cpp
    frm_startup.h frm_startup.cpp
    message_boxes.h message_boxes.cpp
    user_number_format.h user_number_format.cpp
    window_object.h
    resource.h)
