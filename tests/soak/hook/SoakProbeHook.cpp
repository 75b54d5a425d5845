// Resource probe loaded into the program under test. Wine answers GetGuiResources and
// GetProcessHandleCount for another process with 0, so the soak and bench tools install this
// module as a call-window-procedure hook on the program's main thread and send the main window
// a registered message; the hook then counts, inside the program, its GDI objects, its windows,
// its kernel handles and its private committed memory, and writes them into a file mapping
// named after the program's process id, which the tool created before sending.
#include "tests/soak/SoakProbeData.h"

#include <windows.h>
#include <psapi.h>

#include <cwchar>

namespace
{

// GDI objects: the system's count when it gives one, else the live entries of the GDI handle
// table (a handle whose upper word is 0 names its table entry whatever its generation).
DWORD fnGdiObjects()
{
    DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (n != 0)
    {
        return n;
    }
    for (ULONG_PTR idx = 1; idx < 0x10000; ++idx)
    {
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(idx)) != 0)
        {
            ++n;
        }
    }
    return n;
}

BOOL CALLBACK fnCountChild(HWND, LPARAM lParam)
{
    ++*reinterpret_cast<DWORD*>(lParam);
    return TRUE;
}

BOOL CALLBACK fnCountTop(HWND hWnd, LPARAM lParam)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (pid == GetCurrentProcessId())
    {
        ++*reinterpret_cast<DWORD*>(lParam);
        EnumChildWindows(hWnd, fnCountChild, lParam);
    }
    return TRUE;
}

// User objects: the system's count, else the windows of the process (top-level and children).
DWORD fnUserObjects(uint32_t* pWindows)
{
    DWORD nWindows = 0;
    EnumWindows(fnCountTop, reinterpret_cast<LPARAM>(&nWindows));
    *pWindows = nWindows;
    return GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS);
}

// Kernel handles: the system's count, else the handle values that name an open handle.
DWORD fnHandles(uint32_t* pProbed)
{
    DWORD n = 0;
    GetProcessHandleCount(GetCurrentProcess(), &n);
    uint32_t nProbed = 0;
    DWORD dwFlags = 0;
    for (ULONG_PTR h = 4; h < 0x10000; h += 4)
    {
        if (GetHandleInformation(reinterpret_cast<HANDLE>(h), &dwFlags))
        {
            ++nProbed;
        }
    }
    *pProbed = nProbed;
    return n;
}

// Private memory: PrivateUsage, and the committed private regions walked with VirtualQuery.
void fnMemory(SoakProbeData* pOut)
{
    PROCESS_MEMORY_COUNTERS_EX stMem = {};
    stMem.cb = sizeof stMem;
    if (GetProcessMemoryInfo(GetCurrentProcess(),
                             reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&stMem), sizeof stMem))
    {
        pOut->qwPrivateUsage = stMem.PrivateUsage;
    }
    MEMORY_BASIC_INFORMATION stInfo;
    const char* p = nullptr;
    ULONGLONG qwPrivate = 0;
    while (VirtualQuery(p, &stInfo, sizeof stInfo) == sizeof stInfo)
    {
        if (stInfo.State == MEM_COMMIT && stInfo.Type == MEM_PRIVATE)
        {
            qwPrivate += stInfo.RegionSize;
        }
        const char* pNext = static_cast<const char*>(stInfo.BaseAddress) + stInfo.RegionSize;
        if (pNext <= p)
        {
            break;
        }
        p = pNext;
    }
    pOut->qwPrivateCommitted = qwPrivate;
}

void fnReport()
{
    wchar_t achName[64];
    swprintf(achName, 64, L"%ls%lu", kSoakProbeMapping, GetCurrentProcessId());
    HANDLE hMap = OpenFileMappingW(FILE_MAP_WRITE, FALSE, achName);
    if (hMap == nullptr)
    {
        return;
    }
    SoakProbeData* pOut = static_cast<SoakProbeData*>(MapViewOfFile(hMap, FILE_MAP_WRITE, 0, 0, 0));
    if (pOut != nullptr)
    {
        SoakProbeData stData = {};
        stData.dwGdiObjects = fnGdiObjects();
        stData.dwUserObjects = fnUserObjects(&stData.dwWindows);
        stData.dwHandles = fnHandles(&stData.dwHandlesProbed);
        fnMemory(&stData);
        stData.dwValid = 1;
        *pOut = stData;
        UnmapViewOfFile(pOut);
    }
    CloseHandle(hMap);
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    VqSoakProbeHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HC_ACTION)
    {
        const CWPSTRUCT* pMsg = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (pMsg->message == RegisterWindowMessageW(kSoakProbeMessage))
        {
            fnReport();
        }
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}
