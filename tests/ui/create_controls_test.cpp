#include "support/catalog_fixture.h"

#include <commctrl.h>

namespace {

using CreateControls = CatalogTest;

RECT clientRectOf(HWND control)
{
    RECT rect = {};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

struct ExpectedControl {
    HWND WindowState::*field;
    const wchar_t* className;
    const wchar_t* text;
    DWORD extendedStyle;
    DWORD style;
    RECT place;
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
        {&WindowState::titleLabel, L"Static", L"Windows 系统回环代理设置", 0, 0x50000000, {40, 24, 670, 60}, 0, titleFont},
        {&WindowState::subtitleLabel, L"Static", L"开启后，微软商店的应用可以使用本机代理。", 0, 0x50000000,
         {40, 64, 670, 88}, 0, subtitleFont},
        {&WindowState::recommendedCheck, L"Button", L"ChatGPT（推荐）", 0, 0x50010003, {48, 110, 648, 148}, 1001,
         bodyFont},
        {&WindowState::moreAppsButton, L"Button", L"选择其他应用  ▼", 0, 0x5001000B, {28, 180, 206, 220}, 1002,
         buttonFont},
        {&WindowState::refreshButton, L"Button", L"刷新", 0, 0x5001000B, {218, 180, 308, 220}, 1005, buttonFont},
        {&WindowState::applyButton, L"Button", L"应用设置", 0, 0x5001000B, {540, 180, 676, 220}, 1006, buttonFont},
        {&WindowState::searchEdit, L"Edit", L"", WS_EX_CLIENTEDGE, 0x50810080, {28, 246, 676, 284}, 1003, bodyFont},
        {&WindowState::appList, L"SysListView32", L"", WS_EX_CLIENTEDGE, 0x5081000D, {28, 298, 676, 602}, 1004,
         bodyFont},
        {&WindowState::statusLabel, L"Static", L"读取当前设置失败：Access denied.", 0, 0x50000280, {40, 240, 664, 280},
         1007, statusFont},
        {&WindowState::closeButton, L"Button", L"关闭", 0, 0x5001000B, {576, 620, 676, 660}, 2, buttonFont},
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
        // Compact mode hides three controls; the failed load disables apply.
        const DWORD visibility = (control.id == 1003 || control.id == 1004 || control.id == 2) ? WS_VISIBLE : 0;
        const DWORD disabled = control.id == 1006 ? WS_DISABLED : 0;
        EXPECT_EQ(static_cast<DWORD>(GetWindowLongPtrW(handle, GWL_STYLE)), (control.style & ~visibility) | disabled)
            << windowText(handle);
        const RECT place = clientRectOf(handle);
        EXPECT_EQ(place.left, control.place.left) << windowText(handle);
        EXPECT_EQ(place.top, control.place.top) << windowText(handle);
        EXPECT_EQ(place.right, control.place.right) << windowText(handle);
        EXPECT_EQ(place.bottom, control.place.bottom) << windowText(handle);
        EXPECT_EQ(GetDlgCtrlID(handle), control.id);
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(handle, WM_GETFONT, 0, 0)), control.font(state()));
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr);
    EXPECT_EQ(state().advancedControls, (std::vector<HWND>{state().searchEdit, state().appList, state().closeButton}));
}

TEST_F(CreateControls, StartsCompactWith720By360Window)
{
    open();
    RECT window = {};
    GetWindowRect(state().window, &window);
    EXPECT_EQ(window.right - window.left, 720);
    EXPECT_EQ(window.bottom - window.top, 360);
    EXPECT_FALSE(state().expanded);
    EXPECT_FALSE(IsWindowVisible(state().searchEdit));
    EXPECT_EQ(GetWindowLongPtrW(state().window, GWL_STYLE) & 0x00CF0000, 0x00CA0000);
    EXPECT_EQ(windowText(state().window), L"Orva - Windows 系统回环代理设置");
}

TEST_F(CreateControls, ListHasOneColumnCheckBoxesAndItsColours)
{
    open();
    HWND list = state().appList;
    EXPECT_EQ(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & 0x00010024, 0x00010024);
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0), 615);
    wchar_t heading[32] = {};
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT;
    column.pszText = heading;
    column.cchTextMax = 32;
    ASSERT_TRUE(SendMessageW(list, LVM_GETCOLUMNW, 0, reinterpret_cast<LPARAM>(&column)));
    EXPECT_STREQ(heading, L"应用");
    EXPECT_FALSE(SendMessageW(list, LVM_GETCOLUMNW, 1, reinterpret_cast<LPARAM>(&column)));
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    EXPECT_EQ(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0), 1);
    EXPECT_EQ(SendMessageW(list, LVM_GETBKCOLOR, 0, 0), 0xFFFFFF);
    EXPECT_EQ(SendMessageW(list, LVM_GETTEXTBKCOLOR, 0, 0), 0xFFFFFF);
    EXPECT_EQ(SendMessageW(list, LVM_GETTEXTCOLOR, 0, 0), 0x2A170F);
}

TEST_F(CreateControls, SearchBoxShowsACueThatIsNotItsText)
{
    open();
    wchar_t cue[32] = {};
    ASSERT_TRUE(SendMessageW(state().searchEdit, EM_GETCUEBANNER, reinterpret_cast<WPARAM>(cue), 32));
    EXPECT_STREQ(cue, L"搜索应用");
    EXPECT_EQ(windowText(state().searchEdit), L"");
}

TEST_F(CreateControls, FontsAreTheOneFaceAtFiveSizes)
{
    open();
    const std::pair<HFONT, std::pair<LONG, LONG>> fonts[] = {
        {state().bodyFont.get(), {-16, 400}},   {state().titleFont.get(), {-25, 600}},
        {state().subtitleFont.get(), {-15, 400}}, {state().buttonFont.get(), {-16, 600}},
        {state().statusFont.get(), {-14, 400}},
    };
    for (const auto& [font, expected] : fonts) {
        LOGFONTW description = {};
        ASSERT_EQ(GetObjectW(font, sizeof(description), &description), static_cast<int>(sizeof(description)));
        EXPECT_EQ(description.lfHeight, expected.first);
        EXPECT_EQ(description.lfWeight, expected.second);
        EXPECT_STREQ(description.lfFaceName, L"Microsoft YaHei UI");
        EXPECT_EQ(description.lfQuality, CLEARTYPE_QUALITY);
        EXPECT_EQ(description.lfCharSet, DEFAULT_CHARSET);
    }
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

    window.command(1002);
    EXPECT_EQ(nextTabStop(state().applyButton), state().searchEdit);
    EXPECT_EQ(nextTabStop(state().searchEdit), state().appList);
    EXPECT_EQ(nextTabStop(state().appList), state().closeButton);
    EXPECT_EQ(nextTabStop(state().closeButton), state().recommendedCheck);
}

} // namespace
