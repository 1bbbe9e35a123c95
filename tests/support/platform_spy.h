#pragma once

#include <windows.h>

#include <set>

// Watches what the program hands back to the platform. It redirects this
// executable's imports of HeapFree, LocalFree, the two SID conversions and
// the creation and deletion of fonts, brushes and pens,
// so it sees the calls of the program code linked into the test, and can
// make a chosen conversion fail.
struct PlatformSpy {
    std::set<void*> heapFrees;
    // Buffers the SID conversions handed out that have not been LocalFree'd.
    std::set<void*> liveConversions;
    // Fonts, brushes and pens created and not yet deleted.
    std::set<HGDIOBJ> liveGdiObjects;
    int gdiObjectsCreated = 0;
    int sidToStringCalls = 0;
    int stringToSidCalls = 0;
    // 1-based number of the call to fail, 0 for none.
    int failSidToStringCall = 0;
    int failStringToSidCall = 0;
};

// Points this executable's import of `function` from `dll` at `replacement`
// and returns the address it had, which restores it when redirected back.
void* redirectImport(const char* dll, const char* function, void* replacement);

// Installs the redirections once and resets the record.
PlatformSpy& resetPlatformSpy();
PlatformSpy& platformSpy();
