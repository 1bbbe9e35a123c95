#pragma once

// The window in one table: the geometry of both modes, the palettes, the fonts
// and every text the program shows, each written once. Geometry and font
// sizes are in 96-DPI units in client coordinates; ui/window_layout.h scales
// them for the DPI of the window's monitor.

#include <windows.h>

#include <commctrl.h>

struct Box {
    int x;
    int y;
    int width;
    int height;
};

namespace layout {

// The client area the layout is drawn for, the size the window opens with.
// The outer size follows from it and the frame the system draws at the
// window's DPI, so that no frame covers the layout; under Wine's 96-DPI frame
// (3 pixels, with a 19-pixel caption) the compact window is 720 x 360.
//
// The expanded window can be made larger. The boxes below are its places at
// this size; a larger client area gives its extra width to the controls and
// cards that span the window (the list's column with them) and moves
// "应用设置" and the close button with the right edge, and its extra height to
// the list, with the status card, the status line and the close button moving
// with the bottom edge. Everything else keeps its place.
inline constexpr int clientWidth = 714;
inline constexpr int compactClientHeight = 335;
inline constexpr int expandedClientHeight = 675;

inline constexpr Box titleLabel = {40, 24, 630, 36};
inline constexpr Box subtitleLabel = {40, 64, 630, 24};
inline constexpr Box recommendedCheck = {48, 110, 600, 38};
inline constexpr Box moreAppsButton = {28, 180, 178, 40};
inline constexpr Box refreshButton = {218, 180, 90, 40};
inline constexpr Box applyButton = {540, 180, 136, 40};
inline constexpr Box searchEdit = {28, 246, 648, 38};
inline constexpr Box appList = {28, 298, 648, 304};
inline constexpr int appListColumnWidth = 615;
// Inside the list's top, below where its first row would be, and between
// its side borders (WS_BORDER and the client edge, three pixels each).
inline constexpr Box emptyListText = {31, 340, 642, 24};
inline constexpr Box closeButton = {576, 620, 100, 40};
// The status line spans the card in compact mode and leaves room for the
// close button in expanded mode.
inline constexpr Box compactStatusLabel = {40, 240, 624, 40};
inline constexpr Box expandedStatusLabel = {40, 620, 516, 40};

inline constexpr RECT accentBar = {28, 25, 33, 59};
inline constexpr RECT recommendedCard = {28, 98, 676, 160};
inline constexpr int recommendedCardCorner = 14;
inline constexpr RECT compactStatusCard = {28, 232, 676, 288};
inline constexpr RECT expandedStatusCard = {28, 612, 676, 668};
inline constexpr int statusCardCorner = 12;
inline constexpr int buttonCorner = 10;
inline constexpr int buttonFocusInset = 4;
// The focus ring of the primary button, at its edge.
inline constexpr int focusRingWidth = 2;

// An expanded window on a work area lower than itself (a small laptop
// screen, or a large scale on a common one) takes the work area's height.
// The list, the one control that scrolls, gives up the difference, down to
// this height; the status card, the status line and the close button move up
// with its bottom. No client area is laid out tighter than that.
inline constexpr int minimumAppListHeight = 120;
inline constexpr int maximumListShortening = appList.height - minimumAppListHeight;

} // namespace layout

// Styles that the window's look depends on, shared with what measures it.
namespace styles {

// WS_CLIPCHILDREN: painting the window's surfaces while it is resized does
// not paint over the controls, which then need not paint themselves again.
inline constexpr DWORD mainWindow = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
// Added while the window is expanded: a sizing border and a maximise box.
inline constexpr DWORD expandedWindow = WS_THICKFRAME | WS_MAXIMIZEBOX;

// SS_NOPREFIX: the status line shows the system's messages, whose ampersands
// are text, not mnemonics. SS_ENDELLIPSIS: a text too long for the line ends
// in "…" rather than being cut without a sign. SS_NOTIFY: the line takes the
// pointer, so that its tooltip can show the whole text.
inline constexpr DWORD statusLabel =
    WS_CHILD | WS_VISIBLE | SS_CENTERIMAGE | SS_NOPREFIX | SS_ENDELLIPSIS | SS_NOTIFY;
// LVS_OWNERDATA: the list holds no rows of its own, only their count, and
// asks for the few it paints, so that what a search or a load costs does not
// grow with the list view.
// WS_CLIPSIBLINGS: the text that stands in for an empty list lies over it.
inline constexpr DWORD appList = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | WS_CLIPSIBLINGS | LVS_REPORT |
                                 LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA;
// LVS_EX_LABELTIP: a name cut by the column shows whole in a tooltip.
inline constexpr DWORD appListExtended =
    LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_DOUBLEBUFFER | LVS_EX_LABELTIP;

} // namespace styles

