// The design floor of the start-up benchmark: what any program must do to
// show the program's window as it first appears. It has the program's
// manifest and resources, creates the same controls with the same classes,
// styles and sizes, gives the edit its cue banner and the list its check
// boxes and the Explorer theme, and lists the rows the program lists for the
// start-up store in a virtual list, as the program does. It reads them as the program must: FirewallAPI.dll loaded from the
// system directory, its four functions looked up, the exemption list read
// and released, the AppContainers enumerated and freed. It converts no SID
// to text, sorts nothing, resolves no indirect name, draws in one font with
// the system's colours and paints no cards, so what the program takes beyond
// it is the program's own.

#include "design_floor.h"
#include "synthetic_catalog.h"

#include "model/control_ids.h"
#include "model/network_isolation.h"
#include "model/owners.h"
#include "model/resource_ids.h"
#include "model/window_table.h"

#include <windows.h>
#include <commctrl.h>

#include <cwchar>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

namespace {

// The geometry and texts are the program's own table; the styles are the
// program's (src/ui/create_controls.cpp), and the benchmark compares both
// windows' controls after every start and says so when they differ.
constexpr DWORD labelStyle = WS_CHILD | WS_VISIBLE | SS_LEFT;
constexpr DWORD ownerDrawButtonStyle = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_OWNERDRAW;

// Lives from WM_CREATE until the process ends; the controls go with the window.
OwnedFont uiFont;

HWND createChild(HWND window, const wchar_t* className, const wchar_t* text, DWORD extendedStyle, DWORD style,
                 const Box& box, int id)
{
    HWND control = CreateWindowExW(extendedStyle, className, text, style, box.x, box.y, box.width, box.height, window,
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
                            styles::appList, layout::appList, appListId);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, styles::appListExtended, styles::appListExtended);
    SendMessageW(list, LVM_SETCALLBACKMASK, LVIS_STATEIMAGEMASK, 0);
    LVCOLUMNW column = {};
    column.mask = LVCF_WIDTH | LVCF_TEXT;
    column.cx = layout::appListColumnWidth;
    column.pszText = const_cast<wchar_t*>(texts::appColumn);
    SendMessageW(list, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
    return list;
}

// A row as any program shows it: the app's name and whether it is exempt.
struct FloorRow {
    std::wstring name;
    bool exempt = false;
};

template <typename Function>
Function* lookUp(HMODULE module, const char* name)
{
    return reinterpret_cast<Function*>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

// The start-up store's apps, read with the calls the program makes when it
// starts. Nothing when any of them fails.
std::vector<FloorRow> rowsFromFirewallApi()
{
    static const OwnedModule firewallApi(LoadLibraryExW(L"FirewallAPI.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    if (!firewallApi) {
        return {};
    }
    HMODULE module = firewallApi.get();
    auto* enumerateApps = lookUp<EnumAppContainersFunction>(module, "NetworkIsolationEnumAppContainers");
    auto* freeApps = lookUp<FreeAppContainersFunction>(module, "NetworkIsolationFreeAppContainers");
    auto* getConfig = lookUp<GetAppContainerConfigFunction>(module, "NetworkIsolationGetAppContainerConfig");
    auto* setConfig = lookUp<SetAppContainerConfigFunction>(module, "NetworkIsolationSetAppContainerConfig");
    ConfiguredSidArray configured;
    if (!enumerateApps || !freeApps || !getConfig || !setConfig ||
        getConfig(&configured.count, &configured.records) != ERROR_SUCCESS) {
        return {};
    }
    EnumeratedAppContainers enumerated(freeApps);
    if (enumerateApps(0, &enumerated.count, &enumerated.records) != ERROR_SUCCESS) {
        return {};
    }
    enumerated.succeeded = true;
    std::vector<FloorRow> rows;
    for (DWORD i = 0; enumerated.records && i < enumerated.count; ++i) {
        const INET_FIREWALL_APP_CONTAINER& record = enumerated.records[i];
        if (!record.appContainerSid || !record.displayName ||
            std::wcscmp(record.displayName, recommendedAppName) == 0) {
            continue;
        }
        bool exempt = false;
        for (DWORD j = 0; configured.records && j < configured.count && !exempt; ++j) {
            exempt = EqualSid(record.appContainerSid, configured.records[j].Sid) != FALSE;
        }
        rows.push_back({record.displayName, exempt});
    }
    return rows;
}

// The rows the program lists for the start-up store: every app but the
// recommended one, which has the check box instead. The list is virtual, as
// the program's is: it gets the count and asks for the rows it paints.
std::vector<FloorRow> listedRows;

int listStartupRows(HWND list)
{
    listedRows = rowsFromFirewallApi();
    SendMessageW(list, LVM_SETITEMCOUNT, listedRows.size(), LVSICF_NOSCROLL);
    return static_cast<int>(listedRows.size());
}

void describeRow(LVITEMW& item)
{
    if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= listedRows.size()) {
        return;
    }
    const FloorRow& row = listedRows[static_cast<std::size_t>(item.iItem)];
    if ((item.mask & LVIF_TEXT) && item.pszText && item.cchTextMax > 0) {
        lstrcpynW(item.pszText, row.name.c_str(), item.cchTextMax);
    }
    if (item.mask & LVIF_STATE) {
        item.state = (item.state & ~static_cast<UINT>(LVIS_STATEIMAGEMASK)) | INDEXTOSTATEIMAGEMASK(row.exempt ? 2 : 1);
    }
}

// The program's window in compact mode: the search box, the list and the
// close button are hidden and the status line sits under the buttons.
void createControls(HWND window)
{
    uiFont.reset(CreateFontW(-fonts::body.height, 0, 0, 0, fonts::body.weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                             OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                             fonts::face));
    createChild(window, L"STATIC", texts::title, 0, labelStyle, layout::titleLabel, 0);
    createChild(window, L"STATIC", texts::subtitle, 0, labelStyle, layout::subtitleLabel, 0);
    createChild(window, L"BUTTON", texts::recommendedFound, 0, WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX,
                layout::recommendedCheck, recommendedCheckId);
    createChild(window, L"BUTTON", texts::moreAppsCollapsed, 0, ownerDrawButtonStyle, layout::moreAppsButton,
                moreAppsButtonId);
    createChild(window, L"BUTTON", texts::refresh, 0, ownerDrawButtonStyle, layout::refreshButton, refreshButtonId);
    createChild(window, L"BUTTON", texts::apply, 0, ownerDrawButtonStyle, layout::applyButton, applyButtonId);
    HWND search = createChild(window, L"EDIT", L"", WS_EX_CLIENTEDGE,
                              WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | ES_AUTOHSCROLL, layout::searchEdit,
                              searchEditId);
    SendMessageW(search, EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(texts::searchCue));
    // The program's text for an empty result, hidden, in front of the list.
    createChild(window, L"STATIC", texts::noMatchingApps, 0, WS_CHILD | SS_CENTER | SS_NOPREFIX,
                layout::emptyListText, emptyListTextId);
    HWND list = createList(window);
    HWND status = createChild(window, L"STATIC", L"", 0, styles::statusLabel, layout::expandedStatusLabel,
                              statusLabelId);
    HWND close =
        createChild(window, L"BUTTON", texts::close, 0, ownerDrawButtonStyle, layout::closeButton, closeButtonId);

    setExplorerTheme(window);
    setExplorerTheme(search);
    setExplorerTheme(list);
    for (HWND advanced : {search, list, close}) {
        ShowWindow(advanced, SW_HIDE);
    }
    const Box& compactStatus = layout::compactStatusLabel;
    SetWindowPos(status, nullptr, compactStatus.x, compactStatus.y, compactStatus.width, compactStatus.height,
                 SWP_NOZORDER);

    const int rows = listStartupRows(list);
    SetWindowTextW(status, (texts::loadedBeforeCount + std::to_wstring(rows + 1) + texts::loadedAfterCount).c_str());
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
    case WM_NOTIFY:
        if (reinterpret_cast<const NMHDR*>(lParam)->code == LVN_GETDISPINFOW) {
            describeRow(reinterpret_cast<NMLVDISPINFOW*>(lParam)->item);
        }
        return 0;
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

    HICON icon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
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
    RECT frame = {0, 0, layout::clientWidth, layout::compactClientHeight};
    AdjustWindowRectEx(&frame, styles::mainWindow, FALSE, 0);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    HWND window = CreateWindowExW(0, designFloorClassName, texts::windowCaption, styles::mainWindow,
                                  (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr,
                                  instance, nullptr);
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
