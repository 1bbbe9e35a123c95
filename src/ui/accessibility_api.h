#pragma once

#include <windows.h>

#include <oleacc.h>

// The platform calls the window makes for assistive technology and for a
// high-contrast theme, in one process-wide table that a test can point
// elsewhere, as LoopbackApi is for the network isolation functions: under
// Wine, IAccPropServices answers E_NOTIMPL and a high-contrast theme cannot
// be switched on, so only the table shows what the window asked for. Each
// entry has the signature of the call it stands for; a failing call leaves
// the window as it would be without it.
struct AccessibilityApi {
    // IAccPropServices::SetHwndPropStr and SetHwndProp. The system's entries
    // create the service object (oleacc.dll, through COM) for each call and
    // fail when COM is not initialised on the calling thread.
    using SetHwndPropStrFunction = HRESULT(HWND window, DWORD objectId, DWORD childId, MSAAPROPID property,
                                           LPCWSTR text);
    using SetHwndPropFunction = HRESULT(HWND window, DWORD objectId, DWORD childId, MSAAPROPID property,
                                        VARIANT value);

    SetHwndPropStrFunction* setHwndPropStr;
    SetHwndPropFunction* setHwndProp;
    decltype(&NotifyWinEvent) notifyWinEvent;
    decltype(&SystemParametersInfoW) systemParametersInfo;
    decltype(&GetSysColor) getSysColor;
};

extern AccessibilityApi accessibilityApi;
