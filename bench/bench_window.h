#pragma once

#include "model/window_state.h"

#include <string>

// The program's own main window, created and shown in the benchmark's process
// with the program's class and window procedure, so that its list view is the
// real one. Creating it loads a catalog from whatever store is bound then,
// the read run to its end.
class BenchWindow {
public:
    BenchWindow();
    BenchWindow(const BenchWindow&) = delete;
    BenchWindow& operator=(const BenchWindow&) = delete;
    ~BenchWindow();

    WindowState& state() const;

    // Reads the catalog again, as 刷新 does, and runs the message loop until
    // the read has ended and its list is in place.
    void load() const;

    // Puts `text` in the search box while the list is left alone, so that the
    // refill can be timed on its own.
    void setSearchTextQuietly(const std::wstring& text) const;

    // Expands the window, so that the list is shown, or collapses it, as the
    // "选择其他应用" button does, and lets everything paint.
    void setListShown(bool shown) const;

    // Empties the search box and fills the list with every app. A shown list
    // is filled while hidden and then shown and painted, which is how a user
    // finds it who opens the list after a load.
    void showEveryApp() const;

private:
    HWND window_ = nullptr;
};

// Handles what is queued (paints, mostly), so that one timed step does not
// leave work for the next.
void pumpMessages();

// Runs the message loop until the window's worker has no read or save left.
void runUntilWorkerIdle(const WindowState& state);
