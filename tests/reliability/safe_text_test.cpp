#include "support/window_checks.h"
#include "store/error_text.h"
#include "support/catalog_fixture.h"
#include "support/dib_canvas.h"
#include "support/draw_text_recorder.h"

#include <commctrl.h>

#include <set>

namespace {

int textWidth(HFONT font, const std::wstring& text)
{
    HDC context = CreateCompatibleDC(nullptr);
    const HGDIOBJ previous = SelectObject(context, font);
    SIZE size = {};
    GetTextExtentPoint32W(context, text.c_str(), static_cast<int>(text.size()), &size);
    SelectObject(context, previous);
    DeleteDC(context);
    return size.cx;
}

RECT clientRect(HWND window)
{
    RECT rect = {};
    GetClientRect(window, &rect);
    return rect;
}

class SafeText : public CatalogTest {
protected:
    // Expanded and shown at the screen's corner, so that every control is on screen.
    TestWindow& openShownExpanded()
    {
        TestWindow& window = open();
        window.command(moreAppsButtonId);
        SetWindowPos(window.window(), HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        return window;
    }

    std::multiset<std::wstring> rowTexts(const TestWindow& window)
    {
        std::multiset<std::wstring> texts;
        for (int row = 0; row < window.rowCount(); ++row) {
            texts.insert(fullRowText(state().appList, row));
        }
        return texts;
    }
};

TEST_F(SafeText, SystemMessagesWithInsertsAreNeverFormatted)
{
    // Formatting these would read arguments that do not exist. Wine and
    // Windows word them differently; both keep the inserts.
    EXPECT_NE(errorText(ERROR_BAD_EXE_FORMAT).find(L"%1"), std::wstring::npos);
    const std::wstring notFound = errorText(ERROR_MR_MID_NOT_FOUND);
    EXPECT_NE(notFound.find(L"0x%1"), std::wstring::npos) << testing::PrintToString(notFound);
    EXPECT_NE(notFound.find(L"%2"), std::wstring::npos) << testing::PrintToString(notFound);
}

TEST_F(SafeText, AmpersandsInRowsAndTheStatusLineAreDrawnAsThemselves)
{
    const std::wstring ampersands(10, L'&');
    addApp(1, ampersands);
    addApp(2, L"R&D");
    TestWindow& window = openShownExpanded();
    // The status line shows the system's messages, which may hold ampersands.
    SetWindowTextW(state().statusLabel, ampersands.c_str());
    ASSERT_EQ(window.rowCount(), 2);
    EXPECT_EQ(fullRowText(state().appList, 0), ampersands);
    EXPECT_EQ(fullRowText(state().appList, 1), L"R&D");

    // Read as prefixes, ten ampersands would draw as five.
    const RECT listArea = clientRect(state().appList);
    DibCanvas list(listArea.right, listArea.bottom);
    list.capture(state().appList);
    RECT label = {};
    label.left = LVIR_LABEL;
    ASSERT_TRUE(SendMessageW(state().appList, LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&label)));
    const auto listFont = reinterpret_cast<HFONT>(SendMessageW(state().appList, WM_GETFONT, 0, 0));
    EXPECT_GT(list.inkWidth(label, palette::white), textWidth(listFont, ampersands) * 3 / 4) << "list row";

    const RECT statusArea = clientRect(state().statusLabel);
    DibCanvas status(statusArea.right, statusArea.bottom);
    status.capture(state().statusLabel);
    EXPECT_GT(status.inkWidth(statusArea, palette::panel), textWidth(state().statusFont.get(), ampersands) * 3 / 4)
        << "status line";
}

TEST_F(SafeText, RowsShowEveryNameWholeAndTheSearchFindsThem)
{
    const std::vector<std::wstring> names = {
        L"tab\there",
        L"line\r\nbreak",
        std::wstring(L"\x01\x1F\x7F") + L"control",
        L"%s%n%p%1%% percent",
        std::wstring(100000, L'W'),
        std::wstring(L"lone ") + L'\xD800' + L" high",
        std::wstring(L"lone ") + L'\xDC00' + L" low",
    };
    for (unsigned i = 0; i < names.size(); ++i) {
        addApp(i + 1, names[i]);
    }
    TestWindow& window = openShownExpanded();
    UpdateWindow(window.window());

    EXPECT_TRUE(rowTexts(window) == std::multiset<std::wstring>(names.begin(), names.end()));
    expectWindowInvariants(window);

    const std::pair<std::wstring, std::wstring> searches[] = {
        {L"%N", names[3]},
        {L"\t", names[0]},
        {L"\r\n", names[1]},
        {L"\x7F", names[2]},
        {std::wstring(1, L'\xD800'), names[5]},
        {L"ww", names[4]},
    };
    for (const auto& [search, found] : searches) {
        window.setSearchText(search);
        UpdateWindow(window.window());
        EXPECT_TRUE(rowTexts(window) == std::multiset<std::wstring>{found}) << "search " << search.size() << " units";
        expectWindowInvariants(window);
    }
}

TEST_F(SafeText, OnlyTheFirst255UnitsOfTheSearchTextCount)
{
    const std::wstring first255 = std::wstring(255, L'a') + L"X";
    const std::wstring first254 = std::wstring(254, L'a') + L"Y";
    const std::wstring longer = std::wstring(300, L'a');
    addApp(1, first255);
    addApp(2, first254);
    addApp(3, longer);
    TestWindow& window = open();

    window.setSearchText(std::wstring(255, L'A') + std::wstring(100000, L'b'));
    EXPECT_TRUE(rowTexts(window) == (std::multiset<std::wstring>{first255, longer}));

    window.setSearchText(std::wstring(254, L'a') + L"y" + std::wstring(50000, L'%'));
    EXPECT_TRUE(rowTexts(window) == std::multiset<std::wstring>{first254});
    expectWindowInvariants(window);
}

TEST_F(SafeText, ButtonLabelsAreDrawnVerbatimUpTo127Units)
{
    open();
    DrawTextRecorder recorder;
    DibCanvas canvas(200, 50);
    const std::wstring odd = L"&Save %s%n%1\t&&";
    const std::pair<std::wstring, std::wstring> labels[] = {
        {odd, odd},
        {std::wstring(127, L'x'), std::wstring(127, L'x')},
        {std::wstring(127, L'y') + L"tail", std::wstring(127, L'y')},
        {std::wstring(5000, L'&'), std::wstring(127, L'&')},
    };
    for (HWND button : {state().moreAppsButton, state().refreshButton, state().applyButton, state().closeButton}) {
        for (const auto& [label, drawn] : labels) {
            SetWindowTextW(button, label.c_str());
            recorder.calls.clear();
            drawButtonInto(canvas, button, 0);

            ASSERT_EQ(recorder.calls.size(), 1u);
            EXPECT_EQ(recorder.calls[0].text, drawn);
            EXPECT_TRUE(recorder.calls[0].format & DT_NOPREFIX);
        }
    }
}

} // namespace
