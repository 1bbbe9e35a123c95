#pragma once

#include <windows.h>

#include <string>

// A system error code as one line of text: the system's message with trailing
// CR, LF and spaces removed, or "错误代码 " and the code in unsigned decimal.
std::wstring errorText(DWORD code);
