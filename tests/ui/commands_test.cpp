#include "support/catalog_fixture.h"
#include "support/dib_canvas.h"

#include "app/main_window.h"
#include "model/resource_ids.h"
#include "store/worker_thread.h"
#include "support/message_box_catcher.h"
#include "ui/commands.h"
#include "ui/list_context_menu.h"
#include "ui/window_layout.h"

#include <commctrl.h>

#include <functional>
#include <thread>
#include <utility>

namespace {

class Commands : public CatalogTest {
protected:
    // Catalog order: Alpha, Beta, ChatGPT (recommended).
    TestWindow& openCatalog()
    {
        addApp(1, L"ChatGPT", L"OpenAI.Codex_2p2nqsd0c76g0");
        addApp(2, L"Beta");
        addApp(3, L"Alpha");
        return open();
    }

    std::vector<LONG> toldTicks() { return std::exchange(accessibility().stateChanges[state().appList], {}); }

    LRESULT notify(NMLISTVIEW change)
    {
        return SendMessageW(state().window, WM_NOTIFY, change.hdr.idFrom, reinterpret_cast<LPARAM>(&change));
    }

    NMLISTVIEW checkChange(int row, UINT newImage, UINT oldImage)
    {
        NMLISTVIEW change = {};
        change.hdr.hwndFrom = state().appList;
        change.hdr.idFrom = appListId;
        change.hdr.code = LVN_ITEMCHANGED;
        change.iItem = row;
        change.uChanged = LVIF_STATE;
        change.uNewState = INDEXTOSTATEIMAGEMASK(newImage);
        change.uOldState = INDEXTOSTATEIMAGEMASK(oldImage);
        return change;
    }
};

TEST_F(Commands, RecommendedCheckBoxSetsTheBoundEntry)
{
    TestWindow& window = openCatalog();
    SendMessageW(state().recommendedCheck, BM_SETCHECK, BST_CHECKED, 0);

    window.command(recommendedCheckId);

    EXPECT_EQ(exemptFlags(), (std::vector<bool>{false, false, true}));
    EXPECT_EQ(status(), texts::settingsChanged);

    SendMessageW(state().recommendedCheck, BM_SETCHECK, BST_UNCHECKED, 0);
    window.command(recommendedCheckId);
    EXPECT_EQ(exemptFlags(), (std::vector<bool>{false, false, false}));
}

TEST_F(Commands, RecommendedCheckBoxWithoutABoundEntryChangesNothing)
{
    fake().getConfigResult = ERROR_ACCESS_DENIED;
    TestWindow& window = open();
    const std::wstring before = status();
    SendMessageW(state().recommendedCheck, BM_SETCHECK, BST_CHECKED, 0);

    window.command(recommendedCheckId);

    EXPECT_EQ(status(), before);
    EXPECT_TRUE(state().apps.empty());
}

TEST_F(Commands, TickingARowThroughTheListChangesOnlyThatEntry)
{
    TestWindow& window = openCatalog();

    window.setRowChecked(1, true);

    EXPECT_EQ(exemptFlags(), (std::vector<bool>{false, true, false}));
    EXPECT_EQ(status(), texts::settingsChanged);

    window.setRowChecked(1, false);
    EXPECT_EQ(exemptFlags(), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(status(), loadedStatus(3)) << "the ticks cancel out";
}

// The list keeps no check marks: each route reaches the entry once, and only
// the entries the search shows.
TEST_F(Commands, EveryRouteOfATickChangesExactlyTheShownEntriesOnce)
{
    TestWindow& window = openCatalog();
    window.setSearchText(L"beta");
    ASSERT_EQ(window.rowCount(), 1);
    // Shown, the row selected and focused in the focused list: only the tick
    // itself repaints the row.
    window.command(moreAppsButtonId);
    SetWindowPos(window.window(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    setRowState(state().appList, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    SetFocus(state().appList);
    DibCanvas unticked(100, 80);
    DibCanvas painted(100, 80);
    unticked.capture(state().appList);
    const auto paintedUnticked = [&] {
        painted.capture(state().appList);
        return painted == unticked;
    };
    const std::pair<const char*, std::function<void()>> routes[] = {
        {"click on the check box", [&] { EXPECT_TRUE(window.clickRow(0)); }},
        {"Space on the focused row", [&] { EXPECT_FALSE(window.pressSpaceOnRow(0)) << "its character typed"; }},
        {"LVM_SETITEMSTATE", [&] { window.setRowChecked(0, !window.rowChecked(0)); }},
        {"LVM_SETITEMSTATE for row -1", [&] {
             setRowState(state().appList, -1, INDEXTOSTATEIMAGEMASK(window.rowChecked(0) ? 1 : 2), LVIS_STATEIMAGEMASK);
         }},
        {"tick or untick all shown", [&] { window.command(window.rowChecked(0) ? untickAllShownId : tickAllShownId, 0); }},
    };
    for (const auto& [name, route] : routes) {
        route();
        EXPECT_EQ(exemptFlags(), (std::vector<bool>{false, true, false})) << name;
        EXPECT_TRUE(window.rowChecked(0)) << name;
        EXPECT_FALSE(paintedUnticked()) << name;
        EXPECT_EQ(status(), texts::settingsChanged) << name;
        route();
        EXPECT_EQ(exemptFlags(), (std::vector<bool>{false, false, false})) << name;
        EXPECT_TRUE(paintedUnticked()) << name;
        EXPECT_EQ(status(), loadedStatus(3)) << name;
        EXPECT_EQ(toldTicks(), (std::vector<LONG>{1, 1})) << name;
    }
    EXPECT_FALSE(window.clickRow(1)) << "no row, no box";
    EXPECT_TRUE(window.clickRow(0, LVHT_ONITEMLABEL));
    EXPECT_EQ(exemptFlags(), (std::vector<bool>{false, false, false})) << "a click on the name ticks nothing";
    window.setRowChecked(0, false);
    window.setRowChecked(1, true);
    EXPECT_TRUE(toldTicks().empty()) << "no change, no row";
    SendMessageW(state().appList, WM_VSCROLL, SB_PAGEDOWN, 0);
    window.setSearchText(L"");
    EXPECT_EQ(exemptFlags(), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(status(), loadedStatus(3));
}

TEST_F(Commands, SelectionAndFocusChangesAreIgnored)
{
    TestWindow& window = openCatalog();

    setRowState(state().appList, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);

    EXPECT_EQ(exemptFlags(), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(status(), loadedStatus(3));
    EXPECT_TRUE(window.rowCount() == 2);
}

TEST_F(Commands, NotificationsThatDoNotConcernARowCheckBoxAreIgnored)
{
    openCatalog();
    NMLISTVIEW outOfRange = checkChange(2, 2, 1);
    NMLISTVIEW negative = checkChange(-1, 2, 1);
    NMLISTVIEW otherControl = checkChange(0, 2, 1);
    otherControl.hdr.idFrom = searchEditId;
    NMLISTVIEW otherCode = checkChange(0, 2, 1);
    otherCode.hdr.code = LVN_ITEMCHANGING;
    NMLISTVIEW noImage = checkChange(0, 0, 1);

    for (const NMLISTVIEW& change : {outOfRange, negative, otherControl, otherCode, noImage}) {
        EXPECT_EQ(notify(change), 0);
    }
    state().populating = true;
    EXPECT_EQ(notify(checkChange(0, 2, 1)), 0);
    state().populating = false;

    EXPECT_EQ(exemptFlags(), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(status(), loadedStatus(3));
    EXPECT_EQ(SendMessageW(state().window, WM_NOTIFY, 0, 0), 0);
}

// In a frame larger than Wine's, as Windows 10 and 11 draw: the client area
// is the one the layout is drawn for all the same.
TEST_F(Commands, ExpandingAndCollapsingTwiceRestoresTheCompactGeometry)
{
    TestWindow& window = openCatalog();
    SetWindowLongPtrW(state().window, GWL_STYLE, GetWindowLongPtrW(state().window, GWL_STYLE) | WS_THICKFRAME);
    // High enough on the screen for the expanded window to fit below.
    SetWindowPos(state().window, nullptr, 100, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT compactWindow = {};
    GetWindowRect(state().window, &compactWindow);
    const auto statusPlace = [&] { return clientRectOf(state().statusLabel); };
    const std::wstring statusText = status();

    window.command(moreAppsButtonId);

    RECT expanded = {};
    GetWindowRect(state().window, &expanded);
    EXPECT_TRUE(state().expanded);
    EXPECT_EQ(clientSizeOf(state().window).cy, layout::expandedClientHeight);
    EXPECT_EQ(expanded.left, compactWindow.left);
    EXPECT_EQ(expanded.top, compactWindow.top);
    EXPECT_EQ(statusPlace().top, layout::expandedStatusLabel.y);
    EXPECT_EQ(statusPlace().right - statusPlace().left, layout::expandedStatusLabel.width);
    EXPECT_EQ(windowText(state().moreAppsButton), texts::moreAppsExpanded);
    for (HWND control : state().advancedControls) {
        EXPECT_TRUE(GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE);
    }

    for (int press = 0; press < 3; ++press) {
        window.command(moreAppsButtonId);
    }

    RECT compact = {};
    GetWindowRect(state().window, &compact);
    EXPECT_FALSE(state().expanded);
    EXPECT_EQ(clientSizeOf(state().window).cx, layout::clientWidth);
    EXPECT_EQ(clientSizeOf(state().window).cy, layout::compactClientHeight);
    EXPECT_EQ(compact.left, compactWindow.left);
    EXPECT_EQ(compact.top, compactWindow.top);
    const RECT place = statusPlace();
    const Box& compactStatus = layout::compactStatusLabel;
    EXPECT_EQ(place.left, compactStatus.x);
    EXPECT_EQ(place.top, compactStatus.y);
    EXPECT_EQ(place.right - place.left, compactStatus.width);
    EXPECT_EQ(place.bottom - place.top, compactStatus.height);
    EXPECT_EQ(windowText(state().moreAppsButton), texts::moreAppsCollapsed);
    for (HWND control : state().advancedControls) {
        EXPECT_FALSE(GetWindowLongPtrW(control, GWL_STYLE) & WS_VISIBLE);
    }
    EXPECT_EQ(status(), statusText);
}

// On a small or scaled screen the expanded window would run past the bottom
// of the work area, with the close button out of reach.
TEST_F(Commands, ExpandingNearTheBottomOfTheScreenMovesTheWindowUpIntoTheWorkArea)
{
    TestWindow& window = openCatalog();
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(state().window, MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT work = monitor.rcWork;
    SetWindowPos(state().window, nullptr, 100, work.bottom - layout::compactClientHeight - 50, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER);

    window.command(moreAppsButtonId);

    RECT expanded = {};
    GetWindowRect(state().window, &expanded);
    EXPECT_EQ(expanded.left, 100);
    EXPECT_EQ(expanded.bottom, work.bottom);
    EXPECT_EQ(clientSizeOf(state().window).cy, layout::expandedClientHeight);

    window.command(moreAppsButtonId);

    RECT compact = {};
    GetWindowRect(state().window, &compact);
    EXPECT_EQ(compact.top, expanded.top) << "collapsing keeps the place";
    EXPECT_EQ(compact.left, 100);
}

std::pair<LONG, LONG> clientOf(HWND window)
{
    const SIZE size = clientSizeOf(window);
    return {size.cx, size.cy};
}

// The compact window keeps its size whoever asks for another. The expanded
// one has a sizing border and a maximise box, its list and column take what
// it is given, and it is never made smaller than it opens, at 100 % and at
// 150 %: the layout's size, or on a work area lower than that, the work
// area's height.
TEST_F(Commands, OnlyTheExpandedWindowResizesAndNeverBelowTheSizeItOpensWith)
{
    TestWindow& window = openCatalog();
    SetWindowPos(state().window, nullptr, 100, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    const auto resizeBy = [&](int wider, int taller) {
        RECT outer = {};
        GetWindowRect(state().window, &outer);
        SetWindowPos(state().window, nullptr, 0, 0, outer.right - outer.left + wider, outer.bottom - outer.top + taller,
                     SWP_NOMOVE | SWP_NOZORDER);
        return clientOf(state().window);
    };
    constexpr LONG_PTR resizable = WS_THICKFRAME | WS_MAXIMIZEBOX;
    EXPECT_EQ(GetWindowLongPtrW(state().window, GWL_STYLE) & resizable, 0);
    EXPECT_EQ(resizeBy(200, 100), std::make_pair(LONG{layout::clientWidth}, LONG{layout::compactClientHeight}));

    window.command(moreAppsButtonId);
    EXPECT_EQ(GetWindowLongPtrW(state().window, GWL_STYLE) & resizable, resizable);
    const std::pair<LONG, LONG> opening = clientOf(state().window);
    EXPECT_EQ(opening, std::make_pair(LONG{layout::clientWidth}, LONG{layout::expandedClientHeight}));
    EXPECT_EQ(resizeBy(200, 100), std::make_pair(opening.first + 200, opening.second + 100));
    RECT list = {};
    GetWindowRect(state().appList, &list);
    EXPECT_EQ(list.bottom - list.top, layout::appList.height + 100);
    EXPECT_EQ(SendMessageW(state().appList, LVM_GETCOLUMNWIDTH, 0, 0), layout::appListColumnWidth + 200);
    EXPECT_EQ(resizeBy(-1000, -1000), opening);

    EXPECT_TRUE(window.changeDpi(144)) << "in the size it asked for";
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromWindow(state().window, MONITOR_DEFAULTTONEAREST), &monitor));
    RECT outer = {};
    GetWindowRect(state().window, &outer);
    const LONG frameHeight = outer.bottom - outer.top - clientSizeOf(state().window).cy;
    const LONG fitted = std::min(LONG{scaled(layout::expandedClientHeight, 144)},
                                 monitor.rcWork.bottom - monitor.rcWork.top - frameHeight);
    EXPECT_EQ(resizeBy(-1000, -1000), std::make_pair(LONG{scaled(layout::clientWidth, 144)}, fitted));
}

// Collapsing gives back the compact window, whatever the expanded one was;
// expanding again gives back the size the user gave it, or maximises it again.
TEST_F(Commands, ExpandingAgainGivesBackTheChosenSizeOrTheMaximisedWindow)
{
    TestWindow& window = openCatalog();
    ShowWindow(window.window(), SW_SHOW);
    SetWindowPos(state().window, nullptr, 100, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    window.command(moreAppsButtonId);
    RECT outer = {};
    GetWindowRect(state().window, &outer);
    UpdateWindow(state().window);
    SetWindowPos(state().window, nullptr, 0, 0, outer.right - outer.left + 120, outer.bottom - outer.top + 60,
                 SWP_NOMOVE | SWP_NOZORDER);
    const std::pair<LONG, LONG> chosen = clientOf(state().window);
    // The recommended card's old right edge, inside what the window showed
    // before, is painted again now that the card reaches further.
    const std::unique_ptr<HRGN__, GdiObjectDeleter<HRGN>> update(CreateRectRgn(0, 0, 0, 0));
    GetUpdateRgn(state().window, update.get(), FALSE);
    EXPECT_TRUE(PtInRegion(update.get(), layout::recommendedCard.right - 1, layout::recommendedCard.top + 30));
    const auto collapseAndExpandAgain = [&] {
        window.command(moreAppsButtonId);
        EXPECT_FALSE(IsZoomed(state().window));
        EXPECT_EQ(clientOf(state().window), std::make_pair(LONG{layout::clientWidth}, LONG{layout::compactClientHeight}));
        window.command(moreAppsButtonId);
    };

    collapseAndExpandAgain();
    EXPECT_EQ(clientOf(state().window), chosen);

    ShowWindow(state().window, SW_MAXIMIZE);
    EXPECT_EQ(SendMessageW(state().appList, LVM_GETCOLUMNWIDTH, 0, 0),
              layout::appListColumnWidth + clientOf(state().window).first - layout::clientWidth);
    collapseAndExpandAgain();
    EXPECT_TRUE(IsZoomed(state().window));
    ShowWindow(state().window, SW_RESTORE);
    EXPECT_EQ(clientOf(state().window), chosen);
}

// A move to a monitor of 150 % and back gives the layout of before to the
// pixel and keeps the mode, the search, the ticks and the focus; the fonts
// made for 150 % are gone again.
TEST_F(Commands, ADpiChangeAndItsReverseGiveTheLayoutBackKeepingModeSearchTicksAndFocus)
{
    TestWindow& window = openCatalog();
    ShowWindow(window.window(), SW_SHOW);
    window.command(moreAppsButtonId);
    window.setSearchText(L"a");
    window.setRowChecked(0, true);
    SetFocus(state().searchEdit);
    // The controls in client coordinates, then the window's size.
    const auto places = [&] {
        std::vector<LONG> edges;
        for (HWND child = GetWindow(window.window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            const RECT rect = clientRectOf(child);
            edges.insert(edges.end(), {rect.left, rect.top, rect.right, rect.bottom});
        }
        RECT outer = {};
        GetWindowRect(window.window(), &outer);
        edges.insert(edges.end(), {outer.right - outer.left, outer.bottom - outer.top});
        return edges;
    };
    const std::vector<LONG> before = places();
    const std::size_t gdiObjects = spy().liveGdiObjects.size();
    // As though made at another DPI, which drops the images too.
    ImageList_SetIconSize(ListView_GetImageList(state().appList, LVSIL_STATE), 1, 1);

    EXPECT_TRUE(window.changeDpi(144)) << "in the size it asked for";
    EXPECT_NE(places(), before);
    EXPECT_TRUE(window.changeDpi(96)) << "in the size it asked for";

    EXPECT_EQ(places(), before);
    EXPECT_EQ(ImageList_GetImageCount(ListView_GetImageList(state().appList, LVSIL_STATE)), 2) << "boxes made again";
    EXPECT_TRUE(state().expanded);
    EXPECT_EQ(windowText(state().searchEdit), L"a");
    EXPECT_TRUE(window.rowChecked(0));
    EXPECT_EQ(exemptFlags(), (std::vector<bool>{true, false, false}));
    EXPECT_EQ(GetFocus(), state().searchEdit);
    EXPECT_EQ(spy().liveGdiObjects.size(), gdiObjects);
}

TEST_F(Commands, SearchChangesRebuildTheListUnlessALoadIsRunning)
{
    TestWindow& window = openCatalog();
    window.setSearchText(L"beta");
    ASSERT_EQ(window.rowCount(), 1);

    state().populating = true;
    SetWindowTextW(state().searchEdit, L"");
    state().populating = false;
    EXPECT_EQ(window.rowCount(), 1);

    window.command(searchEditId, EN_CHANGE);
    EXPECT_EQ(window.rowCount(), 2);
    window.command(searchEditId, EN_SETFOCUS);
    EXPECT_EQ(window.rowCount(), 2);
}

TEST_F(Commands, RefreshReloadsAndApplySaves)
{
    TestWindow& window = openCatalog();
    addApp(4, L"Delta");

    window.command(refreshButtonId);
    EXPECT_EQ(state().apps.size(), 4u);
    EXPECT_EQ(fake().enumCalls, 2);

    window.command(applyButtonId);
    EXPECT_EQ(fake().writes.size(), 1u);
    window.command(applyButtonId, BN_SETFOCUS);
    window.command(refreshButtonId, BN_SETFOCUS);
    EXPECT_EQ(fake().writes.size(), 1u);
    EXPECT_EQ(fake().enumCalls, 2);
}

// Windows' static control, unlike Wine's, paints a new text only when
// WM_PAINT comes: the line below invalidates as Windows' does, so that a
// text left unpainted shows as an update region.
WNDPROC statusLineProcedure = nullptr;
LRESULT CALLBACK paintLikeWindows(HWND line, UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = CallWindowProcW(statusLineProcedure, line, message, wParam, lParam);
    if (message == WM_SETTEXT) {
        InvalidateRect(line, nullptr, TRUE);
    }
    return result;
}

TEST_F(Commands, TheProgressTextIsPaintedBeforeTheSystemIsAskedToLoadOrSave)
{
    TestWindow& window = openCatalog();
    ShowWindow(window.window(), SW_SHOWNOACTIVATE);
    statusLineProcedure = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(state().statusLabel, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&paintLikeWindows)));
    UpdateWindow(window.window());
    std::vector<std::wstring> seen;
    // On the worker: what the line shows, asked of the window's thread.
    fake().whileBusy = [&] {
        HWND line = state().statusLabel;
        seen.push_back(GetUpdateRect(line, nullptr, FALSE) ? L"(not painted)" : windowText(line));
    };

    window.command(refreshButtonId);
    window.setRowChecked(0, true);
    window.command(applyButtonId);

    EXPECT_EQ(seen, (std::vector<std::wstring>{texts::loading, texts::saving}));
    fake().whileBusy = nullptr;
}

// While the system is read, the list keeps its rows and takes ticks, which
// the read's end keeps on top of what it found; 刷新, 应用设置 and their keys
// do nothing, and the message of an older read ends nothing.
TEST_F(Commands, WhileARefreshRunsTheListTakesTicksAndNothingElseBeginsOrEnds)
{
    TestWindow& window = openCatalog();
    restartRecording();
    const HeldWorker held(fake());
    SendMessageW(window.window(), WM_COMMAND, MAKEWPARAM(refreshButtonId, BN_CLICKED), 0);
    ASSERT_TRUE(held.waitUntilInside());
    EXPECT_EQ(spy().workersCreated, 1) << "made with CreateThread on the program's own start routine";

    EXPECT_FALSE(IsWindowEnabled(state().refreshButton));
    EXPECT_FALSE(IsWindowEnabled(state().applyButton));
    ASSERT_EQ(window.rowCount(), 2);
    window.setRowChecked(0, true);
    EXPECT_EQ(status(), texts::loading) << "the read's progress stays";
    for (const int key : {IDK_REFRESH, IDK_APPLY, int{refreshButtonId}, int{applyButtonId}}) {
        SendMessageW(window.window(), WM_COMMAND, MAKEWPARAM(key, BN_CLICKED), 0);
    }
    PostMessageW(window.window(), workerDoneMessage, state().workerGeneration - 1, 0);
    pumpMessages();
    EXPECT_TRUE(state().runningRead);
    EXPECT_EQ(status(), texts::loading);

    held.open();
    runUntilWorkerIdle(window.window());
    EXPECT_EQ(fake().enumCalls, 2);
    EXPECT_TRUE(fake().writes.empty());
    EXPECT_TRUE(window.rowChecked(0));
    EXPECT_EQ(status(), loadedWithChangesStatus(3));
}

struct CloseWhileBusy {
    const char* what;
    int running;
    UINT message;
    WPARAM wParam;
    bool closesAtOnce;
    std::size_t writes;
};

// A read writes nothing, and a close during one closes at once. A save may
// be between the writes of a search for refused apps: the window says so and
// closes once it has ended; a second request changes nothing.
TEST_F(Commands, ACloseDuringAReadClosesAtOnceAndOneDuringASaveWaitsForItsWrites)
{
    const CloseWhileBusy cases[] = {
        {"the user's close during a read", refreshButtonId, WM_SYSCOMMAND, SC_CLOSE, true, 0},
        {"another program's close during a read", refreshButtonId, WM_CLOSE, 0, true, 0},
        {"the user's close during a save", applyButtonId, WM_SYSCOMMAND, SC_CLOSE, false, 1},
        {"another program's close during a save", applyButtonId, WM_CLOSE, 0, false, 1},
    };
    for (const CloseWhileBusy& test : cases) {
        SCOPED_TRACE(test.what);
        SetUp();
        TestWindow& window = openCatalog();
        const int readsBefore = fake().enumCalls;
        {
            const HeldWorker held(fake());
            SendMessageW(window.window(), WM_COMMAND, MAKEWPARAM(test.running, BN_CLICKED), 0);
            ASSERT_TRUE(held.waitUntilInside());
            SendMessageW(window.window(), test.message, test.wParam, 0);
            SendMessageW(window.window(), test.message, test.wParam, 0);
            ASSERT_EQ(!IsWindow(window.window()), test.closesAtOnce);
            if (!test.closesAtOnce) {
                EXPECT_EQ(status(), texts::saving);
                EXPECT_FALSE(IsWindowEnabled(state().appList));
                // A command that reaches the window all the same begins nothing.
                SendMessageW(window.window(), WM_COMMAND, MAKEWPARAM(refreshButtonId, BN_CLICKED), 0);
                SendMessageW(window.window(), WM_COMMAND, MAKEWPARAM(applyButtonId, BN_CLICKED), 0);
            }
            held.open();
            runUntilWorkerIdle(window.window());
        }
        EXPECT_FALSE(IsWindow(window.window()));
        EXPECT_EQ(fake().writes.size(), test.writes);
        EXPECT_EQ(fake().enumCalls, readsBefore + (test.running == refreshButtonId ? 1 : 0));
    }
}

// 是 to the close question while a refresh runs: the save begins once the
// read has ended, on the catalog it read, and the window then closes.
TEST_F(Commands, SavingAsTheWindowClosesDuringARefreshWaitsForTheRead)
{
    TestWindow& window = openCatalog();
    window.setRowChecked(0, true);
    {
        const HeldWorker held(fake());
        SendMessageW(window.window(), WM_COMMAND, MAKEWPARAM(refreshButtonId, BN_CLICKED), 0);
        ASSERT_TRUE(held.waitUntilInside());
        const MessageBoxCatcher boxes(IDYES);
        SendMessageW(window.window(), WM_COMMAND, MAKEWPARAM(closeButtonId, BN_CLICKED), 0);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_TRUE(IsWindow(window.window()));
        held.open();
        runUntilWorkerIdle(window.window());
    }
    EXPECT_FALSE(IsWindow(window.window()));
    ASSERT_EQ(fake().writes.size(), 1u);
    EXPECT_EQ(fake().writes[0].texts(), (std::vector<std::wstring>{appContainerSid(3)}));
}

// The session may end once WM_ENDSESSION returns: a save that runs is seen
// through to its end first, the message loop kept running. Its end gives
// back what it disabled, the box of an app sorted first too.
TEST_F(Commands, TheEndOfTheSessionWaitsUntilASaveHasWritten)
{
    addApp(1, L"ChatGPT", L"OpenAI.Codex_2p2nqsd0c76g0");
    TestWindow& window = open();
    SendMessageW(state().recommendedCheck, BM_SETCHECK, BST_CHECKED, 0);
    window.command(recommendedCheckId);
    fake().whileBusy = [] { Sleep(200); };
    SendMessageW(window.window(), WM_COMMAND, MAKEWPARAM(applyButtonId, BN_CLICKED), 0);

    SendMessageW(window.window(), WM_ENDSESSION, TRUE, 0);

    EXPECT_EQ(fake().writes.size(), 1u);
    EXPECT_EQ(status(), texts::saved);
    EXPECT_TRUE(IsWindowEnabled(state().appList));
    EXPECT_TRUE(IsWindowEnabled(state().recommendedCheck));
    fake().whileBusy = nullptr;
}

// Catalog order after the refresh: Alpha, ChatGPT (recommended), Delta.
TEST_F(Commands, RefreshKeepsUnsavedTicksAndDropsThoseOfAppsGone)
{
    TestWindow& window = openCatalog();
    window.setRowChecked(0, true);  // Alpha
    window.setRowChecked(1, true);  // Beta, which goes away
    fake().appContainers.erase(fake().appContainers.begin() + 1);
    addApp(4, L"Delta");

    window.command(refreshButtonId);

    EXPECT_EQ(exemptFlags(), (std::vector<bool>{true, false, false}));
    EXPECT_TRUE(window.rowChecked(0));
    EXPECT_EQ(status(), loadedWithChangesStatus(3));

    window.setRowChecked(0, false);
    EXPECT_EQ(status(), loadedStatus(3)) << "nothing differs from the list read";
}

TEST_F(Commands, CloseCommandDestroysTheWindowAndPostsQuit)
{
    TestWindow& window = openCatalog();
    window.command(2, BN_SETFOCUS);
    ASSERT_TRUE(IsWindow(window.window()));

    window.command(2);

    EXPECT_FALSE(IsWindow(window.window()));
    MSG message = {};
    EXPECT_TRUE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(message.wParam, 0u);
}

// A WM_CLOSE that another program posts reaches the window procedure through
// the modal loop of the save's message box; the window must outlive the save.
TEST_F(Commands, ACloseArrivingDuringASavesMessageBoxWaitsUntilTheSaveHasReturned)
{
    TestWindow& window = openCatalog();
    window.setRowChecked(0, true);
    fake().setConfigResult = ERROR_ACCESS_DENIED;
    MessageBoxCatcher boxes;
    bool stateAliveAfterClose = false;
    boxes.whileShown = [&] {
        SendMessageW(window.window(), WM_CLOSE, 0, 0);
        stateAliveAfterClose = windowStateOf(window.window()) != nullptr;
    };

    window.command(applyButtonId);

    EXPECT_EQ(boxes.boxes().size(), 1u);
    EXPECT_TRUE(stateAliveAfterClose);
    EXPECT_FALSE(IsWindow(window.window())) << "closed once the save returned";
}

struct CloseAnswer {
    const char* what;
    int answer;
    DWORD writeResult;
    bool writes;
    bool closes;
};

TEST_F(Commands, ClosingWithUnsavedTicksAsksFirstAndFollowsTheAnswer)
{
    const CloseAnswer answers[] = {
        {"yes: saves, then closes", IDYES, ERROR_SUCCESS, true, true},
        {"yes, but the save fails: stays", IDYES, ERROR_ACCESS_DENIED, true, false},
        {"no: closes without writing", IDNO, ERROR_SUCCESS, false, true},
        {"cancel: stays", IDCANCEL, ERROR_SUCCESS, false, false},
    };
    for (const CloseAnswer& test : answers) {
        SCOPED_TRACE(test.what);
        SetUp();
        TestWindow& window = openCatalog();
        window.setRowChecked(0, true);
        fake().setConfigResult = test.writeResult;
        const MessageBoxCatcher boxes(test.answer);

        window.command(closeButtonId);

        ASSERT_FALSE(boxes.boxes().empty());
        EXPECT_EQ(boxes.boxes()[0].text, texts::closeQuestion);
        EXPECT_EQ(boxes.boxes()[0].caption, texts::windowCaption);
        EXPECT_EQ(!fake().writes.empty(), test.writes);
        if (test.writes) {
            EXPECT_EQ(fake().writes.back().texts(), (std::vector<std::wstring>{appContainerSid(3)}));
        }
        EXPECT_EQ(!IsWindow(window.window()), test.closes);
    }
}

// The caption's close box and Alt+F4 arrive as SC_CLOSE and ask; a WM_CLOSE
// of another program's closes without asking, as before.
TEST_F(Commands, OnlyTheUsersOwnCloseAsks)
{
    TestWindow& window = openCatalog();
    window.setRowChecked(0, true);
    {
        const MessageBoxCatcher boxes(IDCANCEL);
        SendMessageW(window.window(), WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_EQ(boxes.boxes().size(), 1u);
        EXPECT_TRUE(IsWindow(window.window()));
    }
    const MessageBoxCatcher boxes;
    SendMessageW(window.window(), WM_CLOSE, 0, 0);
    EXPECT_TRUE(boxes.boxes().empty());
    EXPECT_FALSE(IsWindow(window.window()));
    EXPECT_TRUE(fake().writes.empty());
}

// Shows the window and hands it the activation a user's click would give,
// as the message the window answers: a hosted runner's desktop may keep the
// foreground for another process and refuse SetForegroundWindow.
void activate(HWND window)
{
    ShowWindow(window, SW_SHOW);
    SendMessageW(window, WM_ACTIVATE, WA_CLICKACTIVE, 0);
    pumpMessages();
}

// A key, with Ctrl held when asked, through the program's own message loop:
// the window's keys, then the dialog keyboard handling.
void pressDialogKey(HWND window, WPARAM key, bool control = false)
{
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = control ? 0x80 : 0;
    SetKeyboardState(keys);
    PostMessageW(GetFocus(), WM_KEYDOWN, key, 0);
    PostMessageW(GetFocus(), WM_KEYUP, key, 0);
    HACCEL windowKeys = LoadAcceleratorsW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDA_WINDOW_KEYS));
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        dispatchWindowMessage(window, windowKeys, message);
    }
    runUntilWorkerIdle(window);
    keys[VK_CONTROL] = 0;
    SetKeyboardState(keys);
}

// Apply and Refresh disable the button that has the focus while they run;
// the focus must come back to it, or Tab, Space and Esc stop working.
TEST_F(Commands, TheKeyboardKeepsWorkingAfterApplyRefreshAndReactivation)
{
    TestWindow& window = openCatalog();
    activate(window.window());
    EXPECT_EQ(GetFocus(), state().recommendedCheck) << "the first tab stop, as in a dialog";

    SetFocus(state().applyButton);
    window.command(applyButtonId);
    EXPECT_EQ(GetFocus(), state().applyButton);
    pressDialogKey(window.window(), VK_TAB);
    EXPECT_EQ(GetFocus(), state().recommendedCheck) << "Tab goes on from Apply";

    SetFocus(state().refreshButton);
    window.command(refreshButtonId);
    EXPECT_EQ(GetFocus(), state().refreshButton);

    fake().setConfigResult = ERROR_ACCESS_DENIED;
    SetFocus(state().applyButton);
    {
        const MessageBoxCatcher boxes;
        window.command(applyButtonId);
        EXPECT_EQ(boxes.boxes().size(), 1u);
    }
    pumpMessages();
    EXPECT_EQ(GetFocus(), state().applyButton) << "after the failed save's message box";

    HWND other = CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    activate(other);
    EXPECT_NE(GetFocus(), state().applyButton);
    activate(window.window());
    EXPECT_EQ(GetFocus(), state().applyButton) << "given back on reactivation";
    DestroyWindow(other);
}

// F5, Ctrl+F and Ctrl+S act from any control as their buttons do, Ctrl+F
// expanding a compact window first and selecting the query; a disabled
// button's key does nothing, and no key acts while a message box waits.
TEST_F(Commands, WindowKeysActFromAnyControlButNotForADisabledButtonOrUnderABox)
{
    TestWindow& window = openCatalog();
    activate(window.window());
    SetFocus(state().recommendedCheck);
    pressDialogKey(window.window(), VK_F5);
    EXPECT_EQ(fake().enumCalls, 2) << "F5 refreshes";

    window.setSearchText(L"a");
    pressDialogKey(window.window(), 'F', true);
    EXPECT_TRUE(state().expanded);
    EXPECT_EQ(GetFocus(), state().searchEdit);
    EXPECT_EQ(SendMessageW(state().searchEdit, EM_GETSEL, 0, 0), MAKELRESULT(0, 1)) << "typing replaces the query";

    window.setRowChecked(0, true);
    pressDialogKey(window.window(), 'S', true);
    EXPECT_EQ(fake().writes.size(), 1u) << "Ctrl+S applies, from the search box too";

    EnableWindow(state().refreshButton, FALSE);
    pressDialogKey(window.window(), VK_F5);
    EXPECT_EQ(fake().enumCalls, 2);
    EnableWindow(state().refreshButton, TRUE);

    window.setRowChecked(1, true);
    fake().setConfigResult = ERROR_ACCESS_DENIED;
    MessageBoxCatcher boxes;
    boxes.whileShown = [&] {
        pressDialogKey(window.window(), VK_F5);
        pressDialogKey(window.window(), 'S', true);
    };
    window.command(applyButtonId);
    EXPECT_EQ(boxes.boxes().size(), 1u) << "no second save under the first one's box";
    EXPECT_EQ(fake().enumCalls, 2);
}

// Enter presses a focused button and nothing else; Esc in a search box that
// holds text empties it, and closes only from an empty one.
TEST_F(Commands, EnterPressesTheFocusedButtonAndEscEmptiesTheSearchBeforeItCloses)
{
    TestWindow& window = openCatalog();
    activate(window.window());
    SetFocus(state().moreAppsButton);
    pressDialogKey(window.window(), VK_RETURN);
    ASSERT_TRUE(state().expanded);

    SetFocus(state().searchEdit);
    window.setSearchText(L"beta");
    pressDialogKey(window.window(), VK_RETURN);
    EXPECT_TRUE(state().expanded) << "Enter in the search box presses nothing";
    pressDialogKey(window.window(), VK_ESCAPE);
    EXPECT_EQ(windowText(state().searchEdit), L"");
    EXPECT_EQ(window.rowCount(), 2);
    pressDialogKey(window.window(), VK_ESCAPE);
    EXPECT_FALSE(IsWindow(window.window()));
}

// Counts what is written to the status line while it lives.
class StatusTextCount {
public:
    explicit StatusTextCount(HWND label)
        : label_(label), previous_(reinterpret_cast<WNDPROC>(
                             SetWindowLongPtrW(label, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&counting))))
    {
        count_ = 0;
        previous = previous_;
    }
    StatusTextCount(const StatusTextCount&) = delete;
    StatusTextCount& operator=(const StatusTextCount&) = delete;
    ~StatusTextCount() { SetWindowLongPtrW(label_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_)); }

    int count() const { return count_; }

private:
    static LRESULT CALLBACK counting(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message == WM_SETTEXT) {
            ++count_;
        }
        return CallWindowProcW(previous, window, message, wParam, lParam);
    }

    static inline int count_ = 0;
    static inline WNDPROC previous = nullptr;
    HWND label_;
    WNDPROC previous_;
};

// Catalog order: Alpha, Alpine, Beta, ChatGPT (recommended); "alp" shows
// Alpha and Alpine.
TEST_F(Commands, TickingAllShownRowsLeavesHiddenRowsAndTheRecommendedAppAlone)
{
    addApp(4, L"Alpine");
    TestWindow& window = openCatalog();
    window.setSearchText(L"alp");
    ASSERT_EQ(window.rowCount(), 2);
    const StatusTextCount statusTexts(state().statusLabel);

    window.command(tickAllShownId, 0);

    EXPECT_EQ(exemptFlags(), (std::vector<bool>{true, true, false, false}));
    EXPECT_TRUE(window.rowChecked(0));
    EXPECT_TRUE(window.rowChecked(1));
    EXPECT_EQ(status(), texts::settingsChanged);
    EXPECT_EQ(statusTexts.count(), 1) << "one status text per command";

    window.setSearchText(L"");
    window.command(untickAllShownId, 0);
    EXPECT_EQ(exemptFlags(), (std::vector<bool>{false, false, false, false}));
    EXPECT_EQ(toldTicks(), (std::vector<LONG>{1, 2, 1, 2})) << "not Beta's, which was unticked";
}

TEST_F(Commands, UntickingAllShownRowsThenApplyingKeepsOnlyWhatTheWindowDoesNotShow)
{
    addExemption(1);
    addExemption(2);
    addExemption(3);
    addExemption(77);
    TestWindow& window = openCatalog();

    window.command(untickAllShownId, 0);
    window.command(applyButtonId);

    EXPECT_EQ(fake().writes.back().texts(), (std::vector<std::wstring>{appContainerSid(77), appContainerSid(1)}));
}

// Each item counts the shown apps it would change and is greyed at none.
TEST_F(Commands, MenuItemsCountTheShownAppsTheyWouldChange)
{
    TestWindow& window = openCatalog();
    const struct {
        const wchar_t* search;
        bool tickFirstRow;
        const wchar_t* tickItem;
        const wchar_t* untickItem;
    } cases[] = {
        {L"", false, L"勾选全部显示的应用（2 个）", L"取消勾选全部显示的应用（0 个）"},
        {L"", true, L"勾选全部显示的应用（1 个）", L"取消勾选全部显示的应用（1 个）"},
        {L"Alpha", false, L"勾选全部显示的应用（0 个）", L"取消勾选全部显示的应用（1 个）"},
        {L"no such app", false, L"勾选全部显示的应用（0 个）", L"取消勾选全部显示的应用（0 个）"},
    };
    for (const auto& test : cases) {
        window.setSearchText(test.search);
        if (test.tickFirstRow) {
            window.setRowChecked(0, true);
        }
        const OwnedMenu menu = buildListContextMenu(state());
        ASSERT_TRUE(menu);
        EXPECT_EQ(GetMenuItemCount(menu.get()), 4) << "the two, a separator and the ticked-only filter";
        for (const auto& [id, label] : {std::pair{tickAllShownId, test.tickItem}, {untickAllShownId, test.untickItem}}) {
            wchar_t text[64] = {};
            GetMenuStringW(menu.get(), static_cast<UINT>(id), text, 64, MF_BYCOMMAND);
            EXPECT_STREQ(text, label);
            const bool greyed = (GetMenuState(menu.get(), static_cast<UINT>(id), MF_BYCOMMAND) & MF_GRAYED) != 0;
            EXPECT_EQ(greyed, std::wstring_view(label).find(L"（0 个）") != std::wstring_view::npos) << id;
        }
    }
    const std::wstring before = status();
    window.command(tickAllShownId, 0);
    EXPECT_EQ(status(), before) << "nothing to change";
    window.command(showOnlyTickedId, 0);
    EXPECT_TRUE(GetMenuState(buildListContextMenu(state()).get(), showOnlyTickedId, MF_BYCOMMAND) & MF_CHECKED);
}

// The menu opened from the keyboard (Shift+F10, the menu key) appears at the
// focused row; its first item, chosen with the keys, ticks every shown row.
TEST_F(Commands, MenuFromTheKeyboardOpensAtTheFocusedRowAndItsItemsTick)
{
    TestWindow& window = openCatalog();
    SetWindowPos(state().window, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
    window.command(moreAppsButtonId);
    setRowState(state().appList, 1, LVIS_FOCUSED, LVIS_FOCUSED);
    RECT row = {};
    row.left = LVIR_BOUNDS;
    SendMessageW(state().appList, LVM_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&row));
    MapWindowPoints(state().appList, nullptr, reinterpret_cast<POINT*>(&row), 2);

    RECT menuPlace = {};
    std::thread chooser([&menuPlace] {
        for (int attempt = 0; attempt < 500; ++attempt) {
            HWND menu = FindWindowW(L"#32768", nullptr);
            if (menu && IsWindowVisible(menu)) {
                GetWindowRect(menu, &menuPlace);
                PostMessageW(menu, WM_KEYDOWN, VK_DOWN, 0);
                PostMessageW(menu, WM_KEYDOWN, VK_RETURN, 0);
                return;
            }
            Sleep(10);
        }
    });
    SendMessageW(state().window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(state().appList), MAKELPARAM(-1, -1));
    chooser.join();
    pumpMessages();

    EXPECT_EQ(menuPlace.left, row.left);
    EXPECT_EQ(menuPlace.top, row.bottom);
    EXPECT_EQ(exemptFlags(), (std::vector<bool>{true, true, false}));
}

} // namespace