namespace palette {

inline constexpr COLORREF background = RGB(248, 250, 252);
inline constexpr COLORREF white = RGB(255, 255, 255);
inline constexpr COLORREF highlight = RGB(239, 246, 255);
inline constexpr COLORREF highlightOutline = RGB(191, 219, 254);
inline constexpr COLORREF panel = RGB(241, 245, 249);
inline constexpr COLORREF panelOutline = RGB(203, 213, 225);
inline constexpr COLORREF accent = RGB(37, 99, 235);
inline constexpr COLORREF accentPressed = RGB(29, 78, 216);
inline constexpr COLORREF muted = RGB(148, 163, 184);
inline constexpr COLORREF mainText = RGB(15, 23, 42);
inline constexpr COLORREF secondaryText = RGB(71, 85, 105);

} // namespace palette

// The palette of the dark app mode ("Choose your default app mode: Dark"),
// with the light palette's roles: surfaces that are white there are raised
// here, the accent keeps its blue and its white text, and the texts are
// light. Every text reaches 4.5:1 against the surface under it.
namespace darkPalette {

inline constexpr COLORREF background = RGB(15, 23, 42);
// The search box, the list, the secondary buttons and the status card.
inline constexpr COLORREF raised = RGB(30, 41, 59);
inline constexpr COLORREF raisedPressed = RGB(51, 65, 85);
inline constexpr COLORREF outline = RGB(71, 85, 105);
inline constexpr COLORREF highlight = RGB(23, 37, 84);
inline constexpr COLORREF highlightOutline = RGB(30, 64, 175);
inline constexpr COLORREF selection = RGB(30, 58, 138);
inline constexpr COLORREF mainText = RGB(241, 245, 249);
inline constexpr COLORREF secondaryText = RGB(148, 163, 184);

} // namespace darkPalette

// What each surface and text of the window is painted in: its colour in the
// light palette and in the dark one, and the system colour (GetSysColor)
// that takes the place of both while a high-contrast theme is on, when the
// window follows the user's choice of colours as every other window does.
struct ThemedColour {
    COLORREF light;
    COLORREF dark;
    int system;
};

struct ButtonColours {
    ThemedColour fill;
    ThemedColour outline;
    ThemedColour text;
};

