// The worker pairs of the two digital models on gstCommTRCIO_4652 and gstCommTRCIO_4618: each
// model's DigitalIo and window plugged into the digital loops (io/DigitalWorker.cpp) through a
// DigitalWorkerDesc. The handlers run on the main thread; each thread procedure is one half of
// a pair. Messages of the workers have no owner. The time the model state needs is read here.
#include "io/DigitalWorker.h"
#include "io/IoDlgDigital.h"
#include "io/IoPortQuiet.h"
#include "io/ModuleIO.h"

DigitalIo gstIOData_4652(DIGITAL_MODEL_4652);
DigitalIo gstIOData_4618(DIGITAL_MODEL_4618);

namespace
{
template <DigitalIo& DATA> void fnStart(uint32_t dwProtocol)
{
    DATA.fnStart(dwProtocol);
}

template <DigitalIo& DATA>
uint32_t fnBuildNext(uint32_t dwProtocol, uint8_t chAddress, uint8_t* pbyFrame)
{
    return DATA.fnBuildNext(dwProtocol, chAddress, pbyFrame, GetTickCount());
}

template <DigitalIo& DATA>
uint32_t fnJudge(uint32_t dwProtocol, const uint8_t* pbyData, uint32_t dwLen)
{
    return DATA.fnJudge(dwProtocol, pbyData, dwLen, GetTickCount());
}

template <IOViewDigital& VIEW> void fnDisplay()
{
    VIEW.fnShowData();
}

template <IOViewDigital& VIEW> HWND fnWindow()
{
    return VIEW.fnWindow();
}

const DigitalWorkerDesc WORKER_4652 = {
    &gstCommTRCIO_4652,
    {"INF:CommThread_ModuleIO_4652_Tx()_01 gstCommTRCIO_4652.m_stTx.m_stOL.hEvent==NULL",
     "INF:CommThread_ModuleIO_4652_Tx()_02 COM Tx Data Error! the GetLastError return %d",
     "INF:CommThread_ModuleIO_4652_Tx()_03 COM Tx Data-The WaitForMultipleObjects() Return "
     "Unknown!",
     nullptr},
    {"INF:CommThread_ModuleIO_4652_Rx()_01 gstCommTRCIO_4652.m_stRx.m_stOL.hEvent==NULL",
     "INF:CommThread_ModuleIO_4652_Rx()_02 COM Read Error! the GetLastError() return %d",
     "INF:CommThread_ModuleIO_4652_Rx()_03 COM Rx - The WaitForMultipleObjects() Return Unknown!",
     nullptr, nullptr},
    fnStart<gstIOData_4652>,
    fnBuildNext<gstIOData_4652>,
    fnJudge<gstIOData_4652>,
    fnDisplay<gstIOView_4652>,
    fnWindow<gstIOView_4652>,
};

const DigitalWorkerDesc WORKER_4618 = {
    &gstCommTRCIO_4618,
    {"INF:CommThread_ModuleIO_4618_Tx()_01 gstCommTRCIO_4618.m_stTx.m_stOL.hEvent==NULL",
     "INF:CommThread_ModuleIO_4618_Tx()_02 COM Tx Data Error! the GetLastError return %d",
     "INF:CommThread_ModuleIO_4618_Tx()_03 COM Tx Data-The WaitForMultipleObjects() Return "
     "Unknown!",
     nullptr},
    {"INF:CommThread_ModuleIO_4618_Rx()_01 gstCommTRCIO_4618.m_stRx.m_stOL.hEvent==NULL",
     "INF:CommThread_ModuleIO_4618_Rx()_02 COM Read Error! the GetLastError() return %d",
     "INF:CommThread_ModuleIO_4618_Rx()_03 COM Rx - The WaitForMultipleObjects() Return Unknown!",
     nullptr, nullptr},
    fnStart<gstIOData_4618>,
    fnBuildNext<gstIOData_4618>,
    fnJudge<gstIOData_4618>,
    fnDisplay<gstIOView_4618>,
    fnWindow<gstIOView_4618>,
};

const CommPairDesc PAIR_4652 = {
    CommThread_ModuleIO_4652_Tx,
    CommThread_ModuleIO_4652_Rx,
    false,
    "INF:Idm_ModuleIO_4652()_01 Thread CommThread_ModuleIO_4652_Tx() Create Fail!",
    "INF:Idm_ModuleIO_4652()_02 Thread CommThread_ModuleIO_4652_Rx() Create Fail!",
};

const CommPairDesc PAIR_4618 = {
    CommThread_ModuleIO_4618_Tx,
    CommThread_ModuleIO_4618_Rx,
    false,
    "INF:Idm_ModuleIO_4618()_01 Thread CommThread_ModuleIO_4618_Tx() Create Fail!",
    "INF:Idm_ModuleIO_4618()_02 Thread CommThread_ModuleIO_4618_Rx() Create Fail!",
};

int fnDigitalPairStart(HWND hWnd, CommTRC& stTRC, const CommPairDesc& stPair)
{
    if (!fnIoPortQuiet(hWnd))
        return 1;
    return fnCommPairStart(stTRC, hWnd, stPair);
}
} // namespace

int Idm_ModuleIO_4652(HWND hWnd)
{
    return fnDigitalPairStart(hWnd, gstCommTRCIO_4652, PAIR_4652);
}

int Idm_ModuleIO_4618(HWND hWnd)
{
    return fnDigitalPairStart(hWnd, gstCommTRCIO_4618, PAIR_4618);
}

DWORD WINAPI CommThread_ModuleIO_4652_Tx(LPVOID)
{
    return fnDigitalTxRun(WORKER_4652);
}

DWORD WINAPI CommThread_ModuleIO_4652_Rx(LPVOID)
{
    return fnDigitalRxRun(WORKER_4652);
}

DWORD WINAPI CommThread_ModuleIO_4618_Tx(LPVOID)
{
    return fnDigitalTxRun(WORKER_4618);
}

DWORD WINAPI CommThread_ModuleIO_4618_Rx(LPVOID)
{
    return fnDigitalRxRun(WORKER_4618);
}
