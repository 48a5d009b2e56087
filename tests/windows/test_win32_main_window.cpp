// The Win32 splash and main window in-process: geometry and texts against the test's
// own table, tooltips, the keyboard, the calculator, saving and resetting into the
// registry of the Wine prefix, and how the window ends. One file past 400 lines: every
// group shares the fixture that builds the window.
#include "control_names.h"
#include "controls.h"
#include "decoded_resource.h"
#include "expected_main_window.h"
#include "labels.h"
#include "main_window.h"
#include "message_boxes.h"
#include "shown_by_window.h"
#include "splash_window.h"

#include "machine_registry.h"
#include "registry_access.h"
#include "resource.h"
#include "texts.h"

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace lumox::win32;
namespace texts = lumox::texts;

HINSTANCE instance()
{
    return GetModuleHandleA(nullptr);
}

std::string textOf(HWND window)
{
    char buffer[2048] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

// A window's rectangle relative to the top-left corner of top's client area.
RECT rectIn(HWND top, HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, top, reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

namespace expected = lumox::expected;
using expected::ControlRow;
using expected::mainWindowControls;

// Where each row's inner area starts in the main window's client area.
std::map<std::string, POINT> innerOrigins()
{
    std::map<std::string, POINT> origins = {{"frmMain", {0, 0}}};
    for (const ControlRow &row : mainWindowControls()) {
        const POINT parent = origins.at(row.parent);
        const int border = expected::isBannerFrame(row.name) ? 2 : 0;
        origins[row.name] = {parent.x + row.rect.left + border, parent.y + row.rect.top + border};
        if (std::string(row.name) == "SSTab1") {
            for (const char *page : {"pageInformation", "pageMTU", "pageRWIN", "pageExit"}) {
                origins[page] = {parent.x + row.rect.left, parent.y + row.rect.top};
            }
        }
    }
    return origins;
}

using lumox::testing::adapterKeys;
using lumox::testing::tcpKey;

// A string value that saving writes, read back with the registry API.
std::optional<std::string> readValue(const std::string &path, const char *name)
{
    const std::optional<lumox::testing::StoredValue> value =
        lumox::testing::readMachineValue(path, name);
    if (!value || value->type != REG_SZ) {
        return std::nullopt;
    }
    return value->data;
}

// The six values as one list: five MaxMTU, then DefaultRcvWindow.
std::vector<std::optional<std::string>> tuningValues()
{
    std::vector<std::optional<std::string>> values;
    for (const std::string &key : adapterKeys) {
        values.push_back(readValue(key, "MaxMTU"));
    }
    values.push_back(readValue(tcpKey, "DefaultRcvWindow"));
    return values;
}

void writeValue(const std::string &path, const char *name, const std::string &data)
{
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE *>(data.c_str()),
                   static_cast<DWORD>(data.size() + 1));
    RegCloseKey(key);
}

// Takes the registry back to how it was before the test: the keys saving may create
// are deleted when they were not there, and the six values are removed.
class RegistryGuard
{
public:
    RegistryGuard()
    {
        for (const std::string &path : keysDeepestFirst()) {
            HKEY key = nullptr;
            const bool exists =
                RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS;
            if (exists) {
                RegCloseKey(key);
            }
            m_existed[path] = exists;
        }
        removeValues();
    }
    RegistryGuard(const RegistryGuard &) = delete;
    RegistryGuard &operator=(const RegistryGuard &) = delete;
    ~RegistryGuard()
    {
        removeValues();
        for (const std::string &path : keysDeepestFirst()) {
            if (!m_existed[path]) {
                RegDeleteKeyA(HKEY_LOCAL_MACHINE, path.c_str());
            }
        }
    }

    static void removeValues()
    {
        for (const std::string &path : adapterKeys) {
            deleteValue(path, "MaxMTU");
        }
        deleteValue(tcpKey, "DefaultRcvWindow");
    }

private:
    static std::vector<std::string> keysDeepestFirst()
    {
        std::vector<std::string> keys(adapterKeys.begin(), adapterKeys.end());
        keys.insert(keys.end(), {"System\\CurrentControlSet\\Services\\Class\\NetTrans",
                                 "System\\CurrentControlSet\\Services\\Class", tcpKey,
                                 "System\\CurrentControlSet\\Services\\VxD"});
        return keys;
    }
    static void deleteValue(const std::string &path, const char *name)
    {
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_SET_VALUE, &key) ==
            ERROR_SUCCESS) {
            RegDeleteValueA(key, name);
            RegCloseKey(key);
        }
    }

    std::map<std::string, bool> m_existed;
};

