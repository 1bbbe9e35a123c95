#include "ui/create_controls.h"

#include "model/control_ids.h"
#include "model/owners.h"
#include "model/window_table.h"
#include "ui/accessibility_api.h"
#include "ui/app_list.h"
#include "ui/colour_scheme.h"
#include "ui/commands.h"
#include "ui/drawing.h"
#include "ui/keyboard_focus.h"
#include "ui/screen_reader.h"
#include "ui/status_line.h"
#include "ui/window_layout.h"

#include <commctrl.h>

namespace {

HWND createChild(const WindowState& state, const wchar_t* className, const wchar_t* text, DWORD extendedStyle,
                 DWORD style, const Box& unscaledBox, int id)
{
    const Box box = scaled(unscaledBox, state.dpi);
    HWND control = CreateWindowExW(extendedStyle, className, text, style, box.x, box.y, box.width, box.height,
                                   state.window, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(state.bodyFont.get()), TRUE);
    return control;
}

constexpr DWORD labelStyle = WS_CHILD | WS_VISIBLE | SS_LEFT;
constexpr DWORD ownerDrawButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;

} // namespace

void createControls(WindowState& state)
{
    createFonts(state);
    giveWindowItsIcons(state);

    state.titleLabel = createChild(state, L"STATIC", texts::title, 0, labelStyle, layout::titleLabel, 0);
    state.subtitleLabel = createChild(state, L"STATIC", texts::subtitle, 0, labelStyle, layout::subtitleLabel, 0);
    // Disabled until a load binds an app to it: a box that took clicks and
    // stood for nothing would change nothing.
    state.recommendedCheck = createChild(state, L"BUTTON", texts::recommendedFound, 0,
                                         WS_CHILD | WS_VISIBLE | WS_DISABLED | WS_TABSTOP | BS_AUTOCHECKBOX,
                                         layout::recommendedCheck, recommendedCheckId);
    state.moreAppsButton = createChild(state, L"BUTTON", texts::moreAppsCollapsed, 0, ownerDrawButtonStyle,
                                       layout::moreAppsButton, moreAppsButtonId);
    // Disabled as every load leaves them until it ends, so that the window,
    // shown before the first load, shows them as that load will.
    state.refreshButton = createChild(state, L"BUTTON", texts::refresh, 0, ownerDrawButtonStyle | WS_DISABLED,
                                      layout::refreshButton, refreshButtonId);
    state.applyButton = createChild(state, L"BUTTON", texts::apply, 0, ownerDrawButtonStyle | WS_DISABLED,
                                    layout::applyButton, applyButtonId);

    state.searchEdit = createChild(state, L"EDIT", L"", WS_EX_CLIENTEDGE,
                                   WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, layout::searchEdit,
                                   searchEditId);
    SendMessageW(state.searchEdit, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(texts::searchCue));
    SendMessageW(state.searchEdit, EM_LIMITTEXT, texts::searchTextLimit, 0);
    paintSearchCueInDarkPalette(state.searchEdit);

    // Created before the list, so that it lies above it.
    state.emptyListText = createChild(state, L"STATIC", texts::noMatchingApps, 0, WS_CHILD | SS_CENTER | SS_NOPREFIX,
                                      layout::emptyListText, emptyListTextId);
    state.appList = createChild(state, WC_LISTVIEWW, L"", WS_EX_CLIENTEDGE,
                                styles::appList, layout::appList, appListId);
    SendMessageW(state.appList, LVM_SETEXTENDEDLISTVIEWSTYLE, styles::appListExtended, styles::appListExtended);
    // The check marks are the entries' exempt flags, given when asked for.
    SendMessageW(state.appList, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
    routeTicksOfAppList(state.appList);
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = scaled(layout::appListColumnWidth, state.dpi);
    column.pszText = const_cast<wchar_t*>(texts::appColumn);
    SendMessageW(state.appList, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    // Once the list's header exists, which takes a theme class too.
    applyColourScheme(state);

    state.statusLabel = createChild(state, L"STATIC", texts::loading, 0, styles::statusLabel,
                                    layout::expandedStatusLabel, statusLabelId);
    setUpStatusLine(state);
    state.closeButton =
        createChild(state, L"BUTTON", texts::close, 0, ownerDrawButtonStyle, layout::closeButton, closeButtonId);
    giveControlsTheirFonts(state);

    annotateForScreenReaders(state);

    accessibilityApi.setWindowTheme(state.window, L"Explorer", nullptr);
    accessibilityApi.setWindowTheme(state.searchEdit, L"Explorer", nullptr);

    for (HWND control : {state.recommendedCheck, state.moreAppsButton, state.refreshButton, state.applyButton,
                         state.searchEdit, state.appList, state.closeButton}) {
        keepTrackOfFocus(control);
    }
    // Focus cues stay hidden until the keyboard is used, unless the window
    // was opened from the keyboard, as for a dialog.
    SendMessageW(state.window, WM_CHANGEUISTATE, MAKEWPARAM(UIS_INITIALIZE, UISF_HIDEFOCUS | UISF_HIDEACCEL), 0);

    state.advancedControls = {state.searchEdit, state.appList, state.closeButton};
    setExpanded(state, false);
}
