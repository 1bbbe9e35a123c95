#include "slow_display_names.h"

#include "support/import_redirect.h"

#include <algorithm>
#include <atomic>
#include <cwchar>

namespace {

constexpr WORD loadIndirectStringOrdinal = 487;

std::atomic<DWORD> delayPerName{0};

HRESULT WINAPI slowLoadIndirectString(PCWSTR source, PWSTR text, UINT capacity, void** /*reserved*/)
{
    Sleep(delayPerName);
    if (!source || source[0] != L'@' || !text || capacity == 0) {
        return E_INVALIDARG;
    }
    const std::size_t length = std::min<std::size_t>(wcslen(source + 1), capacity - 1);
    std::wmemcpy(text, source + 1, length);
    text[length] = L'\0';
    return S_OK;
}

} // namespace

SlowDisplayNames::SlowDisplayNames(DWORD milliseconds)
{
    delayPerName = milliseconds;
    original_ = redirectImport("shlwapi.dll", "SHLoadIndirectString", reinterpret_cast<void*>(&slowLoadIndirectString),
                               loadIndirectStringOrdinal);
}

SlowDisplayNames::~SlowDisplayNames()
{
    if (original_) {
        redirectImport("shlwapi.dll", "SHLoadIndirectString", original_, loadIndirectStringOrdinal);
    }
}
