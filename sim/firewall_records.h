#pragma once

// The records FirewallAPI.dll hands out, as the Windows SDK lays them out.
// Declared here, never taken from the SDK's networkisolation.h or from the
// program's copy, so that running the program against this DLL checks the
// program's layout against a second one.

#include <windows.h>

struct INET_FIREWALL_AC_CAPABILITIES {
    DWORD count;
    SID_AND_ATTRIBUTES* capabilities;
};

struct INET_FIREWALL_AC_BINARIES {
    DWORD count;
    LPWSTR* binaries;
};

struct INET_FIREWALL_APP_CONTAINER {
    SID* appContainerSid;
    SID* userSid;
    LPWSTR appContainerName;
    LPWSTR displayName;
    LPWSTR description;
    INET_FIREWALL_AC_CAPABILITIES capabilities;
    INET_FIREWALL_AC_BINARIES binaries;
    LPWSTR workingDirectory;
    LPWSTR packageFullName;
};
