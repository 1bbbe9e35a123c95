#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Reading and operating the controls of another process's window. Messages
// that carry a pointer get a buffer inside the target process.

std::wstring textOf(HWND window);
bool isChecked(HWND checkBox);

struct ListRow {
    std::wstring text;
    bool checked = false;

    bool operator==(const ListRow&) const = default;
};
std::vector<ListRow> listRows(HANDLE process, HWND list);

// Sets a row's check box with LVM_SETITEMSTATE from this process, as a test
// tool or a screen reader's toggle does.
bool setRowChecked(HANDLE process, HWND list, int row, bool checked);

// Posted, so that a handler that opens a message box does not block the test.
void click(HWND button);
// WM_SETTEXT, after which the edit control reports EN_CHANGE as typing does.
void typeText(HWND edit, const std::wstring& text);
// Posted through the program's own message loop, as a real key press is.
void pressKey(HWND control, WPARAM key);

// The message box the process shows, or null.
HWND findMessageBox(DWORD processId);
std::wstring messageBoxText(HWND box);
