#include "store/read_exemption_list.h"

#include "model/owners.h"
#include "store/sid_text.h"

#include <algorithm>

namespace {

// The bytes of a SID that has no text form. The block came from the process
// heap, so its size bounds what may be read even when the SID's own
// sub-authority count is corrupt.
std::vector<BYTE> sidBytes(PSID sid)
{
    const SIZE_T blockSize = HeapSize(GetProcessHeap(), 0, sid);
    if (blockSize == static_cast<SIZE_T>(-1) || blockSize < 2) {
        return {};
    }
    const BYTE* bytes = static_cast<const BYTE*>(sid);
    const SIZE_T declaredSize = 8 + 4 * SIZE_T{bytes[1]};
    return std::vector<BYTE>(bytes, bytes + std::min(declaredSize, blockSize));
}

} // namespace

DWORD readExemptionList(const LoopbackApi& api, ExemptionList& list)
{
    // Whatever a failing call handed out is still released by the owner.
    ConfiguredSidArray configured;
    const DWORD result = api.getAppContainerConfig(&configured.count, &configured.records);
    if (result != ERROR_SUCCESS) {
        return result;
    }
    ExemptionList read;
    for (DWORD i = 0; configured.records && i < configured.count; ++i) {
        const PSID sid = configured.records[i].Sid;
        std::wstring sidString = sidToString(sid);
        if (!sidString.empty()) {
            read.sidStrings.insert(std::move(sidString));
        } else if (sid) {
            std::vector<BYTE> bytes = sidBytes(sid);
            if (!bytes.empty() &&
                std::find(read.binarySids.begin(), read.binarySids.end(), bytes) == read.binarySids.end()) {
                read.binarySids.push_back(std::move(bytes));
            }
        }
    }
    list = std::move(read);
    return ERROR_SUCCESS;
}
