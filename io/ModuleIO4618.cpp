// The VQ-4618 worker pair on gstCommTRCIO_4618: the model's poll, reply judging and lamp
// display plugged into the digital loops (io/DigitalWorker.cpp). The handler runs on the main
// thread; the two thread procedures are the pair. Messages of the workers have no owner.
#include "io/DigitalWorker.h"
#include "io/IoDlg4618.h"
#include "io/IoPortQuiet.h"
#include "io/ModuleIO.h"

DigitalIo4618 gstIOData_4618;

namespace
{
void fnStart(uint32_t)
{
    // Every frame is the poll: nothing to drop.
}

uint32_t fnBuildNext(uint32_t dwProtocol, uint8_t chAddress, uint8_t* pbyFrame)
{
    return gstIOData_4618.fnBuildNext(dwProtocol, chAddress, pbyFrame);
}

uint32_t fnJudge(uint32_t dwProtocol, const uint8_t* pbyData, uint32_t dwLen)
{
    return gstIOData_4618.fnJudge(dwProtocol, pbyData, dwLen);
}

void fnDisplay()
{
    ShowDigitalState_4618(gstIOData_4618.m_byInputs.load());
}

HWND fnWindow()
{
    return gstIOView_4618.m_hDlg.load();
}

const DigitalWorkerDesc WORKER = {
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
    fnStart,
    fnBuildNext,
    fnJudge,
    fnDisplay,
    fnWindow,
};

const CommPairDesc PAIR = {
    CommThread_ModuleIO_4618_Tx,
    CommThread_ModuleIO_4618_Rx,
    false,
    "INF:Idm_ModuleIO_4618()_01 Thread CommThread_ModuleIO_4618_Tx() Create Fail!",
    "INF:Idm_ModuleIO_4618()_02 Thread CommThread_ModuleIO_4618_Rx() Create Fail!",
};
} // namespace

int Idm_ModuleIO_4618(HWND hWnd)
{
    if (!fnIoPortQuiet(hWnd))
        return 1;
    return fnCommPairStart(gstCommTRCIO_4618, hWnd, PAIR);
}

DWORD WINAPI CommThread_ModuleIO_4618_Tx(LPVOID)
{
    return fnDigitalTxRun(WORKER);
}

DWORD WINAPI CommThread_ModuleIO_4618_Rx(LPVOID)
{
    return fnDigitalRxRun(WORKER);
}
