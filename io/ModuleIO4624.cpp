// The VQ-4624 worker pair on gstCommTRCIO_4624, run by the analog loops (io/AnalogWorker.cpp).
// The handler runs on the main thread; every message of the pair has the IO window as owner.
#include "io/AnalogWorker.h"
#include "io/ModuleIO.h"

AnalogValues gstIOData_4624;

namespace
{
HWND fnOwner()
{
    return gstAnalogWorkerView_4624.pfnWindow();
}

const AnalogWorkerDesc WORKER = {
    &gstCommTRCIO_4624,
    &gstIOData_4624,
    &gstAnalogWorkerView_4624,
    fnOwner,
    {"INF:CommThread_ModuleIO_4624_Tx()_01 gstCommTRCIO_4624.m_stTx.m_stOL.hEvent==NULL",
     "INF:CommThread_ModuleIO_4624_Tx()_03 COM Tx Data Error! the GetLastError return %d",
     "INF:CommThread_ModuleIO_4624_Tx()_04 COM Tx Data-The WaitForMultipleObjects() Return "
     "Unknown!",
     fnOwner},
    "INF:CommThread_ModuleIO_4624_Tx()_02 gstCommTRCIO_4624.m_stTx.m_hIsTransmit==NULL",
    "INF:CommThread_ModuleIO_4624_Rx()_01 gstCommTRCIO_4624.m_stRx.m_stOL.hEvent==NULL",
    "INF:CommThread_ModuleIO_4624_Rx()_02 COM Read Error! the GetLastError() return %d",
    "INF:CommThread_ModuleIO_4624_Rx()_03 COM Read Error! the GetLastError() return %d",
    "INF:CommThread_ModuleIO_4624_Rx()_04 COM Read Error! the GetLastError() return %d",
    "INF:CommThread_ModuleIO_4624_Rx()_05 COM Rx - The WaitForMultipleObjects() Return Unknown!",
};

const CommPairDesc PAIR = {
    CommThread_ModuleIO_4624_Tx,
    CommThread_ModuleIO_4624_Rx,
    false,
    "INF:Idm_ModuleIO_4624()_01 Thread CommThread_ModuleIO_4624_Tx() Create Fail!",
    "INF:Idm_ModuleIO_4624()_02 Thread CommThread_ModuleIO_4624_Rx() Create Fail!",
};
} // namespace

int Idm_ModuleIO_4624(HWND hWnd)
{
    // Every earlier pair is waited for first, so the last receive worker of this model cannot
    // mark this window's pair as ended.
    if (!fnCommPairsQuiet(hWnd))
        return 1;
    gstAnalogWorkerView_4624.pfnPairStarting();
    return fnCommPairStart(gstCommTRCIO_4624, hWnd, PAIR);
}

DWORD WINAPI CommThread_ModuleIO_4624_Tx(LPVOID)
{
    return fnAnalogTxRun(WORKER);
}

DWORD WINAPI CommThread_ModuleIO_4624_Rx(LPVOID)
{
    return fnAnalogRxRun(WORKER);
}
