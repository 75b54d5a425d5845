// The worker pairs of the two analog models on gstCommTRCIO_4624 and gstCommTRCIO_4637: each
// model's values and window view plugged into the analog loops (io/AnalogWorker.cpp) through an
// AnalogWorkerDesc. The handlers run on the main thread; each thread procedure is one half of a
// pair. Every message of a pair has its IO window as owner.
#include "io/AnalogWorker.h"
#include "io/ModuleIO.h"

AnalogValues gstIOData_4624;
AnalogValues gstIOData_4637;

namespace
{
template <const AnalogWorkerView& VIEW> HWND fnOwner()
{
    return VIEW.pfnWindow();
}

const AnalogWorkerDesc WORKER_4624 = {
    &gstCommTRCIO_4624,
    &gstIOData_4624,
    &gstAnalogWorkerView_4624,
    fnOwner<gstAnalogWorkerView_4624>,
    {"INF:CommThread_ModuleIO_4624_Tx()_01 gstCommTRCIO_4624.m_stTx.m_stOL.hEvent==NULL",
     "INF:CommThread_ModuleIO_4624_Tx()_03 COM Tx Data Error! the GetLastError return %d",
     "INF:CommThread_ModuleIO_4624_Tx()_04 COM Tx Data-The WaitForMultipleObjects() Return "
     "Unknown!",
     fnOwner<gstAnalogWorkerView_4624>},
    "INF:CommThread_ModuleIO_4624_Tx()_02 gstCommTRCIO_4624.m_stTx.m_hIsTransmit==NULL",
    "INF:CommThread_ModuleIO_4624_Rx()_01 gstCommTRCIO_4624.m_stRx.m_stOL.hEvent==NULL",
    "INF:CommThread_ModuleIO_4624_Rx()_02 COM Read Error! the GetLastError() return %d",
    "INF:CommThread_ModuleIO_4624_Rx()_03 COM Read Error! the GetLastError() return %d",
    "INF:CommThread_ModuleIO_4624_Rx()_04 COM Read Error! the GetLastError() return %d",
    "INF:CommThread_ModuleIO_4624_Rx()_05 COM Rx - The WaitForMultipleObjects() Return Unknown!",
};

const AnalogWorkerDesc WORKER_4637 = {
    &gstCommTRCIO_4637,
    &gstIOData_4637,
    &gstAnalogWorkerView_4637,
    fnOwner<gstAnalogWorkerView_4637>,
    {"INF:CommThread_ModuleIO_4637_Tx()_01 gstCommTRCIO_4637.m_stTx.m_stOL.hEvent==NULL",
     "INF:CommThread_ModuleIO_4637_Tx()_03 COM Tx Data Error! the GetLastError return %d",
     "INF:CommThread_ModuleIO_4637_Tx()_04 COM Tx Data-The WaitForMultipleObjects() Return "
     "Unknown!",
     fnOwner<gstAnalogWorkerView_4637>},
    "INF:CommThread_ModuleIO_4637_Tx()_02 gstCommTRCIO_4637.m_stTx.m_hIsTransmit==NULL",
    "INF:CommThread_ModuleIO_4637_Rx()_01 gstCommTRCIO_4637.m_stRx.m_stOL.hEvent==NULL",
    "INF:CommThread_ModuleIO_4637_Rx()_02 COM Read Error! the GetLastError() return %d",
    "INF:CommThread_ModuleIO_4637_Rx()_03 COM Read Error! the GetLastError() return %d",
    "INF:CommThread_ModuleIO_4637_Rx()_04 COM Read Error! the GetLastError() return %d",
    "INF:CommThread_ModuleIO_4637_Rx()_05 COM Rx - The WaitForMultipleObjects() Return Unknown!",
};

const CommPairDesc PAIR_4624 = {
    CommThread_ModuleIO_4624_Tx,
    CommThread_ModuleIO_4624_Rx,
    false,
    "INF:Idm_ModuleIO_4624()_01 Thread CommThread_ModuleIO_4624_Tx() Create Fail!",
    "INF:Idm_ModuleIO_4624()_02 Thread CommThread_ModuleIO_4624_Rx() Create Fail!",
};

const CommPairDesc PAIR_4637 = {
    CommThread_ModuleIO_4637_Tx,
    CommThread_ModuleIO_4637_Rx,
    false,
    "INF:Idm_ModuleIO_4637()_01 Thread CommThread_ModuleIO_4637_Tx() Create Fail!",
    "INF:Idm_ModuleIO_4637()_02 Thread CommThread_ModuleIO_4637_Rx() Create Fail!",
};

int fnAnalogPairStart(HWND hWnd, const AnalogWorkerDesc& stWorker, const CommPairDesc& stPair)
{
    // Every earlier pair is waited for first, so the last receive worker of this model cannot
    // mark this window's pair as ended.
    if (!fnCommPairsQuiet(hWnd))
        return 1;
    stWorker.pstView->pfnPairStarting();
    return fnCommPairStart(*stWorker.pstTRC, hWnd, stPair);
}
} // namespace

int Idm_ModuleIO_4624(HWND hWnd)
{
    return fnAnalogPairStart(hWnd, WORKER_4624, PAIR_4624);
}

int Idm_ModuleIO_4637(HWND hWnd)
{
    return fnAnalogPairStart(hWnd, WORKER_4637, PAIR_4637);
}

DWORD WINAPI CommThread_ModuleIO_4624_Tx(LPVOID)
{
    return fnAnalogTxRun(WORKER_4624);
}

DWORD WINAPI CommThread_ModuleIO_4624_Rx(LPVOID)
{
    return fnAnalogRxRun(WORKER_4624);
}

DWORD WINAPI CommThread_ModuleIO_4637_Tx(LPVOID)
{
    return fnAnalogTxRun(WORKER_4637);
}

DWORD WINAPI CommThread_ModuleIO_4637_Rx(LPVOID)
{
    return fnAnalogRxRun(WORKER_4637);
}