// Handles what is waiting in the thread's queue, for up to timeoutMs, until done()
// holds; returns whether it does.
template <typename Done> bool pumpUntil(Done done, DWORD timeoutMs)
{
    const DWORD start = GetTickCount();
    while (!done()) {
        if (GetTickCount() - start > timeoutMs) {
            return false;
        }
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        Sleep(5);
    }
    return true;
}

// Stands in for one function that this executable imports, for as long as it lives,
// by changing the function's entry in the executable's import address table. The
// program's code linked into this executable calls through that table too.
class ImportHook
{
public:
    ImportHook(const char *dll, const char *function, void *replacement)
    {
        auto *base = reinterpret_cast<BYTE *>(GetModuleHandleA(nullptr));
        const auto *dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
        const auto *nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
        const IMAGE_DATA_DIRECTORY &directory =
            nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        for (auto *entry =
                 reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR *>(base + directory.VirtualAddress);
             entry->Name != 0; ++entry) {
            if (lstrcmpiA(reinterpret_cast<const char *>(base + entry->Name), dll) != 0) {
                continue;
            }
            auto *names = reinterpret_cast<IMAGE_THUNK_DATA *>(base + entry->OriginalFirstThunk);
            auto *slots = reinterpret_cast<IMAGE_THUNK_DATA *>(base + entry->FirstThunk);
            for (; names->u1.AddressOfData != 0; ++names, ++slots) {
                if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) {
                    continue;
                }
                const auto *byName =
                    reinterpret_cast<const IMAGE_IMPORT_BY_NAME *>(base + names->u1.AddressOfData);
                if (std::string_view(reinterpret_cast<const char *>(byName->Name)) == function) {
                    m_slot = reinterpret_cast<void **>(&slots->u1.Function);
                }
            }
        }
        if (m_slot != nullptr) {
            m_original = *m_slot;
            write(replacement);
        }
    }
    ImportHook(const ImportHook &) = delete;
    ImportHook &operator=(const ImportHook &) = delete;
    ~ImportHook()
    {
        if (m_slot != nullptr) {
            write(m_original);
        }
    }

    bool installed() const { return m_slot != nullptr; }
    // The function the entry held before; calls through the function's name would come
    // back to the replacement.
    void *original() const { return m_original; }

private:
    void write(void *target)
    {
        DWORD protection = 0;
        VirtualProtect(m_slot, sizeof *m_slot, PAGE_READWRITE, &protection);
        *m_slot = target;
        VirtualProtect(m_slot, sizeof *m_slot, protection, &protection);
    }

    void **m_slot = nullptr;
    void *m_original = nullptr;
};

// The timers that windows asked for through SetTimer while a TimerRecorder lived.
struct TimerRequest
{
    HWND hwnd;
    UINT_PTR id;
    UINT intervalMs;
};
std::vector<TimerRequest> timerRequests;
using SetTimerFunction = UINT_PTR(WINAPI *)(HWND, UINT_PTR, UINT, TIMERPROC);
SetTimerFunction realSetTimer = nullptr;

UINT_PTR WINAPI recordingSetTimer(HWND hwnd, UINT_PTR id, UINT intervalMs, TIMERPROC procedure)
{
    timerRequests.push_back({hwnd, id, intervalMs});
    return realSetTimer(hwnd, id, intervalMs, procedure);
}

class TimerRecorder
{
public:
    TimerRecorder() : m_hook("user32.dll", "SetTimer", reinterpret_cast<void *>(&recordingSetTimer))
    {
        timerRequests.clear();
        realSetTimer = reinterpret_cast<SetTimerFunction>(m_hook.original());
    }

    bool installed() const { return m_hook.installed(); }
    // The timers the window asked for.
    static std::vector<TimerRequest> of(HWND hwnd)
    {
        std::vector<TimerRequest> found;
        std::copy_if(timerRequests.begin(), timerRequests.end(), std::back_inserter(found),
                     [hwnd](const TimerRequest &request) { return request.hwnd == hwnd; });
        return found;
    }

private:
    ImportHook m_hook;
};

// A banner slot as it shows on the screen with its page in front: its pixels, top row
// first, as 32-bit BGRX.
std::vector<std::uint32_t> shownPixels(frmMain &form, int page, HWND slot)
{
    form.selectPage(page);
    UpdateWindow(form.hwnd());
    SIZE size;
    return lumox::testing::clientAreaPixels(slot, size);
}

struct ShownBox
{
    HWND owner;
    std::string title;
    std::string text;
};

