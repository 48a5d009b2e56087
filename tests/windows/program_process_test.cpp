// The product executable started as its own process under Wine. One file past 400
// lines: every group drives the same running program through the helpers below.
#include "machine_registry.h"
#include "registry_store_suite.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <functional>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The product executable (LUMOX_PROGRAM names it) started as a user starts it, watched
// and driven from this process through the window manager alone: window classes,
// window properties and messages, as another program on the desktop could.
namespace lumox::testing {
namespace {

constexpr DWORD pollMs = 10;

std::string className(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// The text of a window of the program: its caption as the window manager keeps it.
std::string caption(HWND window)
{
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// The text of a control that keeps its own (an edit box), asked for with WM_GETTEXT.
std::string windowText(HWND window)
{
    char text[512] = {};
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
    return text;
}

SIZE windowSize(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return {rect.right - rect.left, rect.bottom - rect.top};
}

// The name a window of the program carries in its "LumoxControl" property.
std::string controlName(HWND window)
{
    const auto atom =
        static_cast<ATOM>(reinterpret_cast<UINT_PTR>(GetPropA(window, "LumoxControl")));
    char name[64] = {};
    if (atom == 0 || GlobalGetAtomNameA(atom, name, sizeof name) == 0) {
        return {};
    }
    return name;
}

HWND findControl(HWND top, std::string_view name)
{
    struct Search
    {
        std::string_view name;
        HWND found;
    } search{name, nullptr};
    EnumChildWindows(
        top,
        [](HWND child, LPARAM data) CALLBACK -> BOOL {
            auto &search = *reinterpret_cast<Search *>(data);
            if (controlName(child) == search.name) {
                search.found = child;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Polls until the condition holds or timeoutMs have passed; returns whether it held.
bool waitUntil(const std::function<bool()> &condition, DWORD timeoutMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount64() > deadline) {
            return false;
        }
        Sleep(pollMs);
    }
}

class RunningProgram
{
public:
    RunningProgram() = default;
    RunningProgram(const RunningProgram &) = delete;
    RunningProgram &operator=(const RunningProgram &) = delete;
    ~RunningProgram()
    {
        if (m_process.hProcess == nullptr) {
            return;
        }
        if (WaitForSingleObject(m_process.hProcess, 0) == WAIT_TIMEOUT) {
            TerminateProcess(m_process.hProcess, 99);
            WaitForSingleObject(m_process.hProcess, 5000);
        }
        CloseHandle(m_process.hThread);
        CloseHandle(m_process.hProcess);
    }

    // Starts the program; returns false (and says why) when it cannot be started.
    ::testing::AssertionResult start()
    {
        const char *path = std::getenv("LUMOX_PROGRAM");
        if (path == nullptr || *path == '\0') {
            return ::testing::AssertionFailure() << "LUMOX_PROGRAM names no program";
        }
        if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
            return ::testing::AssertionFailure()
                   << path << " is not there; build it with make windows";
        }
        std::string commandLine = "\"" + std::string(path) + "\"";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        m_started = GetTickCount64();
        if (!CreateProcessA(path, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &m_process)) {
            return ::testing::AssertionFailure() << "CreateProcessA failed: " << GetLastError();
        }
        return ::testing::AssertionSuccess();
    }

    ULONGLONG millisecondsSinceStart() const { return GetTickCount64() - m_started; }

    // The program's windows of the given class: its top-level windows and its
    // message-only windows.
    std::vector<HWND> windows(const char *windowClass) const
    {
        struct Search
        {
            DWORD processId;
            const char *windowClass;
            std::vector<HWND> found;
        } search{m_process.dwProcessId, windowClass, {}};
        const auto consider = [](HWND window, LPARAM data) CALLBACK -> BOOL {
            auto &search = *reinterpret_cast<Search *>(data);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == search.processId && className(window) == search.windowClass) {
                search.found.push_back(window);
            }
            return TRUE;
        };
        EnumWindows(consider, reinterpret_cast<LPARAM>(&search));
        for (HWND window = FindWindowExA(HWND_MESSAGE, nullptr, windowClass, nullptr);
             window != nullptr;
             window = FindWindowExA(HWND_MESSAGE, window, windowClass, nullptr)) {
            consider(window, reinterpret_cast<LPARAM>(&search));
        }
        return search.found;
    }

    // The one visible window of the class, once there is exactly one.
    HWND waitForVisible(const char *windowClass, DWORD timeoutMs) const
    {
        HWND found = nullptr;
        waitUntil(
            [&] {
                found = nullptr;
                int visible = 0;
                for (HWND window : windows(windowClass)) {
                    if (IsWindowVisible(window)) {
                        found = window;
                        ++visible;
                    }
                }
                return visible == 1;
            },
            timeoutMs);
        return found;
    }

    // Starts the program and waits for its main window and for the splash to go, so that
    // typing into the main window can start; fails when either takes too long.
    ::testing::AssertionResult startToMainWindow()
    {
        if (::testing::AssertionResult started = start(); !started) {
            return started;
        }
        m_main = waitForVisible("frmMain", 15000);
        if (m_main == nullptr) {
            return ::testing::AssertionFailure() << "no main window within 15 s";
        }
        waitUntil([&] { return windows("frmStartup").empty(); }, 10000);
        return ::testing::AssertionSuccess();
    }

    // The main window that startToMainWindow() found.
    HWND mainWindow() const { return m_main; }

    // The message box the program shows, owned by owner.
    HWND waitForMessageBox(HWND owner, DWORD timeoutMs) const
    {
        HWND found = nullptr;
        waitUntil(
            [&] {
                for (HWND window : windows("#32770")) {
                    if (IsWindowVisible(window) && GetWindow(window, GW_OWNER) == owner) {
                        found = window;
                        return true;
                    }
                }
                return false;
            },
            timeoutMs);
        return found;
    }

    // Whether the process ended within timeoutMs, and with which exit code.
    std::optional<DWORD> waitForEnd(DWORD timeoutMs) const
    {
        if (WaitForSingleObject(m_process.hProcess, timeoutMs) != WAIT_OBJECT_0) {
            return std::nullopt;
        }
        DWORD code = 0;
        GetExitCodeProcess(m_process.hProcess, &code);
        return code;
    }

private:
    PROCESS_INFORMATION m_process = {};
    HWND m_main = nullptr;
    ULONGLONG m_started = 0;
};

// The text of a message box: its static control of id 0xFFFF.
std::string messageBoxText(HWND box)
{
    const HWND text = GetDlgItem(box, 0xFFFF);
    return text != nullptr ? caption(text) : std::string();
}

// Presses OK in a message box and waits until it is gone.
bool pressOk(HWND box)
{
    const HWND ok = GetDlgItem(box, IDOK);
    if (ok == nullptr) {
        return false;
    }
    PostMessageA(ok, BM_CLICK, 0, 0);
    return waitUntil([&] { return !IsWindow(box) || !IsWindowVisible(box); }, 5000);
}

// The main window's controls that saving and resetting go through.
struct TuningControls
{
    HWND mtu;
    HWND rwin;
    HWND save;
    HWND reset;

    explicit TuningControls(HWND main)
        : mtu(findControl(main, "txtMTU")), rwin(findControl(main, "txtRWIN")),
          save(findControl(main, "cmdSaveMTU")), reset(findControl(main, "cmdResetMTU"))
    {
    }

    bool complete() const { return mtu && rwin && save && reset; }
};

// Every place a save writes, with what it holds now, one "path\name=type:data" line each.
std::vector<std::string> tuningValues()
{
    std::vector<std::string> lines;
    const auto add = [&](const std::string &path, const char *name) {
        const auto value = readMachineValue(path, name);
        lines.push_back(path + "\\" + name + "=" +
                        (value ? std::to_string(value->type) + ":" + value->data : "(none)"));
    };
    for (const std::string &path : adapterKeys) {
        add(path, "MaxMTU");
    }
    add(firstBindingKey, "MaxMTU");
    add(tcpKey, "DefaultRcvWindow");
    return lines;
}

std::vector<std::string> expectedValues(const char *mtu, const char *rwin)
{
    std::vector<std::string> lines;
    for (const std::string &path : adapterKeys) {
        lines.push_back(path + "\\MaxMTU=" + std::to_string(kRegSzType) + ":" + mtu);
    }
    lines.push_back(firstBindingKey + "\\MaxMTU=" + std::to_string(kRegSzType) + ":" + mtu);
    lines.push_back(tcpKey + "\\DefaultRcvWindow=" + std::to_string(kRegSzType) + ":" + rwin);
    return lines;
}

// Every key and value under HKEY_LOCAL_MACHINE\path, one "key\name=type:data" line each
// (a key alone as "key\"), in the order the registry lists them.
void dumpMachineKey(const std::string &path, std::vector<std::string> &lines)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) {
        return;
    }
    lines.push_back(path + "\\");
    char name[256];
    BYTE data[1024];
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = sizeof name;
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        if (RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize) !=
            ERROR_SUCCESS) {
            break;
        }
        lines.push_back(path + "\\" + name + "=" + std::to_string(type) + ":" +
                        std::string(reinterpret_cast<const char *>(data), dataSize));
    }
    std::vector<std::string> subkeys;
    for (DWORD index = 0;; ++index) {
        DWORD nameSize = sizeof name;
        if (RegEnumKeyExA(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        subkeys.emplace_back(name);
    }
    RegCloseKey(key);
    for (const std::string &subkey : subkeys) {
        dumpMachineKey(path + "\\" + subkey, lines);
    }
}

std::vector<std::string> servicesKeys()
{
    std::vector<std::string> lines;
    dumpMachineKey("System\\CurrentControlSet\\Services", lines);
    return lines;
}

TEST(ProgramProcess, TheSplashHandsOverToOneMainWindowAndQuitEndsTheProgram)
{
    RunningProgram program;
    ASSERT_TRUE(program.start());

    const HWND splash = program.waitForVisible("frmStartup", 15000);
    ASSERT_NE(splash, nullptr) << "no splash window within 15 s";
    EXPECT_EQ(windowSize(splash).cx, 306);
    EXPECT_EQ(windowSize(splash).cy, 277);
    const LONG_PTR splashStyle = GetWindowLongPtrA(splash, GWL_STYLE);
    EXPECT_TRUE(splashStyle & WS_POPUP);
    EXPECT_FALSE(splashStyle & WS_CAPTION);
    EXPECT_TRUE(GetWindowLongPtrA(splash, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)
        << "the splash has a taskbar button";

    const HWND main = program.waitForVisible("frmMain", 15000);
    ASSERT_NE(main, nullptr) << "no main window within 15 s";
    EXPECT_GE(program.millisecondsSinceStart(), 1200u) << "the splash did not stay 1.25 s";
    // The tick shows the main window first, then destroys the splash, at once: the two
    // are not on the screen together for longer than a slow machine needs.
    EXPECT_TRUE(waitUntil([&] { return !IsWindow(splash); }, 1500))
        << "the splash stayed on the screen beside the main window";
    EXPECT_TRUE(program.windows("frmStartup").empty());
    EXPECT_EQ(program.windows("frmMain").size(), 1u);
    EXPECT_EQ(caption(main), "Lumox 2000");
    EXPECT_EQ(windowSize(main).cx, 378);
    EXPECT_EQ(windowSize(main).cy, 373);
    EXPECT_FALSE(GetWindowLongPtrA(main, GWL_EXSTYLE) & WS_EX_TOOLWINDOW);
    EXPECT_EQ(GetWindow(main, GW_OWNER), nullptr) << "an owned window has no taskbar button";

    // The first banner tick, 1.75 s after the main window came, makes the picture store;
    // from then on it exists, and it is never shown.
    bool storeShown = false;
    const auto storeMade = [&] {
        const std::vector<HWND> stores = program.windows("frmSponsors");
        for (HWND store : stores) {
            storeShown = storeShown || IsWindowVisible(store);
        }
        return !stores.empty();
    };
    ASSERT_TRUE(waitUntil(storeMade, 10000)) << "no frmSponsors window after a banner tick";
    for (const ULONGLONG end = GetTickCount64() + 2 * 1750; GetTickCount64() < end;) {
        storeMade();
        Sleep(pollMs);
    }
    EXPECT_EQ(program.windows("frmSponsors").size(), 1u);
    EXPECT_FALSE(storeShown) << "the picture store was shown";

    const HWND quit = findControl(main, "cmdExit");
    ASSERT_NE(quit, nullptr) << "no control named cmdExit";
    EXPECT_EQ(caption(quit), "Quit");
    PostMessageA(quit, BM_CLICK, 0, 0);
    const auto exitCode = program.waitForEnd(5000);
    ASSERT_TRUE(exitCode.has_value()) << "Quit did not end the program";
    EXPECT_EQ(*exitCode, 0u);
}

TEST(ProgramProcess, ACloseMessageToTheMainWindowEndsTheProgram)
{
    RunningProgram program;
    ASSERT_TRUE(program.start());
    const HWND main = program.waitForVisible("frmMain", 15000);
    ASSERT_NE(main, nullptr) << "no main window within 15 s";
    PostMessageA(main, WM_CLOSE, 0, 0);
    const auto exitCode = program.waitForEnd(5000);
    ASSERT_TRUE(exitCode.has_value()) << "WM_CLOSE did not end the program";
    EXPECT_EQ(*exitCode, 0u);
}

TEST(ProgramProcess, SaveWritesTheSevenValuesAndResetRemovesThem)
{
    for (const std::string &path : adapterKeys) {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, path.c_str());
    }
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, firstBindingKey.c_str());
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, tcpKey.c_str());
    const std::vector<std::string> nothing = tuningValues();

