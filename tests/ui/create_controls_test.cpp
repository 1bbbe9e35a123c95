#include "support/catalog_fixture.h"
#include "support/program_texts.h"
#include "ui/window_layout.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace {

using CreateControls = CatalogTest;

struct ExpectedControl {
    HWND WindowState::*field;
    const wchar_t* className;
    std::wstring text;
    DWORD extendedStyle;
    DWORD style;
    Box place;
    int id;
    HFONT (*font)(const WindowState&);
};

HFONT bodyFont(const WindowState& state) { return state.bodyFont.get(); }
HFONT titleFont(const WindowState& state) { return state.titleFont.get(); }
HFONT subtitleFont(const WindowState& state) { return state.subtitleFont.get(); }
HFONT buttonFont(const WindowState& state) { return state.buttonFont.get(); }
HFONT statusFont(const WindowState& state) { return state.statusFont.get(); }

TEST_F(CreateControls, EveryControlHasItsClassTextStyleIdFontAndCreationOrder)
{
    fake().getConfigResult = ERROR_ACCESS_DENIED;  // keeps the creation texts
    open();
    const ExpectedControl expected[] = {
        {&WindowState::titleLabel, L"Static", texts::title, 0, 0x50000000, layout::titleLabel, 0, titleFont},
        {&WindowState::subtitleLabel, L"Static", texts::subtitle, 0, 0x50000000, layout::subtitleLabel, 0,
         subtitleFont},
        {&WindowState::recommendedCheck, L"Button", texts::recommendedFound, 0, 0x50010003, layout::recommendedCheck,
         recommendedCheckId, bodyFont},
        {&WindowState::moreAppsButton, L"Button", texts::moreAppsCollapsed, 0, 0x5001000B, layout::moreAppsButton,
         moreAppsButtonId, buttonFont},
        {&WindowState::refreshButton, L"Button", texts::refresh, 0, 0x5001000B, layout::refreshButton,
         refreshButtonId, buttonFont},
        {&WindowState::applyButton, L"Button", texts::apply, 0, 0x5001000B, layout::applyButton, applyButtonId,
         buttonFont},
        {&WindowState::searchEdit, L"Edit", L"", WS_EX_CLIENTEDGE, 0x50810080, layout::searchEdit, searchEditId,
         bodyFont},
        {&WindowState::emptyListText, L"Static", texts::noMatchingApps, 0, 0x40000081, layout::emptyListText,
         emptyListTextId, bodyFont},
        {&WindowState::appList, L"SysListView32", L"", WS_EX_CLIENTEDGE, 0x5481100D, layout::appList, appListId,
         bodyFont},
        {&WindowState::statusLabel, L"Static", texts::readConfigFailed + systemText(ERROR_ACCESS_DENIED), 0,
         0x50004380, layout::compactStatusLabel, statusLabelId, statusFont},
        {&WindowState::closeButton, L"Button", texts::close, 0, 0x5001000B, layout::closeButton, closeButtonId,
         buttonFont},
    };

    HWND child = GetWindow(state().window, GW_CHILD);
    for (const ExpectedControl& control : expected) {
        HWND handle = state().*control.field;
        ASSERT_EQ(child, handle) << "creation order";
        wchar_t className[64] = {};
        GetClassNameW(handle, className, 64);
        EXPECT_EQ(_wcsicmp(className, control.className), 0) << className;
        EXPECT_EQ(windowText(handle), control.text);
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(handle, GWL_EXSTYLE)) & ~DWORD{WS_EX_NOPARENTNOTIFY},
                  control.extendedStyle)
            << className;
        // Compact mode hides three controls; the failed load disables apply,
        // and the recommended box stays disabled with no app bound to it.
        const DWORD visibility =
            (control.id == searchEditId || control.id == appListId || control.id == closeButtonId) ? WS_VISIBLE : 0;
        const DWORD disabled = (control.id == applyButtonId || control.id == recommendedCheckId) ? WS_DISABLED : 0;
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(handle, GWL_STYLE)), (control.style & ~visibility) | disabled)
            << windowText(handle);
        const RECT place = clientRectOf(handle);
        EXPECT_EQ(place.left, control.place.x) << windowText(handle);
        EXPECT_EQ(place.top, control.place.y) << windowText(handle);
        EXPECT_EQ(place.right, control.place.x + control.place.width) << windowText(handle);
        EXPECT_EQ(place.bottom, control.place.y + control.place.height) << windowText(handle);
        EXPECT_EQ(GetDlgCtrlID(handle), control.id);
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(handle, WM_GETFONT, 0, 0)), control.font(state()));
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr);
    EXPECT_EQ(state().advancedControls, (std::vector<HWND>{state().searchEdit, state().appList, state().closeButton}));
}

