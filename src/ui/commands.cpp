#include "ui/commands.h"

#include "app/control_ids.h"
#include "catalog/populate_app_list.h"
#include "store/load_catalog.h"
#include "store/save_exemption_list.h"

#include <commctrl.h>

namespace {

constexpr wchar_t settingsChangedText[] = L"设置已更改，请点击“应用设置”保存。";

void onRecommendedCheckToggled(WindowState& state)
{
    const LRESULT check = SendMessageW(state.recommendedCheck, BM_GETCHECK, 0, 0);
    state.apps[static_cast<std::size_t>(state.recommendedIndex)].exempt = check == BST_CHECKED;
    SetWindowTextW(state.statusLabel, settingsChangedText);
}

} // namespace

void onCommand(WindowState& state, int controlId, int notificationCode)
{
    switch (controlId) {
    case closeButtonId:
        if (notificationCode == BN_CLICKED) {
            DestroyWindow(state.window);
        }
        break;
    case recommendedCheckId:
        if (notificationCode == BN_CLICKED && state.recommendedIndex >= 0) {
            onRecommendedCheckToggled(state);
        }
        break;
    case moreAppsButtonId:
        if (notificationCode == BN_CLICKED) {
            setExpanded(state, !state.expanded);
        }
        break;
    case searchEditId:
        if (notificationCode == EN_CHANGE && !state.populating) {
            populateAppList(state);
        }
        break;
    case refreshButtonId:
        if (notificationCode == BN_CLICKED) {
            loadCatalog(state);
        }
        break;
    case applyButtonId:
        if (notificationCode == BN_CLICKED) {
            saveExemptionList(state);
        }
        break;
    default:
        break;
    }
}

void setExpanded(WindowState& state, bool expanded)
{
    state.expanded = expanded;
    for (HWND control : state.advancedControls) {
        ShowWindow(control, expanded ? SW_SHOW : SW_HIDE);
    }
    SetWindowTextW(state.moreAppsButton, expanded ? L"收起其他应用  ▲" : L"选择其他应用  ▼");
    SetWindowPos(state.window, nullptr, 0, 0, 720, expanded ? 700 : 360, SWP_NOMOVE | SWP_NOZORDER);
    SetWindowPos(state.statusLabel, nullptr, 40, expanded ? 620 : 240, expanded ? 516 : 624, 40, SWP_NOZORDER);
    // The status card moves with the mode, so the whole client area is repainted.
    InvalidateRect(state.window, nullptr, TRUE);
}

void onListItemChanged(WindowState& state, const NMHDR* header)
{
    if (!header || header->idFrom != appListId || header->code != LVN_ITEMCHANGED || state.populating) {
        return;
    }
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if (change->iItem < 0 || static_cast<std::size_t>(change->iItem) >= state.visibleRows.size()) {
        return;
    }
    if (((change->uNewState ^ change->uOldState) & LVIS_STATEIMAGEMASK) == 0 ||
        (change->uNewState & LVIS_STATEIMAGEMASK) == 0) {
        return;
    }
    AppEntry& entry = state.apps[state.visibleRows[static_cast<std::size_t>(change->iItem)]];
    entry.exempt = (change->uNewState & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
    SetWindowTextW(state.statusLabel, settingsChangedText);
}
