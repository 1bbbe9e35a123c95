#pragma once

#include <windows.h>

#include <cstdint>

// Times what a list view spends in the messages it is sent, by standing in
// for its window procedure; the list's own procedure is back when the meter
// goes. Messages the list sends itself while handling one are part of that
// one. Only one meter may be live at a time.
class ListViewMeter {
public:
    explicit ListViewMeter(HWND listView);
    ListViewMeter(const ListViewMeter&) = delete;
    ListViewMeter& operator=(const ListViewMeter&) = delete;
    ~ListViewMeter();

    double milliseconds() const;
    std::uint64_t messages() const { return messages_; }
    void reset();

private:
    static LRESULT CALLBACK meteredProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HWND listView_;
    WNDPROC listProc_;
    int depth_ = 0;
    std::uint64_t messages_ = 0;
    std::int64_t ticks_ = 0;
};