    RunningProgram program;
    ASSERT_TRUE(program.startToMainWindow());
    const HWND main = program.mainWindow();
    const TuningControls controls(main);
    ASSERT_TRUE(controls.complete()) << "txtMTU, txtRWIN, cmdSaveMTU or cmdResetMTU missing";
    const auto [mtu, rwin, save, reset] = controls;

    ASSERT_NE(SendMessageTimeoutA(mtu, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("1500"),
                                  SMTO_ABORTIFHUNG, 5000, nullptr),
              0)
        << "the program did not take the MTU within 5 s";
    EXPECT_EQ(windowText(rwin), "5840") << "typing the MTU proposes no RWIN";

    PostMessageA(save, BM_CLICK, 0, 0);
    HWND box = program.waitForMessageBox(main, 5000);
    ASSERT_NE(box, nullptr) << "saving showed no message box owned by the main window";
    EXPECT_EQ(caption(box), "Saved!") << messageBoxText(box);
    EXPECT_NE(messageBoxText(box).find("1500"), std::string::npos) << messageBoxText(box);
    ASSERT_TRUE(pressOk(box));
    EXPECT_EQ(tuningValues(), expectedValues("1500", "5840"));

    PostMessageA(reset, BM_CLICK, 0, 0);
    box = program.waitForMessageBox(main, 5000);
    ASSERT_NE(box, nullptr) << "resetting showed no message box owned by the main window";
    EXPECT_EQ(caption(box), "Reset") << messageBoxText(box);
    ASSERT_TRUE(pressOk(box));
    EXPECT_EQ(tuningValues(), nothing);

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.waitForEnd(5000).has_value());
}