TEST_F(CreateControls, StartsCompact)
{
    open();
    EXPECT_EQ(clientSizeOf(state().window).cx, layout::clientWidth);
    EXPECT_EQ(clientSizeOf(state().window).cy, layout::compactClientHeight);
    EXPECT_FALSE(state().expanded);
    EXPECT_FALSE(IsWindowVisible(state().searchEdit));
    // WS_CLIPCHILDREN: a resize paints no surface over the controls.
    EXPECT_EQ(GetWindowLongPtrW(state().window, GWL_STYLE) & 0x02CF0000, 0x02CA0000);
    EXPECT_EQ(windowText(state().window), texts::windowCaption);
}

TEST_F(CreateControls, ListHasOneColumnCheckBoxesAndItsColours)
{
    open();
    HWND list = state().appList;
    // Check boxes, full-row selection, double buffering, and a tooltip for a
    // name the column cuts.
    EXPECT_EQ(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & 0x00014024, 0x00014024);
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), layout::appListColumnWidth);
    wchar_t heading[32] = {};
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT;
    column.pszText = heading;
    column.cchTextMax = 32;
    ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(heading, texts::appColumn);
    EXPECT_FALSE(SendMessageW(list, LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column)));
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageW(list, LVM_GETBKCOLOR, 0, 0), palette::white);
    EXPECT_EQ(SendMessageW(list, LVM_GETTEXTBKCOLOR, 0, 0), palette::white);
    EXPECT_EQ(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0), palette::mainText);
}

// The line ends a cut text in "…" (SS_ENDELLIPSIS, checked with the other
// styles above); its tooltip holds the whole text, and only a cut one.
TEST_F(CreateControls, TheStatusLineShowsACutTextWholeInItsTooltip)
{
    TestWindow& window = open();
    // What the tooltip is told when it asks, as it does before it shows.
    const auto tip = [&] {
        NMTTDISPINFOW request = {};
        request.hdr.hwndFrom = state().statusTip;
        request.hdr.code = TTN_GETDISPINFOW;
        request.hdr.idFrom = reinterpret_cast<UINT_PTR>(state().statusLabel);
        request.uFlags = TTF_IDISHWND;
        SendMessageW(state().window, WM_NOTIFY, request.hdr.idFrom, reinterpret_cast<LPARAM>(&request));
        return std::wstring(request.lpszText ? request.lpszText : L"");
    };
    EXPECT_EQ(SendMessageW(state().statusTip, TTM_GETTOOLCOUNT, 0, 0), 1);
    EXPECT_EQ(tip(), L"") << "the text of the failed load fits";

    const std::wstring refused = L"设置已保存，但系统拒绝了 3 个应用：" + std::wstring(40, L'名') + L"。";
    SetWindowTextW(state().statusLabel, refused.c_str());
    EXPECT_EQ(tip(), refused);

    // 40 ideographs of a 14-pixel font fit the compact line (624 pixels),
    // not the expanded one (516).
    const std::wstring middle(40, L'字');
    SetWindowTextW(state().statusLabel, middle.c_str());
    EXPECT_EQ(tip(), L"");
    window.command(moreAppsButtonId);
    EXPECT_EQ(tip(), middle);
    window.command(moreAppsButtonId);
    EXPECT_EQ(tip(), L"");
}

