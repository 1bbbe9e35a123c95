#include "store/show_progress.h"

void showProgress(WindowState& state, const wchar_t* text)
{
    SetWindowTextW(state.statusLabel, text);
    UpdateWindow(state.statusLabel);
}
