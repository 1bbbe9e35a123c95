#pragma once

#include <windows.h>

// BeginPaint in the constructor, EndPaint in the destructor.
class PaintGuard {
public:
    explicit PaintGuard(HWND window) : window_(window), context_(BeginPaint(window, &paint_)) {}
    PaintGuard(const PaintGuard&) = delete;
    PaintGuard& operator=(const PaintGuard&) = delete;
    ~PaintGuard() { EndPaint(window_, &paint_); }

    HDC context() const { return context_; }

private:
    HWND window_;
    PAINTSTRUCT paint_ = {};
    HDC context_;
};

// Selects an object into a device context and selects the previous one back
// when it goes out of scope, before the object itself may be deleted.
class SelectionGuard {
public:
    SelectionGuard(HDC context, HGDIOBJ object) : context_(context), previous_(SelectObject(context, object)) {}
    SelectionGuard(const SelectionGuard&) = delete;
    SelectionGuard& operator=(const SelectionGuard&) = delete;
    ~SelectionGuard() { SelectObject(context_, previous_); }

private:
    HDC context_;
    HGDIOBJ previous_;
};
