// Kept for the IO handlers: every pair of every feature is waited for by the lifecycle owner;
// and the one end of an IO window whose module or line was lost.
#include "io/IoPortQuiet.h"

#include "res/GbkText.h"
#include "res/Texts.h"
#include "serial/CommLife.h"

namespace
{
const DWORD WINDOW_WAIT_MS = 2000;
}

bool fnIoPortQuiet(HWND hOwner)
{
    return fnCommPairsQuiet(hOwner);
}

void fnIoConnectionLost(CommTRC& stTRC, CommOwnerFn pfnWindow)
{
    const DWORD dwStart = GetTickCount();
    while (pfnWindow() == NULL && fnCommRunning(stTRC.m_stRx.m_bRun) &&
           GetTickCount() - dwStart < WINDOW_WAIT_MS)
        Sleep(10);
    const bool bTell = fnCommRunning(stTRC.m_stRx.m_bRun) && pfnWindow() != NULL;
    fnCommPairStop(stTRC);
    if (bTell && stTRC.fnClaimLineLost())
        fnMessageBoxGbk(pfnWindow(), TXT_IO_NO_CONNECTION, TXT_IO_CONTROL, MB_ICONINFORMATION);
    HWND hWnd = pfnWindow(); // the window may have closed while the box was up
    if (hWnd != NULL)
        SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}