// Run with Wine reporting Windows XP or 10 to the program, in a fresh prefix: the NT
// family never reads the values, so saving and resetting change nothing and say why.
TEST(ProgramOnLaterWindows, SaveAndResetLeaveTheRegistryAsItWasAndSaySo)
{
    const std::vector<std::string> before = servicesKeys();
    ASSERT_GT(before.size(), 1u) << "the Services key could not be read";

    RunningProgram program;
    ASSERT_TRUE(program.startToMainWindow());
    const HWND main = program.mainWindow();
    const TuningControls controls(main);
    ASSERT_TRUE(controls.complete()) << "a control of saving or resetting is missing";

    // Shows the box of one press of button and closes it; returns its title and text.
    const auto press = [&](HWND button) -> std::pair<std::string, std::string> {
        PostMessageA(button, BM_CLICK, 0, 0);
        const HWND box = program.waitForMessageBox(main, 5000);
        if (box == nullptr) {
            ADD_FAILURE() << "no message box owned by the main window";
            return {};
        }
        std::pair<std::string, std::string> shown{caption(box), messageBoxText(box)};
        EXPECT_TRUE(pressOk(box)) << "the box has no OK button";
        return shown;
    };
    const auto saysWhy = [](const std::string &text) {
        return text.find("keeps its TCP/IP settings elsewhere") != std::string::npos &&
               text.find("Windows 95, 98 and Me") != std::string::npos &&
               text.find("Nothing was changed.") != std::string::npos;
    };

    SendMessageTimeoutA(controls.mtu, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("1500"),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
    const auto [savedTitle, savedText] = press(controls.save);
    EXPECT_EQ(savedTitle, "Not Saved");
    EXPECT_TRUE(saysWhy(savedText)) << savedText;
    const auto [resetTitle, resetText] = press(controls.reset);
    EXPECT_EQ(resetTitle, "Not Reset");
    EXPECT_TRUE(saysWhy(resetText)) << resetText;

    // A bad value is refused for what it is.
    SendMessageTimeoutA(controls.mtu, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("12"),
                        SMTO_ABORTIFHUNG, 5000, nullptr);
    const auto [badTitle, badText] = press(controls.save);
    EXPECT_EQ(badTitle, "Not Saved");
    EXPECT_NE(badText.find("MaxMTU must be a whole number from 68 to 65535."), std::string::npos)
        << badText;

    std::vector<std::string> after = servicesKeys();
    std::vector<std::string> sortedBefore = before;
    std::sort(after.begin(), after.end());
    std::sort(sortedBefore.begin(), sortedBefore.end());
    std::vector<std::string> added;
    std::vector<std::string> removed;
    std::set_difference(after.begin(), after.end(), sortedBefore.begin(), sortedBefore.end(),
                        std::back_inserter(added));
    std::set_difference(sortedBefore.begin(), sortedBefore.end(), after.begin(), after.end(),
                        std::back_inserter(removed));
    EXPECT_EQ(added, std::vector<std::string>{}) << "keys or values that appeared";
    EXPECT_EQ(removed, std::vector<std::string>{}) << "keys or values that went or changed";
    EXPECT_FALSE(readMachineValue(tcpKey, "DefaultRcvWindow").has_value());
    HKEY created = nullptr;
    EXPECT_NE(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\Class", 0,
                            KEY_READ, &created),
              ERROR_SUCCESS)
        << "a key under Services\\Class was created";
    if (created != nullptr) {
        RegCloseKey(created);
    }

    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(program.waitForEnd(5000).has_value());
}