// As where the tooltip class was never registered.
LRESULT CALLBACK refuseTooltips(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_CREATEWND) {
        const auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
        if (!IS_INTRESOURCE(create->lpcs->lpszClass) && _wcsicmp(create->lpcs->lpszClass, TOOLTIPS_CLASSW) == 0) {
            return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(CreateControls, TheStatusLineWorksOnWithoutItsTooltip)
{
    addApp(1, L"Alpha");
    HHOOK hook = SetWindowsHookExW(WH_CBT, &refuseTooltips, nullptr, GetCurrentThreadId());
    TestWindow& window = open();
    UnhookWindowsHookEx(hook);
    ASSERT_NE(window.window(), nullptr);
    EXPECT_EQ(state().statusTip, nullptr);
    EXPECT_EQ(status(), loadedStatus(1));

    const std::wstring cut(80, L'字');
    SetWindowTextW(state().statusLabel, cut.c_str());
    EXPECT_EQ(status(), cut);
    EXPECT_EQ(accessibility().events.back().text, cut);
    NMHDR request = {nullptr, 0, static_cast<UINT>(TTN_GETDISPINFOW)};
    EXPECT_EQ(SendMessageW(state().window, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&request)), 0);
}

// Names only where no text names the control; the annotations fail here
// (E_NOTIMPL, as under Wine) and the window was built all the same.
TEST_F(CreateControls, SearchBoxAndListAreNamedAndTheStatusLineIsAPoliteLiveRegion)
{
    open();
    // PROPID_ACC_NAME of oleacc.h and LiveSetting_Property_GUID of the
    // Windows SDK's uiautomationclient.h, as documented.
    constexpr GUID name = {0x608d3df8, 0x8128, 0x4aa7, {0xa4, 0x28, 0xf5, 0x5e, 0x49, 0x26, 0x72, 0x91}};
    constexpr GUID liveSetting = {0xc12bcd8e, 0x2a8e, 0x4950, {0x8a, 0xe7, 0x36, 0x25, 0x11, 0x1d, 0x58, 0xeb}};
    const std::vector<FakeAccessibility::Annotation>& annotations = accessibility().annotations;
    ASSERT_EQ(annotations.size(), 4u);
    const auto annotationOf = [&](HWND window) {
        const auto found = std::find_if(annotations.begin(), annotations.end(),
                                        [&](const FakeAccessibility::Annotation& each) { return each.window == window; });
        return found == annotations.end() ? FakeAccessibility::Annotation{} : *found;
    };
    const FakeAccessibility::Annotation search = annotationOf(state().searchEdit);
    const FakeAccessibility::Annotation list = annotationOf(state().appList);
    const FakeAccessibility::Annotation statusLine = annotationOf(state().statusLabel);
    const FakeAccessibility::Annotation emptyListText = annotationOf(state().emptyListText);
    EXPECT_TRUE(IsEqualGUID(search.property, name));
    EXPECT_EQ(search.text, texts::searchCue);
    EXPECT_TRUE(IsEqualGUID(list.property, name));
    EXPECT_EQ(list.text, texts::appColumn);
    EXPECT_TRUE(IsEqualGUID(statusLine.property, liveSetting));
    EXPECT_EQ(statusLine.value.vt, VT_I4);
    EXPECT_EQ(statusLine.value.lVal, 1) << "Polite";
    EXPECT_TRUE(IsEqualGUID(emptyListText.property, liveSetting));
    EXPECT_EQ(emptyListText.value.lVal, 1) << "Polite";
    for (const FakeAccessibility::Annotation& annotation : {search, list, statusLine, emptyListText}) {
        EXPECT_EQ(annotation.objectId, static_cast<DWORD>(OBJID_CLIENT));
        EXPECT_EQ(annotation.childId, static_cast<DWORD>(CHILDID_SELF));
    }
    EXPECT_EQ(status(), loadedStatus(0));
}

TEST_F(CreateControls, EveryChangeOfTheStatusTextIsAnnouncedOnceWhenItIsInPlace)
{
    addApp(1, L"Alpha");
    addApp(2, L"Beta");
    TestWindow& window = open();
    std::vector<FakeAccessibility::Event>& events = accessibility().events;
    ASSERT_EQ(events.size(), 1u) << "the first load's outcome";
    EXPECT_EQ(events[0].event, static_cast<DWORD>(EVENT_OBJECT_LIVEREGIONCHANGED));
    EXPECT_EQ(events[0].window, state().statusLabel);
    EXPECT_EQ(events[0].objectId, OBJID_CLIENT);
    EXPECT_EQ(events[0].childId, CHILDID_SELF);
    EXPECT_EQ(events[0].text, loadedStatus(2));

    // Reading, then read again: two changes, though the text ends as it was.
    events.clear();
    window.command(refreshButtonId);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].text, texts::loading);
    EXPECT_EQ(events[1].text, loadedStatus(2));

    // The second tick leaves the text as the first made it.
    events.clear();
    window.setRowChecked(0, true);
    window.setRowChecked(1, true);
    SetWindowTextW(state().statusLabel, texts::settingsChanged);
    std::erase_if(events, [&](const auto& event) { return event.window != state().statusLabel; });  // the rows'
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].text, texts::settingsChanged);
}

