// Drives the program's window from outside for scripts/run.sh, which needs to
// wait for the window, open the list of other apps and close the program
// around its screenshots.
//
//   drive_window.exe [--desktop NAME] wait SECONDS
//   drive_window.exe [--desktop NAME] click CONTROL_ID
//   drive_window.exe [--desktop NAME] close
//   drive_window.exe [--desktop NAME] move X Y
//   drive_window.exe [--desktop NAME] size WIDTH HEIGHT
//   drive_window.exe [--desktop NAME] rect
//   drive_window.exe [--desktop NAME] capture FILE.bmp
//   drive_window.exe [--desktop NAME] mitigations
//   drive_window.exe [--desktop NAME] setting AREA
//
// `move` places the window's top left corner (the expanded window is taller
// than the centred compact one leaves room for); `size` gives the window an
// outer size, as a drag of its sizing border does; `rect` prints the window's
// bounds as WIDTHxHEIGHT+X+Y, the form ImageMagick's -crop takes; `capture`
// saves the window, raised above every other for the moment, as a 32-bit BMP
// file; `mitigations` prints the Control Flow Guard and shadow stack policies
// Windows applies to the program's process (the guard is on only for a
// program built with it), and fails only when it cannot read them; `setting`
// sends the window WM_SETTINGCHANGE for AREA, as Windows does when a setting
// changes (the app mode's is "ImmersiveColorSet").
// --desktop names the desktop the program runs on (`wine explorer
// /desktop=NAME,…` makes one): windows on another desktop cannot be found.
// Exit code 0 on success, 1 when the window or control is not there (or the
// capture cannot be written), 2 for a wrong command line.

#include "model/owners.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <fstream>
#include <memory>

namespace {

constexpr wchar_t windowClass[] = L"OrvaLoopbackWindow";
constexpr wchar_t loadingText[] = L"正在读取应用…";
constexpr int statusLabelId = 1007;

struct DesktopCloser {
    using pointer = HDESK;
    void operator()(HDESK desktop) const { CloseDesktop(desktop); }
};
using OwnedDesktop = std::unique_ptr<HDESK__, DesktopCloser>;

HWND findReadyWindow()
{
    HWND window = FindWindowW(windowClass, nullptr);
    if (!window || !IsWindowVisible(window)) {
        return nullptr;
    }
    wchar_t status[256] = {};
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(GetDlgItem(window, statusLabelId), WM_GETTEXT, 256, reinterpret_cast<LPARAM>(status),
                             SMTO_ABORTIFHUNG, 2000, &copied)) {
        return nullptr;
    }
    return std::wcscmp(status, loadingText) == 0 ? nullptr : window;
}

int waitForWindow(int seconds)
{
    for (int tick = 0; tick < seconds * 10; ++tick) {
        if (findReadyWindow()) {
            return 0;
        }
        Sleep(100);
    }
    return 1;
}

// Sent rather than posted, so that the click has been handled (the window
// resized and repainted) when this returns. Only for buttons that open no
// message box.
int click(int controlId)
{
    HWND control = GetDlgItem(findReadyWindow(), controlId);
    if (!control) {
        return 1;
    }
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutW(control, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, 5000, &ignored) ? 0 : 1;
}

// Returns once the window is gone, so that the caller knows the program ended.
int close()
{
    HWND window = findReadyWindow();
    if (!window || !PostMessageW(window, WM_CLOSE, 0, 0)) {
        return 1;
    }
    for (int tick = 0; tick < 100; ++tick) {
        if (!IsWindow(window)) {
            return 0;
        }
        Sleep(100);
    }
    return 1;
}

int move(int x, int y)
{
    HWND window = findReadyWindow();
    return window && SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) ? 0 : 1;
}

int resize(int width, int height)
{
    HWND window = findReadyWindow();
    return window && SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE)
               ? 0
               : 1;
}

