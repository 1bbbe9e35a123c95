#pragma once

#include "ui/accessibility_api.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

// The program's accessibility and colour calls, faked. Annotations and
// events are recorded, and every annotation fails with E_NOTIMPL, as under
// Wine; the high-contrast query and the app mode say what the test chooses.
struct FakeAccessibility {
    struct Annotation {
        HWND window = nullptr;
        DWORD objectId = 0;
        DWORD childId = 0;
        GUID property = {};
        // SetHwndPropStr's text, or SetHwndProp's value.
        std::wstring text;
        VARIANT value = {};
    };
    struct Event {
        DWORD event = 0;
        HWND window = nullptr;
        LONG objectId = 0;
        LONG childId = 0;
        // The window's text when the event was raised.
        std::wstring text;
    };

    std::vector<Annotation> annotations;
    std::vector<Event> events;
    // For each window, the children of its client object whose state changed.
    std::map<HWND, std::vector<LONG>> stateChanges;
    bool highContrast = false;
    // AppsUseLightTheme's type (REG_NONE for no value) and value.
    std::pair<DWORD, DWORD> appsUseLightTheme = {REG_NONE, 0};
    // The last theme class each window was given ("" for null), and the
    // caption's dark mode as last asked for.
    std::map<HWND, std::wstring> themeClasses;
    std::map<HWND, BOOL> darkCaptions;
};

// Resets the fake and points the program's AccessibilityApi table at it.
FakeAccessibility& installFakeAccessibility();
FakeAccessibility& fakeAccessibility();

// What the fake's GetSysColor gives: a colour of its own for each index,
// none of them a palette colour.
COLORREF fakeSystemColour(int index);

// The table as the program has it, before any fake was put in.
const AccessibilityApi& systemAccessibilityApi();