TEST_F(CreateControls, SearchBoxShowsACueThatIsNotItsText)
{
    open();
    wchar_t cue[32] = {};
    ASSERT_TRUE(SendMessageW(state().searchEdit, EM_GETCUEBANNER, reinterpret_cast<WPARAM>(cue), 32));
    EXPECT_STREQ(cue, texts::searchCue);
    EXPECT_EQ(windowText(state().searchEdit), L"");
}

TEST_F(CreateControls, FontsAreTheOneFaceAtFiveSizes)
{
    open();
    const std::pair<HFONT, FontLook> uiFonts[] = {
        {state().bodyFont.get(), fonts::body},         {state().titleFont.get(), fonts::title},
        {state().subtitleFont.get(), fonts::subtitle}, {state().buttonFont.get(), fonts::button},
        {state().statusFont.get(), fonts::status},
    };
    for (const auto& [font, expected] : uiFonts) {
        LOGFONTW description = {};
        ASSERT_EQ(GetObjectW(font, sizeof(description), &description), static_cast<int>(sizeof(description)));
        // A negative height asks for the character height, not the cell's.
        EXPECT_EQ(description.lfHeight, -expected.height);
        EXPECT_EQ(description.lfWeight, expected.weight);
        EXPECT_STREQ(description.lfFaceName, fonts::face);
        EXPECT_EQ(description.lfQuality, CLEARTYPE_QUALITY);
        EXPECT_EQ(description.lfCharSet, DEFAULT_CHARSET);
    }
}

