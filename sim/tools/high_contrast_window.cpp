// The program's window as a high-contrast theme shows it, for scripts/run.sh,
// which takes screenshots of it: Wine cannot switch such a theme on. This is
// the program's own window and message loop; only the high-contrast query
// and the system colours are answered here, through the program's seam for
// them, with a colour set like that of Windows' "High Contrast Black".
// Everything Wine draws itself (the caption, the check box's box, the list's
// header, check boxes and scroll bar) keeps Wine's own colours.
//
//   high_contrast_window.exe

#include "app/main_window.h"
#include "ui/accessibility_api.h"

namespace {

BOOL WINAPI answerHighContrastOn(UINT action, UINT parameter, void* value, UINT update)
{
    if (action != SPI_GETHIGHCONTRAST || !value) {
        return SystemParametersInfoW(action, parameter, value, update);
    }
    auto* highContrast = static_cast<HIGHCONTRASTW*>(value);
    highContrast->dwFlags = HCF_AVAILABLE | HCF_HIGHCONTRASTON;
    highContrast->lpszDefaultScheme = nullptr;
    return TRUE;
}

DWORD WINAPI highContrastBlack(int index)
{
    switch (index) {
    case COLOR_WINDOW:
    case COLOR_BTNFACE:
    case COLOR_HIGHLIGHTTEXT:
        return RGB(0, 0, 0);
    case COLOR_WINDOWTEXT:
    case COLOR_BTNTEXT:
    case COLOR_WINDOWFRAME:
        return RGB(255, 255, 255);
    case COLOR_HIGHLIGHT:
        return RGB(26, 235, 255);
    case COLOR_GRAYTEXT:
        return RGB(63, 242, 63);
    default:
        return GetSysColor(index);
    }
}

} // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    accessibilityApi.systemParametersInfo = answerHighContrastOn;
    accessibilityApi.getSysColor = highContrastBlack;
    return runProgram(instance, showCommand);
}
