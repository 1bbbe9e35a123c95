#pragma once

#include "model/owners.h"

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// One AppContainer app of the catalog. Entries move whole, so sorting keeps
// the fields together and allocates nothing.
struct AppEntry {
    std::wstring displayName;
    std::wstring containerName;
    std::wstring sidString;
    bool exempt = false;
    bool recommended = false;
    // Whether the system's list held the app when the window last read or
    // wrote it. An entry whose exempt differs was changed by the user; a save
    // applies only those changes on top of the list as it is then.
    bool baselineExempt = false;
};

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

    OwnedFont bodyFont;
    OwnedFont titleFont;
    OwnedFont subtitleFont;
    OwnedFont buttonFont;
    OwnedFont statusFont;

    OwnedBrush backgroundBrush;
    OwnedBrush whiteBrush;
    OwnedBrush highlightBrush;
    OwnedBrush panelBrush;

    bool expanded = false;
    // Set while a load runs or the list is refilled: the list's own change
    // notifications and search-box changes are ignored meanwhile.
    bool populating = false;
    std::int32_t recommendedIndex = -1;

    std::vector<HWND> advancedControls;
    std::vector<AppEntry> apps;
    std::vector<std::uint64_t> visibleRows;
    std::vector<std::wstring> preservedSids;
    // Exemption-list SIDs that could not be turned into text. A save replaces
    // the whole system list, so they are written back byte for byte rather
    // than silently dropped.
    std::vector<std::vector<BYTE>> retainedBinarySids;
};