// At 150 % every control's box, the list's column, the icons and the five
// fonts are half as large again as at 100 %, to the nearest pixel: nothing is
// stretched as a bitmap. (The frame here keeps the test process's DPI; the
// client area at 150 % is checked end to end.)
TEST_F(CreateControls, EveryBoxAndFontScalesWithTheDpi)
{
    TestWindow& window = open();
    const auto measure = [&] {
        std::vector<LONG> sizes = {static_cast<LONG>(SendMessageW(state().appList, LVM_GETCOLUMNWIDTH, 0, 0))};
        for (HWND child = GetWindow(window.window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            const RECT box = clientRectOf(child);
            sizes.insert(sizes.end(), {box.left, box.top, box.right, box.bottom});
        }
        for (HFONT font : {state().bodyFont.get(), state().titleFont.get(), state().subtitleFont.get(),
                           state().buttonFont.get(), state().statusFont.get(),
                           reinterpret_cast<HFONT>(SendMessageW(state().statusTip, WM_GETFONT, 0, 0))}) {
            LOGFONTW description = {};
            GetObjectW(font, sizeof(description), &description);
            sizes.push_back(description.lfHeight);
        }
        for (WPARAM icon : {ICON_SMALL, ICON_BIG}) {
            sizes.push_back(iconSize(reinterpret_cast<HICON>(SendMessageW(window.window(), WM_GETICON, icon, 0))).cx);
        }
        return sizes;
    };
    const std::vector<LONG> normal = measure();
    EXPECT_TRUE(window.changeDpi(144)) << "in the size it asked for";
    const std::vector<LONG> larger = measure();

    EXPECT_EQ(std::vector(normal.end() - 2, normal.end()),
              (std::vector<LONG>{GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CXICON)}))
        << "the caption's and the taskbar's icon";
    ASSERT_EQ(larger.size(), normal.size());
    for (std::size_t i = 0; i < normal.size(); ++i) {
        EXPECT_LE(std::abs(2 * larger[i] - 3 * normal[i]), 1) << i;
    }
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(state().titleLabel, WM_GETFONT, 0, 0)), state().titleFont.get());
}

