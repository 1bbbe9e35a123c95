#pragma once

#include "model/window_state.h"
#include "model/window_table.h"

// The window paints in the palette, or, while a high-contrast theme is on, in
// the system colours that window_table.h pairs with it.

// Asks whether a high-contrast theme is on, makes the brushes of the
// surfaces that the controls lie on and gives the list its colours. Called
// once the list exists, and again whenever the theme changes.
void applyColourScheme(WindowState& state);

// WM_SETTINGCHANGE for SPI_SETHIGHCONTRAST, and WM_SYSCOLORCHANGE: applies
// the scheme again and repaints the whole window, controls included.
void followThemeChange(WindowState& state);

// `colour` in the scheme the window follows now.
COLORREF colourOf(const WindowState& state, ThemedColour colour);
