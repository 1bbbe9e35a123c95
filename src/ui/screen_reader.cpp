#include "ui/screen_reader.h"

#include "model/window_table.h"
#include "ui/accessibility_api.h"

namespace {

// PROPID_ACC_NAME of oleacc.h, and LiveSetting_Property_GUID of
// uiautomationclient.h, which MinGW-w64 lacks; written out as
// accessibility_api.cpp writes its GUIDs.
constexpr MSAAPROPID nameProperty = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
constexpr MSAAPROPID liveSettingProperty = {
    0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
// Polite of the LiveSetting enumeration (uiautomationcore.h).
constexpr LONG politeLiveSetting = 1;

// The control's own client object, as a screen reader meets it.
constexpr DWORD clientObject = static_cast<DWORD>(OBJID_CLIENT);
constexpr DWORD wholeObject = CHILDID_SELF;

// When it appears, and when its text changes while it is shown.
LRESULT CALLBACK announceWhenShown(HWND text, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(text, GWLP_USERDATA));
    const LRESULT result = CallWindowProcW(original, text, message, wParam, lParam);
    const bool shown = (GetWindowLongPtrW(text, GWL_STYLE) & WS_VISIBLE) != 0;
    if ((message == WM_SHOWWINDOW && wParam) || (message == WM_SETTEXT && result && shown)) {
        announceStatusChange(text);
    }
    return result;
}

} // namespace

void annotateForScreenReaders(const WindowState& state)
{
    accessibilityApi.setHwndPropStr(state.searchEdit, clientObject, wholeObject, nameProperty, texts::searchCue);
    nameAppList(state.appList, texts::appColumn);
    VARIANT polite = {};
    polite.vt = VT_I4;
    polite.lVal = politeLiveSetting;
    accessibilityApi.setHwndProp(state.statusLabel, clientObject, wholeObject, liveSettingProperty, polite);
    // Read out as the status line is, when it appears.
    accessibilityApi.setHwndProp(state.emptyListText, clientObject, wholeObject, liveSettingProperty, polite);
    SetWindowLongPtrW(state.emptyListText, GWLP_USERDATA, GetWindowLongPtrW(state.emptyListText, GWLP_WNDPROC));
    SetWindowLongPtrW(state.emptyListText, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&announceWhenShown));
}

void nameAppList(HWND list, const wchar_t* heading)
{
    accessibilityApi.setHwndPropStr(list, clientObject, wholeObject, nameProperty, heading);
}

void announceStatusChange(HWND statusLabel)
{
    accessibilityApi.notifyWinEvent(EVENT_OBJECT_LIVEREGIONCHANGED, statusLabel, OBJID_CLIENT, CHILDID_SELF);
}

void announceTickChange(HWND appList, std::size_t row)
{
    // The list's children are its rows, counted from 1.
    accessibilityApi.notifyWinEvent(EVENT_OBJECT_STATECHANGE, appList, OBJID_CLIENT, static_cast<LONG>(row) + 1);
}

std::vector<bool> shownTicks(const WindowState& state)
{
    std::vector<bool> ticks;
    for (std::uint64_t index : state.visibleRows) {
        ticks.push_back(state.apps[index].exempt);
    }
    return ticks;
}

void announceTicksChangedSince(const WindowState& state, const std::vector<bool>& before)
{
    const std::vector<bool> now = shownTicks(state);
    for (std::size_t row = 0; row < now.size() && row < before.size(); ++row) {
        if (now[row] != before[row]) {
            announceTickChange(state.appList, row);
        }
    }
}
