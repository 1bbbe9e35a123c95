#pragma once

#include <windows.h>

// A 32-bit top-down bitmap selected into a memory device context, to draw
// into and read back pixel by pixel.
class DibCanvas {
public:
    DibCanvas(int width, int height);
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;
    ~DibCanvas();

    HDC context() const { return context_; }
    int width() const { return width_; }
    int height() const { return height_; }
    COLORREF pixel(int x, int y) const;

    // Whether any pixel inside `area` is `colour`.
    bool contains(COLORREF colour, const RECT& area) const;
    // How wide the pixels that are not `background` spread inside `area`.
    int inkWidth(const RECT& area, COLORREF background) const;
    // Copies the client area of a shown window as it shows once the paints
    // left pending are done: what was never invalidated is not repainted.
    void capture(HWND window);
    // Whether both hold the same pixels.
    bool operator==(const DibCanvas& other) const;

private:
    int width_;
    int height_;
    HDC context_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
    const DWORD* bits_ = nullptr;
};

// Has the owner-drawn `button`'s parent draw it across the whole canvas in
// `itemState` (WM_DRAWITEM), and returns the parent's answer.
LRESULT drawButtonInto(const DibCanvas& canvas, HWND button, UINT itemState);
