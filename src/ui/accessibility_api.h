#pragma once

#include <windows.h>

#include <oleacc.h>

// The platform calls the window makes for assistive technology and for its
// colours (a high-contrast theme, the app mode, the theme classes of the
// controls and the caption), in one process-wide table that a test can point
// elsewhere, as LoopbackApi is for the network isolation functions: under
// Wine, IAccPropServices answers E_NOTIMPL, a high-contrast theme cannot be
// switched on and neither theme classes nor the caption's dark mode change
// anything, so only the table shows what the window asked for. Each entry
// has the signature of the call it stands for; a failing call leaves the
// window as it would be without it.
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
    decltype(&RegGetValueW) regGetValue;
    // uxtheme.dll's SetWindowTheme and dwmapi.dll's DwmSetWindowAttribute.
    // Neither DLL is one of the system's known DLLs, so the system's entries
    // load them from the system directory on first use rather than import
    // them, and answer E_NOTIMPL where the DLL or the function is missing.
    using SetWindowThemeFunction = HRESULT WINAPI(HWND window, LPCWSTR subAppName, LPCWSTR subIdList);
    using DwmSetWindowAttributeFunction = HRESULT WINAPI(HWND window, DWORD attribute, LPCVOID value, DWORD size);
    SetWindowThemeFunction* setWindowTheme;
    DwmSetWindowAttributeFunction* dwmSetWindowAttribute;
};

extern AccessibilityApi accessibilityApi;