// A shown main window over the Windows registry, with both hooks replaced: message
// boxes are recorded instead of shown, and destroying the window counts instead of
// ending the thread's message loop.
class MainWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        MessageBoxes::setPresenter([this](HWND owner, std::string title, std::string text) {
            m_boxes.push_back({owner, std::move(title), std::move(text)});
        });
        frmMain::setDestroyedHook([this] { ++m_destroyed; });
        m_form = frmMain::create(instance(), lumox::makeDefaultRegistryStore(),
                                 lumox::SystemReadsTuningValues::Yes);
        ASSERT_NE(m_form, nullptr);
        m_hwnd = m_form->hwnd();
        m_form->show();
    }
    void TearDown() override
    {
        if (IsWindow(m_hwnd)) {
            DestroyWindow(m_hwnd);
        }
        frmMain::setDestroyedHook({});
        MessageBoxes::setPresenter({});
    }

    HWND control(const char *name) const { return findControl(m_hwnd, name); }

    // What the program's message loop does with one keystroke sent to the focus.
    void press(UINT key, bool withControl = false, bool withShift = false)
    {
        BYTE state[256] = {};
        GetKeyboardState(state);
        state[VK_CONTROL] = withControl ? 0x80 : 0;
        state[VK_SHIFT] = withShift ? 0x80 : 0;
        SetKeyboardState(state);
        for (UINT type : {WM_KEYDOWN, WM_KEYUP}) {
            MSG message = {};
            message.hwnd = GetFocus();
            message.message = type;
            message.wParam = key;
            message.lParam = type == WM_KEYUP ? static_cast<LPARAM>(0xC0000001) : 1;
            if (!m_form->preTranslateMessage(message)) {
                TranslateMessage(&message);
                DispatchMessageA(&message);
            }
            // What TranslateMessage posted (WM_CHAR and the like) goes the same way.
            MSG posted;
            while (PeekMessageA(&posted, nullptr, WM_KEYFIRST, WM_KEYLAST, PM_REMOVE)) {
                if (!m_form->preTranslateMessage(posted)) {
                    DispatchMessageA(&posted);
                }
            }
        }
        state[VK_CONTROL] = 0;
        state[VK_SHIFT] = 0;
        SetKeyboardState(state);
    }

    void type(HWND box, const std::string &text)
    {
        SetFocus(box);
        SendMessageA(box, EM_SETSEL, 0, -1);
        SendMessageA(box, WM_CLEAR, 0, 0);
        for (char c : text) {
            SendMessageA(box, WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 1);
        }
    }

    void click(const char *name)
    {
        HWND button = control(name);
        ASSERT_NE(button, nullptr) << name;
        SendMessageA(button, BM_CLICK, 0, 0);
    }

    std::string focusName() const { return controlName(GetFocus()); }

    frmMain *m_form = nullptr;
    HWND m_hwnd = nullptr;
    std::vector<ShownBox> m_boxes;
    int m_destroyed = 0;
};

