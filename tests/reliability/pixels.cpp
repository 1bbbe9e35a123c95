#include "reliability/pixels.h"

#include <algorithm>

Canvas::Canvas(int width, int height) : width_(width), height_(height), context_(CreateCompatibleDC(nullptr))
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    bitmap_ = CreateDIBSection(context_, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bits_ = static_cast<const DWORD*>(bits);
    previous_ = SelectObject(context_, bitmap_);
}

Canvas::~Canvas()
{
    SelectObject(context_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(context_);
}

COLORREF Canvas::pixel(int x, int y) const
{
    GdiFlush();
    const DWORD value =
        bits_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
    return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

void Canvas::capture(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC source = GetDC(window);
    BitBlt(context_, 0, 0, width_, height_, source, 0, 0, SRCCOPY);
    ReleaseDC(window, source);
}

int Canvas::inkWidth(const RECT& area, COLORREF background) const
{
    int left = width_;
    int right = -1;
    for (int y = std::max(0, static_cast<int>(area.top)); y < std::min(height_, static_cast<int>(area.bottom)); ++y) {
        for (int x = std::max(0, static_cast<int>(area.left)); x < std::min(width_, static_cast<int>(area.right));
             ++x) {
            if (pixel(x, y) != background) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return right < left ? 0 : right - left + 1;
}
