#include "ui/drawing.h"

#include "model/owners.h"
#include "model/window_table.h"
#include "ui/colour_scheme.h"
#include "ui/window_layout.h"

#include <commctrl.h>

namespace {

// `line` is the outline's width, kept inside the shape (PS_INSIDEFRAME).
void fillRoundRect(HDC context, const RECT& shape, int corner, int line, COLORREF fill, COLORREF outline)
{
    // Declared so that destruction restores the pen, then the brush, and only
    // then deletes the pen and the brush, in that order.
    const OwnedBrush brush(CreateSolidBrush(fill));
    const OwnedPen pen(CreatePen(PS_INSIDEFRAME, line, outline));
    const SelectionGuard brushSelection(context, brush.get());
    const SelectionGuard penSelection(context, pen.get());
    RoundRect(context, shape.left, shape.top, shape.right, shape.bottom, corner, corner);
}

void outlineRoundRect(HDC context, const RECT& shape, int corner, int width, COLORREF colour)
{
    const OwnedPen pen(CreatePen(PS_INSIDEFRAME, width, colour));
    const SelectionGuard brushSelection(context, GetStockObject(NULL_BRUSH));
    const SelectionGuard penSelection(context, pen.get());
    RoundRect(context, shape.left, shape.top, shape.right, shape.bottom, corner, corner);
}

void drawFocusRing(WindowState& state, HDC context, const RECT& shape)
{
    const int corner = scaled(layout::buttonCorner, state.dpi);
    const int width = scaled(layout::focusRingWidth, state.dpi);
    outlineRoundRect(context, shape, corner, width, colourOf(state, colours::focusRing));
    RECT inner = shape;
    InflateRect(&inner, -width, -width);
    outlineRoundRect(context, inner, corner - width, scaled(1, state.dpi), colourOf(state, colours::focusRingInner));
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

// Where the edit draws its own cue: at the top left of its text rectangle,
// in its font.
void paintSearchCue(const WindowState& state, HWND edit)
{
    const PaintGuard paint(edit);
    HDC context = paint.context();
    RECT client = {};
    GetClientRect(edit, &client);
    FillRect(context, &client, state.fieldBrush.get());
    RECT text = {};
    SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&text));
    const SelectionGuard fontSelection(context, reinterpret_cast<HGDIOBJ>(SendMessageW(edit, WM_GETFONT, 0, 0)));
    SetBkMode(context, TRANSPARENT);
    SetTextColor(context, darkOnlyColours::searchCue);
    DrawTextW(context, texts::searchCue, -1, &text, DT_LEFT | DT_TOP | DT_SINGLELINE | DT_NOPREFIX);
}

// The edit draws its cue in the system's grey text, which reaches 4.5:1 on a
// light field only, so in the dark palette the empty box is painted here.
LRESULT CALLBACK searchCuePainter(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR)
{
    if (message == WM_NCDESTROY) {
        RemoveWindowSubclass(edit, searchCuePainter, id);
    } else if (message == WM_PAINT && GetWindowTextLengthW(edit) == 0) {
        // Looked up each time: the record is gone before the box is destroyed.
        if (const WindowState* state = windowStateOf(GetParent(edit)); state && paintsDark(*state)) {
            paintSearchCue(*state, edit);
            return 0;
        }
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

} // namespace

void paintWindow(WindowState& state)
{
    const PaintGuard paint(state.window);
    HDC context = paint.context();

    RECT client = {};
    GetClientRect(state.window, &client);
    FillRect(context, &client, state.backgroundBrush.get());

    const UINT dpi = state.dpi;
    const WindowLayout surfaces = windowLayoutFor(state.expanded, {client.right, client.bottom}, dpi);
    {
        const OwnedBrush accent(CreateSolidBrush(colourOf(state, colours::accentBar)));
        FillRect(context, &surfaces.accentBar, accent.get());
    }
    const int line = scaled(1, dpi);
    fillRoundRect(context, surfaces.recommendedCard, scaled(layout::recommendedCardCorner, dpi), line,
                  colourOf(state, colours::recommendedCard), colourOf(state, colours::recommendedCardOutline));
    fillRoundRect(context, surfaces.statusCard, scaled(layout::statusCardCorner, dpi), line,
                  colourOf(state, colours::statusCard), colourOf(state, colours::statusCardOutline));
}

bool drawOwnerButton(WindowState& state, const DRAWITEMSTRUCT* item)
{
    if (!item || item->CtlType != ODT_BUTTON) {
        return false;
    }
    const bool primary = item->hwndItem == state.applyButton;
    const ButtonColours& look = buttonColours(primary, item->itemState);
    HDC context = item->hDC;

    const int line = scaled(1, state.dpi);
    RECT shape = item->rcItem;
    FillRect(context, &shape, state.backgroundBrush.get());
    InflateRect(&shape, -line, -line);
    fillRoundRect(context, shape, scaled(layout::buttonCorner, state.dpi), line, colourOf(state, look.fill),
                  colourOf(state, look.outline));

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
        const int inset = scaled(layout::buttonFocusInset, state.dpi);
        InflateRect(&focus, -inset, -inset);
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

bool colourListSelection(const WindowState& state, NMHDR* header, LRESULT& result)
{
    if (header->hwndFrom != state.appList || header->code != static_cast<UINT>(NM_CUSTOMDRAW)) {
        return false;
    }
    result = CDRF_DODEFAULT;
    if (!paintsDark(state)) {
        return true;
    }
    auto* draw = reinterpret_cast<NMLVCUSTOMDRAW*>(header);
    if (draw->nmcd.dwDrawStage == CDDS_PREPAINT) {
        result = CDRF_NOTIFYITEMDRAW;
    } else if (draw->nmcd.dwDrawStage == CDDS_ITEMPREPAINT &&
               ListView_GetItemState(state.appList, static_cast<int>(draw->nmcd.dwItemSpec), LVIS_SELECTED)) {
        // Without the mark the list paints the row in the colours given here
        // instead of its selection colours.
        draw->nmcd.uItemState &= ~static_cast<UINT>(CDIS_SELECTED);
        draw->clrText = darkOnlyColours::selectionText;
        draw->clrTextBk = darkOnlyColours::selection;
    }
    return true;
}

void paintSearchCueInDarkPalette(HWND searchEdit)
{
    SetWindowSubclass(searchEdit, searchCuePainter, 0, 0);
}