TEST_F(MainWindowTest, IsACentredBorderlessPopupWithATaskbarButton)
{
    RECT window;
    GetWindowRect(m_hwnd, &window);
    RECT client;
    GetClientRect(m_hwnd, &client);
    EXPECT_EQ(window.right - window.left, 378);
    EXPECT_EQ(window.bottom - window.top, 373);
    EXPECT_EQ(client.right, 378) << "the window is exactly its client area";
    EXPECT_EQ(client.bottom, 373);
    EXPECT_EQ(window.left, (GetSystemMetrics(SM_CXSCREEN) - 378) / 2);
    EXPECT_EQ(window.top, (GetSystemMetrics(SM_CYSCREEN) - 373) / 2);
    const LONG style = GetWindowLongA(m_hwnd, GWL_STYLE);
    EXPECT_TRUE(style & WS_POPUP);
    EXPECT_FALSE(style & (WS_CAPTION | WS_THICKFRAME | WS_SYSMENU));
    EXPECT_TRUE(GetWindowLongA(m_hwnd, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    EXPECT_EQ(reinterpret_cast<HICON>(GetClassLongPtrA(m_hwnd, GCLP_HICON)),
              LoadIconA(instance(), MAKEINTRESOURCEA(IDI_PROGRAM)))
        << "the taskbar button shows the program's icon";
    EXPECT_EQ(GetWindow(m_hwnd, GW_OWNER), nullptr);
    EXPECT_EQ(textOf(m_hwnd), "Lumox 2000");
    char className[32] = {};
    GetClassNameA(m_hwnd, className, sizeof className);
    EXPECT_STREQ(className, "frmMain");
    EXPECT_EQ(frmMain::instance(), m_form);
    EXPECT_EQ(frmMain::create(instance(), lumox::makeDefaultRegistryStore(),
                              lumox::SystemReadsTuningValues::Yes),
              nullptr)
        << "there is only ever one main window";
}

TEST_F(MainWindowTest, EveryControlSitsWhereTheTableSaysWithItsText)
{
    const std::map<std::string, POINT> origins = innerOrigins();
    for (const ControlRow &row : mainWindowControls()) {
        SCOPED_TRACE(row.name);
        HWND window = control(row.name);
        ASSERT_NE(window, nullptr);
        const POINT parent = origins.at(row.parent);
        const RECT expected = {parent.x + row.rect.left, parent.y + row.rect.top,
                               parent.x + row.rect.left + row.rect.width,
                               parent.y + row.rect.top + row.rect.height};
        const RECT actual = rectIn(m_hwnd, window);
        EXPECT_EQ(actual.left, expected.left);
        EXPECT_EQ(actual.top, expected.top);
        EXPECT_EQ(actual.right, expected.right);
        EXPECT_EQ(actual.bottom, expected.bottom);
        // The control lies inside the window of its parent, or on its page.
        HWND container = GetParent(window);
        EXPECT_EQ(controlName(container), row.parent);
        if (row.text) {
            EXPECT_EQ(textOf(window), *row.text);
        }
        if (row.focusOrder >= 0 && !row.text) {
            EXPECT_FALSE(textOf(window).empty()) << "a control that takes the focus needs a name";
        }
    }
}

TEST_F(MainWindowTest, NoControlIsHiddenUnderAnother)
{
    // Where boxes overlap (Label16 reaches under txtRWIN, lblReg under Label1), what
    // comes later in the form lies on top, so each control shows at its corner and
    // its centre.
    for (int page = 0; page < 4; ++page) {
        m_form->selectPage(page);
        for (const ControlRow &row : mainWindowControls()) {
            HWND window = control(row.name);
            // The rules are drawn over everything; Frame1 starts above the window.
            const std::string name = row.name;
            if (name.rfind("Line", 0) == 0 || name == "Frame1" || !IsWindowVisible(window)) {
                continue;
            }
            HWND parent = GetParent(window);
            RECT rect;
            GetWindowRect(window, &rect);
            MapWindowPoints(nullptr, parent, reinterpret_cast<POINT *>(&rect), 2);
            for (POINT point : {POINT{rect.left + 1, rect.top + 1},
                                POINT{(rect.left + rect.right) / 2, rect.top + 3}}) {
                EXPECT_EQ(controlName(ChildWindowFromPointEx(parent, point, CWP_SKIPINVISIBLE)),
                          row.name)
                    << point.x << "," << point.y;
            }
        }
    }
}

TEST_F(MainWindowTest, TabStripHasFourEqualTabsAndShowsOnlyTheSelectedPage)
{
    HWND tabs = control("SSTab1");
    ASSERT_EQ(TabCtrl_GetItemCount(tabs), 4);
    const std::array<std::string, 4> captions = {"Information", "MTU Settings", "RWIN Settings",
                                                 "Exit Lumox 2000"};
    RECT first;
    TabCtrl_GetItemRect(tabs, 0, &first);
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const std::string caption = lumox::testing::tabCaption(tabs, i);
        EXPECT_EQ(caption, captions[static_cast<std::size_t>(i)]);
        RECT rect;
        TabCtrl_GetItemRect(tabs, i, &rect);
        EXPECT_EQ(rect.right - rect.left, first.right - first.left) << "equal widths";
        EXPECT_EQ(rect.bottom - rect.top, 20);
        EXPECT_EQ(rect.top, first.top) << "one row";
    }
    // All four fit: the strip shows no scroll arrows, and the tabs fill it but for
    // the room the selected tab needs to stand out.
    EXPECT_EQ(FindWindowExA(tabs, nullptr, UPDOWN_CLASSA, nullptr) != nullptr &&
                  IsWindowVisible(FindWindowExA(tabs, nullptr, UPDOWN_CLASSA, nullptr)),
              false);
    EXPECT_GE(4 * (first.right - first.left), 363 - 8);
    EXPECT_EQ(m_form->currentPage(), 0);
    const std::array<const char *, 4> pages = {"pageInformation", "pageMTU", "pageRWIN",
                                               "pageExit"};
    for (int selected : {0, 2, 1, 3, 0}) {
        // As a click on the tab does it.
        TabCtrl_SetCurSel(tabs, selected);
        NMHDR header = {tabs, static_cast<UINT_PTR>(GetDlgCtrlID(tabs)),
                        static_cast<UINT>(TCN_SELCHANGE)};
        SendMessageA(m_hwnd, WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(IsWindowVisible(control(pages[static_cast<std::size_t>(i)])) != FALSE,
                      i == selected)
                << selected << " " << i;
        }
    }
}

TEST_F(MainWindowTest, OnlyTheTwoBoxesHaveTooltipsThatWrap)
{
    HWND tips = m_form->toolTipWindow();
    ASSERT_NE(tips, nullptr);
    EXPECT_GT(SendMessageA(tips, TTM_GETMAXTIPWIDTH, 0, 0), 0);
    std::map<std::string, std::string> found;
    const int count = static_cast<int>(SendMessageA(tips, TTM_GETTOOLCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TTTOOLINFOA tool = {};
        tool.cbSize = TTTOOLINFOA_V1_SIZE;
        ASSERT_TRUE(SendMessageA(tips, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&tool)));
        char text[512] = {};
        tool.lpszText = text;
        SendMessageA(tips, TTM_GETTEXTA, sizeof text, reinterpret_cast<LPARAM>(&tool));
        found[controlName(reinterpret_cast<HWND>(tool.uId))] = text;
    }
    std::map<std::string, std::string> expected = {
        {"txtMTU", "Please enter your ISP's MaxMTU setting in this field. Contact your ISP to "
                   "find out what it is if you're not sure."},
        {"txtRWIN", "You don't have to enter anything here unless you really know what you're "
                    "doing."}};
    // Before version 6 the tooltip control hands out no more than 80 characters.
    for (auto &[name, text] : expected) {
        text = text.substr(0, 80);
    }
    EXPECT_EQ(found, expected);
}

TEST_F(MainWindowTest, LabelsBreakTheirLinesLikeTheFormsLabels)
{
    const std::vector<std::string> address = {"Martin Quillfeather", "42 Modem Lane",
                                              "Harbour District", "Port Lumen 40404",
                                              "Republic of Lumoria"};
    for (const char *name : {"Label3", "Label10", "Label4", "Label17"}) {
        EXPECT_EQ(labelLines(control(name)), address) << name;
    }
    for (const char *name : {"Label5", "Label6", "Label7"}) {
        EXPECT_EQ(labelLines(control(name)), (std::vector<std::string>{"Just Click", "Here -->"}))
            << name;
    }
    // Every text fits its label's height; the formula's longest caption too.
    SetWindowTextA(control("lblCalc"), "(65535 - 40) * 4");
    for (const ControlRow &row : mainWindowControls()) {
        const std::string name = row.name;
        if (name.rfind("Label", 0) != 0 && name.rfind("lbl", 0) != 0) {
            continue;
        }
        HWND label = control(row.name);
        HDC dc = GetDC(label);
        const HGDIOBJ old =
            SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(label, WM_GETFONT, 0, 0)));
        TEXTMETRICA metrics = {};
        GetTextMetricsA(dc, &metrics);
        SelectObject(dc, old);
        ReleaseDC(label, dc);
        const int lines = static_cast<int>(labelLines(label).size());
        EXPECT_LE(lines * metrics.tmHeight, row.rect.height) << name << ": " << lines;
    }
}

