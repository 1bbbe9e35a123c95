#pragma once

#include "support/platform_spy.h"

#include <windows.h>

#include <string>
#include <vector>

// The program's DrawTextW calls, recorded while an instance lives.
class DrawTextRecorder {
public:
    struct Call {
        std::wstring text;
        UINT format;
        // The colour the text is drawn in, whatever the font's rasteriser makes of it.
        COLORREF colour;
    };

    DrawTextRecorder()
    {
        calls_ = &calls;
        real_ = reinterpret_cast<decltype(&DrawTextW)>(
            redirectImport("user32.dll", "DrawTextW", reinterpret_cast<void*>(&record)));
    }
    DrawTextRecorder(const DrawTextRecorder&) = delete;
    DrawTextRecorder& operator=(const DrawTextRecorder&) = delete;
    ~DrawTextRecorder()
    {
        redirectImport("user32.dll", "DrawTextW", reinterpret_cast<void*>(real_));
        calls_ = nullptr;
    }

    std::vector<Call> calls;

private:
    static int WINAPI record(HDC context, LPCWSTR text, int count, LPRECT rect, UINT format)
    {
        calls_->push_back(Call{count < 0 ? std::wstring(text) : std::wstring(text, static_cast<std::size_t>(count)),
                               format, GetTextColor(context)});
        return real_(context, text, count, rect, format);
    }

    static inline std::vector<Call>* calls_ = nullptr;
    static inline decltype(&DrawTextW) real_ = nullptr;
};
