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

// NM_CUSTOMDRAW from the app list: in the dark palette a selected row is
// painted in the palette's selection colours rather than the system's, which
// are made for a light list. Returns false for any other notification.
bool colourListSelection(const WindowState& state, NMHDR* header, LRESULT& result);

// Makes the empty search box show its cue in the dark palette's cue colour
// while that palette is on; the edit draws it itself otherwise. Once, when
// the box is created.
void paintSearchCueInDarkPalette(HWND searchEdit);
