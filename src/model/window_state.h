#pragma once

#include "model/owners.h"

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

// One AppContainer app of the catalog. Entries move whole, so sorting keeps
// the fields together and allocates nothing.
struct AppEntry {
    std::wstring displayName;
    std::wstring containerName;
    std::wstring sidString;
    bool exempt = false;
    bool recommended = false;
    // The app is the very package the recommended box stands for (by family
    // or full name), not merely a name that mentions it: it is bound to the
    // box before any app that matches by keyword only.
    bool packageMatch = false;
    // Whether the system's list held the app when the window last read or
    // wrote it. An entry whose exempt differs was changed by the user; a save
    // applies only those changes on top of the list as it is then.
    bool baselineExempt = false;
};

// An indirect display name as resolved once: the reference it was resolved
// from and the text it gave.
struct ResolvedName {
    std::wstring reference;
    std::wstring text;
};
// Resolved display names by package full name.
using DisplayNameCache = std::unordered_map<std::wstring, ResolvedName>;

// A read of the catalog and a save of the list, each run by a worker thread
// (store/read_catalog.h, store/write_exemption_list.h).
struct CatalogRead;
struct ExemptionSave;

// The one record behind the main window, created on WM_CREATE and released
// on WM_DESTROY. It owns the fonts, brushes and arrays; the child windows
// belong to the main window and go away with it.
struct WindowState {
    HWND window = nullptr;
    HWND titleLabel = nullptr;
    HWND subtitleLabel = nullptr;
    HWND recommendedCheck = nullptr;
    HWND moreAppsButton = nullptr;
    HWND refreshButton = nullptr;
    HWND applyButton = nullptr;
    HWND searchEdit = nullptr;
    HWND appList = nullptr;
    HWND statusLabel = nullptr;
    HWND closeButton = nullptr;
    // The tooltip that shows a status text the line cuts; owned by the main
    // window.
    HWND statusTip = nullptr;
    // Over the list, shown while a search or the ticked-only filter leaves
    // it without rows, so that an empty list does not look like a fault.
    HWND emptyListText = nullptr;

    // The DPI of the window's monitor, which everything below is sized for:
    // GetDpiForWindow's at creation, then WM_DPICHANGED's.
    UINT dpi = USER_DEFAULT_SCREEN_DPI;
    OwnedFont bodyFont;
    OwnedFont titleFont;
    OwnedFont subtitleFont;
    OwnedFont buttonFont;
    OwnedFont statusFont;
    // The caption's and the task switcher's icons, made from the icon's own
    // image at the DPI's size rather than stretched from another size.
    OwnedIcon smallIcon;
    OwnedIcon largeIcon;

    // The surfaces that controls lie on, in the colour scheme of the moment.
    OwnedBrush backgroundBrush;
    OwnedBrush fieldBrush;
    OwnedBrush recommendedCardBrush;
    OwnedBrush statusCardBrush;
    // A high-contrast theme was on when the theme was last asked about: the
    // window paints in system colours rather than its palettes.
    bool highContrast = false;
    // The user's app mode was dark when it was last read: the window paints
    // in the dark palette, unless a high-contrast theme is on.
    bool darkAppMode = false;

    bool expanded = false;
    // How many of the window's pixels shorter than its full expanded height
    // the expanded window opens, to fit a work area lower than that; it is
    // never made smaller than it opens. 0 in compact mode.
    int listShortening = 0;
    // The client size the user last gave the expanded window (its restored
    // size when it was maximised), in the window's pixels, and whether it was
    // maximised: the window expands to them again within the run. Nothing
    // until it is first collapsed.
    SIZE chosenExpandedClientSize = {0, 0};
    bool expandedMaximised = false;
    // The list's context menu item "只显示已勾选的应用": the list shows only
    // ticked apps that match the search. Off at start.
    bool showOnlyTicked = false;
    // Set while a read's result is put in place, and while the list makes its
    // check boxes again: ticks sent to the list and search-box changes are
    // ignored meanwhile.
    bool populating = false;
    std::int32_t recommendedIndex = -1;
    // A load has succeeded: the window holds a catalog that a save can write,
    // however many loads failed after it (a failed load changes nothing, and
    // a save reads the system's list again before it writes).
    bool catalogRead = false;
    // The status text of the last load or save, which the line shows again
    // when the user's ticks cancel out.
    std::wstring settledStatus;
    // The last load failed, and no load or save has succeeded since: the
    // reminder to apply follows the failure instead of replacing it, so that
    // the failure stays in sight.
    bool settledOnFailure = false;

    // A save or the close question is waiting in a message box, whose modal
    // loop lets other messages in. A close request meanwhile only sets
    // closePending; the window closes once that operation has returned, so
    // the record is never freed under it.
    bool inModalLoop = false;
    bool closePending = false;

    // The read or the save that a worker thread runs for the window: at most
    // one at a time, shared with the worker, which fills it in and then posts
    // the number it was begun under. A message with another number is stale.
    // Whichever of the two lets go last frees it, so that neither waits for
    // the other, and a window gone or a message lost frees it all the same.
    std::shared_ptr<CatalogRead> runningRead;
    std::shared_ptr<ExemptionSave> runningSave;
    std::uint64_t workerGeneration = 0;
    // The display names resolved so far, lent to each read, which resolves
    // only the packages it does not find here and hands them all back: the
    // window lives as long as the program, and a name once read stays.
    DisplayNameCache displayNames;
    // The user chose to save and close: the window closes once the save has
    // ended without failing. A close asked for while a read runs saves when
    // the read has ended.
    bool closeAfterSave = false;
    bool saveAfterRead = false;

    // The control that had the focus last, given it back when the window is
    // activated again, as a dialog does.
    HWND lastFocusedControl = nullptr;
    // Where the focus was when the window was shown, before the first read
    // bound the recommended box; null once that read has ended.
    HWND focusBeforeFirstRead = nullptr;
    // A control that was disabled while it had the focus: the focus waits on
    // the main window, where the keyboard keeps working, and returns to the
    // control when it is enabled again.
    HWND focusParkedFrom = nullptr;

    std::vector<HWND> advancedControls;
    std::vector<AppEntry> apps;
    // The apps the list shows, as indexes into `apps` in catalog order: the
    // list itself holds only their count.
    std::vector<std::uint64_t> visibleRows;
    // Every entry's display name and container name as the search compares
    // them (A-Z folded), in catalog order, each followed by a NUL, which no
    // search text holds; entry i's begin at searchKeyStarts[i], and the last
    // element is the end. One block, so that a keystroke reads the names in
    // one sweep of memory and folds nothing. Made by each load.
    std::wstring searchKeys;
    std::vector<std::size_t> searchKeyStarts;
    std::vector<std::wstring> preservedSids;
    // Exemption-list SIDs that could not be turned into text. A save replaces
    // the whole system list, so they are written back byte for byte rather
    // than silently dropped.
    std::vector<std::vector<BYTE>> retainedBinarySids;
};

// The record behind a main window, or null before WM_CREATE and after
// WM_DESTROY (and for any other window).
inline WindowState* windowStateOf(HWND mainWindow)
{
    return reinterpret_cast<WindowState*>(GetWindowLongPtrW(mainWindow, GWLP_USERDATA));
}
