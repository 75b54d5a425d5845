// The VQ-4637 worker pair on gstCommTRCIO_4637, run by the analog loops (io/AnalogWorker.cpp).
// The handler runs on the main thread; every message of the pair has the IO window as owner.
#include "io/AnalogWorker.h"
#include "io/ModuleIO.h"

AnalogValues gstIOData_4637;

namespace
{
HWND fnOwner()
{
    return gstAnalogWorkerView_4637.pfnWindow();
}

const AnalogWorkerDesc WORKER = {
    &gstCommTRCIO_4637,
    &gstIOData_4637,
    &gstAnalogWorkerView_4637,
    fnOwner,
    {"INF:CommThread_ModuleIO_4637_Tx()_01 gstCommTRCIO_4637.m_stTx.m_stOL.hEvent==NULL",
     "INF:CommThread_ModuleIO_4637_Tx()_03 COM Tx Data Error! the GetLastError return %d",
     "INF:CommThread_ModuleIO_4637_Tx()_04 COM Tx Data-The WaitForMultipleObjects() Return "
     "Unknown!",
     fnOwner},
    "INF:CommThread_ModuleIO_4637_Tx()_02 gstCommTRCIO_4637.m_stTx.m_hIsTransmit==NULL",
    "INF:CommThread_ModuleIO_4637_Rx()_01 gstCommTRCIO_4637.m_stRx.m_stOL.hEvent==NULL",
    "INF:CommThread_ModuleIO_4637_Rx()_02 COM Read Error! the GetLastError() return %d",
    "INF:CommThread_ModuleIO_4637_Rx()_03 COM Read Error! the GetLastError() return %d",
    "INF:CommThread_ModuleIO_4637_Rx()_04 COM Read Error! the GetLastError() return %d",
    "INF:CommThread_ModuleIO_4637_Rx()_05 COM Rx - The WaitForMultipleObjects() Return Unknown!",
};

const CommPairDesc PAIR = {
    CommThread_ModuleIO_4637_Tx,
    CommThread_ModuleIO_4637_Rx,
    false,
    "INF:Idm_ModuleIO_4637()_01 Thread CommThread_ModuleIO_4637_Tx() Create Fail!",
    "INF:Idm_ModuleIO_4637()_02 Thread CommThread_ModuleIO_4637_Rx() Create Fail!",
};
} // namespace

int Idm_ModuleIO_4637(HWND hWnd)
{
    // Every earlier pair is waited for first, so the last receive worker of this model cannot
    // mark this window's pair as ended.
    if (!fnCommPairsQuiet(hWnd))
        return 1;
    gstAnalogWorkerView_4637.pfnPairStarting();
    return fnCommPairStart(gstCommTRCIO_4637, hWnd, PAIR);
}

DWORD WINAPI CommThread_ModuleIO_4637_Tx(LPVOID)
{
    return fnAnalogTxRun(WORKER);
}

DWORD WINAPI CommThread_ModuleIO_4637_Rx(LPVOID)
{
    return fnAnalogRxRun(WORKER);
}
