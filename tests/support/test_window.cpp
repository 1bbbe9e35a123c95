#include "support/test_window.h"

#include "app/main_window.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <optional>

TestWindow::TestWindow()
{
    // A test of the whole program may have registered the class already.
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    if (!GetClassInfoExW(GetModuleHandleW(nullptr), mainWindowClassName, &existing)) {
        EXPECT_TRUE(registerMainWindowClass(GetModuleHandleW(nullptr)));
    }
    window_ = createMainWindow(GetModuleHandleW(nullptr));
    EXPECT_NE(window_, nullptr);
    showAndLoad(window_, SW_HIDE);
    runUntilWorkerIdle(window_);
}

TestWindow::~TestWindow()
{
    if (IsWindow(window_)) {
        DestroyWindow(window_);
    }
    // Takes the WM_QUIT that WM_DESTROY posts, so it cannot end a later loop.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

WindowState& TestWindow::state() const
{
    return *reinterpret_cast<WindowState*>(GetWindowLongPtrW(window_, GWLP_USERDATA));
}

void TestWindow::command(int controlId, int notificationCode) const
{
    SendMessageW(window_, WM_COMMAND, MAKEWPARAM(controlId, notificationCode),
                 reinterpret_cast<LPARAM>(GetDlgItem(window_, controlId)));
    runUntilWorkerIdle(window_);
}

void TestWindow::setSearchText(const std::wstring& text) const
{
    // The edit control raises EN_CHANGE itself, as it does for typing.
    SetWindowTextW(state().searchEdit, text.c_str());
}

void TestWindow::setRowChecked(int row, bool checked) const
{
    setRowState(state().appList, row, INDEXTOSTATEIMAGEMASK(checked ? 2 : 1), LVIS_STATEIMAGEMASK);
}

bool TestWindow::clickRow(int row, UINT part) const
{
    HWND list = state().appList;
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    RECT bounds = {};
    bounds.left = LVIR_BOUNDS;
    SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&bounds));
    for (int x = bounds.left; x < bounds.right; ++x) {
        LVHITTESTINFO hit = {};
        hit.pt = {x, (bounds.top + bounds.bottom) / 2};
        if (SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) == row && hit.flags == part) {
            SendMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(hit.pt.x, hit.pt.y));
            SendMessageW(list, WM_LBUTTONUP, 0, MAKELPARAM(hit.pt.x, hit.pt.y));
            return ListView_GetNextItem(list, -1, LVNI_FOCUSED | LVNI_SELECTED) == row;
        }
    }
    return false;
}

bool TestWindow::pressSpaceOnRow(int row) const
{
    HWND list = state().appList;
    SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
    setRowState(list, row, LVIS_FOCUSED, LVIS_FOCUSED);
    MSG key = {list, WM_KEYDOWN, VK_SPACE, 1, 0, {}};
    TranslateMessage(&key);  // as the message loop does, which queues its character
    SendMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(list, WM_KEYUP, VK_SPACE, 0);
    return PeekMessageW(&key, list, WM_CHAR, WM_CHAR, PM_REMOVE);
}

bool TestWindow::rowChecked(int row) const
{
    const auto bits = SendMessageW(state().appList, LVM_GETITEMSTATE, static_cast<WPARAM>(row), LVIS_STATEIMAGEMASK);
    return (bits & LVIS_STATEIMAGEMASK) == INDEXTOSTATEIMAGEMASK(2);
}

int TestWindow::rowCount() const
{
    return static_cast<int>(SendMessageW(state().appList, LVM_GETITEMCOUNT, 0, 0));
}

std::wstring TestWindow::rowText(int row) const
{
    return fullRowText(state().appList, row);
}

bool TestWindow::changeDpi(UINT dpi) const
{
    RECT suggested = {};
    GetWindowRect(window_, &suggested);
    SIZE asked = {suggested.right - suggested.left, suggested.bottom - suggested.top};
    const bool answered = SendMessageW(window_, WM_GETDPISCALEDSIZE, dpi, reinterpret_cast<LPARAM>(&asked)) != 0;
    suggested.right = suggested.left + asked.cx;
    suggested.bottom = suggested.top + asked.cy;
    SendMessageW(window_, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&suggested));
    // The size asked for has the frame the system draws at `dpi`, which this
    // process's windows never get: each side is taken when the client area
    // has it less that frame, or where the system's largest window size cut
    // it, when the window has it.
    RECT frame = {};
    AdjustWindowRectExForDpi(&frame, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                             static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)), dpi);
    RECT client = {};
    GetClientRect(window_, &client);
    RECT taken = {};
    GetWindowRect(window_, &taken);
    return answered &&
           (asked.cx - (frame.right - frame.left) == client.right || asked.cx == taken.right - taken.left) &&
           (asked.cy - (frame.bottom - frame.top) == client.bottom || asked.cy == taken.bottom - taken.top);
}

LRESULT setRowState(HWND list, int row, UINT state, UINT mask)
{
    LVITEMW item = {};
    item.stateMask = mask;
    item.state = state;
    return SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

std::wstring fullRowText(HWND list, int row)
{
    // Small first, so that a long name is first asked for into a buffer it does not fit.
    for (std::size_t size = 16;; size *= 8) {
        std::wstring buffer(size + 1, L'#');
        LVITEMW item = {};
        item.pszText = buffer.data();
        item.cchTextMax = static_cast<int>(size);
        const auto length = static_cast<std::size_t>(
            SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
        EXPECT_EQ(buffer[size], L'#') << "row " << row << " written past the " << size << " units it was given";
        if (length + 1 < size) {
            buffer.resize(length);
            return buffer;
        }
    }
}

std::wstring windowText(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

SIZE clientSizeOf(HWND window)
{
    RECT client = {};
    GetClientRect(window, &client);
    return {client.right, client.bottom};
}

RECT clientRectOf(HWND control)
{
    RECT rect = {};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

SIZE iconSize(HICON icon)
{
    ICONINFO parts = {};
    EXPECT_TRUE(GetIconInfo(icon, &parts));
    BITMAP image = {};
    GetObjectW(parts.hbmColor, sizeof(image), &image);
    DeleteObject(parts.hbmColor);
    DeleteObject(parts.hbmMask);
    return {image.bmWidth, image.bmHeight};
}

void pumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

std::wstring testExecutablePath()
{
    wchar_t path[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, path, MAX_PATH);
    return path;
}

void runUntilWorkerIdle(HWND window)
{
    const ULONGLONG start = GetTickCount64();
    // An earlier window's quit message is kept out of the way until the end.
    std::optional<WPARAM> quit;
    for (const WindowState* state = windowStateOf(window); state && (state->runningRead || state->runningSave);
         state = windowStateOf(window)) {
        if (GetTickCount64() - start > 30000) {
            ADD_FAILURE() << "the worker's read or save did not end within 30 s";
            break;
        }
        MSG message;
        if (!PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        } else if (message.message == WM_QUIT) {
            quit = message.wParam;
        } else {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (quit) {
        PostQuitMessage(static_cast<int>(*quit));
    }
}
