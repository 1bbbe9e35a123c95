#pragma once

// Resource ids shared by the code and res/app.rc, which the resource
// compiler reads too: preprocessor definitions only.
#define IDI_APP 101

// The window's keys: F5 refreshes, Ctrl+F finds, Ctrl+S applies. Each
// arrives as WM_COMMAND with its own id and notification code 1.
#define IDA_WINDOW_KEYS 102
#define IDK_REFRESH 1201
#define IDK_FIND 1202
#define IDK_APPLY 1203
