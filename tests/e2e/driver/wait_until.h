#pragma once

#include <windows.h>

// Polls `condition` until it holds or `timeoutMs` passes; the program under
// test works on its own thread of control, so every observation waits.
template <typename Condition>
bool waitUntil(Condition condition, DWORD timeoutMs = 10000)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) {
            return true;
        }
        if (GetTickCount64() >= deadline) {
            return false;
        }
        Sleep(20);
    }
}
