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
// system draws for it at `frameDpi`.
SIZE outerSizeAt(const WindowState& state, SIZE client, UINT frameDpi)
{
    return outerSize(client, frameDpi, static_cast<DWORD>(GetWindowLongPtrW(state.window, GWL_STYLE)),
                     static_cast<DWORD>(GetWindowLongPtrW(state.window, GWL_EXSTYLE)));
}

// The same at the DPI the system gives the window (already the new one while
// WM_DPICHANGED is handled).
SIZE outerSizeOf(const WindowState& state, SIZE client)
{
    return outerSizeAt(state, client, GetDpiForWindow(state.window));
}

SIZE designedClientSize(bool expanded, UINT dpi)
{
    return {scaled(layout::clientWidth, dpi),
            scaled(expanded ? layout::expandedClientHeight : layout::compactClientHeight, dpi)};
}

SIZE openingClientSize(bool expanded, UINT dpi, int listShortening)
{
    const SIZE designed = designedClientSize(expanded, dpi);
    return {designed.cx, designed.cy - listShortening};
}

SIZE openingClientSize(const WindowState& state)
{
    return openingClientSize(state.expanded, state.dpi, state.listShortening);
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

// How many pixels shorter than its full height the expanded window at `dpi`,
// in the frame drawn for `frameDpi`, opens to fit `work`, in the window's own
// pixels (the work area's, for a per-monitor aware program).
int listShorteningToFit(const WindowState& state, UINT dpi, UINT frameDpi, const RECT& work)
{
    const int room = static_cast<int>(work.bottom - work.top);
    const int fullHeight = outerSizeAt(state, designedClientSize(true, dpi), frameDpi).cy;
    return std::clamp(fullHeight - room, 0, scaled(layout::maximumListShortening, dpi));
}

// The shortening the window opens with on `monitor`; none for the compact
// window. False when there is no work area to fit, or nothing to fit to it.
bool fitOpeningSizeTo(WindowState& state, HMONITOR monitor, RECT& work)
{
    state.listShortening = 0;
    if (!state.expanded || !workAreaOf(monitor, work)) {
        return false;
    }
    state.listShortening = listShorteningToFit(state, state.dpi, GetDpiForWindow(state.window), work);
    return true;
}

// The client area after a DPI change from `fromDpi` to `toDpi`: the compact
// window's designed size; the expanded one's in proportion, at least the size
// it opens with, the list shortened by `listShortening`.
SIZE clientSizeAfterDpiChange(const WindowState& state, UINT fromDpi, UINT toDpi, int listShortening)
{
    const SIZE opening = openingClientSize(state.expanded, toDpi, listShortening);
    return state.expanded ? atLeast(inProportion(clientSizeOf(state.window), fromDpi, toDpi), opening) : opening;
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
        size = outerSizeOf(state, clientSizeAfterDpiChange(state, previousDpi, state.dpi, state.listShortening));
    }
    SetWindowPos(window, nullptr, suggested.left, suggested.top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool windowSizeAtDpi(const WindowState& state, UINT dpi, SIZE& size)
{
    if (IsZoomed(state.window)) {
        return false;
    }
    // The window already lies mostly on the monitor whose DPI it is asked at.
    RECT work = {};
    const bool fits =
        state.expanded && workAreaOf(MonitorFromWindow(state.window, MONITOR_DEFAULTTONEAREST), work);
    const int shortening = fits ? listShorteningToFit(state, dpi, dpi, work) : 0;
    const SIZE wanted = outerSizeAt(state, clientSizeAfterDpiChange(state, state.dpi, dpi, shortening), dpi);
    // The system makes the window no larger than it may be dragged, which
    // the window's limits leave as the system's.
    size = {std::min(wanted.cx, static_cast<LONG>(GetSystemMetricsForDpi(SM_CXMAXTRACK, dpi))),
            std::min(wanted.cy, static_cast<LONG>(GetSystemMetricsForDpi(SM_CYMAXTRACK, dpi)))};
    return true;
}
