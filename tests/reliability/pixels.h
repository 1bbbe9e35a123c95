#pragma once

#include <windows.h>

// A 32-bit bitmap selected into a memory device context, read from its bits.
class Canvas {
public:
    Canvas(int width, int height);
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;
    ~Canvas();

    HDC context() const { return context_; }
    int width() const { return width_; }
    int height() const { return height_; }
    COLORREF pixel(int x, int y) const;

    // Copies the client area of a shown window as it is drawn now.
    void capture(HWND window);
    // How wide the pixels that are not `background` spread inside `area`.
    int inkWidth(const RECT& area, COLORREF background) const;

private:
    int width_;
    int height_;
    HDC context_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    const DWORD* bits_ = nullptr;
};
