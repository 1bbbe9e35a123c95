#pragma once

#include "model/window_state.h"
#include "model/window_table.h"

// The table's geometry and font sizes are in 96-DPI units; these give them in
// the pixels of a window at `dpi`. Boxes and rectangles scale by their edges,
// so that what touches or lines up at 96 DPI still does at any scale, and 96
// DPI gives the table itself.
int scaled(int value, UINT dpi);
Box scaled(const Box& box, UINT dpi);
RECT scaled(const RECT& rect, UINT dpi);

// The outer size of a window of `style` and `extendedStyle` (no menu) whose
// client area holds the layout of the mode at `dpi`, the list shortened by
// `listShortening` pixels: the frame is the one the system draws for that
// style at that DPI, however large.
SIZE windowSizeFor(bool expanded, int listShortening, UINT dpi, DWORD style, DWORD extendedStyle);
// The same for the main window, in its own style and at its DPI.
SIZE windowSizeOf(const WindowState& state, bool expanded, int listShortening);

// The five fonts of the table, made for the window's DPI.
void createFonts(WindowState& state);
// Gives every control the font it shows.
void giveControlsTheirFonts(const WindowState& state);
// Gives the window the program's icon in the sizes of its DPI.
void giveWindowItsIcons(WindowState& state);

// Sizes the window for its mode, DPI and list shortening, and places every
// control, the list's column and the status tooltip's width to match.
void layOutWindow(WindowState& state);

// WM_DPICHANGED: the window moves to the rectangle the system suggests and is
// built again for the new DPI, keeping its mode, texts, ticks and focus.
void onDpiChanged(WindowState& state, UINT dpi, const RECT& suggested);