namespace colours {

inline constexpr ThemedColour window = {palette::background, darkPalette::background, COLOR_WINDOW};
inline constexpr ThemedColour accentBar = {palette::accent, palette::accent, COLOR_HIGHLIGHT};
inline constexpr ThemedColour recommendedCard = {palette::highlight, darkPalette::highlight, COLOR_WINDOW};
inline constexpr ThemedColour recommendedCardOutline = {palette::highlightOutline, darkPalette::highlightOutline,
                                                        COLOR_WINDOWFRAME};
inline constexpr ThemedColour statusCard = {palette::panel, darkPalette::raised, COLOR_WINDOW};
inline constexpr ThemedColour statusCardOutline = {palette::panelOutline, darkPalette::outline, COLOR_WINDOWFRAME};
inline constexpr ThemedColour text = {palette::mainText, darkPalette::mainText, COLOR_WINDOWTEXT};
// Secondary only in the palettes: a high-contrast theme has one text colour
// for everything that is not disabled.
inline constexpr ThemedColour secondaryText = {palette::secondaryText, darkPalette::secondaryText, COLOR_WINDOWTEXT};
inline constexpr ThemedColour disabledText = {palette::secondaryText, darkPalette::secondaryText, COLOR_GRAYTEXT};
// The search box and the list.
inline constexpr ThemedColour field = {palette::white, darkPalette::raised, COLOR_WINDOW};
inline constexpr ThemedColour fieldText = {palette::mainText, darkPalette::mainText, COLOR_WINDOWTEXT};

// The primary button ("应用设置") is the highlight colour; pressed, it turns
// inside out, so that the press shows in a theme of two colours too.
inline constexpr ButtonColours primaryButton = {{palette::accent, palette::accent, COLOR_HIGHLIGHT},
                                                {palette::accent, palette::accent, COLOR_HIGHLIGHT},
                                                {palette::white, palette::white, COLOR_HIGHLIGHTTEXT}};
inline constexpr ButtonColours primaryButtonPressed = {
    {palette::accentPressed, palette::accentPressed, COLOR_HIGHLIGHTTEXT},
    {palette::accentPressed, palette::accentPressed, COLOR_HIGHLIGHT},
    {palette::white, palette::white, COLOR_HIGHLIGHT}};
inline constexpr ButtonColours primaryButtonDisabled = {
    {palette::muted, darkPalette::raised, COLOR_BTNFACE},
    {palette::muted, darkPalette::outline, COLOR_GRAYTEXT},
    {palette::white, darkPalette::secondaryText, COLOR_GRAYTEXT}};
inline constexpr ButtonColours button = {{palette::white, darkPalette::raised, COLOR_BTNFACE},
                                         {palette::panelOutline, darkPalette::outline, COLOR_WINDOWFRAME},
                                         {palette::mainText, darkPalette::mainText, COLOR_BTNTEXT}};
inline constexpr ButtonColours buttonPressed = {{palette::panel, darkPalette::raisedPressed, COLOR_HIGHLIGHT},
                                                {palette::panelOutline, darkPalette::outline, COLOR_HIGHLIGHT},
                                                {palette::mainText, darkPalette::mainText, COLOR_HIGHLIGHTTEXT}};
// The focused primary button's ring: the dotted rectangle barely shows on the
// accent fill, so a ring at the edge in the main text's colour stands out
// against the fill and the window alike (over 3:1 with each, in either
// palette), with a line of the opposite lightness inside it that separates
// it from the fill in a high-contrast theme, where no one system colour
// contrasts with both.
inline constexpr ThemedColour focusRing = {palette::mainText, darkPalette::mainText, COLOR_WINDOWTEXT};
inline constexpr ThemedColour focusRingInner = {palette::white, darkPalette::background, COLOR_HIGHLIGHTTEXT};
inline constexpr ButtonColours buttonDisabled = {{palette::background, darkPalette::background, COLOR_BTNFACE},
                                                 {palette::panelOutline, darkPalette::outline, COLOR_GRAYTEXT},
                                                 {palette::muted, darkPalette::secondaryText, COLOR_GRAYTEXT}};

} // namespace colours

// What the controls draw in their own colours in the light palette and in a
// high-contrast theme, where those suit them, and the window draws itself
// in the dark palette: the system's grey cue text reaches 4.5:1 on no dark
// field, and its selection colours are made for a light list.
namespace darkOnlyColours {

inline constexpr COLORREF searchCue = darkPalette::secondaryText;
inline constexpr COLORREF selection = darkPalette::selection;
inline constexpr COLORREF selectionText = darkPalette::mainText;

} // namespace darkOnlyColours

struct FontLook {
    int height;
    int weight;
};

namespace fonts {

inline constexpr wchar_t face[] = L"Microsoft YaHei UI";
inline constexpr FontLook body = {16, FW_NORMAL};
inline constexpr FontLook title = {25, FW_SEMIBOLD};
inline constexpr FontLook subtitle = {15, FW_NORMAL};
inline constexpr FontLook button = {16, FW_SEMIBOLD};
inline constexpr FontLook status = {14, FW_NORMAL};

} // namespace fonts

