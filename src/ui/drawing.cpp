#include "ui/drawing.h"

#include "model/owners.h"
#include "model/window_table.h"

namespace {

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
            return {palette::muted, palette::muted, palette::white};
        }
        if (pressed) {
            return {palette::accentPressed, palette::accentPressed, palette::white};
        }
        return {palette::accent, palette::accent, palette::white};
    }
    if (pressed) {
        return {palette::panel, palette::panelOutline, palette::mainText};
    }
    if (disabled) {
        return {palette::background, palette::panelOutline, palette::muted};
    }
    return {palette::white, palette::panelOutline, palette::mainText};
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
        const OwnedBrush accent(CreateSolidBrush(palette::accent));
        FillRect(context, &layout::accentBar, accent.get());
    }
    fillRoundRect(context, layout::recommendedCard, layout::recommendedCardCorner, palette::highlight,
                  palette::highlightOutline);
    fillRoundRect(context,
                  state.expanded ? movedUpBy(layout::expandedStatusCard, state.listShortening)
                                 : layout::compactStatusCard,
                  layout::statusCardCorner, palette::panel, palette::panelOutline);
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
    fillRoundRect(context, shape, layout::buttonCorner, look.fill, look.outline);

    wchar_t label[128] = {};
    GetWindowTextW(item->hwndItem, label, 128);
    SetBkMode(context, TRANSPARENT);
    SetTextColor(context, look.text);
    {
        const SelectionGuard fontSelection(context, state.buttonFont.get());
        // DT_NOPREFIX: an ampersand in a label is drawn as itself.
        DrawTextW(context, label, -1, &shape, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }

    // ODS_NOFOCUSRECT: focus cues are hidden until the keyboard is used.
    if ((item->itemState & ODS_FOCUS) && !(item->itemState & ODS_NOFOCUSRECT)) {
        RECT focus = shape;
        InflateRect(&focus, -layout::buttonFocusInset, -layout::buttonFocusInset);
        DrawFocusRect(context, &focus);
    }
    return true;
}

HBRUSH controlColors(WindowState& state, HDC context, HWND control)
{
    if (control == state.searchEdit) {
        SetBkMode(context, OPAQUE);
        SetBkColor(context, palette::white);
        SetTextColor(context, palette::mainText);
        return state.whiteBrush.get();
    }
    SetBkMode(context, TRANSPARENT);
    if (control == state.titleLabel) {
        SetTextColor(context, palette::mainText);
        return state.backgroundBrush.get();
    }
    if (control == state.subtitleLabel) {
        SetTextColor(context, palette::secondaryText);
        return state.backgroundBrush.get();
    }
    if (control == state.recommendedCheck) {
        SetTextColor(context, IsWindowEnabled(state.recommendedCheck) ? palette::mainText : palette::secondaryText);
        return state.highlightBrush.get();
    }
    if (control == state.statusLabel) {
        SetTextColor(context, palette::secondaryText);
        return state.panelBrush.get();
    }
    SetTextColor(context, palette::mainText);
    return state.backgroundBrush.get();
}
