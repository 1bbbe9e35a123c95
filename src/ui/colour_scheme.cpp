#include "ui/colour_scheme.h"

#include "model/owners.h"
#include "ui/accessibility_api.h"

#include <commctrl.h>

#include <cwchar>

namespace {

bool highContrastOn()
{
    HIGHCONTRASTW highContrast = {};
    highContrast.cbSize = sizeof(highContrast);
    return accessibilityApi.systemParametersInfo(SPI_GETHIGHCONTRAST, sizeof(highContrast), &highContrast, 0) &&
           (highContrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

// Where Windows' Settings keeps the app mode: 0 is dark; any other value, a
// value of another type and none at all are light, as Windows has it.
bool appModeDark()
{
    DWORD appsUseLightTheme = 1;
    DWORD size = sizeof(appsUseLightTheme);
    return accessibilityApi.regGetValue(HKEY_CURRENT_USER,
                                        L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize",
                                        L"AppsUseLightTheme", RRF_RT_REG_DWORD, nullptr, &appsUseLightTheme,
                                        &size) == ERROR_SUCCESS &&
           appsUseLightTheme == 0;
}

OwnedBrush brushOf(const WindowState& state, ThemedColour colour)
{
    return OwnedBrush(CreateSolidBrush(colourOf(state, colour)));
}

// DWMWA_USE_IMMERSIVE_DARK_MODE, which the SDK headers of MinGW-w64 10 lack.
// Windows 11 draws the caption dark while it is TRUE; earlier systems refuse
// the attribute and keep the caption as it was.
constexpr DWORD useImmersiveDarkMode = 20;

// The parts Windows draws with a visual style. In the dark palette the list's
// scroll bars and header take the dark variant of the Explorer style, where
// the system has one ("DarkMode_Explorer"; elsewhere the class matches
// nothing and they keep the default style), and the check box takes no
// style at all: a styled check box draws its label in the style's dark text
// whatever colour WM_CTLCOLORSTATIC sets, and an unstyled one in that colour.
// The header and the check box are left alone until the dark palette has
// been on, so that the light window is the one it always was.
void giveControlsTheirStyles(const WindowState& state, bool wasDark)
{
    const bool dark = paintsDark(state);
    const BOOL darkCaption = dark ? TRUE : FALSE;
    accessibilityApi.dwmSetWindowAttribute(state.window, useImmersiveDarkMode, &darkCaption, sizeof(darkCaption));
    accessibilityApi.setWindowTheme(state.appList, dark ? L"DarkMode_Explorer" : L"Explorer", nullptr);
    if (!dark && !wasDark) {
        return;
    }
    if (HWND header = ListView_GetHeader(state.appList)) {
        accessibilityApi.setWindowTheme(header, dark ? L"DarkMode_Explorer" : nullptr, nullptr);
    }
    // " " matches no style; null for both gives the class's style back.
    accessibilityApi.setWindowTheme(state.recommendedCheck, dark ? L" " : nullptr, dark ? L" " : nullptr);
}

} // namespace

void applyColourScheme(WindowState& state)
{
    const bool wasDark = paintsDark(state);
    state.highContrast = highContrastOn();
    state.darkAppMode = appModeDark();
    // Each brush replaced is deleted as its owner takes the new one; no
    // control holds it beyond the WM_CTLCOLOR* message that handed it out.
    state.backgroundBrush = brushOf(state, colours::window);
    state.fieldBrush = brushOf(state, colours::field);
    state.recommendedCardBrush = brushOf(state, colours::recommendedCard);
    state.statusCardBrush = brushOf(state, colours::statusCard);

    SendMessageW(state.appList, LVM_SETBKCOLOR, 0, colourOf(state, colours::field));
    SendMessageW(state.appList, LVM_SETTEXTBKCOLOR, 0, colourOf(state, colours::field));
    SendMessageW(state.appList, LVM_SETTEXTCOLOR, 0, colourOf(state, colours::fieldText));
    giveControlsTheirStyles(state, wasDark);
}

bool settingChangesColours(WPARAM wParam, LPARAM lParam)
{
    return wParam == SPI_SETHIGHCONTRAST ||
           (lParam && std::wcscmp(reinterpret_cast<const wchar_t*>(lParam), L"ImmersiveColorSet") == 0);
}

void followThemeChange(WindowState& state)
{
    applyColourScheme(state);
    // Common controls keep system colours of their own, which a child
    // refreshes only when its parent passes the message on.
    SendMessageW(state.appList, WM_SYSCOLORCHANGE, 0, 0);
    RedrawWindow(state.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
}

COLORREF colourOf(const WindowState& state, ThemedColour colour)
{
    if (state.highContrast) {
        return accessibilityApi.getSysColor(colour.system);
    }
    return state.darkAppMode ? colour.dark : colour.light;
}

bool paintsDark(const WindowState& state)
{
    return state.darkAppMode && !state.highContrast;
}