namespace texts {

inline constexpr wchar_t windowCaption[] = L"Orva - Windows 系统回环代理设置";
inline constexpr wchar_t title[] = L"Windows 系统回环代理设置";
inline constexpr wchar_t subtitle[] = L"开启后，微软商店的应用可以使用本机代理。";
inline constexpr wchar_t recommendedFound[] = L"ChatGPT（推荐）";
inline constexpr wchar_t recommendedMissing[] = L"ChatGPT（未检测到微软商店版）";
inline constexpr wchar_t moreAppsCollapsed[] = L"选择其他应用  ▼";
inline constexpr wchar_t moreAppsExpanded[] = L"收起其他应用  ▲";
inline constexpr wchar_t refresh[] = L"刷新";
inline constexpr wchar_t apply[] = L"应用设置";
inline constexpr wchar_t close[] = L"关闭";
inline constexpr wchar_t searchCue[] = L"搜索应用";
// The longest search text, in UTF-16 units; the box takes no more.
inline constexpr int searchTextLimit = 255;
inline constexpr wchar_t appColumn[] = L"应用";
// The column's heading while the list shows only ticked apps.
inline constexpr wchar_t appColumnTickedOnly[] = L"应用（只显示已勾选）";
inline constexpr wchar_t unnamedApp[] = L"未命名应用";
// Each followed by how many shown apps it would change: "（21 个）".
inline constexpr wchar_t tickAllShown[] = L"勾选全部显示的应用";
inline constexpr wchar_t untickAllShown[] = L"取消勾选全部显示的应用";
inline constexpr wchar_t menuCountBefore[] = L"（";
inline constexpr wchar_t menuCountAfter[] = L" 个）";
inline constexpr wchar_t showOnlyTicked[] = L"只显示已勾选的应用";
// In the list's place when a search or the filter leaves no row: the search,
// the filter with a search, the filter alone.
inline constexpr wchar_t noMatchingApps[] = L"没有找到匹配的应用。";
inline constexpr wchar_t noTickedAppsMatch[] = L"没有已勾选的应用与搜索匹配。关闭“只显示已勾选的应用”可显示全部应用。";
inline constexpr wchar_t noTickedApps[] = L"没有已勾选的应用。";

// The status line.
inline constexpr wchar_t loading[] = L"正在读取应用…";
// While the display names are read: "正在读取应用名称…（120/300）", the names
// read so far of those to read.
inline constexpr wchar_t loadingNamesBeforeCount[] = L"正在读取应用名称…（";
inline constexpr wchar_t loadingNamesOf[] = L"/";
inline constexpr wchar_t loadingNamesAfterCount[] = L"）";
inline constexpr wchar_t unsupported[] = L"当前 Windows 系统不支持回环代理设置。";
inline constexpr wchar_t readConfigFailed[] = L"读取当前设置失败：";
inline constexpr wchar_t readAppsFailed[] = L"读取应用列表失败：";
// "已读取 " + the number of apps + " 个应用。", then the hint; after a load
// that kept unsaved ticks, the reminder to apply takes the hint's place.
inline constexpr wchar_t loadedBeforeCount[] = L"已读取 ";
inline constexpr wchar_t loadedAfterCount[] = L" 个应用。";
inline constexpr wchar_t loadedHint[] = L"勾选后点击“应用设置”。";
inline constexpr wchar_t settingsChanged[] = L"设置已更改，请点击“应用设置”保存。";
inline constexpr wchar_t saving[] = L"正在保存…";
inline constexpr wchar_t saved[] = L"设置已保存。现在可以返回Orva使用代理。";
// A save after which apps the user did not touch stand otherwise than the
// window showed before the press, because another program changed them: the
// first sentence (or the refusal's), then the number of such apps and their
// names, as refused apps are named. The hint to go and use the proxy is left
// out: it may not hold for them.
inline constexpr wchar_t savedFirstSentence[] = L"设置已保存。";
inline constexpr wchar_t outsideBeforeCount[] = L"其他程序同时更改了 ";
inline constexpr wchar_t outsideAfterCount[] = L" 个应用的设置：";
inline constexpr wchar_t outsideEnd[] = L"。列表已更新为系统当前的状态。";
inline constexpr wchar_t saveFailed[] = L"保存失败：";
inline constexpr wchar_t unreadableSid[] = L"无法读取应用标识。";

// A save of which the system refused some apps: the count, then at most
// three names joined by the separator, "等" after them when there are more.
inline constexpr wchar_t refusedBeforeCount[] = L"设置已保存，但系统拒绝了 ";
inline constexpr wchar_t refusedAfterCount[] = L" 个应用：";
inline constexpr wchar_t nameSeparator[] = L"、";
inline constexpr wchar_t moreNames[] = L" 等";
inline constexpr wchar_t refusedEnd[] = L"。";
// Its message box: the sentence, a blank line, then one name a line, at most
// twenty, and this line when there are more.
inline constexpr wchar_t refusedBox[] = L"系统拒绝为以下应用开启回环代理，其余设置已保存：\n\n";
inline constexpr wchar_t refusedBoxMore[] = L"……";

// Asked when the user closes the window with changes not yet saved.
inline constexpr wchar_t closeQuestion[] = L"设置已更改，尚未保存。关闭前保存吗？";

// The message box of a failed save: the sentence, a blank line, the error.
inline constexpr wchar_t saveFailedBox[] = L"无法保存回环代理设置。\n\n";
// errorText of a code the system has no message for: this and the code.
inline constexpr wchar_t errorCode[] = L"错误代码 ";

} // namespace texts