int printBounds()
{
    RECT bounds = {};
    if (!GetWindowRect(findReadyWindow(), &bounds)) {
        return 1;
    }
    std::printf("%ldx%ld+%ld+%ld\n", bounds.right - bounds.left, bounds.bottom - bounds.top, bounds.left, bounds.top);
    return 0;
}

// Sent rather than posted, so that the window has taken the change when this
// returns (`capture` waits for the painting that follows); the system
// carries the area's text across to the program.
int announceSetting(const wchar_t* area)
{
    HWND window = findReadyWindow();
    DWORD_PTR ignored = 0;
    return window && SendMessageTimeoutW(window, WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(area),
                                         SMTO_ABORTIFHUNG, 5000, &ignored)
               ? 0
               : 1;
}

struct MemoryContextDeleter {
    using pointer = HDC;
    void operator()(HDC context) const { DeleteDC(context); }
};
using OwnedMemoryContext = std::unique_ptr<HDC__, MemoryContextDeleter>;
using OwnedBitmap = std::unique_ptr<HBITMAP__, GdiObjectDeleter<HBITMAP>>;

bool awaitsPainting(HWND window)
{
    if (GetUpdateRect(window, nullptr, FALSE)) {
        return true;
    }
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) {
            return true;
        }
    }
    return false;
}

// Until the window's thread has handled its messages and nothing of the
// window or its controls awaits painting, five seconds at most: a list just
// shown paints row by row.
void waitUntilPainted(HWND window)
{
    for (int tick = 0; tick < 100; ++tick) {
        DWORD_PTR ignored = 0;
        if (SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 2000, &ignored) && !awaitsPainting(window)) {
            return;
        }
        Sleep(50);
    }
}

// The screen under the window, with the window raised above every other
// (without taking the focus) for the moment of the copy: a CI runner's
// console window can lie over it. PrintWindow would need no raising, but
// under Wine it draws little of the window, and this way is checked here.
bool copyFromScreen(HWND window, HDC target, const RECT& bounds)
{
    constexpr UINT keepPlace = SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE;
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, keepPlace);
    waitUntilPainted(window);
    // What was painted reaches the screen a moment later (an X server's
    // round trip under Wine, the compositor's frame on Windows).
    Sleep(500);
    const WindowDc screen(nullptr);
    const bool copied = BitBlt(target, 0, 0, bounds.right - bounds.left, bounds.bottom - bounds.top, screen.get(),
                               bounds.left, bounds.top, SRCCOPY) != FALSE;
    SetWindowPos(window, HWND_NOTOPMOST, 0, 0, 0, 0, keepPlace);
    return copied;
}

int capture(const wchar_t* path)
{
    HWND window = findReadyWindow();
    RECT bounds = {};
    if (!window || !GetWindowRect(window, &bounds)) {
        return 1;
    }
    BITMAPINFOHEADER header = {};
    header.biSize = sizeof(header);
    header.biWidth = bounds.right - bounds.left;
    // Negative: the rows run from the top, as they are written.
    header.biHeight = -(bounds.bottom - bounds.top);
    header.biPlanes = 1;
    header.biBitCount = 32;
    header.biCompression = BI_RGB;
    void* pixels = nullptr;
    const OwnedBitmap bitmap(
        CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS, &pixels, nullptr, 0));
    const OwnedMemoryContext context(CreateCompatibleDC(nullptr));
    if (!bitmap || !context) {
        return 1;
    }
    const DWORD pixelBytes = static_cast<DWORD>(header.biWidth) * static_cast<DWORD>(-header.biHeight) * 4;
    {
        const SelectionGuard selected(context.get(), bitmap.get());
        if (!copyFromScreen(window, context.get(), bounds)) {
            return 1;
        }
    }
    GdiFlush();
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42; // "BM"
    file.bfOffBits = static_cast<DWORD>(sizeof(file) + sizeof(header));
    file.bfSize = file.bfOffBits + pixelBytes;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(&file), sizeof(file));
    out.write(reinterpret_cast<const char*>(&header), sizeof(header));
    out.write(static_cast<const char*>(pixels), pixelBytes);
    return out.good() ? 0 : 1;
}

