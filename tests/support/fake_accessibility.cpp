#include "support/fake_accessibility.h"

#include "support/test_window.h"

#include <cwchar>

namespace {

FakeAccessibility fake;
// Copied before main, after the table's own initialisation, which is constant.
const AccessibilityApi systemApi = accessibilityApi;

HRESULT fakeSetHwndPropStr(HWND window, DWORD objectId, DWORD childId, MSAAPROPID property, LPCWSTR text)
{
    fake.annotations.push_back({window, objectId, childId, property, text ? text : L"", {}});
    return E_NOTIMPL;
}

HRESULT fakeSetHwndProp(HWND window, DWORD objectId, DWORD childId, MSAAPROPID property, VARIANT value)
{
    fake.annotations.push_back({window, objectId, childId, property, L"", value});
    return E_NOTIMPL;
}

void WINAPI fakeNotifyWinEvent(DWORD event, HWND window, LONG objectId, LONG childId)
{
    fake.events.push_back({event, window, objectId, childId, windowText(window)});
    if (event == EVENT_OBJECT_STATECHANGE && objectId == OBJID_CLIENT) {
        fake.stateChanges[window].push_back(childId);
    }
}

// Answers only the high-contrast query, and only when it is asked as the
// system requires.
BOOL WINAPI fakeSystemParametersInfo(UINT action, UINT parameter, void* value, UINT update)
{
    auto* highContrast = static_cast<HIGHCONTRASTW*>(value);
    if (action != SPI_GETHIGHCONTRAST || parameter != sizeof(HIGHCONTRASTW) || !highContrast ||
        highContrast->cbSize != sizeof(HIGHCONTRASTW) || update != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    highContrast->dwFlags = HCF_AVAILABLE | (fake.highContrast ? HCF_HIGHCONTRASTON : 0);
    highContrast->lpszDefaultScheme = nullptr;
    return TRUE;
}

DWORD WINAPI fakeGetSysColor(int index)
{
    return fakeSystemColour(index);
}

// AppsUseLightTheme under Personalize as the test set it, refused when its
// type is not among the flags' RRF_RT_REG_* bits (each type's bit is 1 << type
// up to REG_DWORD), as the system refuses it.
LSTATUS WINAPI fakeRegGetValue(HKEY key, LPCWSTR subKey, LPCWSTR value, DWORD flags, LPDWORD, PVOID data, LPDWORD size)
{
    const auto [type, setting] = fake.appsUseLightTheme;
    if (key != HKEY_CURRENT_USER || type == REG_NONE || std::wcscmp(value, L"AppsUseLightTheme") != 0 ||
        std::wcscmp(subKey, L"Software\\Microsoft\\Windows\\CurrentVersion\\Themes\\Personalize") != 0) {
        return ERROR_FILE_NOT_FOUND;
    }
    if (!(flags & (1u << type))) {
        return ERROR_UNSUPPORTED_TYPE;
    }
    *static_cast<DWORD*>(data) = setting;
    *size = sizeof(DWORD);
    return ERROR_SUCCESS;
}

HRESULT WINAPI fakeSetWindowTheme(HWND window, LPCWSTR subAppName, LPCWSTR)
{
    fake.themeClasses[window] = subAppName ? subAppName : L"";
    return S_OK;
}

// DWMWA_USE_IMMERSIVE_DARK_MODE only.
HRESULT WINAPI fakeDwmSetWindowAttribute(HWND window, DWORD attribute, LPCVOID value, DWORD size)
{
    if (attribute == 20 && size == sizeof(BOOL)) {
        fake.darkCaptions[window] = *static_cast<const BOOL*>(value);
    }
    return S_OK;
}

} // namespace

FakeAccessibility& installFakeAccessibility()
{
    fake = FakeAccessibility{};
    accessibilityApi = {fakeSetHwndPropStr, fakeSetHwndProp, fakeNotifyWinEvent, fakeSystemParametersInfo,
                        fakeGetSysColor,    fakeRegGetValue, fakeSetWindowTheme, fakeDwmSetWindowAttribute};
    return fake;
}

const AccessibilityApi& systemAccessibilityApi()
{
    return systemApi;
}

FakeAccessibility& fakeAccessibility()
{
    return fake;
}

COLORREF fakeSystemColour(int index)
{
    // Green from 100 to 130 with blue from 170 to 200: no palette colour.
    return RGB(1 + 2 * index, 100 + index, 200 - index);
}
