#include "control_outline.h"

#include "timing.h"

#include <commctrl.h>

#include <cstdio>

namespace {

constexpr UINT patienceMilliseconds = 10000;

// Whether a control takes input and whether the list has scroll bars follow
// the outcome of the program's load (no FirewallAPI.dll disables 应用设置 and
// lists nothing), not what was built; the rows are compared on their own.
constexpr DWORD loadOutcomeStyles = WS_DISABLED | WS_VSCROLL | WS_HSCROLL;

LRESULT sendWithPatience(HWND control, UINT message)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(control, message, 0, 0, SMTO_NORMAL, patienceMilliseconds, &result);
    return static_cast<LRESULT>(result);
}

std::string hex(DWORD value)
{
    char text[16] = {};
    std::snprintf(text, sizeof(text), "0x%lx", static_cast<unsigned long>(value));
    return text;
}

std::string rectText(const RECT& rect)
{
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + " " + std::to_string(rect.right - rect.left) +
           "x" + std::to_string(rect.bottom - rect.top);
}

bool sameRect(const RECT& first, const RECT& second)
{
    return first.left == second.left && first.top == second.top && first.right == second.right &&
           first.bottom == second.bottom;
}

} // namespace

WindowOutline outlineOf(HWND window)
{
    WindowOutline outline;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        ControlOutline control;
        wchar_t className[64] = {};
        GetClassNameW(child, className, 64);
        control.className = className;
        control.style = static_cast<DWORD>(GetWindowLongW(child, GWL_STYLE));
        control.extendedStyle = static_cast<DWORD>(GetWindowLongW(child, GWL_EXSTYLE));
        GetWindowRect(child, &control.bounds);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&control.bounds), 2);
        if (control.className == WC_LISTVIEWW) {
            control.listExtendedStyle = static_cast<DWORD>(sendWithPatience(child, LVM_GETEXTENDEDLISTVIEWSTYLE));
            if (outline.listRows < 0) {
                outline.listRows = static_cast<int>(sendWithPatience(child, LVM_GETITEMCOUNT));
            }
        }
        outline.controls.push_back(std::move(control));
    }
    return outline;
}

std::string firstControlDifference(const WindowOutline& expected, const WindowOutline& actual)
{
    for (std::size_t i = 0; i < expected.controls.size() && i < actual.controls.size(); ++i) {
        const ControlOutline& want = expected.controls[i];
        const ControlOutline& have = actual.controls[i];
        const std::string control = "control " + std::to_string(i + 1) + " (" + ascii(want.className) + "): ";
        if (have.className != want.className) {
            return control + "class " + ascii(have.className);
        }
        if ((have.style & ~loadOutcomeStyles) != (want.style & ~loadOutcomeStyles)) {
            return control + "style " + hex(have.style) + " against " + hex(want.style);
        }
        if (have.extendedStyle != want.extendedStyle) {
            return control + "extended style " + hex(have.extendedStyle) + " against " + hex(want.extendedStyle);
        }
        if (!sameRect(have.bounds, want.bounds)) {
            return control + "at " + rectText(have.bounds) + " against " + rectText(want.bounds);
        }
        if (have.listExtendedStyle != want.listExtendedStyle) {
            return control + "list style " + hex(have.listExtendedStyle) + " against " + hex(want.listExtendedStyle);
        }
    }
    if (actual.controls.size() != expected.controls.size()) {
        return std::to_string(actual.controls.size()) + " controls against " + std::to_string(expected.controls.size());
    }
    return {};
}
