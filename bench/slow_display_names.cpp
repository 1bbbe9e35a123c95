#include "slow_display_names.h"

#include <algorithm>
#include <atomic>
#include <cstring>
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
    std::memcpy(text, source + 1, length * sizeof(wchar_t));
    text[length] = L'\0';
    return S_OK;
}

// Points this executable's import of shlwapi.dll's `ordinal` at
// `replacement` and returns the address it held; null when there is none.
void* redirectOrdinalImport(WORD ordinal, void* replacement)
{
    auto* base = reinterpret_cast<BYTE*>(GetModuleHandleW(nullptr));
    const auto* dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    const auto* nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& directory = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    for (auto* import = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + directory.VirtualAddress); import->Name;
         ++import) {
        if (_stricmp(reinterpret_cast<const char*>(base + import->Name), "shlwapi.dll") != 0) {
            continue;
        }
        auto* names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->OriginalFirstThunk);
        auto* addresses = reinterpret_cast<IMAGE_THUNK_DATA*>(base + import->FirstThunk);
        for (; names->u1.AddressOfData; ++names, ++addresses) {
            if (!IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal) || IMAGE_ORDINAL(names->u1.Ordinal) != ordinal) {
                continue;
            }
            DWORD oldProtection = 0;
            VirtualProtect(&addresses->u1.Function, sizeof(void*), PAGE_READWRITE, &oldProtection);
            void* original = reinterpret_cast<void*>(addresses->u1.Function);
            addresses->u1.Function = reinterpret_cast<ULONG_PTR>(replacement);
            VirtualProtect(&addresses->u1.Function, sizeof(void*), oldProtection, &oldProtection);
            return original;
        }
    }
    return nullptr;
}

} // namespace

SlowDisplayNames::SlowDisplayNames(DWORD milliseconds)
{
    delayPerName = milliseconds;
    original_ = redirectOrdinalImport(loadIndirectStringOrdinal, reinterpret_cast<void*>(&slowLoadIndirectString));
}

SlowDisplayNames::~SlowDisplayNames()
{
    if (original_) {
        redirectOrdinalImport(loadIndirectStringOrdinal, original_);
    }
}
