#include "configured_sids.h"

#include <cstring>
#include <memory>

namespace {

struct ProcessHeapDeleter {
    void operator()(void* block) const { HeapFree(GetProcessHeap(), 0, block); }
};
using ProcessHeapBlock = std::unique_ptr<void, ProcessHeapDeleter>;

ProcessHeapBlock allocate(std::size_t size)
{
    return ProcessHeapBlock(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size));
}

} // namespace

DWORD handOutConfiguredSids(const std::vector<SidBytes>& exemptions, DWORD& count, SID_AND_ATTRIBUTES*& records)
{
    count = 0;
    records = nullptr;
    if (exemptions.empty()) {
        return ERROR_SUCCESS;
    }
    // Everything is allocated before anything is handed over, so a failed
    // allocation releases the blocks made so far and hands out nothing.
    ProcessHeapBlock array = allocate(exemptions.size() * sizeof(SID_AND_ATTRIBUTES));
    if (!array) {
        return ERROR_NOT_ENOUGH_MEMORY;
    }
    std::vector<ProcessHeapBlock> sids;
    sids.reserve(exemptions.size());
    for (const SidBytes& sid : exemptions) {
        ProcessHeapBlock block = allocate(sid.size());
        if (!block) {
            return ERROR_NOT_ENOUGH_MEMORY;
        }
        std::memcpy(block.get(), sid.data(), sid.size());
        sids.push_back(std::move(block));
    }
    auto* entries = static_cast<SID_AND_ATTRIBUTES*>(array.release());
    for (std::size_t i = 0; i < sids.size(); ++i) {
        entries[i].Sid = sids[i].release();
        entries[i].Attributes = 0;
    }
    count = static_cast<DWORD>(exemptions.size());
    records = entries;
    return ERROR_SUCCESS;
}