TEST_F(MainWindowTest, ComingBackTheFocusReturnsUnlessAClickHasTakenIt)
{
    m_form->selectPage(1);
    SetFocus(control("cmdSaveMTU"));
    SendMessageA(m_hwnd, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
    SetFocus(nullptr);
    SendMessageA(m_hwnd, WM_ACTIVATE, MAKEWPARAM(WA_ACTIVE, 0), 0);
    EXPECT_EQ(focusName(), "cmdSaveMTU") << "back from a message box, say";

    SendMessageA(m_hwnd, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, 0), 0);
    // The activation that a click on another button brings can arrive after the
    // button has taken the focus; taking it away would cancel the click.
    SetFocus(control("cmdResetMTU"));
    SendMessageA(m_hwnd, WM_ACTIVATE, MAKEWPARAM(WA_CLICKACTIVE, 0), 0);
    EXPECT_EQ(focusName(), "cmdResetMTU");
}

TEST_F(MainWindowTest, TabFollowsTheFocusOrderOverTheVisiblePageOnly)
{
    m_form->selectPage(1);
    SetFocus(control("txtMTU"));
    std::vector<std::string> forward;
    for (int i = 0; i < 5; ++i) {
        press(VK_TAB);
        forward.push_back(focusName());
    }
    EXPECT_EQ(forward, (std::vector<std::string>{"cmdSaveMTU", "cmdResetMTU", "SSTab1", "Picture3",
                                                 "txtMTU"}));
    press(VK_TAB, false, true);
    EXPECT_EQ(focusName(), "Picture3");

    m_form->selectPage(2);
    SetFocus(control("txtRWIN"));
    press(VK_TAB);
    EXPECT_EQ(focusName(), "cmdSave");
    press(VK_TAB);
    EXPECT_EQ(focusName(), "cmdReset");

    // Ctrl+Tab and Ctrl+PgDn turn to the next page, Ctrl+Shift+Tab and Ctrl+PgUp back;
    // the focus leaves the page that goes out of view.
    press(VK_TAB, true);
    EXPECT_EQ(m_form->currentPage(), 3);
    EXPECT_EQ(focusName(), "cmdExit");
    press(VK_NEXT, true);
    EXPECT_EQ(m_form->currentPage(), 0);
    press(VK_PRIOR, true);
    EXPECT_EQ(m_form->currentPage(), 3);
    press(VK_TAB, true, true);
    EXPECT_EQ(m_form->currentPage(), 2);
    EXPECT_TRUE(IsWindowVisible(GetFocus()));
}

