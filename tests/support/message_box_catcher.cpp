#include "support/message_box_catcher.h"

#include "support/test_window.h"

namespace {

MessageBoxCatcher* active = nullptr;

std::wstring classOf(HWND window)
{
    wchar_t name[32] = {};
    GetClassNameW(window, name, 32);
    return name;
}

} // namespace

MessageBoxCatcher::MessageBoxCatcher(int answer) : answer_(answer)
{
    active = this;
    hook_ = SetWindowsHookExW(WH_CALLWNDPROCRET, &MessageBoxCatcher::afterMessage, nullptr, GetCurrentThreadId());
}

MessageBoxCatcher::~MessageBoxCatcher()
{
    UnhookWindowsHookEx(hook_);
    active = nullptr;
}

LRESULT CALLBACK MessageBoxCatcher::afterMessage(int code, WPARAM wParam, LPARAM lParam)
{
    const auto* message = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    // The box has its text once WM_INITDIALOG has been handled; the posted OK
    // waits for the modal loop that follows.
    if (code == HC_ACTION && active && message->message == WM_INITDIALOG && classOf(message->hwnd) == L"#32770") {
        Report report{windowText(message->hwnd), {}, nullptr};
        for (HWND child = GetWindow(message->hwnd, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (_wcsicmp(classOf(child).c_str(), L"Static") != 0) {
                continue;
            }
            const std::wstring text = windowText(child);
            if (!text.empty()) {
                report.text = text;
            }
            if (HICON icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0))) {
                report.icon = icon;
            }
        }
        active->boxes_.push_back(std::move(report));
        if (active->whileShown) {
            active->whileShown();
        }
        PostMessageW(message->hwnd, WM_COMMAND, static_cast<WPARAM>(active->answer_), 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
