// Probe loaded into the program under test. Wine answers GetGuiResources and
// GetProcessHandleCount for another process with 0 and keeps menus inside the owning process, so
// the GUI driver and the soak and bench tools install this module as a call-window-procedure
// hook on the program's main thread and send the main window a registered message; the hook then
// counts, inside the program, its GDI objects, its windows, its kernel handles and its private
// committed memory, copies its menu tree, and writes both into a file mapping named after the
// program's process id, which the tool created before sending.
#include "tools/driver/SoakProbeData.h"

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

// Appends one line "SUB\tPOS\tID\tTYPE\tSTATE\tTEXT\n"; SUB is -1 for the menu bar.
size_t fnAppendItem(wchar_t* pOut, size_t nUsed, int nSub, HMENU hMenu, int nPos)
{
    wchar_t achText[256] = {0};
    MENUITEMINFOW stInfo;
    ZeroMemory(&stInfo, sizeof stInfo);
    stInfo.cbSize = sizeof stInfo;
    stInfo.fMask = MIIM_ID | MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
    stInfo.dwTypeData = achText;
    stInfo.cch = 255;
    if (!GetMenuItemInfoW(hMenu, static_cast<UINT>(nPos), TRUE, &stInfo))
    {
        achText[0] = 0;
    }
    if (nUsed + 400 >= kProbeMenuChars)
    {
        return nUsed;
    }
    int n = swprintf(pOut + nUsed, kProbeMenuChars - nUsed, L"%d\t%d\t%u\t%u\t%u\t%ls\n", nSub,
                     nPos, stInfo.wID, stInfo.fType, stInfo.fState, achText);
    return n > 0 ? nUsed + static_cast<size_t>(n) : nUsed;
}

// The menu tree of the main window into the mapping.
void fnDumpMenu(HWND hWnd, wchar_t* pOut)
{
    size_t nUsed = 0;
    HMENU hBar = GetMenu(hWnd);
    int nBar = hBar ? GetMenuItemCount(hBar) : 0;
    for (int i = 0; i < nBar; ++i)
    {
        nUsed = fnAppendItem(pOut, nUsed, -1, hBar, i);
    }
    for (int i = 0; i < nBar; ++i)
    {
        HMENU hSub = GetSubMenu(hBar, i);
        int nItems = hSub ? GetMenuItemCount(hSub) : 0;
        for (int j = 0; j < nItems; ++j)
        {
            nUsed = fnAppendItem(pOut, nUsed, i, hSub, j);
        }
    }
    pOut[nUsed] = 0;
}

void fnReport(HWND hWnd)
{
    wchar_t achName[64];
    swprintf(achName, 64, L"%ls%lu", kSoakProbeMapping, GetCurrentProcessId());
    HANDLE hMap = OpenFileMappingW(FILE_MAP_WRITE, FALSE, achName);
    if (hMap == nullptr)
    {
        return;
    }
    ProbeMapping* pOut = static_cast<ProbeMapping*>(MapViewOfFile(hMap, FILE_MAP_WRITE, 0, 0, 0));
    if (pOut != nullptr)
    {
        SoakProbeData stData = {};
        stData.dwGdiObjects = fnGdiObjects();
        stData.dwUserObjects = fnUserObjects(&stData.dwWindows);
        stData.dwHandles = fnHandles(&stData.dwHandlesProbed);
        fnMemory(&stData);
        stData.dwValid = 1;
        fnDumpMenu(hWnd, pOut->achMenu);
        pOut->figures = stData;
        UnmapViewOfFile(pOut);
    }
    CloseHandle(hMap);
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    VqProbeHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HC_ACTION)
    {
        const CWPSTRUCT* pMsg = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (pMsg->message == RegisterWindowMessageW(kSoakProbeMessage))
        {
            fnReport(pMsg->hwnd);
        }
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}
