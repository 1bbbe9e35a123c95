#include "ui/list_context_menu.h"

#include "model/control_ids.h"
#include "model/window_table.h"

#include <commctrl.h>

namespace {

POINT keyboardMenuPosition(HWND list)
{
    POINT position = {0, 0};
    const auto focused = static_cast<int>(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
    RECT row = {};
    row.left = LVIR_BOUNDS;
    if (focused >= 0 && SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(focused), reinterpret_cast<LPARAM>(&row))) {
        position = {row.left, row.bottom};
    }
    ClientToScreen(list, &position);
    return position;
}

} // namespace

OwnedMenu buildListContextMenu(const WindowState& state)
{
    OwnedMenu menu(CreatePopupMenu());
    if (!menu) {
        return menu;
    }
    const UINT enabled = state.visibleRows.empty() ? MF_GRAYED : MF_ENABLED;
    AppendMenuW(menu.get(), MF_STRING | enabled, tickAllShownId, texts::tickAllShown);
    AppendMenuW(menu.get(), MF_STRING | enabled, untickAllShownId, texts::untickAllShown);
    return menu;
}

void showListContextMenu(const WindowState& state, POINT screenPosition)
{
    const OwnedMenu menu = buildListContextMenu(state);
    if (!menu) {
        return;
    }
    if (screenPosition.x == -1 && screenPosition.y == -1) {
        screenPosition = keyboardMenuPosition(state.appList);
    }
    TrackPopupMenu(menu.get(), TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON, screenPosition.x, screenPosition.y, 0,
                   state.window, nullptr);
}
