#include "support/catalog_fixture.h"
#include "support/dib_canvas.h"
#include "support/draw_text_recorder.h"

#include "ui/drawing.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <set>
#include <utility>

namespace {

// A 220 x 50 memory bitmap to draw buttons into.
class Canvas : public DibCanvas {
public:
    Canvas() : DibCanvas(width, height) {}

    static constexpr int width = 220;
    static constexpr int height = 50;
};

constexpr COLORREF background = palette::background;

COLORREF brushColour(HBRUSH brush)
{
    LOGBRUSH look = {};
    GetObjectW(brush, sizeof(look), &look);
    return look.lbColor;
}

class Drawing : public CatalogTest {
protected:
    TestWindow& openShown()
    {
        addApp(1, L"ChatGPT", L"OpenAI.Codex_2p2nqsd0c76g0");
        TestWindow& window = open();
        // At the screen's corner, so that the expanded window fits on any
        // screen: pixels off the screen cannot be read back.
        SetWindowPos(window.window(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        return window;
    }

    COLORREF windowPixel(int x, int y)
    {
        RedrawWindow(state().window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
        HDC context = GetDC(state().window);
        const COLORREF colour = GetPixel(context, x, y);
        ReleaseDC(state().window, context);
        return colour;
    }

    struct Look {
        COLORREF fill;
        COLORREF outline;
        COLORREF text;
    };

    void drawButton(const Canvas& canvas, HWND button, UINT itemState)
    {
        ASSERT_EQ(drawButtonInto(canvas, button, itemState), TRUE);
    }

    // Pixels away from the label, and the label's colour as the program sets
    // it: which of its pixels reach that colour is the font rasteriser's.
    void expectButtonLook(HWND button, UINT itemState, Look look, COLORREF surface = background)
    {
        Canvas canvas;
        DrawTextRecorder label;
        drawButton(canvas, button, itemState);
        EXPECT_EQ(canvas.pixel(0, 25), surface) << itemState;
        EXPECT_EQ(canvas.pixel(1, 25), look.outline) << itemState;
        EXPECT_EQ(canvas.pixel(8, 25), look.fill) << itemState;
        ASSERT_EQ(label.calls.size(), 1u) << itemState;
        EXPECT_EQ(label.calls[0].colour, look.text) << itemState;
    }
};

TEST_F(Drawing, PaintsBackgroundAccentBarAndCardsInBothModes)
{
    TestWindow& window = openShown();

    EXPECT_EQ(windowPixel(10, 10), background);
    EXPECT_EQ(windowPixel(30, 40), palette::accent);
    EXPECT_EQ(windowPixel(34, 40), background);
    EXPECT_EQ(windowPixel(35, 130), palette::highlight);
    EXPECT_EQ(windowPixel(28, 130), palette::highlightOutline);
    EXPECT_EQ(windowPixel(34, 260), palette::panel);
    EXPECT_EQ(windowPixel(28, 260), palette::panelOutline);
    EXPECT_EQ(windowPixel(34, 300), background);

    window.command(moreAppsButtonId);

    EXPECT_EQ(windowPixel(20, 260), background);
    EXPECT_EQ(windowPixel(34, 640), palette::panel);
    EXPECT_EQ(windowPixel(28, 640), palette::panelOutline);
    EXPECT_EQ(windowPixel(30, 40), palette::accent);
    EXPECT_EQ(windowPixel(35, 130), palette::highlight);
}

TEST_F(Drawing, PrimaryButtonLooksWithDisabledWinningOverPressed)
{
    openShown();
    HWND apply = state().applyButton;
    expectButtonLook(apply, 0, {0xEB6325, 0xEB6325, 0xFFFFFF});
    expectButtonLook(apply, ODS_SELECTED, {0xD84E1D, 0xD84E1D, 0xFFFFFF});
    expectButtonLook(apply, ODS_DISABLED, {0xB8A394, 0xB8A394, 0xFFFFFF});
    expectButtonLook(apply, ODS_DISABLED | ODS_SELECTED, {0xB8A394, 0xB8A394, 0xFFFFFF});
}

// WCAG's contrast ratio of two colours.
double contrast(COLORREF first, COLORREF second)
{
    const auto luminance = [](COLORREF colour) {
        const auto linear = [](int channel) {
            const double value = channel / 255.0;
            return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(GetRValue(colour)) + 0.7152 * linear(GetGValue(colour)) +
               0.0722 * linear(GetBValue(colour));
    };
    const double a = luminance(first);
    const double b = luminance(second);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// The focused primary button wears a ring at its edge that stands out from
// its fill and from the window; with cues hidden it looks as unfocused.
TEST_F(Drawing, FocusedPrimaryButtonHasARingThatContrastsWithFillAndWindow)
{
    openShown();
    HWND apply = state().applyButton;
    expectButtonLook(apply, ODS_FOCUS | ODS_NOFOCUSRECT, {0xEB6325, 0xEB6325, 0xFFFFFF});
    Canvas canvas;
    drawButton(canvas, apply, ODS_FOCUS);
    const COLORREF ring = canvas.pixel(1, 25);
    EXPECT_EQ(canvas.pixel(2, 25), ring);
    EXPECT_GE(contrast(ring, canvas.pixel(0, 25)), 3.0);
    EXPECT_GE(contrast(ring, canvas.pixel(8, 25)), 3.0);
    EXPECT_EQ(canvas.pixel(8, 25), palette::accent);
}

TEST_F(Drawing, SecondaryButtonLooksWithPressedWinningOverDisabled)
{
    openShown();
    for (HWND button : {state().moreAppsButton, state().refreshButton, state().closeButton}) {
        expectButtonLook(button, 0, {0xFFFFFF, 0xE1D5CB, 0x2A170F});
        expectButtonLook(button, ODS_SELECTED, {0xF9F5F1, 0xE1D5CB, 0x2A170F});
        expectButtonLook(button, ODS_DISABLED, {0xFCFAF8, 0xE1D5CB, 0xB8A394});
        expectButtonLook(button, ODS_DISABLED | ODS_SELECTED, {0xF9F5F1, 0xE1D5CB, 0x2A170F});
    }
}

TEST_F(Drawing, FocusRectangleLiesFivePixelsInsideWithoutChangingColours)
{
    openShown();
    Canvas canvas;
    drawButton(canvas, state().refreshButton, ODS_FOCUS);
    bool dotted = false;
    for (int y = 10; y < 40; ++y) {
        dotted = dotted || canvas.pixel(5, y) != palette::white;
        EXPECT_EQ(canvas.pixel(4, y), palette::white);
        EXPECT_EQ(canvas.pixel(6, y), palette::white);
    }
    EXPECT_TRUE(dotted);
    EXPECT_EQ(canvas.pixel(1, 25), palette::panelOutline);
}

TEST_F(Drawing, AmpersandInALabelIsDrawnAsItself)
{
    openShown();
    Canvas withAmpersand;
    Canvas withoutAmpersand;
    SetWindowTextW(state().refreshButton, L"&&&&&&");
    drawButton(withAmpersand, state().refreshButton, 0);
    SetWindowTextW(state().refreshButton, L"&&&");
    drawButton(withoutAmpersand, state().refreshButton, 0);
    // Six ampersands draw twice as wide as three, not as three with prefixes.
    const RECT label = {5, 5, Canvas::width - 5, 45};
    EXPECT_GT(withAmpersand.inkWidth(label, palette::white), withoutAmpersand.inkWidth(label, palette::white) * 3 / 2);
}

TEST_F(Drawing, NonButtonItemsGoToTheDefaultProcedure)
{
    openShown();
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_MENU;
    EXPECT_EQ(SendMessageW(state().window, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item)), FALSE);
    EXPECT_FALSE(drawOwnerButton(state(), nullptr));
    item.CtlType = ODT_LISTBOX;
    EXPECT_FALSE(drawOwnerButton(state(), &item));
}

TEST_F(Drawing, ControlColoursMatchTheSurfaceUnderEachControl)
{
    openShown();
    Canvas canvas;
    HDC context = canvas.context();
    // A transparent control shows what the window paints under it: the
    // brush it gets is the colour of the surface just left of it.
    const auto surfaceLeftOf = [&](HWND control) {
        const RECT place = clientRectOf(control);
        return windowPixel(place.left - 3, (place.top + place.bottom) / 2);
    };
    struct Expected {
        HWND control;
        COLORREF text;
        int mode;
    };
    const Expected table[] = {
        {state().searchEdit, palette::mainText, OPAQUE},
        {state().titleLabel, palette::mainText, TRANSPARENT},
        {state().subtitleLabel, palette::secondaryText, TRANSPARENT},
        {state().recommendedCheck, palette::mainText, TRANSPARENT},
        {state().statusLabel, palette::secondaryText, TRANSPARENT},
        {state().refreshButton, palette::mainText, TRANSPARENT},
    };
    for (UINT message : {WM_CTLCOLOREDIT, WM_CTLCOLORBTN, WM_CTLCOLORSTATIC}) {
        for (const Expected& expected : table) {
            SetTextColor(context, 0);
            SetBkMode(context, expected.mode == OPAQUE ? TRANSPARENT : OPAQUE);
            const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
                state().window, message, reinterpret_cast<WPARAM>(context), reinterpret_cast<LPARAM>(expected.control)));
            // The search box fills itself: its brush and its background colour agree.
            const COLORREF surface =
                expected.mode == OPAQUE ? GetBkColor(context) : surfaceLeftOf(expected.control);
            EXPECT_EQ(brushColour(brush), surface) << windowText(expected.control);
            EXPECT_EQ(GetTextColor(context), expected.text) << windowText(expected.control);
            EXPECT_EQ(GetBkMode(context), expected.mode) << windowText(expected.control);
        }
    }
    EXPECT_EQ(GetBkColor(context), palette::white);

    EnableWindow(state().recommendedCheck, FALSE);
    SendMessageW(state().window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(context),
                 reinterpret_cast<LPARAM>(state().recommendedCheck));
    EXPECT_EQ(GetTextColor(context), palette::secondaryText);
}

// The fake gives each system colour a colour of its own, so that every
// surface shows which one it was painted in.
TEST_F(Drawing, AHighContrastThemePaintsEverythingInTheSystemColours)
{
    accessibility().highContrast = true;
    accessibility().appsUseLightTheme = {REG_DWORD, 0};
    openShown();
    EXPECT_EQ(accessibility().darkCaptions[state().window], FALSE);
    const auto system = fakeSystemColour;

    EXPECT_EQ(windowPixel(10, 10), system(COLOR_WINDOW));
    EXPECT_EQ(windowPixel(30, 40), system(COLOR_HIGHLIGHT)) << "accent bar";
    EXPECT_EQ(windowPixel(35, 130), system(COLOR_WINDOW)) << "recommended card";
    EXPECT_EQ(windowPixel(28, 130), system(COLOR_WINDOWFRAME));
    EXPECT_EQ(windowPixel(34, 260), system(COLOR_WINDOW)) << "status card";
    EXPECT_EQ(windowPixel(28, 260), system(COLOR_WINDOWFRAME));

    const COLORREF window = system(COLOR_WINDOW);
    const COLORREF grey = system(COLOR_GRAYTEXT);
    const COLORREF highlight = system(COLOR_HIGHLIGHT);
    const COLORREF highlightText = system(COLOR_HIGHLIGHTTEXT);
    const COLORREF face = system(COLOR_BTNFACE);
    HWND apply = state().applyButton;
    HWND refresh = state().refreshButton;
    expectButtonLook(apply, 0, {highlight, highlight, highlightText}, window);
    expectButtonLook(apply, ODS_SELECTED, {highlightText, highlight, highlight}, window);
    expectButtonLook(apply, ODS_DISABLED | ODS_SELECTED, {face, grey, grey}, window);
    expectButtonLook(refresh, 0, {face, system(COLOR_WINDOWFRAME), system(COLOR_BTNTEXT)}, window);
    expectButtonLook(refresh, ODS_SELECTED | ODS_DISABLED, {highlight, highlight, highlightText}, window);
    expectButtonLook(refresh, ODS_DISABLED, {face, grey, grey}, window);

    Canvas canvas;
    HDC context = canvas.context();
    const auto colours = [&](HWND control) {
        const auto brush = reinterpret_cast<HBRUSH>(SendMessageW(
            state().window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(context), reinterpret_cast<LPARAM>(control)));
        return std::pair{brushColour(brush), GetTextColor(context)};
    };
    const auto onWindow = std::pair{window, system(COLOR_WINDOWTEXT)};
    for (HWND control : {state().searchEdit, state().titleLabel, state().subtitleLabel, state().recommendedCheck,
                         state().statusLabel}) {
        EXPECT_EQ(colours(control), onWindow) << windowText(control);
    }
    EXPECT_EQ(GetBkColor(context), window) << "the search box";
    EnableWindow(state().recommendedCheck, FALSE);
    EXPECT_EQ(colours(state().recommendedCheck), std::pair(window, grey));
    EXPECT_EQ(SendMessageW(state().appList, LVM_GETBKCOLOR, 0, 0), window);
    EXPECT_EQ(SendMessageW(state().appList, LVM_GETTEXTBKCOLOR, 0, 0), window);
    EXPECT_EQ(SendMessageW(state().appList, LVM_GETTEXTCOLOR, 0, 0), system(COLOR_WINDOWTEXT));
}

// The app mode is read again on "ImmersiveColorSet" (another area changes
// nothing, as the theme switch below shows): 0 is dark; 1, a value of
// another type and none are light.
TEST_F(Drawing, TheAppModeFollowsAppsUseLightThemeLiveKeepingModeSearchTicksFocusAndScroll)
{
    for (unsigned sid = 2; sid < 40; ++sid) {
        addApp(sid, L"App " + std::to_wstring(sid));
    }
    TestWindow& window = openShown();
    window.command(moreAppsButtonId);
    window.setSearchText(L"App");
    window.setRowChecked(3, true);
    ListView_EnsureVisible(state().appList, 30, FALSE);
    SetFocus(state().appList);
    const int top = ListView_GetTopIndex(state().appList);
    const std::pair<DWORD, DWORD> modes[] = {{REG_DWORD, 0},  {REG_DWORD, 1}, {REG_DWORD, 0},
                                             {REG_BINARY, 0}, {REG_DWORD, 0}, {REG_NONE, 0}};
    for (const auto& mode : modes) {
        const bool dark = mode == std::pair<DWORD, DWORD>{REG_DWORD, 0};
        accessibility().appsUseLightTheme = mode;
        SendMessageW(window.window(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"ImmersiveColorSet"));
        EXPECT_EQ(windowPixel(10, 10), dark ? darkPalette::background : palette::background);
        EXPECT_EQ(SendMessageW(state().appList, LVM_GETBKCOLOR, 0, 0), dark ? darkPalette::raised : palette::white);
        EXPECT_EQ(accessibility().darkCaptions[window.window()], dark);
        const std::wstring listClass = dark ? L"DarkMode_Explorer" : L"Explorer";
        EXPECT_EQ(accessibility().themeClasses[state().appList], listClass);
        EXPECT_EQ(accessibility().themeClasses[ListView_GetHeader(state().appList)], dark ? listClass : L"");
        EXPECT_EQ(accessibility().themeClasses[state().recommendedCheck], dark ? L" " : L"");
        EXPECT_TRUE(state().expanded && window.rowChecked(3) && GetFocus() == state().appList);
        EXPECT_EQ(windowText(state().searchEdit), L"App");
        EXPECT_EQ(ListView_GetTopIndex(state().appList), top);
    }
}

// The window, the search box and its cue and the list are dark, and a row,
// the selected row and the status line read at 4.5:1 against the surface
// at their right end.
TEST_F(Drawing, AWindowOpenedInTheDarkAppModeIsDarkAndReads)
{
    accessibility().appsUseLightTheme = {REG_DWORD, 0};
    addApp(2, L"Weather");
    addApp(3, L"Paint");
    TestWindow& window = openShown();
    window.command(moreAppsButtonId);
    ListView_SetItemState(state().appList, 1, LVIS_SELECTED, LVIS_SELECTED);
    SetFocus(state().appList);
    DibCanvas shown(layout::clientWidth, layout::expandedClientHeight);
    RedrawWindow(window.window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    shown.capture(window.window());
    const auto expectReads = [&](COLORREF text, HWND control, int row, COLORREF surface) {
        RECT area = {};
        row < 0 ? GetClientRect(control, &area) : ListView_GetItemRect(control, row, &area, LVIR_BOUNDS);
        MapWindowPoints(control, window.window(), reinterpret_cast<POINT*>(&area), 2);
        EXPECT_TRUE(shown.contains(text, area)) << row;
        EXPECT_EQ(shown.pixel(area.right - 4, area.top + 2), surface) << row;
        EXPECT_GE(contrast(text, surface), 4.5) << row;
    };
    expectReads(darkOnlyColours::searchCue, state().searchEdit, -1, darkPalette::raised);
    expectReads(darkPalette::mainText, state().appList, 0, darkPalette::raised);
    expectReads(darkOnlyColours::selectionText, state().appList, 1, darkOnlyColours::selection);
    expectReads(darkPalette::secondaryText, state().statusLabel, -1, darkPalette::raised);

    // The program's own entries find both functions in the DLLs it loads by
    // hand; Wine's answer S_OK and change nothing.
    const BOOL dark = TRUE;
    EXPECT_NE(systemAccessibilityApi().setWindowTheme(state().appList, L"Explorer", nullptr), E_NOTIMPL);
    EXPECT_NE(systemAccessibilityApi().dwmSetWindowAttribute(window.window(), 20, &dark, sizeof(dark)), E_NOTIMPL);
}

// Computed from the table: every text of the dark palette on the surface it
// is drawn on, and the focus ring against the fill and the window.
TEST(DarkPalette, EveryTextReadsAtFourAndAHalfToOneAndTheFocusRingShows)
{
    using namespace colours;
    const ButtonColours &primary = primaryButton, &pressed = primaryButtonPressed, &disabled = primaryButtonDisabled;
    const std::pair<COLORREF, COLORREF> textsOnSurfaces[] = {
        {text.dark, window.dark}, {secondaryText.dark, window.dark}, {text.dark, recommendedCard.dark},
        {disabledText.dark, recommendedCard.dark}, {fieldText.dark, field.dark}, {secondaryText.dark, field.dark},
        {secondaryText.dark, statusCard.dark}, {darkOnlyColours::searchCue, field.dark},
        {darkOnlyColours::selectionText, darkOnlyColours::selection}, {primary.text.dark, primary.fill.dark},
        {pressed.text.dark, pressed.fill.dark}, {disabled.text.dark, disabled.fill.dark},
        {button.text.dark, button.fill.dark}, {buttonPressed.text.dark, buttonPressed.fill.dark},
        {buttonDisabled.text.dark, buttonDisabled.fill.dark}};
    for (const auto& [foreground, surface] : textsOnSurfaces) {
        EXPECT_GE(contrast(foreground, surface), 4.5) << std::hex << foreground << " on " << surface;
    }
    EXPECT_GE(contrast(focusRing.dark, primaryButton.fill.dark), 3.0);
    EXPECT_GE(contrast(focusRing.dark, window.dark), 3.0);
}

TEST_F(Drawing, AThemeSwitchRebuildsTheBrushesAndRepaintsControlsTooWithoutLeaking)
{
    TestWindow& window = openShown();
    restartRecording();
    // What the client area shows once the paints a switch left pending are done.
    DibCanvas shown(layout::clientWidth, layout::compactClientHeight);
    for (int round = 0; round < 20; ++round) {
        const bool on = round % 2 == 0;
        accessibility().highContrast = on;
        if (round % 4 < 2) {
            SendMessageW(window.window(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
        } else {
            SendMessageW(window.window(), WM_SYSCOLORCHANGE, 0, 0);
        }
        shown.capture(window.window());
        EXPECT_EQ(shown.pixel(10, 10), on ? fakeSystemColour(COLOR_WINDOW) : palette::background) << round;
        // The status line's text, which only the line itself paints.
        const RECT statusLine = {40, 240, 664, 280};
        EXPECT_TRUE(shown.contains(on ? fakeSystemColour(COLOR_WINDOWTEXT) : palette::secondaryText, statusLine))
            << round;
        EXPECT_EQ(SendMessageW(state().appList, LVM_GETBKCOLOR, 0, 0),
                  on ? fakeSystemColour(COLOR_WINDOW) : palette::white);
        const std::set<const void*> brushes = {state().backgroundBrush.get(), state().fieldBrush.get(),
                                               state().recommendedCardBrush.get(), state().statusCardBrush.get()};
        EXPECT_EQ(spy().liveGdiObjects.entries(), brushes) << round;
    }

    const int created = spy().gdiObjectsCreated;
    SendMessageW(window.window(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    SendMessageW(window.window(), WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(L"Policy"));
    EXPECT_EQ(spy().gdiObjectsCreated, created) << "another setting rebuilds nothing";
}

TEST_F(Drawing, EveryPenAndBrushCreatedWhilePaintingIsDeleted)
{
    TestWindow& window = openShown();
    restartRecording();
    Canvas canvas;

    for (int round = 0; round < 50; ++round) {
        RedrawWindow(window.window(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
        drawButton(canvas, state().applyButton, round % 2 ? ODS_SELECTED : 0);
        drawButton(canvas, state().refreshButton, ODS_FOCUS);
    }

    EXPECT_GT(spy().gdiObjectsCreated, 0);
    EXPECT_TRUE(spy().liveGdiObjects.empty());
}

} // namespace
