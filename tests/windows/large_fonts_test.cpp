// The Win32 windows on a desktop of large fonts, 120 dots per inch, as Wine gives it
// when the prefix's HKCU\Control Panel\Desktop LogPixels is 120: twips at twelve to the
// pixel, fonts from their point sizes, pictures at their own pixel size. The pixel
// values here are the form's twips divided by twelve and rounded to the nearest pixel,
// halves away from zero, written out by hand.
#include "control_names.h"
#include "controls.h"
#include "decoded_resource.h"
#include "labels.h"
#include "main_window.h"
#include "registry_access.h"
#include "resource.h"
#include "shown_by_window.h"
#include "splash_window.h"
#include "tuning_actions.h"

#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace lumox::win32;

HINSTANCE instance()
{
    return GetModuleHandleA(nullptr);
}

// A window's rectangle relative to the top-left corner of top's client area.
RECT rectIn(HWND top, HWND window)
{
    RECT rect;
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, top, reinterpret_cast<POINT *>(&rect), 2);
    return rect;
}

void expectRect(const RECT &actual, int left, int top, int width, int height)
{
    EXPECT_EQ(actual.left, left);
    EXPECT_EQ(actual.top, top);
    EXPECT_EQ(actual.right - actual.left, width);
    EXPECT_EQ(actual.bottom - actual.top, height);
}

std::string textOf(HWND window)
{
    char buffer[2048] = {};
    GetWindowTextA(window, buffer, sizeof buffer);
    return buffer;
}

// What a window shows, as it is on the screen: 0x00RRGGBB for each pixel of its client
// area, top row first.
std::vector<std::uint32_t> shownPixels(HWND window, SIZE &size)
{
    std::vector<std::uint32_t> pixels = lumox::testing::clientAreaPixels(window, size);
    for (std::uint32_t &pixel : pixels) {
        pixel &= 0xFFFFFF;
    }
    return pixels;
}

std::uint32_t rgbOf(COLORREF colour)
{
    return (static_cast<std::uint32_t>(GetRValue(colour)) << 16) |
           (static_cast<std::uint32_t>(GetGValue(colour)) << 8) | GetBValue(colour);
}

// The number of pixels of a window's client area that differ from picture shown
// unscaled at its top-left corner, with the button face around it and under its
// transparent pixels.
int pixelsOffThePicture(HWND window, const lumox::testing::DecodedResource &picture)
{
    SIZE size = {};
    const std::vector<std::uint32_t> shown = shownPixels(window, size);
    const std::uint32_t face = rgbOf(GetSysColor(COLOR_BTNFACE));
    int off = 0;
    for (int y = 0; y < size.cy; ++y) {
        for (int x = 0; x < size.cx; ++x) {
            const bool inPicture = x < picture.width && y < picture.height;
            const bool opaque = inPicture && (picture.at(x, y) >> 24) != 0;
            const std::uint32_t wanted = opaque ? picture.at(x, y) & 0xFFFFFF : face;
            off += shown[static_cast<std::size_t>(y * size.cx + x)] != wanted ? 1 : 0;
        }
    }
    return off;
}

class LargeFonts : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const HDC screen = GetDC(nullptr);
        const int across = GetDeviceCaps(screen, LOGPIXELSX);
        const int down = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
        ASSERT_EQ(across, 120) << "the prefix is not set to large fonts";
        ASSERT_EQ(down, 120);
        ASSERT_EQ(displayDpi().x, 120);
        ASSERT_EQ(displayDpi().y, 120);
        frmMain::setDestroyedHook([] {});
    }
    void TearDown() override
    {
        if (m_main != nullptr && IsWindow(m_main->hwnd())) {
            DestroyWindow(m_main->hwnd());
        }
        frmMain::setDestroyedHook({});
    }

    frmMain &openMainWindow()
    {
        m_main = frmMain::create(instance(), lumox::makeDefaultRegistryStore(),
                                 lumox::SystemReadsTuningValues::No);
        EXPECT_NE(m_main, nullptr);
        m_main->show();
        return *m_main;
    }

    frmMain *m_main = nullptr;
};

