#pragma once

#include "model/control_ids.h"
#include "model/window_state.h"

#include <commctrl.h>
#include <string>

// A real main window, created hidden in the test process with the program's
// own class and window procedure, and loaded as at start-up, the first read
// run to its end through the message loop. Destroyed when the owner goes.
class TestWindow {
public:
    TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;
    ~TestWindow();

    HWND window() const { return window_; }
    WindowState& state() const;

    // Sends WM_COMMAND as a control would, then runs the message loop until
    // a read or save it began has ended.
    void command(int controlId, int notificationCode = BN_CLICKED) const;
    void setSearchText(const std::wstring& text) const;
    // Ticks or unticks a list row through the list view itself.
    void setRowChecked(int row, bool checked) const;
    // The user's own routes to a tick: a click on a part of the row, its check
    // box unless told (false when no point of the row is that part alone, or
    // when the click leaves another row focused or selected), and Space with
    // the row focused (true when its character is left to be typed). The list
    // scrolls the row into view first.
    bool clickRow(int row, UINT part = LVHT_ONITEMSTATEICON) const;
    bool pressSpaceOnRow(int row) const;
    bool rowChecked(int row) const;
    int rowCount() const;
    std::wstring rowText(int row) const;
    // Sends WM_GETDPISCALEDSIZE and WM_DPICHANGED as the system does when the
    // window reaches a monitor of `dpi`, suggesting the place it has in the
    // size it asked for: true when it took that size.
    bool changeDpi(UINT dpi) const;

private:
    HWND window_ = nullptr;
};

// LVM_SETITEMSTATE for a row (-1: every row), as any program may send it.
LRESULT setRowState(HWND list, int row, UINT state, UINT mask);
// A row's text as LVM_GETITEMTEXTW returns it into a buffer large enough for
// the whole name, so that a cut would show; a unit written past a buffer the
// list was given fails the test.
std::wstring fullRowText(HWND list, int row);
std::wstring windowText(HWND window);
// The size of a window's client area.
SIZE clientSizeOf(HWND window);
// Where a control lies in its parent's client area.
RECT clientRectOf(HWND control);
// The size of an icon's image.
SIZE iconSize(HICON icon);
// Handles the messages that are already queued.
void pumpMessages();
// Runs the message loop until the window's worker has no read or save left
// (or the window is gone), as the program's own loop would; a test fails
// when that takes over 30 s. A WM_QUIT met on the way is put back at the end.
void runUntilWorkerIdle(HWND window);

// The full path of the running test executable.
std::wstring testExecutablePath();
