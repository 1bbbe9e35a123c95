// The design floor of the start-up benchmark: what any program must do to
// show the program's window as it first appears. It has the program's
// manifest and resources, creates the same controls with the same classes,
// styles and sizes, gives the edit its cue banner and the list its check
// boxes and the Explorer theme, and inserts the rows the program lists for
// the start-up store, one at a time while the list is hidden, as the program
// does. It reads no system state (no FirewallAPI.dll, no SID conversions),
// draws in one font with the system's colours and paints no cards, so what
// the program takes beyond it is the program's own.

#include "design_floor.h"
#include "synthetic_catalog.h"

#include "app/control_ids.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <initializer_list>
#include <memory>
#include <string>

namespace {

// Every number here is the program's (src/ui/create_controls.cpp); the
// benchmark compares both windows' controls after every start and says so
// when they differ.
constexpr int windowWidth = 720;
constexpr int compactHeight = 360;
constexpr int iconResourceId = 101;
constexpr DWORD labelStyle = WS_CHILD | WS_VISIBLE | SS_LEFT;
constexpr DWORD ownerDrawButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;

struct FontDeleter {
    using pointer = HFONT;
    void operator()(HFONT font) const { DeleteObject(font); }
};
using OwnedFont = std::unique_ptr<HFONT, FontDeleter>;

struct ModuleDeleter {
    using pointer = HMODULE;
    void operator()(HMODULE module) const { FreeLibrary(module); }
};
using OwnedModule = std::unique_ptr<HMODULE, ModuleDeleter>;

// Lives from WM_CREATE until the process ends; the controls go with the window.
OwnedFont uiFont;

HWND createChild(HWND window, const wchar_t* className, const wchar_t* text, DWORD extendedStyle, DWORD style, int x,
                 int y, int width, int height, int id)
{
    HWND control = CreateWindowExW(extendedStyle, className, text, style, x, y, width, height, window,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr),
                                   nullptr);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont.get()), TRUE);
    return control;
}

// Loaded by hand from the system directory, as the program does, since
// uxtheme.dll is not one of the system's known DLLs.
void setExplorerTheme(HWND window)
{
    using SetWindowThemeFunction = HRESULT WINAPI(HWND, LPCWSTR, LPCWSTR);
    static const OwnedModule uxtheme(LoadLibraryExW(L"uxtheme.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!uxtheme) {
        return;
    }
    if (auto* setWindowTheme = reinterpret_cast<SetWindowThemeFunction*>(
            reinterpret_cast<void*>(GetProcAddress(uxtheme.get(), "SetWindowTheme")))) {
        setWindowTheme(window, L"Explorer", nullptr);
    }
}

HWND createList(HWND window)
{
    HWND list = createChild(window, WC_LISTVIEWW, L"", WS_EX_CLIENTEDGE,
                            WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                                LVS_SHOWSELALWAYS,
                            28, 298, 648, 304, appListId);
    constexpr LPARAM extendedStyles = LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER;
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, extendedStyles, extendedStyles);
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.cx = 615;
    column.pszText = const_cast<wchar_t*>(L"应用");
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    return list;
}

// The rows the program lists for the start-up store: every app but the
// recommended one, which has the check box instead.
int insertStartupRows(HWND list)
{
    const SyntheticCatalog catalog = makeSyntheticCatalog(startupAppCount);
    int rows = 0;
    for (const SyntheticApp& app : catalog.apps) {
        if (app.displayName == recommendedAppName) {
            continue;
        }
        LVITEMW item = {};
        item.mask = LVIF_TEXT;
        item.iItem = rows;
        item.pszText = const_cast<wchar_t*>(app.displayName.c_str());
        const auto row = static_cast<int>(SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
        const bool exempt =
            std::find(catalog.exemptions.begin(), catalog.exemptions.end(), app.sid) != catalog.exemptions.end();
        LVITEMW checkState = {};
        checkState.stateMask = LVIS_STATEIMAGEMASK;
        checkState.state = INDEXTOSTATEIMAGEMASK(exempt ? 2 : 1);
        SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&checkState));
        ++rows;
    }
    return rows;
}

// The program's window in compact mode: the search box, the list and the
// close button are hidden and the status line sits under the buttons.
void createControls(HWND window)
{
    uiFont.reset(CreateFontW(-16, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             L"Microsoft YaHei UI"));
    createChild(window, L"STATIC", L"Windows 系统回环代理设置", 0, labelStyle, 40, 24, 630, 36, 0);
    createChild(window, L"STATIC", L"开启后，微软商店的应用可以使用本机代理。", 0, labelStyle, 40, 64, 630, 24, 0);
    createChild(window, L"BUTTON", L"ChatGPT（推荐）", 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX, 48,
                110, 600, 38, recommendedCheckId);
    createChild(window, L"BUTTON", L"选择其他应用  ▼", 0, ownerDrawButtonStyle, 28, 180, 178, 40, moreAppsButtonId);
    createChild(window, L"BUTTON", L"刷新", 0, ownerDrawButtonStyle, 218, 180, 90, 40, refreshButtonId);
    createChild(window, L"BUTTON", L"应用设置", 0, ownerDrawButtonStyle, 540, 180, 136, 40, applyButtonId);
    HWND search = createChild(window, L"EDIT", L"", WS_EX_CLIENTEDGE,
                              WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, 28, 246, 648, 38,
                              searchEditId);
    SendMessageW(search, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(L"搜索应用"));
    HWND list = createList(window);
    HWND status = createChild(window, L"STATIC", L"", 0, WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE | SS_NOPREFIX, 40,
                              620, 516, 40, statusLabelId);
    HWND close = createChild(window, L"BUTTON", L"关闭", 0, ownerDrawButtonStyle, 576, 620, 100, 40, closeButtonId);

    setExplorerTheme(window);
    setExplorerTheme(search);
    setExplorerTheme(list);
    for (HWND advanced : {search, list, close}) {
        ShowWindow(advanced, SW_HIDE);
    }
    SetWindowPos(status, nullptr, 40, 240, 624, 40, SWP_NOZORDER);

    const int rows = insertStartupRows(list);
    SetWindowTextW(status, (L"已读取 " + std::to_wstring(rows + 1) + L" 个应用。").c_str());
}

void drawButton(const DRAWITEMSTRUCT& item)
{
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    wchar_t text[64] = {};
    GetWindowTextW(item.hwndItem, text, 64);
    RECT bounds = item.rcItem;
    SetBkMode(item.hDC, TRANSPARENT);
    DrawTextW(item.hDC, text, -1, &bounds, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        createControls(window);
        return 0;
    case WM_DRAWITEM:
        drawButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(window, message, wParam, lParam);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    INITCOMMONCONTROLSEX controls = {sizeof(controls), ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);

    HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(iconResourceId));
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hIconSm = icon;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszClassName = designFloorClassName;
    if (!RegisterClassExW(&windowClass)) {
        return 1;
    }
    HWND window = CreateWindowExW(0, designFloorClassName, L"Orva - Windows 系统回环代理设置",
                                  WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                                  (GetSystemMetrics(SM_CXSCREEN) - windowWidth) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - compactHeight) / 2, windowWidth, compactHeight,
                                  nullptr, nullptr, instance, nullptr);
    if (!window) {
        return 1;
    }
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    uiFont.reset();
    return static_cast<int>(message.wParam);
}