TEST_F(MainWindowTest, EnterAndEscapePressNoButtonButSpaceDoes)
{
    m_form->selectPage(1);
    SetWindowTextA(control("txtMTU"), "1500");
    SetFocus(control("cmdSaveMTU"));
    {
        RegistryGuard registry;
        press(VK_RETURN);
        press(VK_ESCAPE);
        SetFocus(control("txtMTU"));
        press(VK_RETURN);
        EXPECT_TRUE(m_boxes.empty());
        // The same way of pressing keys does reach the button.
        SetFocus(control("cmdSaveMTU"));
        press(VK_SPACE);
        ASSERT_EQ(m_boxes.size(), 1u);
        EXPECT_EQ(m_boxes[0].title, "Saved!");
    }
    EXPECT_TRUE(IsWindow(m_hwnd));
}

TEST_F(MainWindowTest, TypingAnMtuProposesRwinAndFillsTheCaption)
{
    HWND mtu = control("txtMTU");
    HWND rwin = control("txtRWIN");
    HWND formula = control("lblCalc");
    m_form->selectPage(1);
    type(mtu, "1500");
    EXPECT_EQ(textOf(rwin), "5840");
    EXPECT_EQ(textOf(formula), "(1500 - 40) * 4");
    m_form->selectPage(2);
    EXPECT_TRUE(IsWindowVisible(formula));
    type(rwin, "8192");
    EXPECT_FALSE(IsWindowVisible(formula));
    type(rwin, "5840");
    EXPECT_TRUE(IsWindowVisible(formula));
    // A caption set before txtRWIN_Change had run would show the MTU before last.
    type(rwin, "1");
    m_form->selectPage(1);
    type(mtu, "576");
    EXPECT_EQ(textOf(rwin), "2144");
    EXPECT_EQ(textOf(formula), "(576 - 40) * 4");
    EXPECT_NE(GetWindowLongA(formula, GWL_STYLE) & WS_VISIBLE, 0);
    // Not a number: the other box and the label stay as they are.
    type(mtu, "abc");
    EXPECT_EQ(textOf(rwin), "2144");
    EXPECT_EQ(textOf(formula), "(576 - 40) * 4");
}

TEST_F(MainWindowTest, BothSaveButtonsWriteTheSixValues)
{
    for (const char *button : {"cmdSaveMTU", "cmdSave"}) {
        SCOPED_TRACE(button);
        RegistryGuard registry;
        m_boxes.clear();
        SetWindowTextA(control("txtMTU"), "1500");
        SetWindowTextA(control("txtRWIN"), "6000");
        m_form->selectPage(std::string(button) == "cmdSave" ? 2 : 1);
        click(button);
        EXPECT_EQ(tuningValues(), (std::vector<std::optional<std::string>>{
                                      "1500", "1500", "1500", "1500", "1500", "6000"}));
        ASSERT_EQ(m_boxes.size(), 1u);
        EXPECT_EQ(m_boxes[0].owner, m_hwnd);
        EXPECT_EQ(m_boxes[0].title, "Saved!");
        EXPECT_EQ(m_boxes[0].text.rfind("MaxMTU setting: 1500 & RWIN setting: 6000 saved!", 0), 0u)
            << m_boxes[0].text;
    }
}

TEST_F(MainWindowTest, BothResetButtonsRemoveThem)
{
    for (const char *button : {"cmdResetMTU", "cmdReset"}) {
        SCOPED_TRACE(button);
        RegistryGuard registry;
        m_boxes.clear();
        SetWindowTextA(control("txtMTU"), "1500");
        m_form->selectPage(1);
        click("cmdSaveMTU");
        ASSERT_EQ(tuningValues().front(), "1500");
        writeValue(tcpKey, "Other", "kept");
        m_form->selectPage(std::string(button) == "cmdReset" ? 2 : 1);
        click(button);
        EXPECT_EQ(tuningValues(), std::vector<std::optional<std::string>>(6));
        EXPECT_EQ(readValue(tcpKey, "Other"), "kept");
        ASSERT_EQ(m_boxes.size(), 2u);
        EXPECT_EQ(m_boxes[1].owner, m_hwnd);
        EXPECT_EQ(m_boxes[1].title, "Reset");
        EXPECT_EQ(m_boxes[1].text, "Settings reset!");
        // The boxes keep what they show.
        EXPECT_EQ(textOf(control("txtMTU")), "1500");
        EXPECT_EQ(textOf(control("txtRWIN")), "5840");
        HKEY key = nullptr;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, tcpKey.c_str(), 0, KEY_SET_VALUE, &key) ==
            ERROR_SUCCESS) {
            RegDeleteValueA(key, "Other");
            RegCloseKey(key);
        }
    }
}

