#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>

// A read or a save runs on a worker thread so that the window keeps
// answering while the system works, which can take seconds. The worker posts
// to the window, wParam carrying the number the work was begun under:
// - workerDoneMessage when the work has ended and its result is in place;
// - workerProgressMessage with how far it has got: lParam holds the items
//   done in its low 32 bits and the items in all in its high 32 bits.
inline constexpr UINT workerDoneMessage = WM_APP + 1;
inline constexpr UINT workerProgressMessage = WM_APP + 2;

// How far the work has got: `done` of `total` items. Reaches the window at
// most every 100 ms, often enough for a count that moves and seldom enough
// to leave the window's thread free.
using ReportProgress = std::function<void(std::size_t done, std::size_t total)>;

// The work itself. It takes along everything it touches (copies, and
// references that keep the rest alive) and touches nothing of the window's.
using WorkerTask = std::function<void(const ReportProgress& report)>;

// Runs `task` on a thread of its own, in COM's multithreaded apartment, then
// releases the task and posts workerDoneMessage with `generation` to
// `window`; a window gone by then takes no message, and the post fails
// harmlessly. Returns at once, and nothing ever waits for the thread. When
// no thread can be made, the task runs here before this returns, its message
// posted all the same.
void startWorker(HWND window, std::uint64_t generation, WorkerTask task);

// Lets go of `garbage` on a worker thread, which tells no window: freeing a
// catalog of thousands of entries, block by block, takes longer than a frame
// of the window's thread. Let go of here when no thread can be made.
void releaseOnWorker(std::shared_ptr<void> garbage);

// The worker thread's start routine, which CreateThread is given: a function
// of the program's own, so that Control Flow Guard's table holds it, for
// Windows calls it through a guarded pointer.
DWORD WINAPI runWorkerThread(void* worker);

// The two counts of a workerProgressMessage's lParam.
std::size_t progressDone(LPARAM progress);
std::size_t progressTotal(LPARAM progress);
