#include "store/error_text.h"

#include "model/owners.h"
#include "model/window_table.h"

std::wstring errorText(DWORD code)
{
    wchar_t* buffer = nullptr;
    // FORMAT_MESSAGE_IGNORE_INSERTS: the message is plain text, and an insert
    // such as %1 stays literal rather than reading arguments that do not exist.
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, code, 0,
        reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    const LocalText message(buffer);
    if (length == 0 || !message) {
        return texts::errorCode + std::to_wstring(code);
    }
    std::wstring text(message.get(), length);
    while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n' || text.back() == L' ')) {
        text.pop_back();
    }
    return text;
}
