#include "ui/drawing.h"

#include "ui/paint_guards.h"

namespace {

constexpr COLORREF accentColour = RGB(37, 99, 235);
constexpr COLORREF accentPressedColour = RGB(29, 78, 216);
constexpr COLORREF mutedColour = RGB(148, 163, 184);
constexpr COLORREF highlightColour = RGB(239, 246, 255);
constexpr COLORREF highlightOutlineColour = RGB(191, 219, 254);
constexpr COLORREF panelColour = RGB(241, 245, 249);
constexpr COLORREF panelOutlineColour = RGB(203, 213, 225);
constexpr COLORREF backgroundColour = RGB(248, 250, 252);
constexpr COLORREF whiteColour = RGB(255, 255, 255);
constexpr COLORREF mainTextColour = RGB(15, 23, 42);
constexpr COLORREF secondaryTextColour = RGB(71, 85, 105);

void fillRoundRect(HDC context, const RECT& shape, int corner, COLORREF fill, COLORREF outline)
{
    // Declared so that destruction restores the pen, then the brush, and only
    // then deletes the pen and the brush, in that order.
    const OwnedBrush brush(CreateSolidBrush(fill));
    const OwnedPen pen(CreatePen(PS_SOLID, 1, outline));
    const SelectionGuard brushSelection(context, brush.get());
    const SelectionGuard penSelection(context, pen.get());
    RoundRect(context, shape.left, shape.top, shape.right, shape.bottom, corner, corner);
}

struct ButtonLook {
    COLORREF fill;
    COLORREF outline;
    COLORREF text;
};

ButtonLook buttonLook(bool primary, UINT itemState)
{
    const bool pressed = (itemState & ODS_SELECTED) != 0;
    const bool disabled = (itemState & ODS_DISABLED) != 0;
    if (primary) {
        if (disabled) {
            return {mutedColour, mutedColour, whiteColour};
        }
        if (pressed) {
            return {accentPressedColour, accentPressedColour, whiteColour};
        }
        return {accentColour, accentColour, whiteColour};
    }
    if (pressed) {
        return {panelColour, panelOutlineColour, mainTextColour};
    }
    if (disabled) {
        return {backgroundColour, panelOutlineColour, mutedColour};
    }
    return {whiteColour, panelOutlineColour, mainTextColour};
}

} // namespace

void paintWindow(WindowState& state)
{
    const PaintGuard paint(state.window);
    HDC context = paint.context();

    RECT client = {};
    GetClientRect(state.window, &client);
    FillRect(context, &client, state.backgroundBrush.get());

    {
        const OwnedBrush accent(CreateSolidBrush(accentColour));
        const RECT accentBar = {28, 25, 33, 59};
        FillRect(context, &accentBar, accent.get());
    }
    fillRoundRect(context, RECT{28, 98, 676, 160}, 14, highlightColour, highlightOutlineColour);
    const int statusTop = state.expanded ? 612 : 232;
    fillRoundRect(context, RECT{28, statusTop, 676, statusTop + 56}, 12, panelColour, panelOutlineColour);
}

bool drawOwnerButton(WindowState& state, const DRAWITEMSTRUCT* item)
{
    if (!item || item->CtlType != ODT_BUTTON) {
        return false;
    }
    const ButtonLook look = buttonLook(item->hwndItem == state.applyButton, item->itemState);
    HDC context = item->hDC;

    RECT shape = item->rcItem;
    FillRect(context, &shape, state.backgroundBrush.get());
    InflateRect(&shape, -1, -1);
    fillRoundRect(context, shape, 10, look.fill, look.outline);

    wchar_t label[128] = {};
    GetWindowTextW(item->hwndItem, label, 128);
    SetBkMode(context, TRANSPARENT);
    SetTextColor(context, look.text);
    {
        const SelectionGuard fontSelection(context, state.buttonFont.get());
        // DT_NOPREFIX: an ampersand in a label is drawn as itself.
        DrawTextW(context, label, -1, &shape, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }

    if (item->itemState & ODS_FOCUS) {
        RECT focus = shape;
        InflateRect(&focus, -4, -4);
        DrawFocusRect(context, &focus);
    }
    return true;
}

HBRUSH controlColors(WindowState& state, HDC context, HWND control)
{
    if (control == state.searchEdit) {
        SetBkMode(context, OPAQUE);
        SetBkColor(context, whiteColour);
        SetTextColor(context, mainTextColour);
        return state.whiteBrush.get();
    }
    SetBkMode(context, TRANSPARENT);
    if (control == state.titleLabel) {
        SetTextColor(context, mainTextColour);
        return state.backgroundBrush.get();
    }
    if (control == state.subtitleLabel) {
        SetTextColor(context, secondaryTextColour);
        return state.backgroundBrush.get();
    }
    if (control == state.recommendedCheck) {
        SetTextColor(context, IsWindowEnabled(state.recommendedCheck) ? mainTextColour : secondaryTextColour);
        return state.highlightBrush.get();
    }
    if (control == state.statusLabel) {
        SetTextColor(context, secondaryTextColour);
        return state.panelBrush.get();
    }
    SetTextColor(context, mainTextColour);
    return state.backgroundBrush.get();
}
