#include "store/sid_text.h"

#include "model/owners.h"

#include <sddl.h>

std::wstring sidToString(PSID sid)
{
    wchar_t* buffer = nullptr;
    if (!sid || !ConvertSidToStringSidW(sid, &buffer)) {
        return {};
    }
    const LocalText text(buffer);
    return text.get();
}
