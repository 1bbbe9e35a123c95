#include "system_list.h"

#include "model/owners.h"
#include "store/loopback_api.h"

#include <sddl.h>

namespace {

// A SID's length from its own header: revision, count, six bytes of
// authority, then four bytes per sub-authority. GetLengthSid would refuse a
// SID of another revision, which the list may hold.
std::size_t sidLength(const void* sid)
{
    return 8 + 4 * std::size_t{static_cast<const BYTE*>(sid)[1]};
}

std::wstring textOf(const std::vector<BYTE>& sid)
{
    wchar_t* text = nullptr;
    if (!ConvertSidToStringSidW(const_cast<BYTE*>(sid.data()), &text)) {
        return {};
    }
    const LocalText owner(text);
    return text;
}

} // namespace

DWORD readSystemList(SidList& list)
{
    ConfiguredSidArray configured;
    const DWORD result = loopbackApi.getAppContainerConfig(&configured.count, &configured.records);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    list.clear();
    for (DWORD i = 0; configured.records && i < configured.count; ++i) {
        if (const auto* bytes = static_cast<const BYTE*>(configured.records[i].Sid)) {
            list.emplace_back(bytes, bytes + sidLength(bytes));
        }
    }
    return ERROR_SUCCESS;
}

DWORD writeSystemList(const SidList& list)
{
    SidList copies = list;
    std::vector<SID_AND_ATTRIBUTES> records;
    records.reserve(copies.size());
    for (std::vector<BYTE>& sid : copies) {
        records.push_back(SID_AND_ATTRIBUTES{sid.data(), 0});
    }
    return loopbackApi.setAppContainerConfig(static_cast<DWORD>(records.size()),
                                             records.empty() ? nullptr : records.data());
}

std::set<std::wstring> sidTexts(const SidList& list)
{
    std::set<std::wstring> texts;
    for (const std::vector<BYTE>& sid : list) {
        if (std::wstring text = textOf(sid); !text.empty()) {
            texts.insert(std::move(text));
        }
    }
    return texts;
}

std::vector<std::wstring> describeList(const SidList& list)
{
    std::vector<std::wstring> lines;
    for (const std::vector<BYTE>& sid : list) {
        std::wstring text = textOf(sid);
        if (text.empty()) {
            static constexpr wchar_t digits[] = L"0123456789abcdef";
            text = L"(no text form) ";
            for (BYTE byte : sid) {
                text += digits[byte >> 4];
                text += digits[byte & 0x0F];
            }
        }
        lines.push_back(std::move(text));
    }
    return lines;
}
