#pragma once

#include <cstdint>

// Bytes this executable holds through operator new. Wine's HeapWalk does not
// see the C runtime's small blocks, so C++ allocations are counted here by
// replacing the global operator new and delete.
//
// The replacements allocate with this executable's own HeapAlloc and HeapFree
// imports, as everything under MSVC's static runtime (/MT) does, whereas
// MinGW's runtime allocates in msvcrt.dll: an executable that links them has
// every free of the C++ library pass through the platform spy's HeapFree,
// the spy's own included, as it does on Windows.
std::int64_t bytesHeldByNew();
