#include "bench_window.h"

#include "app/main_window.h"
#include "catalog/populate_app_list.h"
#include "store/load_catalog.h"
#include "ui/commands.h"

BenchWindow::BenchWindow()
{
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW existing = {};
    existing.cbSize = sizeof(existing);
    if (!GetClassInfoExW(instance, mainWindowClassName, &existing)) {
        registerMainWindowClass(instance);
    }
    window_ = createMainWindow(instance);
    showAndLoad(window_, SW_SHOWNOACTIVATE);
    runUntilWorkerIdle(state());
    pumpMessages();
}

BenchWindow::~BenchWindow()
{
    if (IsWindow(window_)) {
        DestroyWindow(window_);
    }
    // Takes the WM_QUIT that WM_DESTROY posts.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
}

WindowState& BenchWindow::state() const
{
    return *reinterpret_cast<WindowState*>(GetWindowLongPtrW(window_, GWLP_USERDATA));
}

void BenchWindow::load() const
{
    loadCatalog(state());
    runUntilWorkerIdle(state());
}

void BenchWindow::setSearchTextQuietly(const std::wstring& text) const
{
    WindowState& windowState = state();
    // The edit control's EN_CHANGE is ignored while the list is being filled.
    windowState.populating = true;
    SetWindowTextW(windowState.searchEdit, text.c_str());
    windowState.populating = false;
}

void BenchWindow::setListShown(bool shown) const
{
    setExpanded(state(), shown);
    UpdateWindow(window_);
    pumpMessages();
}

void BenchWindow::showEveryApp() const
{
    const bool shown = state().expanded;
    if (shown) {
        setListShown(false);
    }
    setSearchTextQuietly(L"");
    populateAppList(state());
    if (shown) {
        setListShown(true);
    }
    pumpMessages();
}

void pumpMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void runUntilWorkerIdle(const WindowState& state)
{
    while (state.runningRead || state.runningSave) {
        MSG message;
        if (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        } else {
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        }
    }
}
