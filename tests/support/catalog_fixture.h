#pragma once

#include "support/fake_accessibility.h"
#include "support/fake_network_isolation.h"
#include "support/platform_spy.h"
#include "support/program_texts.h"
#include "support/test_window.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

// Holds the program's worker inside the fake's next busy call (the
// enumeration or a write) until opened, so that a test sees the window while
// the system works. When it goes, it opens and waits for every worker.
class HeldWorker {
public:
    explicit HeldWorker(FakeNetworkIsolation& fake)
        : fake_(fake), inside_(CreateEventW(nullptr, TRUE, FALSE, nullptr)),
          open_(CreateEventW(nullptr, TRUE, FALSE, nullptr))
    {
        fake.whileBusy = [this] {
            SetEvent(inside_.get());
            WaitForSingleObject(open_.get(), 30000);
        };
    }
    HeldWorker(const HeldWorker&) = delete;
    HeldWorker& operator=(const HeldWorker&) = delete;
    ~HeldWorker()
    {
        open();
        EXPECT_TRUE(waitForWorkerThreads(30000));
        fake_.whileBusy = nullptr;
    }

    bool waitUntilInside() const { return WaitForSingleObject(inside_.get(), 10000) == WAIT_OBJECT_0; }
    void open() const { SetEvent(open_.get()); }

private:
    struct EventCloser {
        using pointer = HANDLE;
        void operator()(HANDLE event) const { CloseHandle(event); }
    };

    FakeNetworkIsolation& fake_;
    std::unique_ptr<void, EventCloser> inside_;
    std::unique_ptr<void, EventCloser> open_;
};

// Each test starts with fresh fakes and spy; the window is created by the
// test, after it has described the machine, because creation loads.
class CatalogTest : public testing::Test {
protected:
    void SetUp() override
    {
        installFakeNetworkIsolation();
        installFakeAccessibility();
        resetPlatformSpy();
    }

    // A worker may outlive its window (a close during a read): it must be
    // gone before the next test rebuilds the fakes it may still call.
    void TearDown() override
    {
        window_.reset();
        EXPECT_TRUE(waitForWorkerThreads(30000)) << "a worker thread ran on after its test";
    }

    // Forgets what earlier loads and saves handed out and got back, and what
    // the window told screen readers.
    PlatformSpy& restartRecording()
    {
        fake().configBlocks.clear();
        accessibility().annotations.clear();
        accessibility().events.clear();
        accessibility().stateChanges.clear();
        return resetPlatformSpy();
    }

    FakeNetworkIsolation& fake() { return fakeNetworkIsolation(); }
    PlatformSpy& spy() { return platformSpy(); }
    FakeAccessibility& accessibility() { return fakeAccessibility(); }

    void addApp(unsigned sidNumber, std::wstring displayName, std::wstring containerName = L"",
                std::wstring packageFullName = L"")
    {
        fake().appContainers.push_back(FakeAppContainer{FakeSid::of(appContainerSid(sidNumber)),
                                                        std::move(displayName), std::move(containerName),
                                                        std::move(packageFullName)});
    }
    void addExemption(unsigned sidNumber) { fake().configuredSids.push_back(FakeSid::of(appContainerSid(sidNumber))); }

    TestWindow& open()
    {
        window_ = std::make_unique<TestWindow>();
        return *window_;
    }
    WindowState& state() { return window_->state(); }
    std::wstring status() { return windowText(state().statusLabel); }
    // The exempt flag of every catalog entry, in catalog order.
    std::vector<bool> exemptFlags()
    {
        std::vector<bool> flags;
        for (const AppEntry& entry : state().apps) {
            flags.push_back(entry.exempt);
        }
        return flags;
    }

    // What the fakes and the SID conversions handed out has all come back.
    void expectNothingLeftBehind()
    {
        for (void* block : fake().configBlocks) {
            EXPECT_EQ(spy().heapFrees.count(block), 1u) << "configuration block not freed with HeapFree";
        }
        EXPECT_TRUE(fake().liveEnumerations.empty()) << "enumeration not freed";
        EXPECT_EQ(fake().freeOfUnknownArray, 0);
        EXPECT_TRUE(spy().liveConversions.empty()) << "SID conversion buffer not released with LocalFree";
        EXPECT_FALSE(spy().overflowed()) << "more addresses than the platform spy holds";
    }

    std::unique_ptr<TestWindow> window_;
};
