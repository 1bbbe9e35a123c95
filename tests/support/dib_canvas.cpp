#include "support/dib_canvas.h"

#include <algorithm>
#include <cstddef>

namespace {

// `area` cut to the canvas, so that a check near an edge reads no pixel
// outside the bitmap.
RECT clipped(const RECT& area, int width, int height)
{
    return {std::max(0L, area.left), std::max(0L, area.top), std::min(static_cast<LONG>(width), area.right),
            std::min(static_cast<LONG>(height), area.bottom)};
}

} // namespace

DibCanvas::DibCanvas(int width, int height)
    : width_(width), height_(height), context_(CreateCompatibleDC(nullptr))
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

DibCanvas::~DibCanvas()
{
    SelectObject(context_, previous_);
    DeleteObject(bitmap_);
    DeleteDC(context_);
}

COLORREF DibCanvas::pixel(int x, int y) const
{
    // GDI may still hold drawing calls in its batch.
    GdiFlush();
    const DWORD value =
        bits_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) + static_cast<std::size_t>(x)];
    return RGB((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

bool DibCanvas::contains(COLORREF colour, const RECT& area) const
{
    const RECT inside = clipped(area, width_, height_);
    for (int y = inside.top; y < inside.bottom; ++y) {
        for (int x = inside.left; x < inside.right; ++x) {
            if (pixel(x, y) == colour) {
                return true;
            }
        }
    }
    return false;
}

int DibCanvas::inkWidth(const RECT& area, COLORREF background) const
{
    const RECT inside = clipped(area, width_, height_);
    int left = width_;
    int right = -1;
    for (int y = inside.top; y < inside.bottom; ++y) {
        for (int x = inside.left; x < inside.right; ++x) {
            if (pixel(x, y) != background) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return right < left ? 0 : right - left + 1;
}

void DibCanvas::capture(HWND window)
{
    RedrawWindow(window, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
    HDC source = GetDC(window);
    BitBlt(context_, 0, 0, width_, height_, source, 0, 0, SRCCOPY);
    ReleaseDC(window, source);
}

bool DibCanvas::operator==(const DibCanvas& other) const
{
    GdiFlush();
    return width_ == other.width_ && height_ == other.height_ &&
           std::equal(bits_, bits_ + static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), other.bits_);
}

LRESULT drawButtonInto(const DibCanvas& canvas, HWND button, UINT itemState)
{
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.CtlID = static_cast<UINT>(GetDlgCtrlID(button));
    item.hwndItem = button;
    item.hDC = canvas.context();
    item.rcItem = {0, 0, canvas.width(), canvas.height()};
    item.itemState = itemState;
    return SendMessageW(GetParent(button), WM_DRAWITEM, item.CtlID, reinterpret_cast<LPARAM>(&item));
}
