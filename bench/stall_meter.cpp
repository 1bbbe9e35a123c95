#include "stall_meter.h"

#include "timing.h"

#include <algorithm>

namespace {

constexpr wchar_t probeClassName[] = L"OrvaBenchStallProbe";
constexpr UINT probeMessage = WM_APP + 0x77;

} // namespace

StallMeter::StallMeter()
{
    WNDCLASSEXW probeClass = {};
    probeClass.cbSize = sizeof(probeClass);
    probeClass.lpfnWndProc = &StallMeter::probeProc;
    probeClass.hInstance = GetModuleHandleW(nullptr);
    probeClass.lpszClassName = probeClassName;
    RegisterClassExW(&probeClass);
    probeWindow_ = CreateWindowExW(0, probeClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                   GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(probeWindow_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    answered_ = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    reset();
    prober_ = std::thread([this] { postProbes(); });
}

StallMeter::~StallMeter()
{
    stopping_ = true;
    SetEvent(answered_);
    prober_.join();
    DestroyWindow(probeWindow_);
    CloseHandle(answered_);
}

void StallMeter::reset()
{
    resetAt_ = counterNow().QuadPart;
    longestTicks_ = 0;
    firstAnswerTicks_ = 0;
}

double StallMeter::longestMilliseconds() const
{
    return ticksToMilliseconds(longestTicks_);
}

double StallMeter::firstAnswerMilliseconds() const
{
    return ticksToMilliseconds(firstAnswerTicks_);
}

LRESULT CALLBACK StallMeter::probeProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* meter = reinterpret_cast<StallMeter*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message != probeMessage || !meter) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    const std::int64_t now = counterNow().QuadPart;
    // A probe that waited across a reset counts from the reset.
    const std::int64_t waited = now - std::max<std::int64_t>(lParam, meter->resetAt_);
    meter->longestTicks_ = std::max(meter->longestTicks_, waited);
    if (meter->firstAnswerTicks_ == 0) {
        meter->firstAnswerTicks_ = std::max<std::int64_t>(now - meter->resetAt_, 1);
    }
    ++meter->answers_;
    SetEvent(meter->answered_);
    return 0;
}

void StallMeter::postProbes()
{
    while (!stopping_) {
        const LARGE_INTEGER posted = counterNow();
        if (!PostMessageW(probeWindow_, probeMessage, 0, static_cast<LPARAM>(posted.QuadPart))) {
            return;
        }
        WaitForSingleObject(answered_, INFINITE);
        const double elapsed = millisecondsBetween(posted, counterNow());
        if (elapsed < 1.0) {
            Sleep(1);
        }
    }
}
