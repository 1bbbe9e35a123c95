#pragma once

#include <windows.h>

#include <memory>

struct FileHandleCloser {
    using pointer = HANDLE;
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};

// Holds only handles that CreateFileW returned successfully, never
// INVALID_HANDLE_VALUE.
using OwnedFile = std::unique_ptr<void, FileHandleCloser>;
