# Sources of the Win32 front end (paths relative to this folder), all but the program's
# entry in main.cpp. The product executable and the Windows test program compile the
# same list. The list also names the main window's shared behaviour (../), which the
# Windows test and benchmark programs compile with the front end; the product takes it
# from lumox_app_core instead.
set(LUMOX_WIN32_APP_SOURCES
    ../main_window_behaviour.h ../main_window_behaviour.cpp
    ansi_text.h ansi_text.cpp
    control_names.h control_names.cpp
    controls.h controls.cpp
    main_window.h main_window.cpp main_window_form.cpp main_window_navigation.cpp
    splash_window.h splash_window.cpp
    message_boxes.h message_boxes.cpp
    window_object.h
    resource.h)
