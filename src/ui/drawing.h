#pragma once

#include "model/window_state.h"

// WM_PAINT: background, accent bar, recommended card and status card, in the
// colour scheme of the moment (ui/colour_scheme.h), as is everything here.
void paintWindow(WindowState& state);

// WM_DRAWITEM: draws an owner-drawn button and returns true; returns false
// for anything that is not a button, which then goes to DefWindowProcW.
bool drawOwnerButton(WindowState& state, const DRAWITEMSTRUCT* item);

// WM_CTLCOLOR*: sets the control's text colour and returns the brush of the
// surface painted under it.
HBRUSH controlColors(WindowState& state, HDC context, HWND control);
