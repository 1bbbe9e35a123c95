#pragma once

#include <windows.h>

#include <string>
#include <string_view>

// Writes `bytes` to "<path>.tmp", flushes it and moves it over `path`, so that
// readers see either the old file or the whole new one. On failure the
// temporary file is removed, `path` is untouched, and the error is returned.
DWORD replaceFile(const std::wstring& path, std::string_view bytes);