TEST_F(MainWindowTest, BadInputIsNotSavedAndLeavesTheRegistryAsItWas)
{
    RegistryGuard registry;
    for (const std::string &key : adapterKeys) {
        writeValue(key, "MaxMTU", "576");
    }
    writeValue(tcpKey, "DefaultRcvWindow", "2144");
    const auto before = tuningValues();
    m_form->selectPage(1);
    for (const auto &[mtu, rwin] : std::vector<std::pair<std::string, std::string>>{
             {"", ""}, {"1500", "-5"}, {"15OO", "5840"}, {"1500.5", "5842"}}) {
        SCOPED_TRACE(mtu + " / " + rwin);
        m_boxes.clear();
        SetWindowTextA(control("txtMTU"), mtu.c_str());
        SetWindowTextA(control("txtRWIN"), rwin.c_str());
        click("cmdSaveMTU");
        ASSERT_EQ(m_boxes.size(), 1u);
        EXPECT_EQ(m_boxes[0].title, "Not Saved");
        EXPECT_EQ(tuningValues(), before);
    }
    EXPECT_TRUE(IsWindow(m_hwnd));
}

TEST_F(MainWindowTest, EveryTickShowsTheDrawnSponsorInEveryBanner)
{
    const std::array<const char *, 4> banners = {"imgAds", "imgAds2", "imgAds3", "imgAds4"};
    // Before the first tick the banners show the initial picture, which is sponsor 8's.
    const std::vector<std::uint32_t> initial = shownPixels(*m_form, 0, control(banners[0]));
    // What the banners showed for each sponsor number drawn.
    std::map<int, std::vector<std::uint32_t>> shown;
    for (int tick = 0; tick < 400 && shown.size() < 11; ++tick) {
        m_form->tmrAds_Timer();
        const int n = m_form->sponsorNumber();
        ASSERT_GE(n, 1) << "tick " << tick;
        ASSERT_LE(n, 11) << "tick " << tick;
        const std::vector<std::uint32_t> first = shownPixels(*m_form, 0, control(banners[0]));
        for (int page = 1; page < 4; ++page) {
            ASSERT_EQ(shownPixels(*m_form, page, control(banners[page])), first)
                << banners[page] << " differs from imgAds at tick " << tick;
        }
        const auto [known, isNew] = shown.emplace(n, first);
        ASSERT_EQ(known->second, first) << "sponsor " << n << " looks different at tick " << tick;
    }
    // Eleven sponsors, eleven different pictures, the drawn number's among them.
    ASSERT_EQ(shown.size(), 11u);
    EXPECT_EQ(shown[8], initial) << "sponsor 8 shows the initial picture";
    for (auto a = shown.begin(); a != shown.end(); ++a) {
        for (auto b = std::next(a); b != shown.end(); ++b) {
            EXPECT_NE(a->second, b->second) << "sponsors " << a->first << " and " << b->first;
        }
    }
}

TEST_F(MainWindowTest, QuitDestroysTheWindowAndEndsTheProgram)
{
    m_form->selectPage(3);
    click("cmdExit");
    EXPECT_FALSE(IsWindow(m_hwnd));
    EXPECT_EQ(m_destroyed, 1);
    EXPECT_EQ(frmMain::instance(), nullptr);
    EXPECT_TRUE(m_boxes.empty()) << "nothing is asked or shown";
}

TEST_F(MainWindowTest, ClosingByOtherMeansEndsTheProgramToo)
{
    SendMessageA(m_hwnd, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(m_hwnd));
    EXPECT_EQ(m_destroyed, 1);

    // Alt+F4, wherever the focus is.
    m_form = frmMain::create(instance(), lumox::makeDefaultRegistryStore(),
                             lumox::SystemReadsTuningValues::Yes);
    ASSERT_NE(m_form, nullptr);
    m_hwnd = m_form->hwnd();
    m_form->show();
    m_form->selectPage(1);
    SetFocus(control("txtMTU"));
    SendMessageA(GetFocus(), WM_SYSKEYDOWN, VK_F4, 0x20000001);
    EXPECT_TRUE(pumpUntil([this] { return !IsWindow(m_hwnd); }, 2000));
    EXPECT_EQ(m_destroyed, 2);
}

