#pragma once

#include "firewall_records.h"
#include "store_model.h"

// Every enumeration handed out and not yet freed. The records of one
// enumeration point into the apps it keeps, so one free releases them all,
// and a pointer that was never handed out (or was already freed) is refused
// instead of corrupting memory.

// Never null, even for no apps, so that every enumeration has one free.
INET_FIREWALL_APP_CONTAINER* handOutEnumeration(std::vector<StoredApp> apps);

// False when `records` is not an outstanding enumeration.
bool releaseEnumeration(const INET_FIREWALL_APP_CONTAINER* records);