// What the layout is for: in either mode every shown control lies inside the
// client area, no two overlap, and the status line sits on its card.
TEST_F(CreateControls, ShownControlsFitTheClientAreaApartFromEachOtherInBothModes)
{
    TestWindow& window = open();
    ShowWindow(window.window(), SW_SHOW);
    for (bool expanded : {false, true}) {
        if (expanded) {
            window.command(moreAppsButtonId);
        }
        RECT client = {};
        GetClientRect(window.window(), &client);
        std::vector<std::pair<HWND, RECT>> shown;
        for (HWND child = GetWindow(window.window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            if (IsWindowVisible(child)) {
                shown.emplace_back(child, clientRectOf(child));
            }
        }
        for (std::size_t i = 0; i < shown.size(); ++i) {
            const RECT& place = shown[i].second;
            EXPECT_TRUE(place.left >= 0 && place.top >= 0 && place.right <= client.right &&
                        place.bottom <= client.bottom)
                << windowText(shown[i].first) << " expanded " << expanded;
            for (std::size_t j = i + 1; j < shown.size(); ++j) {
                RECT overlap = {};
                EXPECT_FALSE(IntersectRect(&overlap, &place, &shown[j].second))
                    << windowText(shown[i].first) << " and " << windowText(shown[j].first);
            }
        }
        const RECT card = expanded ? layout::expandedStatusCard : layout::compactStatusCard;
        const RECT status = clientRectOf(state().statusLabel);
        RECT inside = {};
        IntersectRect(&inside, &status, &card);
        EXPECT_TRUE(EqualRect(&inside, &status)) << "expanded " << expanded;
    }
}

// At the size it opens with, the window is laid out as the table says; 100
// pixels wider and 50 higher, what spans it widens, "应用设置" and the close
// button follow the right edge, and the list takes the height, with what lies
// below it following the bottom edge.
TEST(WindowLayout, GivesTheTablesPlacesAtTheDesignedSizeAndExtraRoomToTheListAndTheEdges)
{
    const UINT dpi = USER_DEFAULT_SCREEN_DPI;
    const WindowLayout designed = windowLayoutFor(true, {layout::clientWidth, layout::expandedClientHeight}, dpi);
    const WindowLayout larger =
        windowLayoutFor(true, {layout::clientWidth + 100, layout::expandedClientHeight + 50}, dpi);
    struct Anchor {
        Box WindowLayout::*place;
        Box table;
        int right, down, wider, taller;
    };
    const Anchor anchors[] = {
        {&WindowLayout::titleLabel, layout::titleLabel, 0, 0, 100, 0},
        {&WindowLayout::subtitleLabel, layout::subtitleLabel, 0, 0, 100, 0},
        {&WindowLayout::recommendedCheck, layout::recommendedCheck, 0, 0, 100, 0},
        {&WindowLayout::moreAppsButton, layout::moreAppsButton, 0, 0, 0, 0},
        {&WindowLayout::refreshButton, layout::refreshButton, 0, 0, 0, 0},
        {&WindowLayout::applyButton, layout::applyButton, 100, 0, 0, 0},
        {&WindowLayout::searchEdit, layout::searchEdit, 0, 0, 100, 0},
        {&WindowLayout::emptyListText, layout::emptyListText, 0, 0, 100, 0},
        {&WindowLayout::appList, layout::appList, 0, 0, 100, 50},
        {&WindowLayout::statusLabel, layout::expandedStatusLabel, 0, 50, 100, 0},
        {&WindowLayout::closeButton, layout::closeButton, 100, 50, 0, 0},
    };
    const auto edges = [](const Box& box) { return std::vector<int>{box.x, box.y, box.width, box.height}; };
    for (const Anchor& anchor : anchors) {
        const Box& table = anchor.table;
        EXPECT_EQ(edges(designed.*anchor.place), edges(table)) << &anchor - anchors;
        EXPECT_EQ(edges(larger.*anchor.place), edges({table.x + anchor.right, table.y + anchor.down,
                                                      table.width + anchor.wider, table.height + anchor.taller}))
            << &anchor - anchors;
    }
    EXPECT_EQ(designed.appListColumnWidth, layout::appListColumnWidth);
    EXPECT_EQ(larger.appListColumnWidth, layout::appListColumnWidth + 100);
    const RECT recommendedCard = {layout::recommendedCard.left, layout::recommendedCard.top,
                                  layout::recommendedCard.right + 100, layout::recommendedCard.bottom};
    const RECT statusCard = {layout::expandedStatusCard.left, layout::expandedStatusCard.top + 50,
                             layout::expandedStatusCard.right + 100, layout::expandedStatusCard.bottom + 50};
    EXPECT_TRUE(EqualRect(&designed.statusCard, &layout::expandedStatusCard));
    EXPECT_TRUE(EqualRect(&larger.recommendedCard, &recommendedCard));
    EXPECT_TRUE(EqualRect(&larger.statusCard, &statusCard));
    EXPECT_EQ(edges(windowLayoutFor(false, {layout::clientWidth, layout::compactClientHeight}, dpi).statusLabel),
              edges(layout::compactStatusLabel));
}

TEST_F(CreateControls, TabMovesAmongVisibleControlsInCreationOrder)
{
    addApp(1, L"ChatGPT", L"OpenAI.Codex_2p2nqsd0c76g0");  // a disabled check box is no tab stop
    TestWindow& window = open();
    ShowWindow(window.window(), SW_SHOW);
    const auto nextTabStop = [&](HWND from) { return GetNextDlgTabItem(window.window(), from, FALSE); };

    EXPECT_EQ(nextTabStop(state().recommendedCheck), state().moreAppsButton);
    EXPECT_EQ(nextTabStop(state().moreAppsButton), state().refreshButton);
    EXPECT_EQ(nextTabStop(state().refreshButton), state().applyButton);
    EXPECT_EQ(nextTabStop(state().applyButton), state().recommendedCheck);

    window.command(moreAppsButtonId);
    EXPECT_EQ(nextTabStop(state().applyButton), state().searchEdit);
    EXPECT_EQ(nextTabStop(state().searchEdit), state().appList);
    EXPECT_EQ(nextTabStop(state().appList), state().closeButton);
    EXPECT_EQ(nextTabStop(state().closeButton), state().recommendedCheck);
}

} // namespace
