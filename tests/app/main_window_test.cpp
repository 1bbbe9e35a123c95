#include "app/main_window.h"
#include "model/resource_ids.h"

#include "support/catalog_fixture.h"

#include <commctrl.h>

namespace {

using MainWindow = CatalogTest;

// Posts `action` to the main window as soon as it exists, so that it waits in
// the queue until the program's own message loop takes it.
class OnMainWindowCreated {
public:
    explicit OnMainWindowCreated(void (*action)(HWND))
    {
        pending = action;
        hook_ = SetWindowsHookExW(WH_CBT, &OnMainWindowCreated::onCbt, nullptr, GetCurrentThreadId());
    }
    OnMainWindowCreated(const OnMainWindowCreated&) = delete;
    OnMainWindowCreated& operator=(const OnMainWindowCreated&) = delete;
    ~OnMainWindowCreated() { UnhookWindowsHookEx(hook_); }

    static inline void (*pending)(HWND) = nullptr;
    static inline bool vetoCreation = false;

private:
    static LRESULT CALLBACK onCbt(int code, WPARAM wParam, LPARAM lParam)
    {
        if (code == HCBT_CREATEWND) {
            const auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
            const bool isMainWindow = !IS_INTRESOURCE(create->lpcs->lpszClass) &&
                                      std::wstring(create->lpcs->lpszClass) == mainWindowClassName;
            if (isMainWindow && vetoCreation) {
                return 1;
            }
            if (isMainWindow && pending) {
                pending(reinterpret_cast<HWND>(wParam));
                pending = nullptr;
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    HHOOK hook_;
};

HWND controlOf(HWND window, int id)
{
    return GetDlgItem(window, id);
}

void unregisterMainWindowClass()
{
    UnregisterClassW(mainWindowClassName, GetModuleHandleW(nullptr));
}

TEST_F(MainWindow, EscThroughTheMessageLoopClosesWithExitCodeZero)
{
    unregisterMainWindowClass();
    OnMainWindowCreated escape([](HWND window) {
        PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
        PostMessageW(window, WM_KEYUP, VK_ESCAPE, 0);
    });
    EXPECT_EQ(runProgram(GetModuleHandleW(nullptr), SW_SHOWNORMAL), 0);
}

TEST_F(MainWindow, CloseButtonInExpandedModeClosesWithExitCodeZero)
{
    unregisterMainWindowClass();
    OnMainWindowCreated expandThenClose([](HWND window) {
        // The children do not exist yet: look them up when the clicks arrive.
        PostMessageW(window, WM_APP, 0, 0);
        SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM p, LPARAM l) {
            if (m == WM_APP) {
                SendMessageW(controlOf(w, moreAppsButtonId), BM_CLICK, 0, 0);
                PostMessageW(controlOf(w, 2), BM_CLICK, 0, 0);
                return LRESULT{0};
            }
            return mainWindowProc(w, m, p, l);
        }));
    });
    EXPECT_EQ(runProgram(GetModuleHandleW(nullptr), SW_SHOWNORMAL), 0);
}

TEST_F(MainWindow, WmCloseEndsTheProgramWithExitCodeZero)
{
    unregisterMainWindowClass();
    OnMainWindowCreated close([](HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); });
    EXPECT_EQ(runProgram(GetModuleHandleW(nullptr), SW_SHOWNORMAL), 0);
}

TEST_F(MainWindow, TheWindowIsShownAndPaintedSayingItReadsBeforeTheFirstLoadAsksTheSystem)
{
    unregisterMainWindowClass();
    static bool shown = false;
    static bool painted = false;
    static std::wstring status;
    // On the worker, while the system works: the window's thread answers the
    // text asked of it, and a close then ends the program at once.
    fake().whileBusy = [] {
        HWND window = FindWindowW(mainWindowClassName, nullptr);
        const WindowState* state = windowStateOf(window);
        shown = IsWindowVisible(window);
        painted = state && !GetUpdateRect(window, nullptr, FALSE) && !GetUpdateRect(state->statusLabel, nullptr, FALSE);
        status = state ? windowText(state->statusLabel) : L"";
        PostMessageW(window, WM_CLOSE, 0, 0);
    };
    EXPECT_EQ(runProgram(GetModuleHandleW(nullptr), SW_SHOWNORMAL), 0);
    EXPECT_TRUE(shown);
    EXPECT_TRUE(painted);
    EXPECT_EQ(status, texts::loading);
}

