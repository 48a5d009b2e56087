"""What Windows 95 provides of the functions the 32-bit program imports.

Drawn from the MSDN Library of June 1998 (library.thedatadungeon.com/msdn-1998-06
mirrors it):
- each function's QuickInfo section, which says "Windows: Requires Windows 95 or
  later" for every function of KERNEL32, USER32, GDI32 and ADVAPI32 listed here;
- "Windows 95 General Limitations" (WinBase/devdoc/live/pdwbase/win95/
  chilimit_1qlv.content.htm): Windows 95 implements the wide-character versions of
  ExtTextOut, GetCharWidth, GetTextExtentExPoint, GetTextExtentPoint, MessageBox,
  MessageBoxEx and TextOut, and MultiByteToWideChar and WideCharToMultiByte; every
  other wide-character function is a stub that only returns an error;
- the Visual C++ run-time library reference, whose Compatibility tables mark each
  routine listed for msvcrt.dll "Win 95". The start-up entries of msvcrt.dll that
  compilers call (__getmainargs, __set_app_type, _initterm and the like) are not
  documented there; msvcrt.dll has exported them since Visual C++ 4.2, its first
  release (Knowledge Base article Q154591).

The list names only what the program needs: an import that is not here has to be
checked against those pages and added with care.
"""

# The wide-character functions that Windows 95 implements.
IMPLEMENTED_WIDE = {
    "gdi32.dll": {"ExtTextOutW", "GetCharWidthW", "GetTextExtentExPointW",
                  "GetTextExtentPointW", "GetTextExtentPoint32W", "TextOutW"},
    "user32.dll": {"MessageBoxW", "MessageBoxExW"},
    "kernel32.dll": {"MultiByteToWideChar", "WideCharToMultiByte"},
}

PROVIDED = {
    "kernel32.dll": {
        "CloseHandle", "CreateProcessA", "DeleteCriticalSection", "EnterCriticalSection",
        "ExitProcess", "FindResourceA", "FormatMessageA", "FreeLibrary",
        "GetCurrentProcess", "GetCurrentProcessId", "GetCurrentThreadId", "GetLastError",
        "GetLocaleInfoA", "GetModuleHandleA", "GetProcAddress", "GetStartupInfoA",
        "GetSystemTimeAsFileTime", "GetTickCount", "GetVersion", "GlobalAddAtomA", "GlobalAlloc",
        "GlobalDeleteAtom", "GlobalFree", "GlobalGetAtomNameA", "GlobalLock",
        "GlobalUnlock", "InitializeCriticalSection", "IsDBCSLeadByteEx",
        "LeaveCriticalSection", "LoadLibraryA", "LoadResource", "LocalFree",
        "LockResource", "MulDiv", "QueryPerformanceCounter", "QueryPerformanceFrequency",
        "SetLastError", "SetUnhandledExceptionFilter", "SizeofResource", "Sleep",
        "TlsAlloc", "TlsFree", "TlsGetValue", "TlsSetValue", "UnhandledExceptionFilter",
        "VirtualProtect", "VirtualQuery", "lstrcmpiA", "lstrlenA",
    } | IMPLEMENTED_WIDE["kernel32.dll"],
    "user32.dll": {
        "BeginPaint", "CreateWindowExA", "DefWindowProcA", "DestroyWindow",
        "DispatchMessageA", "DrawEdge", "DrawFocusRect", "EndPaint", "EnumChildWindows",
        "EnumThreadWindows", "FillRect", "GetCapture", "GetClassInfoA", "GetClassNameA",
        "GetClassWord", "GetClientRect", "GetDC", "GetDlgCtrlID", "GetFocus",
        "GetKeyState", "GetMessageA", "GetParent", "GetPropA", "GetSysColor",
        "GetSysColorBrush", "GetSystemMetrics", "GetWindowLongA", "GetWindowTextA",
        "GetWindowTextLengthA", "InvalidateRect", "IsChild", "IsWindow",
        "IsWindowEnabled", "IsWindowVisible", "KillTimer", "LoadCursorA", "LoadIconA",
        "MessageBoxA", "OffsetRect", "PostQuitMessage", "PtInRect", "RegisterClassA",
        "ReleaseCapture", "ReleaseDC", "RemovePropA", "SendMessageA", "SetCapture",
        "SetFocus", "SetForegroundWindow", "SetPropA", "SetTimer", "SetWindowLongA",
        "SetWindowPos", "SetWindowTextA", "ShowWindow", "TranslateMessage",
        "UpdateWindow",
    } | IMPLEMENTED_WIDE["user32.dll"],
    "gdi32.dll": {
        "BitBlt", "CreateBitmap", "CreateCompatibleBitmap", "CreateCompatibleDC", "CreateDIBSection",
        "CreateFontA", "CreateSolidBrush", "DeleteDC", "DeleteObject", "ExtTextOutA",
        "GetCurrentObject", "GetDeviceCaps", "GetObjectA", "GetTextExtentExPointA",
        "GetTextFaceA", "GetTextMetricsA", "IntersectClipRect", "RestoreDC", "SaveDC",
        "SelectObject", "SetBkColor", "SetBkMode", "SetDIBitsToDevice", "SetTextColor",
        "StretchDIBits",
    } | IMPLEMENTED_WIDE["gdi32.dll"],
    "advapi32.dll": {
        "RegCloseKey", "RegCreateKeyExA", "RegDeleteKeyA", "RegDeleteValueA",
        "RegEnumKeyExA", "RegOpenKeyExA", "RegQueryValueExA", "RegSetValueExA",
    },
    "msvcrt.dll": {
        "__getmainargs", "__initenv", "__mb_cur_max", "__p__acmdln", "__p__commode",
        "__p__fmode", "__set_app_type", "__setusermatherr", "_amsg_exit", "_cexit",
        "_errno", "_initterm", "_iob", "_lock", "_onexit", "_unlock", "abort", "atoi",
        "calloc", "exit", "fprintf", "fputc", "free", "fwrite", "isspace", "localeconv",
        "malloc", "memchr", "memcmp", "memcpy", "memmove", "memset", "realloc",
        "setlocale", "signal", "strchr", "strcmp", "strerror", "strlen", "strncmp",
        "tolower", "vfprintf", "wcslen",
    },
}

# Wide-character stubs that the compiler's runtime imports, with why their failure on
# Windows 95 is harmless.
HARMLESS_STUBS = {
    "kernel32.dll": {
        "GetModuleHandleW": (
            "the C runtime's code page lookup asks it for msvcrt.dll, to read the code "
            "page of the C library's locale; when it fails it reads that code page from "
            "setlocale instead, which gives the same one (the program never changes the "
            "C locale), and only the wide-character conversions of printf use it, which "
            "the program never asks for"),
    },
}
