"""What Windows 95 provides of the functions the 32-bit program imports.

Drawn from:
- mingw-w64's annotated import definitions lib32/kernel32.def and lib32/advapi32.def
  (mingw-w64-crt in the mingw-w64 repository), which group every export of the 32-bit
  DLL by the Windows version that added it. Every KERNEL32 and ADVAPI32 function listed
  here stands in their first group, "symbols available in all Windows versions (Win32s
  since Win32s 1.1; Win9x since Windows 95; WinNT since Windows NT 3.1)", except
  GetLocaleInfoA, which kernel32.def lists among the "symbols added in Win32s 1.15,
  available in all Win9x versions and since Windows NT 3.5". The files say which
  symbols a Windows version exports, not whether it implements them (many wide-character
  functions are exported by Windows 95 as stubs), hence the second source;
- the MSDN Library of June 1998 (library.thedatadungeon.com/msdn-1998-06 mirrors it):
  each function's QuickInfo section, which says "Windows: Requires Windows 95 or later"
  for every function of KERNEL32, USER32, GDI32 and ADVAPI32 listed here, and "Windows
  95 General Limitations" (WinBase/devdoc/live/pdwbase/win95/chilimit_1qlv.content.htm):
  of the wide-character functions Windows 95 implements those of ExtTextOut,
  GetCharWidth, GetTextExtentExPoint, GetTextExtentPoint, MessageBox, MessageBoxEx and
  TextOut, and MultiByteToWideChar and WideCharToMultiByte; every other one is a stub
  that only returns an error.

The program links no C runtime, so it imports from these four DLLs only. The list names
only what the program imports: an import that is not here has to be checked against
those sources and added with care.
"""

# The wide-character functions that Windows 95 implements, of those the program imports.
IMPLEMENTED_WIDE = {
    "kernel32.dll": {"MultiByteToWideChar", "WideCharToMultiByte"},
}

PROVIDED = {
    "kernel32.dll": {
        "CloseHandle", "CreateProcessA", "ExitProcess", "FindResourceA", "FormatMessageA",
        "FreeLibrary", "GetCommandLineA", "GetCurrentThreadId", "GetLocaleInfoA",
        "GetModuleHandleA", "GetProcAddress", "GetProcessHeap", "GetStartupInfoA",
        "GetTickCount", "GetVersion", "GlobalAddAtomA", "GlobalDeleteAtom",
        "GlobalGetAtomNameA", "HeapAlloc", "HeapFree", "HeapReAlloc", "LoadLibraryA",
        "LoadResource", "LocalFree", "LockResource", "QueryPerformanceCounter",
        "QueryPerformanceFrequency", "SizeofResource", "lstrcmpiA",
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
    },
    "gdi32.dll": {
        "BitBlt", "CreateBitmap", "CreateCompatibleBitmap", "CreateCompatibleDC",
        "CreateDIBSection", "CreateFontA", "CreateSolidBrush", "DeleteDC", "DeleteObject",
        "ExtTextOutA", "GetCurrentObject", "GetDeviceCaps", "GetObjectA",
        "GetTextExtentExPointA", "GetTextFaceA", "GetTextMetricsA", "IntersectClipRect",
        "RestoreDC", "SaveDC", "SelectObject", "SetBkColor", "SetBkMode", "SetTextColor",
    },
    "advapi32.dll": {
        "RegCloseKey", "RegCreateKeyExA", "RegDeleteKeyA", "RegDeleteValueA",
        "RegEnumKeyExA", "RegOpenKeyExA", "RegQueryValueExA", "RegSetValueExA",
    },
}

# Wide-character stubs that the program may import, with why their failure on Windows 95
# is harmless. None: every function the program imports works on Windows 95.
HARMLESS_STUBS = {}
