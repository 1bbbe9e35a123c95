#include "ui/window_layout.h"

#include "model/resource_ids.h"
#include "ui/window_size.h"

#include <commctrl.h>

#include <algorithm>
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

Box widened(Box box, int wider)
{
    return {box.x, box.y, box.width + wider, box.height};
}

Box movedBy(Box box, int right, int down)
{
    return {box.x + right, box.y + down, box.width, box.height};
}

RECT widened(RECT rect, int wider)
{
    return {rect.left, rect.top, rect.right + wider, rect.bottom};
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

WindowLayout windowLayoutFor(bool expanded, SIZE client, UINT dpi)
{
    const int designedHeight = expanded ? layout::expandedClientHeight : layout::compactClientHeight;
    const int wider = std::max(0, static_cast<int>(client.cx) - scaled(layout::clientWidth, dpi));
    const int taller = std::max(-scaled(layout::maximumListShortening, dpi),
                                static_cast<int>(client.cy) - scaled(designedHeight, dpi));
    const Box appList = scaled(layout::appList, dpi);
    const RECT statusCard = scaled(expanded ? layout::expandedStatusCard : layout::compactStatusCard, dpi);
    return {
        widened(scaled(layout::titleLabel, dpi), wider),
        widened(scaled(layout::subtitleLabel, dpi), wider),
        widened(scaled(layout::recommendedCheck, dpi), wider),
        scaled(layout::moreAppsButton, dpi),
        scaled(layout::refreshButton, dpi),
        movedBy(scaled(layout::applyButton, dpi), wider, 0),
        widened(scaled(layout::searchEdit, dpi), wider),
        widened(scaled(layout::emptyListText, dpi), wider),
        {appList.x, appList.y, appList.width + wider, appList.height + taller},
        movedBy(widened(scaled(expanded ? layout::expandedStatusLabel : layout::compactStatusLabel, dpi), wider), 0,
                taller),
        movedBy(scaled(layout::closeButton, dpi), wider, taller),
        scaled(layout::appListColumnWidth, dpi) + wider,
        scaled(layout::accentBar, dpi),
        widened(scaled(layout::recommendedCard, dpi), wider),
        {statusCard.left, statusCard.top + taller, statusCard.right + wider, statusCard.bottom + taller},
    };
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
        // The line's text shown whole, in the line's font rather than one
        // made for the system's DPI.
        {state.statusTip, state.statusFont.get()},
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

void placeControls(const WindowState& state)
{
    RECT client = {};
    GetClientRect(state.window, &client);
    const WindowLayout layout = windowLayoutFor(state.expanded, {client.right, client.bottom}, state.dpi);
    const std::pair<HWND, Box> places[] = {
        {state.titleLabel, layout.titleLabel},
        {state.subtitleLabel, layout.subtitleLabel},
        {state.recommendedCheck, layout.recommendedCheck},
        {state.moreAppsButton, layout.moreAppsButton},
        {state.refreshButton, layout.refreshButton},
        {state.applyButton, layout.applyButton},
        {state.searchEdit, layout.searchEdit},
        {state.emptyListText, layout.emptyListText},
        {state.appList, layout.appList},
        {state.closeButton, layout.closeButton},
        {state.statusLabel, layout.statusLabel},
    };
    for (const auto& [control, box] : places) {
        place(control, box);
    }
    SendMessageW(state.appList, LVM_SETCOLUMNWIDTH, 0, layout.appListColumnWidth);
    // A long text wraps rather than running off the window.
    SendMessageW(state.statusTip, TTM_SETMAXTIPWIDTH, 0, client.right);
    // The cards stretch and move, and a line or a centred text drawn for its
    // old width would stay so where the control keeps its old pixels. Nothing
    // is erased first, which would flash: every surface paints itself whole.
    RedrawWindow(state.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN);
}

void onDpiChanged(WindowState& state, UINT dpi, const RECT& suggested)
{
    const UINT previousDpi = state.dpi;
    state.dpi = dpi;
    // The controls are given the new fonts before the old ones are deleted.
    const OwnedFont previousFonts[] = {std::move(state.bodyFont), std::move(state.titleFont),
                                       std::move(state.subtitleFont), std::move(state.buttonFont),
                                       std::move(state.statusFont)};
    createFonts(state);
    giveControlsTheirFonts(state);
    giveWindowItsIcons(state);
    // The list made its check boxes' images for the DPI it had then; taking
    // the style off and on makes them again for this one. The marks are the
    // entries', which it asks for, so none is lost; the unticking of every row
    // that comes with the style is the list's own, never taken for the user's.
    const bool wasPopulating = std::exchange(state.populating, true);
    SendMessageW(state.appList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, 0);
    SendMessageW(state.appList, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_CHECKBOXES, LVS_EX_CHECKBOXES);
    state.populating = wasPopulating;
    sizeWindowForDpi(state, previousDpi, suggested);
    // The size may stay as it was while every place changes.
    placeControls(state);
    RedrawWindow(state.window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}
