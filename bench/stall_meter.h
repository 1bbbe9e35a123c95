#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>
#include <thread>

// Measures how long the thread that creates it, the window's, goes without
// answering a message. Another thread posts a probe to a window of the
// meter's own on this thread, waits until it is handled, and posts the next
// a millisecond after the last: the longest time a probe waited is the
// longest stall, to within that millisecond. A modal loop (a message box)
// handles the probes as the program's own loop does.
class StallMeter {
public:
    StallMeter();
    StallMeter(const StallMeter&) = delete;
    StallMeter& operator=(const StallMeter&) = delete;
    ~StallMeter();

    // Starts a new measurement: what happened before is forgotten.
    void reset();
    // The longest wait of a probe handled since the reset.
    double longestMilliseconds() const;
    // From the reset to the first probe handled after it; 0 until one is.
    double firstAnswerMilliseconds() const;
    // Probes handled since the meter began: the window has answered again
    // once this grows.
    std::uint64_t answers() const { return answers_; }

private:
    static LRESULT CALLBACK probeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void postProbes();

    HWND probeWindow_ = nullptr;
    HANDLE answered_ = nullptr;
    std::atomic<bool> stopping_{false};
    // Read and written on the window's thread only: the probes' handler is
    // where they change.
    std::int64_t resetAt_ = 0;
    std::int64_t longestTicks_ = 0;
    std::int64_t firstAnswerTicks_ = 0;
    std::uint64_t answers_ = 0;
    std::thread prober_;
};
