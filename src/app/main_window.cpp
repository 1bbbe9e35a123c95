#include "app/main_window.h"

#include "model/owners.h"
#include "model/resource_ids.h"
#include "model/window_state.h"
#include "model/window_table.h"
#include "store/load_catalog.h"
#include "store/worker_thread.h"
#include "ui/app_list.h"
#include "ui/closing.h"
#include "ui/colour_scheme.h"
#include "ui/commands.h"
#include "ui/create_controls.h"
#include "ui/drawing.h"
#include "ui/keyboard_focus.h"
#include "ui/list_context_menu.h"
#include "ui/status_line.h"
#include "ui/window_layout.h"
#include "ui/window_size.h"

#include <commctrl.h>
#include <windowsx.h>

#include <memory>

namespace {

void onCreate(HWND window)
{
    auto* state = new WindowState;
    state->window = window;
    state->dpi = GetDpiForWindow(window);
    // Stored before any child exists, so that messages sent while the controls
    // are created already find the state.
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    createControls(*state);
}

void onDestroy(HWND window, WindowState* state)
{
    // The record and everything it owns go at the end of this handler; late
    // messages from the children being destroyed must find no state.
    const std::unique_ptr<WindowState> released(state);
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    PostQuitMessage(0);
}

// The activation came before the first read bound the recommended box, so
// the focus passed it by: once that read has ended, the focus starts on the
// first control, as in a dialog, unless the user has moved it meanwhile.
void focusFirstControlAfterFirstRead(WindowState& state)
{
    const HWND before = state.focusBeforeFirstRead;
    state.focusBeforeFirstRead = nullptr;
    if (before && GetActiveWindow() == state.window && GetFocus() == before) {
        SetFocus(GetNextDlgTabItem(state.window, nullptr, FALSE));
    }
}

// A message of a worker begun under another number is stale: its result
// went with the worker.
void onWorkerDone(WindowState& state, WPARAM generation)
{
    if (generation != state.workerGeneration) {
        return;
    }
    if (state.runningRead) {
        endRead(state);
        focusFirstControlAfterFirstRead(state);
    } else if (state.runningSave) {
        endSave(state);
    }
}

} // namespace

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    WindowState* state = windowStateOf(window);
    switch (message) {
    case WM_CREATE:
        onCreate(window);
        return 0;
    case WM_DESTROY:
        onDestroy(window, state);
        return 0;
    case WM_CLOSE:
        // Posted by another program, or by DefWindowProcW for the user's
        // SC_CLOSE when there is no state.
        if (state) {
            closeAtOutsideRequest(*state);
        } else {
            DestroyWindow(window);
        }
        return 0;
    case workerDoneMessage:
        if (state) {
            onWorkerDone(*state, wParam);
        }
        return 0;
    case workerProgressMessage:
        if (state && state->runningRead && wParam == state->workerGeneration) {
            showLoadProgress(*state, progressDone(lParam), progressTotal(lParam));
        }
        return 0;
    case WM_ENDSESSION:
        if (state && wParam) {
            waitForSaveToEnd(*state);
        }
        return 0;
    case WM_SYSCOMMAND:
        // The caption's close box, Alt+F4 and the system menu: the user's own.
        if (state && (wParam & 0xFFF0) == SC_CLOSE) {
            closeAtUserRequest(*state);
            return 0;
        }
        break;
    case WM_ACTIVATE:
        // A minimised window takes no focus, as DefWindowProcW has it.
        if (state && !HIWORD(wParam)) {
            onActivate(*state, LOWORD(wParam) != WA_INACTIVE);
            return 0;
        }
        break;
    case WM_NOTIFY:
        if (state && lParam) {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            LRESULT result = 0;
            if (!answerStatusTip(*state, header) && !colourListSelection(*state, header, result)) {
                answerAppList(*state, header, result);
            }
            return result;
        }
        return 0;
    case WM_CONTEXTMENU:
        if (state && reinterpret_cast<HWND>(wParam) == state->appList) {
            showListContextMenu(*state, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
            return 0;
        }
        break;
    case WM_COMMAND:
        if (state) {
            onCommand(*state, LOWORD(wParam), HIWORD(wParam));
        }
        return 0;
    case WM_PAINT:
        if (state) {
            paintWindow(*state);
            return 0;
        }
        break;
    case WM_ERASEBKGND:
        if (state) {
            return 1;
        }
        break;
    case WM_DRAWITEM:
        if (state && drawOwnerButton(*state, reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) {
            return TRUE;
        }
        break;
    case WM_SETTINGCHANGE:
        if (state && settingChangesColours(wParam, lParam)) {
            followThemeChange(*state);
            return 0;
        }
        break;
    case WM_SYSCOLORCHANGE:
        if (state) {
            followThemeChange(*state);
            return 0;
        }
        break;
    case WM_SIZE:
        // A minimised window keeps its layout for when it is restored.
        if (state && wParam != SIZE_MINIMIZED) {
            placeControls(*state);
            return 0;
        }
        break;
    case WM_GETMINMAXINFO:
        if (state && lParam) {
            limitWindowSize(*state, *reinterpret_cast<MINMAXINFO*>(lParam));
            return 0;
        }
        break;
    case WM_GETDPISCALEDSIZE:
        if (state && lParam) {
            return windowSizeAtDpi(*state, static_cast<UINT>(wParam), *reinterpret_cast<SIZE*>(lParam));
        }
        break;
    case WM_DPICHANGED:
        if (state && lParam) {
            onDpiChanged(*state, HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        }
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSTATIC:
        if (state) {
            return reinterpret_cast<LRESULT>(
                controlColors(*state, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));
        }
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void showAndLoad(HWND window, int showCommand)
{
    WindowState* state = windowStateOf(window);
    if (!state) {
        return;
    }
    // Seen at once, saying "正在读取应用…": on Windows the load reads every
    // app's package resources for its display name, which can take seconds,
    // and a window that appeared only after them would look like a program
    // that did not start.
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    state->focusBeforeFirstRead = GetFocus();
    loadCatalog(*state);
    if (!state->runningRead) {
        focusFirstControlAfterFirstRead(*state);
    }
}

bool registerMainWindowClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.style = 0;
    windowClass.lpfnWndProc = mainWindowProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_APP));
    // The title bar's own image from the icon, not the large one shrunk. Not
    // shared: a shared load returns whichever size of the icon was loaded
    // first (the large one, just above). Kept for the process, as the class is.
    static const OwnedIcon smallIcon(static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_APP), IMAGE_ICON,
                                                                   GetSystemMetrics(SM_CXSMICON),
                                                                   GetSystemMetrics(SM_CYSMICON), 0)));
    windowClass.hIconSm = smallIcon.get();
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW + 1));
    windowClass.lpszClassName = mainWindowClassName;
    return RegisterClassExW(&windowClass) != 0;
}

