#include "catalog/display_name.h"

#include <windows.h>

#include <algorithm>
#include <iterator>

namespace {

struct UnitRange {
    wchar_t first;
    wchar_t last;
};

// Spaces, controls and format characters that draw no mark of their own.
constexpr UnitRange invisibleUnits[] = {
    {0x0000, 0x0020}, // C0 controls, space
    {0x007F, 0x00A0}, // delete, C1 controls, no-break space
    {0x00AD, 0x00AD}, // soft hyphen
    {0x034F, 0x034F}, // combining grapheme joiner
    {0x061C, 0x061C}, // Arabic letter mark
    {0x115F, 0x1160}, // Hangul fillers
    {0x17B4, 0x17B5}, // Khmer inherent vowels
    {0x180B, 0x180F}, // Mongolian variation selectors and vowel separator
    {0x2000, 0x200F}, // spaces, zero width space and joiners, directional marks
    {0x2028, 0x202F}, // line and paragraph separators, embeddings, narrow no-break space
    {0x205F, 0x206F}, // medium space, word joiner, invisible operators, isolates
    {0x2800, 0x2800}, // braille pattern blank
    {0x3000, 0x3000}, // ideographic space
    {0x3164, 0x3164}, // Hangul filler
    {0xFE00, 0xFE0F}, // variation selectors
    {0xFEFF, 0xFEFF}, // zero width no-break space
    {0xFFA0, 0xFFA0}, // halfwidth Hangul filler
    {0xFFF9, 0xFFFB}, // interlinear annotation
};

bool isInvisible(wchar_t unit)
{
    return std::any_of(std::begin(invisibleUnits), std::end(invisibleUnits),
                       [unit](const UnitRange& range) { return unit >= range.first && unit <= range.last; });
}

// U+E0000-U+E0FFF, tags and more variation selectors, all invisible: the
// high surrogate of that block before a low one.
constexpr wchar_t invisibleSupplementHigh = 0xDB40;

} // namespace

std::wstring shownName(std::wstring_view name)
{
    std::wstring shown;
    shown.reserve(name.size());
    std::copy_if(name.begin(), name.end(), std::back_inserter(shown),
                 [](wchar_t unit) { return !isBidiControl(unit); });
    return shown;
}

std::wstring isolatedName(std::wstring_view name)
{
    return L'\u2068' + shownName(name) + L'\u2069';
}

bool isBlankName(std::wstring_view name)
{
    for (std::size_t i = 0; i < name.size(); ++i) {
        if (name[i] == invisibleSupplementHigh && i + 1 < name.size() && IS_LOW_SURROGATE(name[i + 1])) {
            ++i;
        } else if (!isInvisible(name[i])) {
            return false;
        }
    }
    return true;
}
