#include "list_view_meter.h"

#include "timing.h"

namespace {

// A window procedure has no room for context, and a window property would
// cost a server round trip per message under Wine, which the meter would
// then partly count.
ListViewMeter* liveMeter = nullptr;

} // namespace

ListViewMeter::ListViewMeter(HWND listView)
    : listView_(listView),
      listProc_(reinterpret_cast<WNDPROC>(
          SetWindowLongPtrW(listView, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ListViewMeter::meteredProc))))
{
    liveMeter = this;
}

ListViewMeter::~ListViewMeter()
{
    SetWindowLongPtrW(listView_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(listProc_));
    liveMeter = nullptr;
}

double ListViewMeter::milliseconds() const
{
    return ticksToMilliseconds(ticks_);
}

void ListViewMeter::reset()
{
    messages_ = 0;
    ticks_ = 0;
}

LRESULT CALLBACK ListViewMeter::meteredProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    ListViewMeter& meter = *liveMeter;
    if (meter.depth_ > 0) {
        return CallWindowProcW(meter.listProc_, window, message, wParam, lParam);
    }
    ++meter.depth_;
    const LARGE_INTEGER start = counterNow();
    const LRESULT result = CallWindowProcW(meter.listProc_, window, message, wParam, lParam);
    meter.ticks_ += counterNow().QuadPart - start.QuadPart;
    --meter.depth_;
    ++meter.messages_;
    return result;
}
