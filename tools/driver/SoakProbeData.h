// What the probe inside the program reports to the GUI driver, the soak and the bench tools,
// through a file mapping named kSoakProbeMapping followed by the program's process id: its
// resource figures and its menu tree.
#pragma once

#include <cstdint>

const wchar_t kSoakProbeMessage[] = L"VQSoakProbe";
const wchar_t kSoakProbeMapping[] = L"VQSoakProbe_";

struct SoakProbeData
{
    uint32_t dwValid;            // 1 once the probe has written
    uint32_t dwGdiObjects;       // GetGuiResources, or the live GDI handle table entries
    uint32_t dwUserObjects;      // GetGuiResources GR_USEROBJECTS; 0 when not available
    uint32_t dwWindows;          // windows of the process, top-level and children
    uint32_t dwHandles;          // GetProcessHandleCount; 0 when not available
    uint32_t dwHandlesProbed;    // handle values that name an open kernel handle
    uint64_t qwPrivateUsage;     // GetProcessMemoryInfo PrivateUsage; 0 when not available
    uint64_t qwPrivateCommitted; // committed private regions (VirtualQuery)
};

const uint32_t kProbeMenuChars = 16384;

struct ProbeMapping
{
    SoakProbeData figures;
    // The menu bar and its submenus, a line "SUB\tPOS\tID\tTYPE\tSTATE\tTEXT\n" per item (SUB is
    // -1 for the menu bar).
    wchar_t achMenu[kProbeMenuChars];
};
