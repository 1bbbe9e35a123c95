#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

inline LARGE_INTEGER counterNow()
{
    LARGE_INTEGER value;
    QueryPerformanceCounter(&value);
    return value;
}

inline double ticksToMilliseconds(std::int64_t ticks)
{
    static const double ticksPerMillisecond = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000.0;
    }();
    return static_cast<double>(ticks) / ticksPerMillisecond;
}

inline double millisecondsBetween(LARGE_INTEGER start, LARGE_INTEGER end)
{
    return ticksToMilliseconds(end.QuadPart - start.QuadPart);
}

// The middle value, or the mean of the two middle values; 0 for no values.
double median(std::vector<double> values);

// How a target fared, as the figures print it: "met" or "MISSED".
const char* verdict(bool met);

// The console may not take UTF-8, and the figures need no more than ASCII:
// every other unit becomes '?'.
std::string ascii(const std::wstring& text);

template <typename Action>
double timeMilliseconds(Action&& action)
{
    const LARGE_INTEGER start = counterNow();
    action();
    return millisecondsBetween(start, counterNow());
}