struct ProcessCloser {
    using pointer = HANDLE;
    void operator()(HANDLE process) const { CloseHandle(process); }
};
using OwnedProcess = std::unique_ptr<void, ProcessCloser>;

int printMitigations()
{
    DWORD processId = 0;
    GetWindowThreadProcessId(findReadyWindow(), &processId);
    const OwnedProcess process(processId ? OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, processId) : nullptr);
    PROCESS_MITIGATION_CONTROL_FLOW_GUARD_POLICY guard = {};
    if (!process ||
        !GetProcessMitigationPolicy(process.get(), ProcessControlFlowGuardPolicy, &guard, sizeof(guard))) {
        return 1;
    }
    // Shadow stacks need a processor with CET and Windows 11 or Server 2022
    // with them switched on: reported, not required.
    PROCESS_MITIGATION_USER_SHADOW_STACK_POLICY shadowStack = {};
    const bool shadowStackKnown = GetProcessMitigationPolicy(process.get(), ProcessUserShadowStackPolicy,
                                                             &shadowStack, sizeof(shadowStack)) != FALSE;
    std::printf("control flow guard: %s\nuser shadow stack: %s\n", guard.EnableControlFlowGuard ? "on" : "off",
                !shadowStackKnown ? "unknown" : shadowStack.EnableUserShadowStack ? "on" : "off");
    return 0;
}

// The desktop appears a moment after `wine explorer /desktop=…` starts.
bool switchToDesktop(const wchar_t* name, OwnedDesktop& desktop, int seconds)
{
    for (int tick = 0; !desktop && tick < seconds * 10; ++tick) {
        desktop.reset(OpenDesktopW(name, 0, FALSE, GENERIC_ALL));
        if (!desktop) {
            Sleep(100);
        }
    }
    return desktop && SetThreadDesktop(desktop.get());
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    int next = 1;
    const wchar_t* desktopName = nullptr;
    if (argc > next + 1 && std::wcscmp(argv[next], L"--desktop") == 0) {
        desktopName = argv[next + 1];
        next += 2;
    }
    const bool waiting = argc == next + 2 && std::wcscmp(argv[next], L"wait") == 0;
    const int seconds = waiting ? _wtoi(argv[next + 1]) : 5;
    OwnedDesktop desktop;
    if (desktopName && !switchToDesktop(desktopName, desktop, seconds)) {
        return 1;
    }
    if (waiting) {
        return waitForWindow(seconds);
    }
    if (argc == next + 2 && std::wcscmp(argv[next], L"click") == 0) {
        return click(_wtoi(argv[next + 1]));
    }
    if (argc == next + 1 && std::wcscmp(argv[next], L"close") == 0) {
        return close();
    }
    if (argc == next + 3 && std::wcscmp(argv[next], L"move") == 0) {
        return move(_wtoi(argv[next + 1]), _wtoi(argv[next + 2]));
    }
    if (argc == next + 3 && std::wcscmp(argv[next], L"size") == 0) {
        return resize(_wtoi(argv[next + 1]), _wtoi(argv[next + 2]));
    }
    if (argc == next + 1 && std::wcscmp(argv[next], L"rect") == 0) {
        return printBounds();
    }
    if (argc == next + 2 && std::wcscmp(argv[next], L"capture") == 0) {
        return capture(argv[next + 1]);
    }
    if (argc == next + 1 && std::wcscmp(argv[next], L"mitigations") == 0) {
        return printMitigations();
    }
    if (argc == next + 2 && std::wcscmp(argv[next], L"setting") == 0) {
        return announceSetting(argv[next + 1]);
    }
    return 2;
}
