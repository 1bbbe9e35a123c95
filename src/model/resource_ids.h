#pragma once

// Resource ids shared by the code and res/app.rc, which the resource
// compiler reads too: preprocessor definitions only.
#define IDI_APP 101
