#pragma once

#include <string>
#include <string_view>

// Display names come from packages, which anyone can publish: a name may try
// to look like another, or like nothing at all.

// The embedding, override and isolate controls (U+202A-U+202E, U+2066-U+2069),
// which reorder the text after them until they are closed, or to the end of
// the line when they never are.
constexpr bool isBidiControl(wchar_t unit)
{
    return (unit >= 0x202A && unit <= 0x202E) || (unit >= 0x2066 && unit <= 0x2069);
}

// A name as the window shows it: without those controls, balanced or not, so
// that "\u202Eexe.live txt.abc" cannot pass for another name. The search
// still matches the name as stored.
std::wstring shownName(std::wstring_view name);

// A name where it stands inside a text of the program's (the status line, a
// message box, a tooltip): shown as above, between U+2068 FIRST STRONG
// ISOLATE and U+2069 POP DIRECTIONAL ISOLATE, so that a right-to-left name
// cannot carry the punctuation and names around it along.
std::wstring isolatedName(std::wstring_view name);

// A name of nothing but white space and characters that draw nothing (U+200B,
// U+3000, U+FEFF, the controls above, ...), which would show as an empty row.
bool isBlankName(std::wstring_view name);
