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

// Where every control and painted surface of the window lies for a client
// area of `client` pixels at `dpi`, in that mode: the table's places at the
// size the window opens with, and beyond that size the anchors the table
// describes. A client area smaller than the window ever opens is laid out as
// that smallest one.
struct WindowLayout {
    Box titleLabel;
    Box subtitleLabel;
    Box recommendedCheck;
    Box moreAppsButton;
    Box refreshButton;
    Box applyButton;
    Box searchEdit;
    Box emptyListText;
    Box appList;
    Box statusLabel;
    Box closeButton;
    int appListColumnWidth;
    RECT accentBar;
    RECT recommendedCard;
    RECT statusCard;
};
WindowLayout windowLayoutFor(bool expanded, SIZE client, UINT dpi);

// The five fonts of the table, made for the window's DPI.
void createFonts(WindowState& state);
// Gives every control the font it shows.
void giveControlsTheirFonts(const WindowState& state);
// Gives the window the program's icon in the sizes of its DPI.
void giveWindowItsIcons(WindowState& state);

// Places every control, the list's column and the status tooltip's width
// for the window's mode, client area and DPI, and has the window repainted.
void placeControls(const WindowState& state);

// WM_DPICHANGED: the window moves to the rectangle the system suggests and is
// built again for the new DPI, the list's check boxes and the status line's
// tooltip too, keeping its mode, size in proportion, texts, ticks and focus.
void onDpiChanged(WindowState& state, UINT dpi, const RECT& suggested);