TEST(SplashWindow, IsABorderlessToolWindowThatHandsOverToOneMainWindow)
{
    int destroyed = 0;
    frmMain::setDestroyedHook([&destroyed] { ++destroyed; });
    const TimerRecorder timers;
    ASSERT_TRUE(timers.installed());
    frmStartup *splash = frmStartup::create(instance(), lumox::SystemReadsTuningValues::No);
    ASSERT_NE(splash, nullptr);
    HWND hwnd = splash->hwnd();
    // The splash timer runs from creation, for one tick of 1250 ms.
    const std::vector<TimerRequest> splashTimers = TimerRecorder::of(hwnd);
    ASSERT_EQ(splashTimers.size(), 1u);
    EXPECT_EQ(splashTimers[0].intervalMs, 1250u);
    splash->show();
    // The splash takes no input, so it leaves the activation where it was.
    EXPECT_NE(GetActiveWindow(), hwnd);

    RECT window;
    GetWindowRect(hwnd, &window);
    EXPECT_EQ(window.right - window.left, 306);
    EXPECT_EQ(window.bottom - window.top, 277);
    EXPECT_EQ(window.left, (GetSystemMetrics(SM_CXSCREEN) - 306) / 2);
    EXPECT_EQ(window.top, (GetSystemMetrics(SM_CYSCREEN) - 277) / 2);
    EXPECT_FALSE(GetWindowLongA(hwnd, GWL_STYLE) & (WS_CAPTION | WS_THICKFRAME));
    EXPECT_TRUE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) << "no taskbar button";
    EXPECT_FALSE(GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_APPWINDOW);
    const RECT frame = rectIn(hwnd, findControl(hwnd, "Frame1"));
    EXPECT_EQ(frame.top, -5);
    EXPECT_EQ(frame.right, 305);
    const RECT picture = rectIn(hwnd, findControl(hwnd, "picStartup"));
    EXPECT_EQ(picture.left, 9);
    EXPECT_EQ(picture.top, 10);
    EXPECT_EQ(picture.right - picture.left, 289);
    EXPECT_EQ(picture.bottom - picture.top, 257);
    RECT inner;
    GetClientRect(findControl(hwnd, "picStartup"), &inner);
    EXPECT_EQ(inner.right, 285) << "a 2-pixel sunken border";
    EXPECT_EQ(inner.bottom, 253);

    // The box shows the start-up picture unscaled from its inner area's top-left corner,
    // as the decoder gives it (an upside-down, shifted or miscoloured picture shows here).
    UpdateWindow(hwnd);
    const lumox::testing::DecodedResource startup =
        lumox::testing::decodeResource(IDR_STARTUP_PICTURE);
    ASSERT_EQ(startup.width, 288);
    ASSERT_EQ(startup.height, 264);
    const HDC boxDc = GetDC(findControl(hwnd, "picStartup"));
    int mismatches = 0;
    for (int y = 0; y < inner.bottom; y += 3) {
        for (int x = 0; x < inner.right; x += 3)
            mismatches += GetPixel(boxDc, x, y) != startup.colourAt(x, y) ? 1 : 0;
    }
    ReleaseDC(findControl(hwnd, "picStartup"), boxDc);
    EXPECT_EQ(mismatches, 0);

    // Keys and a close request change nothing; the timer alone ends the splash.
    SendMessageA(hwnd, WM_CLOSE, 0, 0);
    SendMessageA(hwnd, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_TRUE(IsWindow(hwnd));
    EXPECT_EQ(frmMain::instance(), nullptr);

    const DWORD start = GetTickCount();
    ASSERT_TRUE(pumpUntil([hwnd] { return !IsWindow(hwnd); }, 4000));
    const DWORD shown = GetTickCount() - start;
    EXPECT_GE(shown, 1000u) << "the splash stays for its timer's interval";
    frmMain *main = frmMain::instance();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(IsWindowVisible(main->hwnd()));
    EXPECT_EQ(GetActiveWindow(), main->hwnd()) << "the main window takes the activation";
    // The banner timer runs from the main window's creation, every 1750 ms, and its tick
    // changes the banners.
    const std::vector<TimerRequest> bannerTimers = TimerRecorder::of(main->hwnd());
    ASSERT_EQ(bannerTimers.size(), 1u);
    EXPECT_EQ(bannerTimers[0].intervalMs, 1750u);
    EXPECT_EQ(main->sponsorNumber(), 0);
    SendMessageA(main->hwnd(), WM_TIMER, bannerTimers[0].id, 0);
    EXPECT_GE(main->sponsorNumber(), 1);

    // Nothing more happens: still one main window, and no splash.
    pumpUntil([] { return false; }, 1500);
    std::map<std::string, int> windows;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND each, LPARAM tally) CALLBACK -> BOOL {
            char name[32] = {};
            GetClassNameA(each, name, sizeof name);
            ++(*reinterpret_cast<std::map<std::string, int> *>(tally))[name];
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    EXPECT_EQ(windows["frmMain"], 1);
    EXPECT_EQ(windows["frmStartup"], 0);

    DestroyWindow(main->hwnd());
    EXPECT_EQ(destroyed, 1);
    frmMain::setDestroyedHook({});
}

} // namespace
