#pragma once

#include <windows.h>

inline constexpr wchar_t mainWindowClassName[] = L"OrvaLoopbackWindow";

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers "OrvaLoopbackWindow"; false when the class cannot be registered.
bool registerMainWindowClass(HINSTANCE instance);

// Creates the main window, 720 x 360 centred on the primary screen, hidden.
// Its controls are built before this returns; the catalog is not loaded yet.
HWND createMainWindow(HINSTANCE instance);

// Shows the main window as `showCommand` asks and paints it, its status line
// saying "正在读取应用…", then loads the catalog. A hidden window (SW_HIDE)
// is loaded all the same.
void showAndLoad(HWND window, int showCommand);

// One message of the program's loop: the window's keys, then the dialog
// keyboard handling (Tab, Esc, Enter), then the window procedures.
void dispatchWindowMessage(HWND window, HACCEL keys, MSG& message);

// The whole program: returns 0 after a normal close and 1 when the window
// class or the main window cannot be created.
int runProgram(HINSTANCE instance, int showCommand);
