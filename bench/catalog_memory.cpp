#include "catalog_memory.h"

#include <functional>

namespace {

std::size_t heapBytesOf(const std::wstring& text)
{
    const auto* object = reinterpret_cast<const char*>(&text);
    const auto* characters = reinterpret_cast<const char*>(text.data());
    // Pointers into different objects are only ordered through std::less.
    const std::less<const char*> before;
    const bool inside = !before(characters, object) && before(characters, object + sizeof(text));
    return inside ? 0 : (text.capacity() + 1) * sizeof(wchar_t);
}

} // namespace

std::size_t catalogBytes(const std::vector<AppEntry>& apps)
{
    std::size_t bytes = apps.capacity() * sizeof(AppEntry);
    for (const AppEntry& entry : apps) {
        bytes += heapBytesOf(entry.displayName) + heapBytesOf(entry.containerName) + heapBytesOf(entry.sidString);
    }
    return bytes;
}
