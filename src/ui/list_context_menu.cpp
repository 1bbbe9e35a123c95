#include "ui/list_context_menu.h"

#include "model/control_ids.h"
#include "model/window_table.h"

#include <commctrl.h>

#include <string>

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

// The item says how many shown apps it would change, so that rows the user
// did not scroll to (a search matches package names too) are not changed
// unseen; an item that would change none is greyed.
void appendCountedItem(HMENU menu, int id, const wchar_t* text, std::size_t count)
{
    const std::wstring label = text + (texts::menuCountBefore + std::to_wstring(count) + texts::menuCountAfter);
    AppendMenuW(menu, MF_STRING | (count == 0 ? MF_GRAYED : MF_ENABLED), static_cast<UINT_PTR>(id), label.c_str());
}

} // namespace

OwnedMenu buildListContextMenu(const WindowState& state)
{
    OwnedMenu menu(CreatePopupMenu());
    if (!menu) {
        return menu;
    }
    std::size_t ticked = 0;
    for (std::uint64_t index : state.visibleRows) {
        ticked += state.apps[index].exempt ? 1 : 0;
    }
    appendCountedItem(menu.get(), tickAllShownId, texts::tickAllShown, state.visibleRows.size() - ticked);
    appendCountedItem(menu.get(), untickAllShownId, texts::untickAllShown, ticked);
    AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    AppendMenuW(menu.get(), MF_STRING | (state.showOnlyTicked ? MF_CHECKED : MF_UNCHECKED), showOnlyTickedId,
                texts::showOnlyTicked);
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