HWND createMainWindow(HINSTANCE instance)
{
    // Centred for the primary monitor's DPI; the window sizes itself for its
    // own once it exists.
    const SIZE size = windowSizeFor(false, 0, GetDpiForSystem(), styles::mainWindow, 0);
    const int x = (GetSystemMetrics(SM_CXSCREEN) - size.cx) / 2;
    const int y = (GetSystemMetrics(SM_CYSCREEN) - size.cy) / 2;
    return CreateWindowExW(0, mainWindowClassName, texts::windowCaption, styles::mainWindow, x, y, size.cx, size.cy,
                           nullptr, nullptr, instance, nullptr);
}

void dispatchWindowMessage(HWND window, HACCEL keys, MSG& message)
{
    // The window's keys come first, so that they work from every control;
    // a message box's own loop never gets here, so none acts under a box.
    if (keys && TranslateAcceleratorW(window, keys, &message)) {
        return;
    }
    if (!IsDialogMessageW(window, &message)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

int runProgram(HINSTANCE instance, int showCommand)
{
    // For the screen readers' annotations, which go through COM; without it
    // the window has none and works all the same.
    const ComApartment apartment(COINIT_APARTMENTTHREADED);

    // The list view, and the status line's tooltip, which is one of the
    // "bar" classes.
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES;
    InitCommonControlsEx(&controls);

    if (!registerMainWindowClass(instance)) {
        return 1;
    }
    HWND window = createMainWindow(instance);
    if (!window) {
        return 1;
    }
    showAndLoad(window, showCommand);

    // A table loaded from the module's resources is released with it.
    HACCEL keys = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDA_WINDOW_KEYS));
    MSG message = {};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        dispatchWindowMessage(window, keys, message);
    }
    return static_cast<int>(message.wParam);
}
