#pragma once

#include "model/window_state.h"

// The main window's outer size in each mode: the size it opens with, the
// limits of resizing it, the size the user gave it, and its size at another
// DPI. Sizes are outer sizes in the window's pixels; the client area is what
// the layout is drawn for, whatever frame the system draws around it.

// The outer size of a window of `style` and `extendedStyle` (no menu) whose
// client area holds the layout of the mode at `dpi`, the list shortened by
// `listShortening` pixels: the frame is the one the system draws for that
// style at that DPI, however large.
SIZE windowSizeFor(bool expanded, int listShortening, UINT dpi, DWORD style, DWORD extendedStyle);

// WM_GETMINMAXINFO: the expanded window is never made smaller than it
// opened; the compact one keeps its size, whoever asks for another.
void limitWindowSize(const WindowState& state, MINMAXINFO& limits);

// Before the window collapses: the size the user gave the expanded window
// (its restored size when it is maximised) and whether it is maximised.
void rememberExpandedSize(WindowState& state);

// Gives the window the frame and the size of its mode. The compact window is
// of fixed size. The expanded one has a sizing border and a maximise box, and
// takes the size the user last gave it in this run, maximised again if it
// was, or else the size it opens with: the layout's, or on a work area lower
// than that, the work area's height, the list giving up the difference. When
// it grows past the bottom of the work area, it moves up as far as needed and
// the work area's top allows. Collapsing a maximised window restores it.
void sizeWindowForMode(WindowState& state);

// WM_DPICHANGED, once `state.dpi` is the new DPI: the window moves to the
// suggested place. A maximised window takes the suggested size; the compact
// one its size at the new DPI; the expanded one keeps its client area in
// proportion, at least the size it opens with at the new DPI on the monitor
// it moves to. A size remembered for the expanded window is kept in
// proportion too.
void sizeWindowForDpi(WindowState& state, UINT previousDpi, const RECT& suggested);

// WM_GETDPISCALEDSIZE: the outer size sizeWindowForDpi gives the window at
// `dpi`, in the frame the system draws at that DPI, so that the rectangle
// WM_DPICHANGED suggests is already the final one. False for a maximised
// window, which takes the system's own suggestion.
bool windowSizeAtDpi(const WindowState& state, UINT dpi, SIZE& size);
