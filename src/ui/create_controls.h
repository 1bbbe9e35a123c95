#pragma once

#include "model/window_state.h"

// Builds the fonts, every child control and the brushes of the colour scheme,
// tells screen readers what the controls' texts leave unsaid and puts the
// window into compact mode. The controls stand as a load leaves them while it
// runs ("正在读取应用…", 刷新 and 应用设置 disabled) until the first load.
void createControls(WindowState& state);
