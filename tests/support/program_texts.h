#pragma once

#include "model/window_table.h"
#include "store/error_text.h"
#include "store/save_report.h"

#include <string>

// The program's composed status texts, built from its own table.
inline std::wstring loadedStatus(std::size_t appCount)
{
    return texts::loadedBeforeCount + std::to_wstring(appCount) + texts::loadedAfterCount +
           (appCount > 0 ? texts::loadedHint : L"");
}

// A load that kept ticks not yet saved: the reminder instead of the hint.
inline std::wstring loadedWithChangesStatus(std::size_t appCount)
{
    return texts::loadedBeforeCount + std::to_wstring(appCount) + texts::loadedAfterCount + texts::settingsChanged;
}

inline std::wstring unreadableSidStatus()
{
    return std::wstring(texts::saveFailed) + texts::unreadableSid;
}

// The system's text for a code, as the program shows it. Wine and Windows
// word their messages differently ("Access denied.", "Access is denied."),
// so a test expects the wording of the system it runs on.
inline std::wstring systemText(unsigned long code)
{
    return errorText(code);
}

// errorText of a code the system has no message for.
inline std::wstring unknownCodeText(unsigned long code)
{
    return texts::errorCode + std::to_wstring(code);
}
