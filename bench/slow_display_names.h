#pragma once

#include <windows.h>

// On Windows every indirect display name ("@{Package?ms-resource://…}") is
// read from its package's resources, which takes milliseconds a name; under
// Wine such names do not resolve at all. While this lives, the program's
// calls of SHLoadIndirectString (this executable's import from shlwapi.dll,
// by name or by ordinal 487, through which the program's code linked in here
// calls it) reach a stand-in of the benchmark's own instead: it waits `milliseconds`,
// then gives the text after the "@". The import is pointed back after.
class SlowDisplayNames {
public:
    explicit SlowDisplayNames(DWORD milliseconds);
    SlowDisplayNames(const SlowDisplayNames&) = delete;
    SlowDisplayNames& operator=(const SlowDisplayNames&) = delete;
    ~SlowDisplayNames();

    // Whether the import was found and redirected.
    bool active() const { return original_ != nullptr; }

private:
    void* original_ = nullptr;
};
