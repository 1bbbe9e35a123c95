#include "sid_bytes.h"

#include "utf8.h"

#include <sddl.h>

#include <memory>

namespace {

struct LocalFreeDeleter {
    void operator()(void* memory) const { LocalFree(memory); }
};

// A SID is a revision byte, a sub-authority count, a six-byte authority and
// four bytes per sub-authority.
constexpr std::size_t sidHeaderSize = 8;

std::size_t declaredSidSize(const BYTE* sid)
{
    return sidHeaderSize + 4 * std::size_t{sid[1]};
}

int hexDigit(wchar_t unit)
{
    if (unit >= L'0' && unit <= L'9') {
        return unit - L'0';
    }
    if (unit >= L'a' && unit <= L'f') {
        return unit - L'a' + 10;
    }
    if (unit >= L'A' && unit <= L'F') {
        return unit - L'A' + 10;
    }
    return -1;
}

} // namespace

std::optional<SidBytes> sidFromText(std::wstring_view text)
{
    if (text.size() < 2 || (text[0] != L'S' && text[0] != L's') || text[1] != L'-') {
        return std::nullopt;
    }
    const std::wstring terminated(text);
    PSID converted = nullptr;
    if (!ConvertStringSidToSidW(terminated.c_str(), &converted)) {
        return std::nullopt;
    }
    const std::unique_ptr<void, LocalFreeDeleter> owner(converted);
    const auto* bytes = static_cast<const BYTE*>(converted);
    return SidBytes(bytes, bytes + GetLengthSid(converted));
}

std::optional<SidBytes> sidFromHex(std::wstring_view hex)
{
    if (hex.size() % 2 != 0 || hex.size() < 2 * sidHeaderSize) {
        return std::nullopt;
    }
    SidBytes bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int high = hexDigit(hex[i]);
        const int low = hexDigit(hex[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<BYTE>(high * 16 + low));
    }
    if (bytes.size() != declaredSidSize(bytes.data())) {
        return std::nullopt;
    }
    return bytes;
}

std::optional<SidBytes> copyCallerSid(const void* sid)
{
    if (!sid) {
        return std::nullopt;
    }
    const auto* bytes = static_cast<const BYTE*>(sid);
    if (bytes[1] > SID_MAX_SUB_AUTHORITIES) {
        return std::nullopt;
    }
    return SidBytes(bytes, bytes + declaredSidSize(bytes));
}

std::string exemptionLine(const SidBytes& sid)
{
    wchar_t* text = nullptr;
    // ConvertSidToStringSidW validates the SID first, so a SID of another
    // revision lands in the raw form instead of being misread.
    if (ConvertSidToStringSidW(const_cast<BYTE*>(sid.data()), &text)) {
        const std::unique_ptr<wchar_t, LocalFreeDeleter> owner(text);
        return "exempt " + toUtf8(text);
    }
    static constexpr char digits[] = "0123456789abcdef";
    std::string line = "exempt-raw ";
    for (const BYTE byte : sid) {
        line += digits[byte >> 4];
        line += digits[byte & 0x0f];
    }
    return line;
}
