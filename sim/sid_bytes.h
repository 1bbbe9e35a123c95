#pragma once

#include "store_model.h"

#include <optional>
#include <string>
#include <string_view>

// A SID in its "S-1-…" form. SDDL aliases such as "BA" are refused: the
// store names SIDs only in full.
std::optional<SidBytes> sidFromText(std::wstring_view text);

// A SID given as hexadecimal bytes, which must be exactly as long as its
// sub-authority count says. This is how SIDs that have no text form (another
// revision, say) are stored.
std::optional<SidBytes> sidFromHex(std::wstring_view hex);

// Copies a caller's SID, reading only as far as its header declares.
// Nothing for a null pointer or a header that declares too many parts.
std::optional<SidBytes> copyCallerSid(const void* sid);

// The store line for one exemption: `exempt S-…`, or `exempt-raw <hex>`
// when the SID has no text form.
std::string exemptionLine(const SidBytes& sid);
