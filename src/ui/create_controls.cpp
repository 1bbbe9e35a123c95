#include "ui/create_controls.h"

#include "app/control_ids.h"
#include "store/load_catalog.h"
#include "store/loopback_api.h"
#include "ui/commands.h"

#include <commctrl.h>

namespace {

OwnedFont createUiFont(int height, int weight)
{
    return OwnedFont(CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                 L"Microsoft YaHei UI"));
}

HWND createChild(const WindowState& state, const wchar_t* className, const wchar_t* text, DWORD extendedStyle,
                 DWORD style, int x, int y, int width, int height, int id)
{
    HWND control = CreateWindowExW(extendedStyle, className, text, style, x, y, width, height, state.window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                   nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(state.bodyFont.get()), TRUE);
    return control;
}

void setFont(HWND control, HFONT font)
{
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

using SetWindowThemeFunction = HRESULT WINAPI(HWND window, LPCWSTR subAppName, LPCWSTR subIdList);

// uxtheme.dll is not one of the system's known DLLs, so it is loaded from the
// system directory by hand rather than imported, and kept for the process.
SetWindowThemeFunction* setWindowThemeFunction()
{
    static const OwnedModule uxtheme(LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!uxtheme) {
        return nullptr;
    }
    return reinterpret_cast<SetWindowThemeFunction*>(
        reinterpret_cast<void*>(GetProcAddress(uxtheme.get(), "SetWindowTheme")));
}

void setExplorerTheme(HWND window)
{
    if (SetWindowThemeFunction* setWindowTheme = setWindowThemeFunction()) {
        setWindowTheme(window, L"Explorer", nullptr);
    }
}

constexpr DWORD labelStyle = WS_CHILD | WS_VISIBLE | SS_LEFT;
constexpr DWORD ownerDrawButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;

} // namespace

bool createControls(WindowState& state)
{
    state.backgroundBrush.reset(CreateSolidBrush(RGB(248, 250, 252)));
    state.whiteBrush.reset(CreateSolidBrush(RGB(255, 255, 255)));
    state.highlightBrush.reset(CreateSolidBrush(RGB(239, 246, 255)));
    state.panelBrush.reset(CreateSolidBrush(RGB(241, 245, 249)));

    state.bodyFont = createUiFont(16, FW_NORMAL);
    state.titleFont = createUiFont(25, FW_SEMIBOLD);
    state.subtitleFont = createUiFont(15, FW_NORMAL);
    state.buttonFont = createUiFont(16, FW_SEMIBOLD);
    state.statusFont = createUiFont(14, FW_NORMAL);

    state.titleLabel = createChild(state, L"STATIC", L"Windows 系统回环代理设置", 0, labelStyle, 40, 24, 630, 36, 0);
    setFont(state.titleLabel, state.titleFont.get());
    state.subtitleLabel = createChild(state, L"STATIC", L"开启后，微软商店的应用可以使用本机代理。", 0, labelStyle,
                                      40, 64, 630, 24, 0);
    setFont(state.subtitleLabel, state.subtitleFont.get());
    state.recommendedCheck = createChild(state, L"BUTTON", L"ChatGPT（推荐）", 0,
                                         WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 48, 110, 600, 38,
                                         recommendedCheckId);
    state.moreAppsButton = createChild(state, L"BUTTON", L"选择其他应用  ▼", 0, ownerDrawButtonStyle, 28, 180, 178,
                                       40, moreAppsButtonId);
    state.refreshButton =
        createChild(state, L"BUTTON", L"刷新", 0, ownerDrawButtonStyle, 218, 180, 90, 40, refreshButtonId);
    state.applyButton =
        createChild(state, L"BUTTON", L"应用设置", 0, ownerDrawButtonStyle, 540, 180, 136, 40, applyButtonId);
    setFont(state.moreAppsButton, state.buttonFont.get());
    setFont(state.refreshButton, state.buttonFont.get());
    setFont(state.applyButton, state.buttonFont.get());

    state.searchEdit = createChild(state, L"EDIT", L"", WS_EX_CLIENTEDGE,
                                   WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 28, 246, 648, 38,
                                   searchEditId);
    SendMessageW(state.searchEdit, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"搜索应用"));

    state.appList = createChild(state, WC_LISTVIEWW, L"", WS_EX_CLIENTEDGE,
                                WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                                    LVS_SHOWSELALWAYS,
                                28, 298, 648, 304, appListId);
    constexpr LPARAM listExtendedStyles = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
    SendMessageW(state.appList, LVM_SETEXTENDEDLISTVIEWSTYLE, listExtendedStyles, listExtendedStyles);
    SendMessageW(state.appList, LVM_SETBKCOLOR, 0, RGB(255, 255, 255));
    SendMessageW(state.appList, LVM_SETTEXTBKCOLOR, 0, RGB(255, 255, 255));
    SendMessageW(state.appList, LVM_SETTEXTCOLOR, 0, RGB(15, 23, 42));
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.fmt = LVCFMT_LEFT;
    column.cx = 615;
    column.pszText = const_cast<wchar_t*>(L"应用");
    SendMessageW(state.appList, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));

    // SS_NOPREFIX: the status line shows the system's messages, whose
    // ampersands are text, not mnemonics.
    state.statusLabel = createChild(state, L"STATIC", L"正在读取应用…", 0,
                                    WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE | SS_NOPREFIX, 40, 620, 516, 40,
                                    statusLabelId);
    setFont(state.statusLabel, state.statusFont.get());
    state.closeButton =
        createChild(state, L"BUTTON", L"关闭", 0, ownerDrawButtonStyle, 576, 620, 100, 40, closeButtonId);
    setFont(state.closeButton, state.buttonFont.get());

    setExplorerTheme(state.window);
    setExplorerTheme(state.searchEdit);
    setExplorerTheme(state.appList);

    state.advancedControls = {state.searchEdit, state.appList, state.closeButton};
    setExpanded(state, false);

    return loadCatalog(state);
}
