#include "ui/accessibility_api.h"

#include "model/owners.h"

namespace {

// Written out rather than taken from oleacc's import library: the elevated
// program imports no DLL that is not one of the system's known DLLs, and
// oleacc.dll is not; COM loads it from the path registered for the class.
constexpr CLSID accPropServicesClass = {0xb5f8350b, 0x0548, 0x48b1, {0xa6, 0xee, 0x88, 0xbd, 0x00, 0xb4, 0xa5, 0xe7}};
constexpr IID accPropServicesInterface = {
    0x6e26e776, 0x04f0, 0x495d, {0x80, 0xe4, 0x33, 0x30, 0x35, 0x2e, 0x31, 0x69}};

// Annotations outlive the service object that made them, so it is not kept.
template <typename Call>
HRESULT withAccPropServices(Call call)
{
    IAccPropServices* created = nullptr;
    const HRESULT result = CoCreateInstance(accPropServicesClass, nullptr, CLSCTX_INPROC_SERVER,
                                            accPropServicesInterface, reinterpret_cast<void**>(&created));
    if (FAILED(result)) {
        return result;
    }
    const OwnedComObject<IAccPropServices> services(created);
    return call(*services);
}

HRESULT setHwndPropStrThroughCom(HWND window, DWORD objectId, DWORD childId, MSAAPROPID property, LPCWSTR text)
{
    return withAccPropServices([&](IAccPropServices& services) {
        return services.SetHwndPropStr(window, objectId, childId, property, text);
    });
}

HRESULT setHwndPropThroughCom(HWND window, DWORD objectId, DWORD childId, MSAAPROPID property, VARIANT value)
{
    return withAccPropServices([&](IAccPropServices& services) {
        return services.SetHwndProp(window, objectId, childId, property, value);
    });
}

template <typename Function>
Function* functionOf(const OwnedModule& module, const char* name)
{
    return module ? reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module.get(), name))) : nullptr;
}

// The modules are kept for the process, as the functions found in them are.
HRESULT WINAPI setWindowThemeThroughUxtheme(HWND window, LPCWSTR subAppName, LPCWSTR subIdList)
{
    static const OwnedModule uxtheme(LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    static auto* const setWindowTheme =
        functionOf<AccessibilityApi::SetWindowThemeFunction>(uxtheme, "SetWindowTheme");
    return setWindowTheme ? setWindowTheme(window, subAppName, subIdList) : E_NOTIMPL;
}

HRESULT WINAPI setWindowAttributeThroughDwmapi(HWND window, DWORD attribute, LPCVOID value, DWORD size)
{
    static const OwnedModule dwmapi(LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    static auto* const dwmSetWindowAttribute =
        functionOf<AccessibilityApi::DwmSetWindowAttributeFunction>(dwmapi, "DwmSetWindowAttribute");
    return dwmSetWindowAttribute ? dwmSetWindowAttribute(window, attribute, value, size) : E_NOTIMPL;
}

} // namespace

AccessibilityApi accessibilityApi = {
    setHwndPropStrThroughCom,
    setHwndPropThroughCom,
    NotifyWinEvent,
    SystemParametersInfoW,
    GetSysColor,
    RegGetValueW,
    setWindowThemeThroughUxtheme,
    setWindowAttributeThroughDwmapi,
};
