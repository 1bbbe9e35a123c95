#pragma once

#include <cstdint>

// Bytes this executable holds through operator new. Wine's HeapWalk does not
// see the C runtime's small blocks, so C++ allocations are counted here by
// replacing the global operator new and delete.
std::int64_t bytesHeldByNew();
