#pragma once

#include <windows.h>

#include <string>
#include <vector>

// One child control of a window, as far as what creating and showing it
// costs: read from outside the window's process.
struct ControlOutline {
    std::wstring className;
    DWORD style = 0;
    DWORD extendedStyle = 0;
    // In the parent's client coordinates.
    RECT bounds = {};
    // The list view's own extended styles (check boxes among them); 0 for
    // every other control.
    DWORD listExtendedStyle = 0;
};

struct WindowOutline {
    // In creation order.
    std::vector<ControlOutline> controls;
    // The rows of the window's list view; -1 when it has none.
    int listRows = -1;
};

// Works on a window of another process: only messages that carry no pointer
// are sent.
WindowOutline outlineOf(HWND window);

// The first control that differs between the two, in words; empty when they
// have the same controls. Being disabled and having scroll bars count as the
// same, since they follow the load's outcome; the list's rows are left to
// the caller.
std::string firstControlDifference(const WindowOutline& expected, const WindowOutline& actual);