TEST_F(LargeFonts, TheMainWindowIsLaidOutAtTwelveTwipsToThePixel)
{
    frmMain &form = openMainWindow();
    ASSERT_NE(m_main, nullptr);
    const HWND hwnd = form.hwnd();
    RECT client;
    GetClientRect(hwnd, &client);
    // 5670 x 5595 twips.
    EXPECT_EQ(client.right, 473);
    EXPECT_EQ(client.bottom, 466);
    RECT window;
    GetWindowRect(hwnd, &window);
    EXPECT_EQ(window.right - window.left, 473);
    EXPECT_EQ(window.left, (GetSystemMetrics(SM_CXSCREEN) - 473) / 2);

    // Frame1 {0, -70, 5655, 5655}: its outline runs along the window's top edge.
    expectRect(rectIn(hwnd, findControl(hwnd, "Frame1")), 0, -6, 471, 471);
    // SSTab1 {120, 240, 5445, 5295} in Frame1, with a strip of 520 hundredths of a
    // millimetre.
    const HWND tabs = findControl(hwnd, "SSTab1");
    expectRect(rectIn(hwnd, tabs), 10, 14, 454, 441);
    RECT tab;
    TabCtrl_GetItemRect(tabs, 0, &tab);
    EXPECT_EQ(tab.bottom - tab.top, 25);

    form.selectPage(1);
    // txtMTU {1560, 3000, 975, 285} on SSTab1; Line1 from 110 to 5270 at 675;
    // Picture3 {3470, 4080, 1860, 960} with imgAds2 {0, 0, 1800, 900} inside its border.
    expectRect(rectIn(hwnd, findControl(hwnd, "txtMTU")), 10 + 130, 14 + 250, 81, 24);
    expectRect(rectIn(hwnd, findControl(hwnd, "Line1")), 10 + 9, 14 + 56, 430, 1);
    expectRect(rectIn(hwnd, findControl(hwnd, "Picture3")), 10 + 289, 14 + 340, 155, 80);
    const HWND banner = findControl(hwnd, "imgAds2");
    expectRect(rectIn(hwnd, banner), 10 + 289 + 2, 14 + 340 + 2, 150, 75);

    // The banner keeps its 120 x 60 pixels at the top-left of its larger box.
    UpdateWindow(hwnd);
    const lumox::testing::DecodedResource initial =
        lumox::testing::decodeResource(IDR_INITIAL_BANNER);
    ASSERT_EQ(initial.width, 120);
    ASSERT_EQ(initial.height, 60);
    EXPECT_EQ(pixelsOffThePicture(banner, initial), 0);
}

TEST_F(LargeFonts, TheSplashShowsItsPictureUnscaled)
{
    frmStartup *splash = frmStartup::create(instance(), lumox::SystemReadsTuningValues::No);
    ASSERT_NE(splash, nullptr);
    const HWND hwnd = splash->hwnd();
    splash->show();
    RECT client;
    GetClientRect(hwnd, &client);
    // 4590 x 4155 twips.
    EXPECT_EQ(client.right, 383);
    EXPECT_EQ(client.bottom, 346);
    // picStartup {130, 225, 4335, 3855} in Frame1 {0, -70}, with a 2-pixel border.
    const HWND box = findControl(hwnd, "picStartup");
    expectRect(rectIn(hwnd, box), 11, -6 + 19, 361, 321);

    const lumox::testing::DecodedResource startup =
        lumox::testing::decodeResource(IDR_STARTUP_PICTURE);
    ASSERT_EQ(startup.width, 288);
    ASSERT_EQ(startup.height, 264);
    EXPECT_EQ(pixelsOffThePicture(box, startup), 0);
    DestroyWindow(hwnd);
}

