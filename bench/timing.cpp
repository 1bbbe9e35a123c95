#include "timing.h"

#include <algorithm>

double median(std::vector<double> values)
{
    if (values.empty()) {
        return 0.0;
    }
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    if (values.size() % 2 != 0) {
        return *middle;
    }
    const double below = *std::max_element(values.begin(), middle);
    return (below + *middle) / 2.0;
}

const char* verdict(bool met)
{
    return met ? "met" : "MISSED";
}

std::string ascii(const std::wstring& text)
{
    std::string bytes;
    for (const wchar_t unit : text) {
        bytes += unit < 0x80 ? static_cast<char>(unit) : '?';
    }
    return bytes;
}
