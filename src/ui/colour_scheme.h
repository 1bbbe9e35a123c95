#pragma once

#include "model/window_state.h"
#include "model/window_table.h"

// The window paints in the light palette, or in the dark one while the
// user's app mode is dark, or, while a high-contrast theme is on, whatever
// the app mode, in the system colours that window_table.h pairs with them.

// Asks whether a high-contrast theme is on and reads the app mode, makes the
// brushes of the surfaces that the controls lie on, and gives the list its
// colours and the controls and the caption the look of the scheme. Called
// once the list has its column, and again whenever the theme changes.
void applyColourScheme(WindowState& state);

// Whether a WM_SETTINGCHANGE may change the scheme: a high-contrast theme
// switched (SPI_SETHIGHCONTRAST), or the app mode ("ImmersiveColorSet",
// which Windows sends when the user chooses light or dark).
bool settingChangesColours(WPARAM wParam, LPARAM lParam);

// WM_SETTINGCHANGE for either, and WM_SYSCOLORCHANGE: applies the scheme
// again and repaints the whole window, controls included.
void followThemeChange(WindowState& state);

// `colour` in the scheme the window follows now.
COLORREF colourOf(const WindowState& state, ThemedColour colour);

// The window paints in the dark palette now.
bool paintsDark(const WindowState& state);
