#pragma once

#include "support/import_redirect.h"

#include <windows.h>

#include <bit>
#include <cstddef>
#include <cstdint>
#include <set>

// A set of addresses in storage of its own. The spy's redirections run
// inside every free of a runtime that frees through this executable's
// HeapFree import (MSVC's static one does), so what they record must take
// and give back no memory: a set that did would re-enter them. Clearing
// starts a new generation instead of touching the slots, so that a reset
// between the steps of a long session costs nothing.
template <std::size_t capacity>
class AddressSet {
    static_assert((capacity & (capacity - 1)) == 0, "probing wraps with a mask");

public:
    void clear()
    {
        ++generation_;
        size_ = 0;
        overflowed_ = false;
    }

    void insert(const void* address)
    {
        const std::size_t index = find(address);
        if (index == capacity) {
            overflowed_ = true;
        } else if (!holds(index)) {
            slots_[index] = Slot{address, generation_, true};
            ++size_;
        }
    }

    bool erase(const void* address)
    {
        const std::size_t index = find(address);
        if (index == capacity || !holds(index)) {
            return false;
        }
        slots_[index].present = false;
        --size_;
        return true;
    }

    std::size_t count(const void* address) const
    {
        const std::size_t index = find(address);
        return index != capacity && holds(index) ? 1 : 0;
    }
    std::size_t size() const { return size_; }
    bool empty() const { return size_ == 0; }
    // More distinct addresses than the set holds: its answers are incomplete.
    bool overflowed() const { return overflowed_; }

    // For a test to compare; never called from a redirection.
    std::set<const void*> entries() const
    {
        std::set<const void*> result;
        for (std::size_t index = 0; index < capacity; ++index) {
            if (holds(index)) {
                result.insert(slots_[index].address);
            }
        }
        return result;
    }

private:
    struct Slot {
        const void* address = nullptr;
        unsigned generation = 0;
        // False for an address erased in this generation, which later
        // addresses of the same probe sequence have passed.
        bool present = false;
    };

    // The slot that holds `address` in this generation, or else the first
    // one not used in it; `capacity` when every slot is used.
    std::size_t find(const void* address) const
    {
        // Fibonacci hashing: the top bits of the product mix every bit of the address.
        constexpr int shift = 64 - (static_cast<int>(std::bit_width(capacity)) - 1);
        std::size_t index = static_cast<std::size_t>(
            (static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(address)) * 0x9E3779B97F4A7C15u) >> shift);
        for (std::size_t probe = 0; probe < capacity; ++probe, index = (index + 1) & (capacity - 1)) {
            const Slot& slot = slots_[index];
            if (slot.generation != generation_ || slot.address == address) {
                return index;
            }
        }
        return capacity;
    }

    bool holds(std::size_t index) const { return slots_[index].generation == generation_ && slots_[index].present; }

    Slot slots_[capacity] = {};
    unsigned generation_ = 1;
    std::size_t size_ = 0;
    bool overflowed_ = false;
};

// Watches what the program hands back to the platform. It redirects this
// executable's imports of HeapFree, LocalFree, the two SID conversions, the
// creation and deletion of fonts, brushes and pens, CreateThread and
// SHLoadIndirectString, so it sees the calls of the program code linked into
// the test, and can make a chosen conversion fail and each display name
// slow. The one spy lives in static storage and has
// nothing to destroy, so a free at the program's exit finds it intact. The
// program's worker thread frees and converts too: the sets are changed under
// a lock that takes no memory.
struct PlatformSpy {
    PlatformSpy() = default;
    PlatformSpy(const PlatformSpy&) = delete;
    PlatformSpy& operator=(const PlatformSpy&) = delete;

    // Blocks the fakes handed out (watchHeapBlock) and HeapFree has freed;
    // any other free passes unrecorded.
    AddressSet<1 << 14> heapFrees;
    AddressSet<1 << 14> watchedHeapBlocks;
    // Buffers the SID conversions handed out that have not been LocalFree'd.
    AddressSet<1 << 16> liveConversions;
    // Fonts, brushes and pens created and not yet deleted.
    AddressSet<1 << 12> liveGdiObjects;
    int gdiObjectsCreated = 0;
    int sidToStringCalls = 0;
    int stringToSidCalls = 0;
    // 1-based number of the call to fail, 0 for none.
    int failSidToStringCall = 0;
    int failStringToSidCall = 0;
    // Indirect display names the program resolved, and how long each takes
    // (on top of the system's time), as reading a package's resources does.
    int indirectStringCalls = 0;
    DWORD indirectStringDelay = 0;
    // The worker threads the program made with CreateThread on its own
    // start routine, and the handles of those not yet waited for.
    int workersCreated = 0;
    HANDLE workersToWaitFor[64] = {};
    int workersKept = 0;

    bool overflowed() const
    {
        return heapFrees.overflowed() || watchedHeapBlocks.overflowed() || liveConversions.overflowed() ||
            liveGdiObjects.overflowed();
    }
};

// Installs the redirections once and resets the record.
PlatformSpy& resetPlatformSpy();
PlatformSpy& platformSpy();

// Waits for every worker thread the program made to end (a worker may
// outlive the window it worked for) and lets go of them; false when one runs
// on after `milliseconds`.
bool waitForWorkerThreads(DWORD milliseconds);

// A process-heap block a fake hands to the program, which must free it with
// HeapFree: from now on, its free is recorded in heapFrees.
void watchHeapBlock(void* block);
