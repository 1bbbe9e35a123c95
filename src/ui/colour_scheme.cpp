#include "ui/colour_scheme.h"

#include "model/owners.h"
#include "ui/accessibility_api.h"

#include <commctrl.h>

namespace {

bool highContrastOn()
{
    HIGHCONTRASTW highContrast = {};
    highContrast.cbSize = sizeof(highContrast);
    return accessibilityApi.systemParametersInfo(SPI_GETHIGHCONTRAST, sizeof(highContrast), &highContrast, 0) &&
           (highContrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

OwnedBrush brushOf(const WindowState& state, ThemedColour colour)
{
    return OwnedBrush(CreateSolidBrush(colourOf(state, colour)));
}

} // namespace

void applyColourScheme(WindowState& state)
{
    state.highContrast = highContrastOn();
    // Each brush replaced is deleted as its owner takes the new one; no
    // control holds it beyond the WM_CTLCOLOR* message that handed it out.
    state.backgroundBrush = brushOf(state, colours::window);
    state.fieldBrush = brushOf(state, colours::field);
    state.recommendedCardBrush = brushOf(state, colours::recommendedCard);
    state.statusCardBrush = brushOf(state, colours::statusCard);

    SendMessageW(state.appList, LVM_SETBKCOLOR, 0, colourOf(state, colours::field));
    SendMessageW(state.appList, LVM_SETTEXTBKCOLOR, 0, colourOf(state, colours::field));
    SendMessageW(state.appList, LVM_SETTEXTCOLOR, 0, colourOf(state, colours::fieldText));
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
    return state.highContrast ? accessibilityApi.getSysColor(colour.system) : colour.palette;
}
