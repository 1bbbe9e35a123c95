#pragma once

// Child control ids. The close button uses IDCANCEL so that Esc, which the
// dialog-style keyboard handling turns into IDCANCEL, closes the window too.
enum ControlId : int {
    closeButtonId = 2,
    recommendedCheckId = 1001,
    moreAppsButtonId = 1002,
    searchEditId = 1003,
    appListId = 1004,
    refreshButtonId = 1005,
    applyButtonId = 1006,
    statusLabelId = 1007,
    emptyListTextId = 1008,
};

// Commands of the list's context menu, which also arrive as WM_COMMAND.
enum MenuCommandId : int {
    tickAllShownId = 1101,
    untickAllShownId = 1102,
    showOnlyTickedId = 1103,
};
