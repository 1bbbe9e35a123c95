#pragma once

#include "model/window_table.h"

#include <string>

// The program's composed status texts, built from its own table.
inline std::wstring loadedStatus(std::size_t appCount)
{
    return texts::loadedBeforeCount + std::to_wstring(appCount) + texts::loadedAfterCount;
}

// A save that wrote the list; `changedOutside` apps the user left alone stand
// otherwise than the window showed them.
inline std::wstring savedStatus(std::size_t changedOutside)
{
    if (changedOutside == 0) {
        return texts::saved;
    }
    return texts::savedFirstSentence + std::wstring(texts::outsideBeforeCount) + std::to_wstring(changedOutside) +
           texts::outsideAfterCount;
}

inline std::wstring unreadableSidStatus()
{
    return std::wstring(texts::saveFailed) + texts::unreadableSid;
}

// errorText of a code the system has no message for.
inline std::wstring unknownCodeText(unsigned long code)
{
    return texts::errorCode + std::to_wstring(code);
}
