#pragma once

#include <windows.h>

#include <memory>

// GDI objects with one owner each: the object is deleted exactly once, by
// whichever owner holds it when it goes out of scope or is reset.
template <typename Handle>
struct GdiObjectDeleter {
    using pointer = Handle;
    void operator()(Handle object) const { DeleteObject(object); }
};

using OwnedFont = std::unique_ptr<HFONT__, GdiObjectDeleter<HFONT>>;
using OwnedBrush = std::unique_ptr<HBRUSH__, GdiObjectDeleter<HBRUSH>>;
using OwnedPen = std::unique_ptr<HPEN__, GdiObjectDeleter<HPEN>>;
