#include "support/platform_spy.h"

#include "store/worker_thread.h"

#include <sddl.h>
#include <shlwapi.h>

#include <atomic>
#include <iterator>

namespace {

PlatformSpy spy;

// Held while a set of the spy changes, which the program's worker thread
// and the window's may do at once.
std::atomic_flag setsBusy = ATOMIC_FLAG_INIT;
class SetsLock {
public:
    SetsLock()
    {
        while (setsBusy.test_and_set(std::memory_order_acquire)) {
            YieldProcessor();
        }
    }
    SetsLock(const SetsLock&) = delete;
    SetsLock& operator=(const SetsLock&) = delete;
    ~SetsLock() { setsBusy.clear(std::memory_order_release); }
};

decltype(&HeapFree) realHeapFree = nullptr;
decltype(&LocalFree) realLocalFree = nullptr;
decltype(&ConvertSidToStringSidW) realSidToString = nullptr;
decltype(&ConvertStringSidToSidW) realStringToSid = nullptr;
decltype(&CreateSolidBrush) realCreateSolidBrush = nullptr;
decltype(&CreatePen) realCreatePen = nullptr;
decltype(&CreateFontW) realCreateFont = nullptr;
decltype(&DeleteObject) realDeleteObject = nullptr;
decltype(&CreateThread) realCreateThread = nullptr;
decltype(&SHLoadIndirectString) realLoadIndirectString = nullptr;

HBRUSH WINAPI spyCreateSolidBrush(COLORREF colour)
{
    HBRUSH brush = realCreateSolidBrush(colour);
    spy.liveGdiObjects.insert(brush);
    ++spy.gdiObjectsCreated;
    return brush;
}

HPEN WINAPI spyCreatePen(int style, int width, COLORREF colour)
{
    HPEN pen = realCreatePen(style, width, colour);
    spy.liveGdiObjects.insert(pen);
    ++spy.gdiObjectsCreated;
    return pen;
}

HFONT WINAPI spyCreateFont(int height, int width, int escapement, int orientation, int weight, DWORD italic,
                           DWORD underline, DWORD strikeOut, DWORD charSet, DWORD precision, DWORD clipPrecision,
                           DWORD quality, DWORD pitchAndFamily, LPCWSTR face)
{
    HFONT font = realCreateFont(height, width, escapement, orientation, weight, italic, underline, strikeOut, charSet,
                                precision, clipPrecision, quality, pitchAndFamily, face);
    spy.liveGdiObjects.insert(font);
    ++spy.gdiObjectsCreated;
    return font;
}

BOOL WINAPI spyDeleteObject(HGDIOBJ object)
{
    spy.liveGdiObjects.erase(object);
    return realDeleteObject(object);
}

BOOL WINAPI spyHeapFree(HANDLE heap, DWORD flags, LPVOID memory)
{
    {
        const SetsLock lock;
        if (spy.watchedHeapBlocks.erase(memory)) {
            spy.heapFrees.insert(memory);
        }
    }
    return realHeapFree(heap, flags, memory);
}

HLOCAL WINAPI spyLocalFree(HLOCAL memory)
{
    {
        const SetsLock lock;
        spy.liveConversions.erase(memory);
    }
    return realLocalFree(memory);
}

HRESULT WINAPI spyLoadIndirectString(PCWSTR source, PWSTR text, UINT capacity, void** reserved)
{
    ++spy.indirectStringCalls;
    Sleep(spy.indirectStringDelay);
    return realLoadIndirectString(source, text, capacity, reserved);
}

// Other code linked in makes threads too (GoogleTest's, which never end).
HANDLE WINAPI spyCreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize, LPTHREAD_START_ROUTINE start,
                              LPVOID parameter, DWORD flags, LPDWORD threadId)
{
    HANDLE thread = realCreateThread(attributes, stackSize, start, parameter, flags, threadId);
    if (thread && start == &runWorkerThread) {
        ++spy.workersCreated;
        HANDLE kept = nullptr;
        if (spy.workersKept < static_cast<int>(std::size(spy.workersToWaitFor)) &&
            DuplicateHandle(GetCurrentProcess(), thread, GetCurrentProcess(), &kept, SYNCHRONIZE, FALSE, 0)) {
            spy.workersToWaitFor[spy.workersKept++] = kept;
        }
    }
    return thread;
}

BOOL WINAPI spySidToString(PSID sid, LPWSTR* text)
{
    if (++spy.sidToStringCalls == spy.failSidToStringCall) {
        SetLastError(ERROR_INVALID_SID);
        return FALSE;
    }
    const BOOL converted = realSidToString(sid, text);
    if (converted) {
        const SetsLock lock;
        spy.liveConversions.insert(*text);
    }
    return converted;
}

BOOL WINAPI spyStringToSid(LPCWSTR text, PSID* sid)
{
    if (++spy.stringToSidCalls == spy.failStringToSidCall) {
        SetLastError(ERROR_INVALID_SID);
        return FALSE;
    }
    const BOOL converted = realStringToSid(text, sid);
    if (converted) {
        const SetsLock lock;
        spy.liveConversions.insert(*sid);
    }
    return converted;
}

template <typename Function>
void redirect(const char* dll, const char* name, Function*& original, Function* replacement, WORD ordinal = 0)
{
    if (!original) {
        original =
            reinterpret_cast<Function*>(redirectImport(dll, name, reinterpret_cast<void*>(replacement), ordinal));
    }
}

} // namespace

PlatformSpy& resetPlatformSpy()
{
    redirect("kernel32.dll", "HeapFree", realHeapFree, &spyHeapFree);
    redirect("kernel32.dll", "LocalFree", realLocalFree, &spyLocalFree);
    redirect("advapi32.dll", "ConvertSidToStringSidW", realSidToString, &spySidToString);
    redirect("advapi32.dll", "ConvertStringSidToSidW", realStringToSid, &spyStringToSid);
    redirect("gdi32.dll", "CreateSolidBrush", realCreateSolidBrush, &spyCreateSolidBrush);
    redirect("gdi32.dll", "CreatePen", realCreatePen, &spyCreatePen);
    redirect("gdi32.dll", "CreateFontW", realCreateFont, &spyCreateFont);
    redirect("gdi32.dll", "DeleteObject", realDeleteObject, &spyDeleteObject);
    redirect("kernel32.dll", "CreateThread", realCreateThread, &spyCreateThread);
    redirect("shlwapi.dll", "SHLoadIndirectString", realLoadIndirectString, &spyLoadIndirectString, 487);
    spy.heapFrees.clear();
    spy.watchedHeapBlocks.clear();
    spy.liveConversions.clear();
    spy.liveGdiObjects.clear();
    spy.gdiObjectsCreated = spy.sidToStringCalls = spy.stringToSidCalls = 0;
    spy.failSidToStringCall = spy.failStringToSidCall = 0;
    spy.workersCreated = 0;
    spy.indirectStringCalls = 0;
    spy.indirectStringDelay = 0;
    return spy;
}

bool waitForWorkerThreads(DWORD milliseconds)
{
    bool ended = true;
    for (int i = 0; i < spy.workersKept; ++i) {
        ended = WaitForSingleObject(spy.workersToWaitFor[i], milliseconds) == WAIT_OBJECT_0 && ended;
        CloseHandle(spy.workersToWaitFor[i]);
    }
    spy.workersKept = 0;
    return ended;
}

PlatformSpy& platformSpy()
{
    return spy;
}

void watchHeapBlock(void* block)
{
    const SetsLock lock;
    spy.watchedHeapBlocks.insert(block);
    spy.heapFrees.erase(block);
}