// The recommended box is disabled until the first read binds it, and the
// window's activation passes it by: once the read has ended, the focus is
// on it, the first control, as in a dialog.
TEST_F(MainWindow, OnceTheFirstReadHasEndedTheFocusIsOnTheFirstControl)
{
    addApp(1, L"ChatGPT", L"OpenAI.Codex_2p2nqsd0c76g0");
    open();
    HWND window = createMainWindow(GetModuleHandleW(nullptr));
    showAndLoad(window, SW_SHOWNORMAL);
    runUntilWorkerIdle(window);
    EXPECT_EQ(GetFocus(), windowStateOf(window)->recommendedCheck);
    DestroyWindow(window);
}

TEST_F(MainWindow, ExitCodeIsOneWhenTheClassCannotBeRegistered)
{
    unregisterMainWindowClass();
    ASSERT_TRUE(registerMainWindowClass(GetModuleHandleW(nullptr)));
    EXPECT_EQ(runProgram(GetModuleHandleW(nullptr), SW_HIDE), 1);
}

TEST_F(MainWindow, ExitCodeIsOneWhenTheWindowCannotBeCreated)
{
    unregisterMainWindowClass();
    OnMainWindowCreated veto(nullptr);
    OnMainWindowCreated::vetoCreation = true;
    const int exitCode = runProgram(GetModuleHandleW(nullptr), SW_HIDE);
    OnMainWindowCreated::vetoCreation = false;
    EXPECT_EQ(exitCode, 1);
}

TEST_F(MainWindow, ClassCarriesTheIconArrowCursorAndNoRedrawStyles)
{
    open();
    WNDCLASSEXW windowClass = {};
    windowClass.cbSize = sizeof(windowClass);
    ASSERT_TRUE(GetClassInfoExW(GetModuleHandleW(nullptr), mainWindowClassName, &windowClass));
    EXPECT_EQ(windowClass.style, 0u);
    EXPECT_NE(windowClass.hIcon, nullptr);
    const SIZE small = iconSize(windowClass.hIconSm);
    EXPECT_EQ(small.cx, GetSystemMetrics(SM_CXSMICON));
    EXPECT_EQ(small.cy, GetSystemMetrics(SM_CYSMICON));
    // An image of its own for every size Windows asks for at 100 to 250 %.
    HRSRC group = FindResourceW(nullptr, MAKEINTRESOURCEW(IDI_APP), RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    const auto* directory = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, group)));
    std::vector<int> sizes;
    for (int i = 0; i < directory[4]; ++i) {
        sizes.push_back(directory[6 + 14 * i] == 0 ? 256 : directory[6 + 14 * i]);
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 40, 48, 256}));
    EXPECT_EQ(windowClass.hCursor, LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(windowClass.hbrBackground, reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1));
    EXPECT_EQ(windowClass.lpfnWndProc, &mainWindowProc);
}

TEST_F(MainWindow, MessagesWithoutStateGoToTheDefaultProcedureOrReturnZero)
{
    // A window of another class has no state in its user data.
    HWND stranger = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(stranger, nullptr);
    HDC context = GetDC(stranger);

    EXPECT_EQ(mainWindowProc(stranger, WM_COMMAND, MAKEWPARAM(applyButtonId, BN_CLICKED), 0), 0);
    NMHDR header = {nullptr, appListId, static_cast<UINT>(LVN_ITEMCHANGED)};
    EXPECT_EQ(mainWindowProc(stranger, WM_NOTIFY, appListId, reinterpret_cast<LPARAM>(&header)), 0);
    EXPECT_EQ(mainWindowProc(stranger, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(context), 0),
              DefWindowProcW(stranger, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(context), 0));
    DRAWITEMSTRUCT item = {};
    item.CtlType = ODT_BUTTON;
    item.hDC = context;
    EXPECT_EQ(mainWindowProc(stranger, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&item)), FALSE);

    ReleaseDC(stranger, context);
    DestroyWindow(stranger);
}

TEST_F(MainWindow, DestroyReleasesTheStateBeforeLateMessagesArrive)
{
    TestWindow& window = open();
    HWND handle = window.window();
    ASSERT_EQ(spy().liveGdiObjects.size(), 9u);

    DestroyWindow(handle);

    EXPECT_FALSE(IsWindow(handle));
    EXPECT_EQ(GetWindowLongPtrW(handle, GWLP_USERDATA), 0);
    MSG message = {};
    EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    // The five fonts and four brushes of the state are gone with it.
    EXPECT_TRUE(spy().liveGdiObjects.empty());
}

} // namespace
