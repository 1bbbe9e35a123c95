#include "support/fake_accessibility.h"

#include "support/test_window.h"

namespace {

FakeAccessibility fake;

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

} // namespace

FakeAccessibility& installFakeAccessibility()
{
    fake = FakeAccessibility{};
    accessibilityApi = {fakeSetHwndPropStr, fakeSetHwndProp, fakeNotifyWinEvent, fakeSystemParametersInfo,
                        fakeGetSysColor};
    return fake;
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
