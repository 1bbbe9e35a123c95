#pragma once

#include <windows.h>

#include <cstdint>
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

template <typename Action>
double timeMilliseconds(Action&& action)
{
    const LARGE_INTEGER start = counterNow();
    action();
    return millisecondsBetween(start, counterNow());
}
