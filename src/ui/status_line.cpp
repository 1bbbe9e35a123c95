#include "ui/status_line.h"

#include "model/owners.h"
#include "model/window_table.h"
#include "ui/screen_reader.h"

#include <commctrl.h>

namespace {

std::wstring textOf(HWND window)
{
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

// Whether the line, in its font and at its present width, cuts `text`.
bool cutsText(HWND line, const std::wstring& text)
{
    RECT client = {};
    GetClientRect(line, &client);
    const WindowDc context(line);
    const SelectionGuard font(context.get(), reinterpret_cast<HFONT>(SendMessageW(line, WM_GETFONT, 0, 0)));
    SIZE extent = {};
    GetTextExtentPoint32W(context.get(), text.c_str(), static_cast<int>(text.size()), &extent);
    return extent.cx > client.right - client.left;
}

// Every change of the line's text, whoever makes it, is announced once;
// setting the same text again is no news. A plain subclass keeping the
// line's own procedure in its user data, for the reason keyboard_focus.cpp
// gives.
LRESULT CALLBACK statusAnnouncer(HWND line, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto original = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(line, GWLP_USERDATA));
    if (message != WM_SETTEXT) {
        return CallWindowProcW(original, line, message, wParam, lParam);
    }
    const std::wstring before = textOf(line);
    const LRESULT result = CallWindowProcW(original, line, message, wParam, lParam);
    const auto* text = reinterpret_cast<const wchar_t*>(lParam);
    if (result && before != (text ? text : L"")) {
        // After the text is in place: the reader reads it when told.
        announceStatusChange(line);
    }
    return result;
}

} // namespace

void setUpStatusLine(WindowState& state)
{
    // Before the tooltip subclasses the line too, so that the tooltip's
    // subclass stays outside this one and unwinds cleanly.
    SetWindowLongPtrW(state.statusLabel, GWLP_USERDATA, GetWindowLongPtrW(state.statusLabel, GWLP_WNDPROC));
    SetWindowLongPtrW(state.statusLabel, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&statusAnnouncer));

    // Owned by the main window, which destroys it with itself. Without it
    // (its class not registered, say) a cut text stays cut and the line
    // works on.
    state.statusTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP,
                                      CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, state.window,
                                      nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!state.statusTip) {
        return;
    }
    TTTOOLINFOW tool = {};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = state.window;
    tool.uId = reinterpret_cast<UINT_PTR>(state.statusLabel);
    tool.lpszText = LPSTR_TEXTCALLBACKW;
    SendMessageW(state.statusTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
}

std::wstring statusTipText(const WindowState& state)
{
    std::wstring text = textOf(state.statusLabel);
    return cutsText(state.statusLabel, text) ? text : std::wstring();
}

bool answerStatusTip(const WindowState& state, const NMHDR* header)
{
    if (!state.statusTip || header->hwndFrom != state.statusTip || header->code != TTN_GETDISPINFOW) {
        return false;
    }
    // The tooltip copies the text as soon as this returns; the one thread
    // asks again only after that.
    static std::wstring shown;
    shown = statusTipText(state);
    auto* request = const_cast<NMTTDISPINFOW*>(reinterpret_cast<const NMTTDISPINFOW*>(header));
    request->lpszText = shown.data();
    return true;
}
