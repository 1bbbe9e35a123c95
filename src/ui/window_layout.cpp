#include "ui/window_layout.h"

#include "model/resource_ids.h"
#include "ui/commands.h"

#include <commctrl.h>

#include <utility>

namespace {

OwnedFont createUiFont(FontLook look, UINT dpi)
{
    // A negative height asks for the character height, not the cell's.
    return OwnedFont(CreateFontW(-scaled(look.height, dpi), 0, 0, 0, look.weight, FALSE, FALSE, FALSE,
                                 DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY,
                                 DEFAULT_PITCH | FF_DONTCARE, fonts::face));
}

// The icon's own image of that size for the DPI, not another size shrunk.
OwnedIcon programIcon(int sizeMetric, UINT dpi)
{
    const int size = GetSystemMetricsForDpi(sizeMetric, dpi);
    return OwnedIcon(static_cast<HICON>(
        LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
}

void place(HWND control, const Box& box)
{
    SetWindowPos(control, nullptr, box.x, box.y, box.width, box.height, SWP_NOZORDER | SWP_NOACTIVATE);
}

} // namespace

int scaled(int value, UINT dpi)
{
    return MulDiv(value, static_cast<int>(dpi), USER_DEFAULT_SCREEN_DPI);
}

Box scaled(const Box& box, UINT dpi)
{
    const int left = scaled(box.x, dpi);
    const int top = scaled(box.y, dpi);
    return {left, top, scaled(box.x + box.width, dpi) - left, scaled(box.y + box.height, dpi) - top};
}

RECT scaled(const RECT& rect, UINT dpi)
{
    return {scaled(rect.left, dpi), scaled(rect.top, dpi), scaled(rect.right, dpi), scaled(rect.bottom, dpi)};
}

SIZE windowSizeFor(bool expanded, int listShortening, UINT dpi, DWORD style, DWORD extendedStyle)
{
    const int clientHeight = expanded ? layout::expandedClientHeight : layout::compactClientHeight;
    RECT frame = {0, 0, scaled(layout::clientWidth, dpi), scaled(clientHeight, dpi) - listShortening};
    AdjustWindowRectExForDpi(&frame, style, FALSE, extendedStyle, dpi);
    return {frame.right - frame.left, frame.bottom - frame.top};
}

SIZE windowSizeOf(const WindowState& state, bool expanded, int listShortening)
{
    return windowSizeFor(expanded, listShortening, state.dpi,
                         static_cast<DWORD>(GetWindowLongPtrW(state.window, GWL_STYLE)),
                         static_cast<DWORD>(GetWindowLongPtrW(state.window, GWL_EXSTYLE)));
}

void createFonts(WindowState& state)
{
    state.bodyFont = createUiFont(fonts::body, state.dpi);
    state.titleFont = createUiFont(fonts::title, state.dpi);
    state.subtitleFont = createUiFont(fonts::subtitle, state.dpi);
    state.buttonFont = createUiFont(fonts::button, state.dpi);
    state.statusFont = createUiFont(fonts::status, state.dpi);
}

void giveControlsTheirFonts(const WindowState& state)
{
    // The owner-drawn buttons draw in theirs themselves; they are told it for
    // anyone who asks them.
    const std::pair<HWND, HFONT> fontOf[] = {
        {state.titleLabel, state.titleFont.get()},        {state.subtitleLabel, state.subtitleFont.get()},
        {state.recommendedCheck, state.bodyFont.get()},   {state.moreAppsButton, state.buttonFont.get()},
        {state.refreshButton, state.buttonFont.get()},    {state.applyButton, state.buttonFont.get()},
        {state.searchEdit, state.bodyFont.get()},         {state.emptyListText, state.bodyFont.get()},
        {state.appList, state.bodyFont.get()},
        {state.statusLabel, state.statusFont.get()},      {state.closeButton, state.buttonFont.get()},
    };
    for (const auto& [control, font] : fontOf) {
        SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
}

void giveWindowItsIcons(WindowState& state)
{
    // The caption and the taskbar each get the image drawn for their size at
    // the window's DPI. The window lets go of the old icons before they are
    // destroyed.
    OwnedIcon smallIcon = programIcon(SM_CXSMICON, state.dpi);
    OwnedIcon largeIcon = programIcon(SM_CXICON, state.dpi);
    SendMessageW(state.window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon.get()));
    SendMessageW(state.window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(largeIcon.get()));
    state.smallIcon = std::move(smallIcon);
    state.largeIcon = std::move(largeIcon);
}

void layOutWindow(WindowState& state)
{
    const UINT dpi = state.dpi;
    const int shortening = state.listShortening;
    const SIZE size = windowSizeOf(state, state.expanded, shortening);
    SetWindowPos(state.window, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    const std::pair<HWND, Box> places[] = {
        {state.titleLabel, scaled(layout::titleLabel, dpi)},
        {state.subtitleLabel, scaled(layout::subtitleLabel, dpi)},
        {state.recommendedCheck, scaled(layout::recommendedCheck, dpi)},
        {state.moreAppsButton, scaled(layout::moreAppsButton, dpi)},
        {state.refreshButton, scaled(layout::refreshButton, dpi)},
        {state.applyButton, scaled(layout::applyButton, dpi)},
        {state.searchEdit, scaled(layout::searchEdit, dpi)},
        {state.emptyListText, scaled(layout::emptyListText, dpi)},
        {state.appList, shortenedBy(scaled(layout::appList, dpi), shortening)},
        {state.closeButton, movedUpBy(scaled(layout::closeButton, dpi), shortening)},
        {state.statusLabel, state.expanded ? movedUpBy(scaled(layout::expandedStatusLabel, dpi), shortening)
                                           : scaled(layout::compactStatusLabel, dpi)},
    };
    for (const auto& [control, box] : places) {
        place(control, box);
    }
    SendMessageW(state.appList, LVM_SETCOLUMNWIDTH, 0, scaled(layout::appListColumnWidth, dpi));
    // A long text wraps rather than running off the window.
    SendMessageW(state.statusTip, TTM_SETMAXTIPWIDTH, 0, scaled(layout::clientWidth, dpi));
}

void onDpiChanged(WindowState& state, UINT dpi, const RECT& suggested)
{
    state.dpi = dpi;
    // The controls are given the new fonts before the old ones are deleted.
    const OwnedFont previousFonts[] = {std::move(state.bodyFont), std::move(state.titleFont),
                                       std::move(state.subtitleFont), std::move(state.buttonFont),
                                       std::move(state.statusFont)};
    createFonts(state);
    giveControlsTheirFonts(state);
    giveWindowItsIcons(state);
    SetWindowPos(state.window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    // The list's shortening depends on the DPI too.
    setExpanded(state, state.expanded);
    RedrawWindow(state.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
