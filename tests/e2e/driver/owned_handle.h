#pragma once

#include <windows.h>

#include <memory>

struct HandleCloser {
    using pointer = HANDLE;
    void operator()(HANDLE handle) const { CloseHandle(handle); }
};

// A process or thread handle; never INVALID_HANDLE_VALUE.
using OwnedHandle = std::unique_ptr<void, HandleCloser>;
