// Menu probe loaded into the program under test. Menu handles cannot be read from another
// process under Wine, so the GUI driver installs this module as a call-window-procedure hook on
// the program's main thread and sends the main window a registered message; the hook then runs
// on that thread, inside the program, and writes the whole menu tree into a file mapping that
// the driver created and named after the program's process id.
#include <windows.h>

#include <cwchar>

namespace
{

const wchar_t kProbeMessage[] = L"VQGuiMenuProbe";
const DWORD kMappingChars = 32768;

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
    if (nUsed + 400 >= kMappingChars)
    {
        return nUsed;
    }
    int n = swprintf(pOut + nUsed, kMappingChars - nUsed, L"%d\t%d\t%u\t%u\t%u\t%ls\n", nSub, nPos,
                     stInfo.wID, stInfo.fType, stInfo.fState, achText);
    return n > 0 ? nUsed + static_cast<size_t>(n) : nUsed;
}

void fnDumpMenu(HWND hWnd)
{
    wchar_t achName[64];
    swprintf(achName, 64, L"VQGuiMenuDump_%lu", GetCurrentProcessId());
    HANDLE hMap = OpenFileMappingW(FILE_MAP_WRITE, FALSE, achName);
    if (hMap == nullptr)
    {
        return;
    }
    wchar_t* pOut = static_cast<wchar_t*>(MapViewOfFile(hMap, FILE_MAP_WRITE, 0, 0, 0));
    if (pOut != nullptr)
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
        UnmapViewOfFile(pOut);
    }
    CloseHandle(hMap);
}

} // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    VqMenuProbeHook(int nCode, WPARAM wParam, LPARAM lParam)
{
    if (nCode == HC_ACTION)
    {
        const CWPSTRUCT* pMsg = reinterpret_cast<const CWPSTRUCT*>(lParam);
        if (pMsg->message == RegisterWindowMessageW(kProbeMessage))
        {
            fnDumpMenu(pMsg->hwnd);
        }
    }
    return CallNextHookEx(nullptr, nCode, wParam, lParam);
}
