#pragma once

#include "control_outline.h"

#include <windows.h>

#include <optional>
#include <string>

struct StartupResult {
    double milliseconds = 0.0;
    // The program's status line as it stood once painted.
    std::wstring status;
    // Its controls and list rows as they stood once painted.
    WindowOutline outline;
};

// Starts `program` and times it from just before CreateProcessW until its
// window of class `windowClass` is visible, painted and its thread waits for
// input: WaitForInputIdle has returned, a WM_NULL sent to the window has come
// back through its message loop and no part of the window awaits painting.
// The program's first WM_PAINT comes from UpdateWindow before its message
// loop starts, so that moment lies after it. A window with a status line
// (`statusControlId` not 0) reads its list on a worker while it waits for
// input: it counts as started once the line no longer says it is reading.
// The window's status line and controls are read after the timing ends; the
// program is then closed. Nothing when it fails to start, exits or stays
// unpainted for ten seconds.
std::optional<StartupResult> measureStartup(const std::wstring& program, const wchar_t* windowClass,
                                            int statusControlId);