// Another program's window that takes the palette: each time it is brought to the front
// over the program it realizes a new palette of its own in the foreground, none of whose
// colours the program's halftone palette holds, which tells every other window that the
// palette changed. (Under Wine each process keeps a system palette of its own, and only
// the first realization of a palette changes it, so each turn brings a new palette.)
class PaletteRival
{
public:
    PaletteRival()
    {
        static const ATOM rivalClass = [] {
            WNDCLASSA windowClass = {};
            windowClass.lpfnWndProc = &DefWindowProcA;
            windowClass.hInstance = GetModuleHandleA(nullptr);
            windowClass.lpszClassName = "LumoxPaletteRival";
            return RegisterClassA(&windowClass);
        }();
        EXPECT_NE(rivalClass, 0);
        m_window =
            CreateWindowExA(WS_EX_TOPMOST, "LumoxPaletteRival", "rival", WS_POPUP | WS_VISIBLE, 0,
                            0, 800, 600, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    PaletteRival(const PaletteRival &) = delete;
    PaletteRival &operator=(const PaletteRival &) = delete;
    ~PaletteRival() { DestroyWindow(m_window); }

    HWND window() const { return m_window; }

    // Brings the window to the front and realizes a new palette there; returns how many
    // entries of the system palette that changed.
    UINT comeForward()
    {
        SetWindowPos(m_window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        SetForegroundWindow(m_window);
        struct
        {
            WORD version;
            WORD entries;
            PALETTEENTRY colours[236];
        } log = {0x300, 236, {}};
        ++m_turn;
        for (int i = 0; i < 236; ++i) {
            // Odd steps, off the colour cube's steps of 51.
            log.colours[i] = {static_cast<BYTE>(7 + i), static_cast<BYTE>(250 - i),
                              static_cast<BYTE>((i * 37 + m_turn * 2) % 256 | 1), 0};
        }
        const HPALETTE palette = CreatePalette(reinterpret_cast<const LOGPALETTE *>(&log));
        const HDC dc = GetDC(m_window);
        const HPALETTE previous = SelectPalette(dc, palette, FALSE);
        const UINT changed = RealizePalette(dc);
        SelectPalette(dc, previous, TRUE);
        ReleaseDC(m_window, dc);
        DeleteObject(palette);
        return changed;
    }

    // Steps back behind `other` and makes it the foreground window.
    void stepBack(HWND other) const
    {
        SetWindowPos(m_window, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
        SetWindowPos(m_window, other, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        SetForegroundWindow(other);
    }

private:
    int m_turn = 0;
    HWND m_window = nullptr;
};

// Handles this thread's messages for `milliseconds`.
void pumpMessages(DWORD milliseconds)
{
    for (const ULONGLONG end = GetTickCount64() + milliseconds; GetTickCount64() < end;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(pollMs);
    }
}

// Whether the program's window answers within 5 s.
bool answers(HWND window)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &result) != 0;
}

// Run on a display of 256 colours through a palette (an 8-bit Xvfb): the program takes the
// palette path, and lives through another window taking the palette and giving it back.
TEST(ProgramOnPaletteDisplay, RealizesItsPaletteAndLivesThroughPaletteChanges)
{
    const HDC screen = GetDC(nullptr);
    const bool hasPalette = (GetDeviceCaps(screen, RASTERCAPS) & RC_PALETTE) != 0;
    const int bits = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
    const int paletteSize = GetDeviceCaps(screen, SIZEPALETTE);
    ReleaseDC(nullptr, screen);
    ASSERT_TRUE(hasPalette) << "the display is no palette display (" << bits << " bits)";
    ASSERT_EQ(bits, 8);
    ASSERT_EQ(paletteSize, 256);

    RunningProgram program;
    ASSERT_TRUE(program.startToMainWindow());
    const HWND main = program.mainWindow();
    // The program's answer to WM_QUERYNEWPALETTE: TRUE only where it realized a palette of
    // its own (the default handling answers FALSE).
    DWORD_PTR realized = 0;
    ASSERT_NE(
        SendMessageTimeoutA(main, WM_QUERYNEWPALETTE, 0, 0, SMTO_ABORTIFHUNG, 5000, &realized), 0);
    EXPECT_EQ(realized, static_cast<DWORD_PTR>(TRUE)) << "the program realized no palette";

    // Another window takes the palette and gives it back, again and again, while the
    // banners turn for 10 s.
    PaletteRival rival;
    ASSERT_NE(rival.window(), nullptr);
    const ULONGLONG end = GetTickCount64() + 10000;
    int rounds = 0;
    while (GetTickCount64() < end) {
        EXPECT_GT(rival.comeForward(), 0u)
            << "the rival's palette changed nothing in round " << rounds;
        pumpMessages(700);
        rival.stepBack(main);
        pumpMessages(1300);
        ++rounds;
        ASSERT_TRUE(answers(main)) << "the program stopped answering in round " << rounds;
    }
    // WM_PALETTECHANGED as the rival sends it, from the program's own window too.
    SendMessageTimeoutA(main, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(rival.window()), 0,
                        SMTO_ABORTIFHUNG, 5000, nullptr);
    SendMessageTimeoutA(main, WM_PALETTECHANGED, reinterpret_cast<WPARAM>(main), 0,
                        SMTO_ABORTIFHUNG, 5000, nullptr);
    EXPECT_FALSE(program.waitForEnd(0).has_value()) << "the program ended";
    EXPECT_TRUE(answers(main));
    EXPECT_EQ(program.windows("frmSponsors").size(), 1u) << "the banners never turned";

    PostMessageA(main, WM_CLOSE, 0, 0);
    const auto exitCode = program.waitForEnd(5000);
    ASSERT_TRUE(exitCode.has_value()) << "WM_CLOSE did not end the program";
    EXPECT_EQ(*exitCode, 0u);
}

} // namespace
} // namespace lumox::testing
