#include "ui/window_size.h"

#include "model/window_table.h"
#include "ui/window_layout.h"

#include <algorithm>

namespace {

SIZE outerSize(SIZE client, UINT dpi, DWORD style, DWORD extendedStyle)
{
    RECT frame = {0, 0, client.cx, client.cy};
    AdjustWindowRectExForDpi(&frame, style, FALSE, extendedStyle, dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

// In the window's own style, as it is at the moment, with the frame the
// system draws for the window at the DPI it gives the window (already the
// new one while WM_DPICHANGED is handled).
SIZE outerSizeOf(const WindowState& state, SIZE client)
{
    return outerSize(client, GetDpiForWindow(state.window),
                     static_cast<DWORD>(GetWindowLongPtrW(state.window, GWL_STYLE)),
                     static_cast<DWORD>(GetWindowLongPtrW(state.window, GWL_EXSTYLE)));
}

SIZE designedClientSize(bool expanded, UINT dpi)
{
    return {scaled(layout::clientWidth, dpi),
            scaled(expanded ? layout::expandedClientHeight : layout::compactClientHeight, dpi)};
}

SIZE openingClientSize(const WindowState& state)
{
    const SIZE designed = designedClientSize(state.expanded, state.dpi);
    return {designed.cx, designed.cy - state.listShortening};
}

SIZE atLeast(SIZE size, SIZE minimum)
{
    return {std::max(size.cx, minimum.cx), std::max(size.cy, minimum.cy)};
}

SIZE inProportion(SIZE size, UINT fromDpi, UINT toDpi)
{
    return {MulDiv(size.cx, static_cast<int>(toDpi), static_cast<int>(fromDpi)),
            MulDiv(size.cy, static_cast<int>(toDpi), static_cast<int>(fromDpi))};
}

SIZE clientSizeOf(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

bool workAreaOf(HMONITOR monitor, RECT& work)
{
    MONITORINFO info = {};
    info.cbSize = sizeof(info);
    if (!GetMonitorInfoW(monitor, &info)) {
        return false;
    }
    work = info.rcWork;
    return true;
}

// How many pixels shorter than its full height the expanded window opens to
// fit the work area of its monitor, in the window's own pixels (the work
// area's, for a per-monitor aware program) at any DPI; none for the compact
// window. False when there is no work area to fit, or nothing to fit to it.
bool fitOpeningSizeTo(WindowState& state, HMONITOR monitor, RECT& work)
{
    state.listShortening = 0;
    if (!state.expanded || !workAreaOf(monitor, work)) {
        return false;
    }
    const int room = static_cast<int>(work.bottom - work.top);
    const int fullHeight = outerSizeOf(state, designedClientSize(true, state.dpi)).cy;
    state.listShortening = std::clamp(fullHeight - room, 0, scaled(layout::maximumListShortening, state.dpi));
    return true;
}

// The window grows downwards when it expands. Where that would take its
// bottom past the work area, it moves up just enough, never above the work
// area's top; before it grows, so that nothing is ever placed below.
void keepBottomInsideWorkArea(HWND window, int height, const RECT& work)
{
    RECT place = {};
    if (!GetWindowRect(window, &place) || place.top + height <= work.bottom) {
        return;
    }
    const LONG top = std::max(work.top, work.bottom - height);
    SetWindowPos(window, nullptr, place.left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Restored to `size` at its restored place, and maximised or not, in one
// step: the window is never seen at a size between.
void restoreToSize(HWND window, SIZE size, bool maximised)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(window, &placement)) {
        return;
    }
    placement.flags = 0;
    placement.showCmd = maximised ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
    placement.rcNormalPosition.right = placement.rcNormalPosition.left + size.cx;
    placement.rcNormalPosition.bottom = placement.rcNormalPosition.top + size.cy;
    SetWindowPlacement(window, &placement);
}

} // namespace

SIZE windowSizeFor(bool expanded, int listShortening, UINT dpi, DWORD style, DWORD extendedStyle)
{
    const SIZE designed = designedClientSize(expanded, dpi);
    return outerSize({designed.cx, designed.cy - listShortening}, dpi, style, extendedStyle);
}

void limitWindowSize(const WindowState& state, MINMAXINFO& limits)
{
    const SIZE opening = outerSizeOf(state, openingClientSize(state));
    limits.ptMinTrackSize = {opening.cx, opening.cy};
    if (!state.expanded) {
        limits.ptMaxTrackSize = limits.ptMinTrackSize;
    }
}

void rememberExpandedSize(WindowState& state)
{
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    RECT outer = {};
    if (!GetWindowPlacement(state.window, &placement) || !GetWindowRect(state.window, &outer)) {
        return;
    }
    // A maximised window's frame is the one it has restored.
    const SIZE client = clientSizeOf(state.window);
    const RECT& restored = placement.rcNormalPosition;
    state.chosenExpandedClientSize = {(restored.right - restored.left) - (outer.right - outer.left - client.cx),
                                      (restored.bottom - restored.top) - (outer.bottom - outer.top - client.cy)};
    state.expandedMaximised = IsZoomed(state.window) != FALSE;
}

void sizeWindowForMode(WindowState& state)
{
    HWND window = state.window;
    const LONG_PTR style = GetWindowLongPtrW(window, GWL_STYLE);
    constexpr LONG_PTR resizable = styles::expandedWindow;
    SetWindowLongPtrW(window, GWL_STYLE, state.expanded ? style | resizable : style & ~resizable);
    RECT work = {};
    const bool knowsWorkArea = fitOpeningSizeTo(state, MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), work);
    const SIZE opening = openingClientSize(state);
    const SIZE size = outerSizeOf(state, state.expanded ? atLeast(state.chosenExpandedClientSize, opening) : opening);
    if (state.expanded && state.expandedMaximised) {
        restoreToSize(window, size, true);
        return;
    }
    if (IsZoomed(window)) {
        restoreToSize(window, size, false);
    } else if (knowsWorkArea) {
        keepBottomInsideWorkArea(window, size.cy, work);
    }
    // SWP_FRAMECHANGED: the frame of the new style is drawn, and the client
    // area is what it leaves, even where the size stays the same.
    SetWindowPos(window, nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void sizeWindowForDpi(WindowState& state, UINT previousDpi, const RECT& suggested)
{
    HWND window = state.window;
    state.chosenExpandedClientSize = inProportion(state.chosenExpandedClientSize, previousDpi, state.dpi);
    RECT work = {};
    fitOpeningSizeTo(state, MonitorFromRect(&suggested, MONITOR_DEFAULTTONEAREST), work);
    SIZE size = {suggested.right - suggested.left, suggested.bottom - suggested.top};
    if (!IsZoomed(window)) {
        const SIZE opening = openingClientSize(state);
        size = outerSizeOf(state, state.expanded
                                      ? atLeast(inProportion(clientSizeOf(window), previousDpi, state.dpi), opening)
                                      : opening);
    }
    SetWindowPos(window, nullptr, suggested.left, suggested.top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}
