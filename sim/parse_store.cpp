#include "parse_store.h"

#include "sid_bytes.h"
#include "utf8.h"

#include <optional>

namespace {

bool isBlank(wchar_t unit)
{
    return unit == L' ' || unit == L'\t';
}

std::vector<std::wstring_view> splitWords(std::wstring_view text)
{
    std::vector<std::wstring_view> words;
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isBlank(text[i])) {
            ++i;
        }
        const std::size_t start = i;
        while (i < text.size() && !isBlank(text[i])) {
            ++i;
        }
        if (i > start) {
            words.push_back(text.substr(start, i - start));
        }
    }
    return words;
}

// A text field: \N alone is a null pointer, an empty field is an empty
// string, and \\ \t \n \r stand for a backslash, tab, line feed and
// carriage return. Any other backslash is an error, so that a path written
// with single backslashes is noticed rather than half decoded.
bool decodeTextField(std::wstring_view field, std::optional<std::wstring>& value)
{
    if (field == L"\\N") {
        value.reset();
        return true;
    }
    std::wstring text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] != L'\\') {
            text += field[i];
            continue;
        }
        if (++i == field.size()) {
            return false;
        }
        switch (field[i]) {
        case L'\\': text += L'\\'; break;
        case L't': text += L'\t'; break;
        case L'n': text += L'\n'; break;
        case L'r': text += L'\r'; break;
        default: return false;
        }
    }
    value = std::move(text);
    return true;
}

// app <SID or -><TAB><display name><TAB><container name><TAB><package full name>
bool parseAppLine(std::wstring_view rest, StoreContents& contents)
{
    const std::size_t sidEnd = rest.find_first_of(L" \t");
    if (sidEnd == std::wstring_view::npos || rest[sidEnd] != L'\t') {
        return false;
    }
    StoredApp app;
    const std::wstring_view sidText = rest.substr(0, sidEnd);
    if (sidText != L"-") {
        std::optional<SidBytes> sid = sidFromText(sidText);
        if (!sid) {
            return false;
        }
        app.sid = std::move(*sid);
    }
    std::optional<std::wstring>* const fields[] = {&app.displayName, &app.containerName, &app.packageFullName};
    std::wstring_view remaining = rest.substr(sidEnd + 1);
    for (std::size_t i = 0; i < 3; ++i) {
        const std::size_t tab = remaining.find(L'\t');
        const bool last = i == 2;
        if (last != (tab == std::wstring_view::npos)) {
            return false;
        }
        if (!decodeTextField(remaining.substr(0, tab), *fields[i])) {
            return false;
        }
        if (!last) {
            remaining.remove_prefix(tab + 1);
        }
    }
    contents.apps.push_back(std::move(app));
    return true;
}

std::optional<DWORD> parseCode(std::wstring_view text)
{
    unsigned base = 10;
    if (text.size() > 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 10) {
        return std::nullopt;
    }
    unsigned long long value = 0;
    for (const wchar_t unit : text) {
        unsigned digit = 0;
        if (unit >= L'0' && unit <= L'9') {
            digit = static_cast<unsigned>(unit - L'0');
        } else if (base == 16 && unit >= L'a' && unit <= L'f') {
            digit = static_cast<unsigned>(unit - L'a' + 10);
        } else if (base == 16 && unit >= L'A' && unit <= L'F') {
            digit = static_cast<unsigned>(unit - L'A' + 10);
        } else {
            return std::nullopt;
        }
        value = value * base + digit;
    }
    if (value == 0 || value > MAXDWORD) {
        return std::nullopt;
    }
    return static_cast<DWORD>(value);
}

// fail get|enum|set|free <code> [<call number>], each decimal or 0x
// hexadecimal and not zero
bool parseFailLine(const std::vector<std::wstring_view>& words, StoreContents& contents)
{
    static constexpr std::wstring_view callNames[simulatedCallCount] = {L"get", L"enum", L"set", L"free"};
    if (words.size() != 3 && words.size() != 4) {
        return false;
    }
    const std::optional<DWORD> code = parseCode(words[2]);
    const std::optional<DWORD> callNumber = words.size() == 4 ? parseCode(words[3]) : std::optional<DWORD>(0);
    if (!code || !callNumber) {
        return false;
    }
    for (std::size_t call = 0; call < simulatedCallCount; ++call) {
        if (words[1] == callNames[call]) {
            contents.failures[call] = *code;
            contents.failingCallNumbers[call] = *callNumber;
            return true;
        }
    }
    return false;
}

// Returns whether the line is well formed; exemption lines are flagged.
bool parseLine(std::wstring_view line, StoreContents& contents, bool& isExemption)
{
    const std::size_t first = line.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos || line[first] == L'#') {
        return true;
    }
    line.remove_prefix(first);
    const std::size_t keywordEnd = line.find_first_of(L" \t");
    if (keywordEnd == std::wstring_view::npos) {
        return false;
    }
    const std::wstring_view keyword = line.substr(0, keywordEnd);
    if (keyword == L"app") {
        const std::size_t sidStart = line.find_first_not_of(L" \t", keywordEnd);
        return sidStart != std::wstring_view::npos && parseAppLine(line.substr(sidStart), contents);
    }
    const std::vector<std::wstring_view> words = splitWords(line);
    if (keyword == L"fail") {
        return parseFailLine(words, contents);
    }
    if (keyword == L"delay") {
        const std::optional<DWORD> milliseconds = words.size() == 2 ? parseCode(words[1]) : std::nullopt;
        contents.callDelay = milliseconds.value_or(0);
        return milliseconds.has_value();
    }
    if (keyword == L"refuse") {
        std::optional<SidBytes> sid = words.size() == 2 ? sidFromText(words[1]) : std::nullopt;
        if (sid) {
            contents.refused.push_back(std::move(*sid));
        }
        return sid.has_value();
    }
    if (keyword != L"exempt" && keyword != L"exempt-raw") {
        return false;
    }
    isExemption = true;
    if (words.size() != 2) {
        return false;
    }
    std::optional<SidBytes> sid = keyword == L"exempt" ? sidFromText(words[1]) : sidFromHex(words[1]);
    if (!sid) {
        return false;
    }
    contents.exemptions.push_back(std::move(*sid));
    return true;
}

} // namespace

DWORD parseStore(std::string_view bytes, StoreContents& contents)
{
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (bytes.substr(0, byteOrderMark.size()) == byteOrderMark) {
        bytes.remove_prefix(byteOrderMark.size());
    }
    contents = StoreContents{};
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        const std::optional<std::wstring> text = fromUtf8(line);
        bool isExemption = false;
        if (!text || !parseLine(*text, contents, isExemption)) {
            return ERROR_INVALID_DATA;
        }
        contents.lines.emplace_back(line);
        contents.isExemptionLine.push_back(isExemption);
    }
    return ERROR_SUCCESS;
}
