#include "ui/drawing.h"

#include "model/owners.h"
#include "model/window_table.h"
#include "ui/colour_scheme.h"

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

void outlineRoundRect(HDC context, const RECT& shape, int corner, int width, COLORREF colour)
{
    // PS_INSIDEFRAME keeps a wide line inside the shape.
    const OwnedPen pen(CreatePen(PS_INSIDEFRAME, width, colour));
    const SelectionGuard brushSelection(context, GetStockObject(NULL_BRUSH));
    const SelectionGuard penSelection(context, pen.get());
    RoundRect(context, shape.left, shape.top, shape.right, shape.bottom, corner, corner);
}

void drawFocusRing(WindowState& state, HDC context, const RECT& shape)
{
    outlineRoundRect(context, shape, layout::buttonCorner, layout::focusRingWidth, colourOf(state, colours::focusRing));
    RECT inner = shape;
    InflateRect(&inner, -layout::focusRingWidth, -layout::focusRingWidth);
    outlineRoundRect(context, inner, layout::buttonCorner - layout::focusRingWidth, 1,
                     colourOf(state, colours::focusRingInner));
}

const ButtonColours& buttonColours(bool primary, UINT itemState)
{
    const bool pressed = (itemState & ODS_SELECTED) != 0;
    const bool disabled = (itemState & ODS_DISABLED) != 0;
    if (primary) {
        if (disabled) {
            return colours::primaryButtonDisabled;
        }
        if (pressed) {
            return colours::primaryButtonPressed;
        }
        return colours::primaryButton;
    }
    if (pressed) {
        return colours::buttonPressed;
    }
    if (disabled) {
        return colours::buttonDisabled;
    }
    return colours::button;
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
        const OwnedBrush accent(CreateSolidBrush(colourOf(state, colours::accentBar)));
        FillRect(context, &layout::accentBar, accent.get());
    }
    fillRoundRect(context, layout::recommendedCard, layout::recommendedCardCorner,
                  colourOf(state, colours::recommendedCard), colourOf(state, colours::recommendedCardOutline));
    fillRoundRect(context,
                  state.expanded ? movedUpBy(layout::expandedStatusCard, state.listShortening)
                                 : layout::compactStatusCard,
                  layout::statusCardCorner, colourOf(state, colours::statusCard),
                  colourOf(state, colours::statusCardOutline));
}

bool drawOwnerButton(WindowState& state, const DRAWITEMSTRUCT* item)
{
    if (!item || item->CtlType != ODT_BUTTON) {
        return false;
    }
    const bool primary = item->hwndItem == state.applyButton;
    const ButtonColours& look = buttonColours(primary, item->itemState);
    HDC context = item->hDC;

    RECT shape = item->rcItem;
    FillRect(context, &shape, state.backgroundBrush.get());
    InflateRect(&shape, -1, -1);
    fillRoundRect(context, shape, layout::buttonCorner, colourOf(state, look.fill), colourOf(state, look.outline));

    wchar_t label[128] = {};
    GetWindowTextW(item->hwndItem, label, 128);
    SetBkMode(context, TRANSPARENT);
    SetTextColor(context, colourOf(state, look.text));
    {
        const SelectionGuard fontSelection(context, state.buttonFont.get());
        // DT_NOPREFIX: an ampersand in a label is drawn as itself.
        DrawTextW(context, label, -1, &shape, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }

    // ODS_NOFOCUSRECT: focus cues are hidden until the keyboard is used. The
    // dotted rectangle inverts what lies under it, so it shows on the light
    // buttons in any colours; on the accent fill it is a ring.
    if (!(item->itemState & ODS_FOCUS) || (item->itemState & ODS_NOFOCUSRECT)) {
        return true;
    }
    if (primary) {
        drawFocusRing(state, context, shape);
    } else {
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
        SetBkColor(context, colourOf(state, colours::field));
        SetTextColor(context, colourOf(state, colours::fieldText));
        return state.fieldBrush.get();
    }
    SetBkMode(context, TRANSPARENT);
    if (control == state.titleLabel) {
        SetTextColor(context, colourOf(state, colours::text));
        return state.backgroundBrush.get();
    }
    if (control == state.subtitleLabel) {
        SetTextColor(context, colourOf(state, colours::secondaryText));
        return state.backgroundBrush.get();
    }
    if (control == state.recommendedCheck) {
        SetTextColor(context, colourOf(state, IsWindowEnabled(state.recommendedCheck) ? colours::text
                                                                                     : colours::disabledText));
        return state.recommendedCardBrush.get();
    }
    if (control == state.emptyListText) {
        SetTextColor(context, colourOf(state, colours::secondaryText));
        return state.fieldBrush.get();
    }
    if (control == state.statusLabel) {
        SetTextColor(context, colourOf(state, colours::secondaryText));
        return state.statusCardBrush.get();
    }
    SetTextColor(context, colourOf(state, colours::text));
    return state.backgroundBrush.get();
}
