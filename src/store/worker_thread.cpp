#include "store/worker_thread.h"

#include "model/owners.h"

#include <memory>
#include <utility>

namespace {

constexpr ULONGLONG progressIntervalMilliseconds = 100;

struct Worker {
    HWND window;
    std::uint64_t generation;
    WorkerTask task;
};

LPARAM packProgress(std::size_t done, std::size_t total)
{
    return static_cast<LPARAM>((static_cast<std::uint64_t>(total) << 32) | static_cast<std::uint32_t>(done));
}

} // namespace

DWORD WINAPI runWorkerThread(void* parameter)
{
    const std::unique_ptr<Worker> worker(static_cast<Worker*>(parameter));
    {
        // SHLoadIndirectString reads a package's resources through COM.
        const ComApartment apartment(COINIT_MULTITHREADED);
        ULONGLONG lastReport = GetTickCount64();
        worker->task([&](std::size_t done, std::size_t total) {
            const ULONGLONG now = GetTickCount64();
            if (worker->window && now - lastReport >= progressIntervalMilliseconds) {
                lastReport = now;
                PostMessageW(worker->window, workerProgressMessage, static_cast<WPARAM>(worker->generation),
                             packProgress(done, total));
            }
        });
        // Let go of the work's result before the window is told, so that the
        // window's hold on it is the last one: it is freed where it is taken,
        // or here when the window is gone.
        worker->task = nullptr;
    }
    if (worker->window) {
        PostMessageW(worker->window, workerDoneMessage, static_cast<WPARAM>(worker->generation), 0);
    }
    return 0;
}

void startWorker(HWND window, std::uint64_t generation, WorkerTask task)
{
    auto worker = std::make_unique<Worker>(Worker{window, generation, std::move(task)});
    const OwnedThreadHandle thread(CreateThread(nullptr, 0, &runWorkerThread, worker.get(), 0, nullptr));
    if (thread) {
        worker.release();
    } else {
        runWorkerThread(worker.release());
    }
}

void releaseOnWorker(std::shared_ptr<void> garbage)
{
    startWorker(nullptr, 0, [garbage = std::move(garbage)](const ReportProgress&) {});
}

std::size_t progressDone(LPARAM progress)
{
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(progress));
}

std::size_t progressTotal(LPARAM progress)
{
    return static_cast<std::size_t>(static_cast<std::uint64_t>(progress) >> 32);
}
