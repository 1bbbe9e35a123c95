#pragma once

// The network isolation records of FirewallAPI.dll. The Windows SDK declares
// them in networkisolation.h; MinGW-w64 does not, so the same layout is
// declared here when that header is missing.

#include <windows.h>

#if __has_include(<networkisolation.h>)
#include <networkisolation.h>
#else
typedef struct INET_FIREWALL_AC_CAPABILITIES {
    DWORD count;
    SID_AND_ATTRIBUTES* capabilities;
} INET_FIREWALL_AC_CAPABILITIES, *PINET_FIREWALL_AC_CAPABILITIES;

typedef struct INET_FIREWALL_AC_BINARIES {
    DWORD count;
    LPWSTR* binaries;
} INET_FIREWALL_AC_BINARIES, *PINET_FIREWALL_AC_BINARIES;

typedef struct INET_FIREWALL_APP_CONTAINER {
    SID* appContainerSid;
    SID* userSid;
    LPWSTR appContainerName;
    LPWSTR displayName;
    LPWSTR description;
    INET_FIREWALL_AC_CAPABILITIES capabilities;
    INET_FIREWALL_AC_BINARIES binaries;
    LPWSTR workingDirectory;
    LPWSTR packageFullName;
} INET_FIREWALL_APP_CONTAINER, *PINET_FIREWALL_APP_CONTAINER;
#endif

// Signatures of the four functions, bound at run time.
using EnumAppContainersFunction = DWORD WINAPI(DWORD flags, DWORD* count,
                                               INET_FIREWALL_APP_CONTAINER** appContainers);
using FreeAppContainersFunction = DWORD WINAPI(INET_FIREWALL_APP_CONTAINER* appContainers);
using GetAppContainerConfigFunction = DWORD WINAPI(DWORD* count, SID_AND_ATTRIBUTES** appContainerSids);
using SetAppContainerConfigFunction = DWORD WINAPI(DWORD count, SID_AND_ATTRIBUTES* appContainerSids);
