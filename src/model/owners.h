#pragma once

// Every owner of what the platform hands out, each released with the call
// that belongs to it: GDI objects, device-context selections and painting,
// icons, menus, modules, thread handles, LocalAlloc'd text and SIDs, COM
// objects and the thread's COM apartment, and the network isolation
// functions' arrays.

#include "model/network_isolation.h"

#include <windows.h>

#include <objbase.h>

#include <memory>

template <typename Handle>
struct GdiObjectDeleter {
    using pointer = Handle;
    void operator()(Handle object) const { DeleteObject(object); }
};
using OwnedFont = std::unique_ptr<HFONT__, GdiObjectDeleter<HFONT>>;
using OwnedBrush = std::unique_ptr<HBRUSH__, GdiObjectDeleter<HBRUSH>>;
using OwnedPen = std::unique_ptr<HPEN__, GdiObjectDeleter<HPEN>>;

struct IconDestroyer {
    using pointer = HICON;
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using OwnedIcon = std::unique_ptr<HICON__, IconDestroyer>;

struct ModuleDeleter {
    using pointer = HMODULE;
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using OwnedModule = std::unique_ptr<HINSTANCE__, ModuleDeleter>;

struct MenuDeleter {
    using pointer = HMENU;
    void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using OwnedMenu = std::unique_ptr<HMENU__, MenuDeleter>;

struct ComReleaser {
    void operator()(IUnknown* object) const { object->Release(); }
};
template <typename Interface>
using OwnedComObject = std::unique_ptr<Interface, ComReleaser>;

// The calling thread in a COM apartment: single-threaded
// (COINIT_APARTMENTTHREADED), as a thread with windows must be, or the
// multithreaded one (COINIT_MULTITHREADED), which a worker without windows
// joins. Left again only if it was entered here (S_FALSE, already entered,
// counts too; RPC_E_CHANGED_MODE, a thread already in the other kind, does
// not).
class ComApartment {
public:
    explicit ComApartment(DWORD concurrency)
        : entered_(SUCCEEDED(CoInitializeEx(nullptr, concurrency | COINIT_DISABLE_OLE1DDE)))
    {
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment()
    {
        if (entered_) {
            CoUninitialize();
        }
    }

private:
    bool entered_;
};

// A thread's handle, closed with CloseHandle; closing it leaves the thread
// running.
struct ThreadHandleCloser {
    using pointer = HANDLE;
    void operator()(HANDLE thread) const { CloseHandle(thread); }
};
using OwnedThreadHandle = std::unique_ptr<void, ThreadHandleCloser>;

// What FormatMessageW and the SID conversions allocate.
struct LocalFreeDeleter {
    void operator()(void* memory) const { LocalFree(memory); }
};
using LocalText = std::unique_ptr<wchar_t, LocalFreeDeleter>;
using LocalSid = std::unique_ptr<void, LocalFreeDeleter>;

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

// A window's device context from GetDC, given back with ReleaseDC.
class WindowDc {
public:
    explicit WindowDc(HWND window) : window_(window), context_(GetDC(window)) {}
    WindowDc(const WindowDc&) = delete;
    WindowDc& operator=(const WindowDc&) = delete;
    ~WindowDc() { ReleaseDC(window_, context_); }

    HDC get() const { return context_; }

private:
    HWND window_;
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

// The exemption list as NetworkIsolationGetAppContainerConfig returns it: each
// SID and then the array itself live on the process heap.
class ConfiguredSidArray {
public:
    ConfiguredSidArray() = default;
    ConfiguredSidArray(const ConfiguredSidArray&) = delete;
    ConfiguredSidArray& operator=(const ConfiguredSidArray&) = delete;
    ~ConfiguredSidArray()
    {
        if (!records) {
            return;
        }
        HANDLE heap = GetProcessHeap();
        for (DWORD i = 0; i < count; ++i) {
            if (records[i].Sid) {
                HeapFree(heap, 0, records[i].Sid);
            }
        }
        HeapFree(heap, 0, records);
    }

    DWORD count = 0;
    SID_AND_ATTRIBUTES* records = nullptr;
};

// A successful enumeration, released with exactly one call of the free
// function it came with, whatever the count, zero included. An enumeration
// that found nothing may hand out no array at all ("will be empty", in
// Windows' words), and the free function is documented for arrays the
// enumeration handed out only: a null one is not passed to it.
class EnumeratedAppContainers {
public:
    explicit EnumeratedAppContainers(FreeAppContainersFunction* free) : free_(free) {}
    EnumeratedAppContainers(const EnumeratedAppContainers&) = delete;
    EnumeratedAppContainers& operator=(const EnumeratedAppContainers&) = delete;
    ~EnumeratedAppContainers()
    {
        if (succeeded && records) {
            free_(records);
        }
    }

    bool succeeded = false;
    DWORD count = 0;
    INET_FIREWALL_APP_CONTAINER* records = nullptr;

private:
    FreeAppContainersFunction* free_;
};
