#pragma once

#include "model/window_state.h"

#include <string>

// The program's own main window, created and shown in the benchmark's process
// with the program's class and window procedure, so that its list view is the
// real one. Creating it loads a catalog from whatever store is bound then.
class BenchWindow {
public:
    BenchWindow();
    BenchWindow(const BenchWindow&) = delete;
    BenchWindow& operator=(const BenchWindow&) = delete;
    ~BenchWindow();

    WindowState& state() const;

    // Puts `text` in the search box while the list is left alone, so that the
    // refill can be timed on its own.
    void setSearchTextQuietly(const std::wstring& text) const;

private:
    HWND window_ = nullptr;
};

// Handles what is queued (paints, mostly), so that one timed step does not
// leave work for the next.
void pumpMessages();