// The font of a control, selected into a DC of its own, for measuring.
class ControlFont
{
public:
    explicit ControlFont(HWND window)
        : m_window(window), m_dc(GetDC(window)),
          m_old(SelectObject(m_dc, reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0))))
    {
        GetTextMetricsA(m_dc, &m_metrics);
    }
    ControlFont(const ControlFont &) = delete;
    ControlFont &operator=(const ControlFont &) = delete;
    ~ControlFont()
    {
        SelectObject(m_dc, m_old);
        ReleaseDC(m_window, m_dc);
    }

    HDC dc() const { return m_dc; }
    int lineHeight() const { return m_metrics.tmHeight; }
    int width(const std::string &text) const
    {
        SIZE size = {};
        GetTextExtentPoint32A(m_dc, text.c_str(), static_cast<int>(text.size()), &size);
        return size.cx;
    }

private:
    HWND m_window;
    HDC m_dc;
    HGDIOBJ m_old;
    TEXTMETRICA m_metrics = {};
};

int fontHeight(HWND window)
{
    LOGFONTA font = {};
    GetObjectA(reinterpret_cast<HFONT>(SendMessageA(window, WM_GETFONT, 0, 0)), sizeof font, &font);
    return font.lfHeight;
}

TEST_F(LargeFonts, EveryTextFitsItsBoxInFontsOfTheirPointSizes)
{
    frmMain &form = openMainWindow();
    ASSERT_NE(m_main, nullptr);
    const HWND hwnd = form.hwnd();
    // 8.25 pt and 9.75 pt at 120 dots per inch.
    EXPECT_EQ(fontHeight(findControl(hwnd, "Label1")), -13);
    EXPECT_EQ(fontHeight(findControl(hwnd, "lblReg")), -16);

    SetWindowTextA(findControl(hwnd, "lblCalc"), "(65535 - 40) * 4");
    int labels = 0;
    for (const lumox::layout::Control &entry : lumox::layout::mainWindowControls()) {
        using lumox::layout::Kind;
        if (entry.kind != Kind::Label && entry.kind != Kind::Button &&
            entry.kind != Kind::TextBox) {
            continue;
        }
        SCOPED_TRACE(std::string(entry.name));
        const HWND window = findControl(hwnd, entry.name);
        RECT box;
        GetClientRect(window, &box);
        const ControlFont font(window);
        const std::string text = textOf(window);
        switch (entry.kind) {
        case Kind::Label: {
            ++labels;
            const std::vector<std::string> lines = labelLines(window);
            EXPECT_LE(static_cast<int>(lines.size()) * font.lineHeight(), box.bottom)
                << lines.size() << " lines";
            for (const std::string &line : lines) {
                EXPECT_LE(labelLineWidth(font.dc(), line), box.right) << line;
            }
            break;
        }
        case Kind::Button:
            // The caption inside the button's 3-D edge and focus rectangle.
            EXPECT_LE(font.width(text) + 8, box.right) << text;
            EXPECT_LE(font.lineHeight() + 8, box.bottom);
            break;
        case Kind::TextBox:
            EXPECT_LE(font.lineHeight(), box.bottom);
            EXPECT_LE(font.width("65535") + 4, box.right);
            break;
        default:
            break;
        }
    }
    EXPECT_EQ(labels, 20);

    const HWND tabs = findControl(hwnd, "SSTab1");
    const ControlFont tabFont(tabs);
    for (int i = 0; i < TabCtrl_GetItemCount(tabs); ++i) {
        const std::string caption = lumox::testing::tabCaption(tabs, i);
        RECT tab;
        TabCtrl_GetItemRect(tabs, i, &tab);
        EXPECT_LE(tabFont.width(caption) + 6, tab.right - tab.left) << caption;
        EXPECT_LE(tabFont.lineHeight(), tab.bottom - tab.top) << caption;
    }
}

} // namespace
