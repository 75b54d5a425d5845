// The VQ-4652 worker pair on gstCommTRCIO_4652: the model's frames, reply judging and state
// display plugged into the digital loops (io/DigitalWorker.cpp). The handler runs on the main
// thread; the two thread procedures are the pair. Messages of the workers have no owner.
#include "io/DigitalWorker.h"
#include "io/IoDlg4652.h"
#include "io/IoPortQuiet.h"
#include "io/ModuleIO.h"

DigitalIo4652 gstIOData_4652;

namespace
{
void fnStart(uint32_t dwProtocol)
{
    gstIOData_4652.fnStart(dwProtocol);
}

uint32_t fnBuildNext(uint32_t dwProtocol, uint8_t chAddress, uint8_t* pbyFrame)
{
    return gstIOData_4652.fnBuildNext(dwProtocol, chAddress, pbyFrame);
}

uint32_t fnJudge(uint32_t dwProtocol, const uint8_t* pbyData, uint32_t dwLen)
{
    return gstIOData_4652.fnJudge(dwProtocol, pbyData, dwLen);
}

void fnDisplay()
{
    ShowDigitalState_4652(gstIOData_4652.m_byInputs.load(), gstIOData_4652.m_byOutputs.load());
}

HWND fnWindow()
{
    return gstIOView_4652.m_hDlg.load();
}

const DigitalWorkerDesc WORKER = {
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
    fnStart,
    fnBuildNext,
    fnJudge,
    fnDisplay,
    fnWindow,
};

const CommPairDesc PAIR = {
    CommThread_ModuleIO_4652_Tx,
    CommThread_ModuleIO_4652_Rx,
    false,
    "INF:Idm_ModuleIO_4652()_01 Thread CommThread_ModuleIO_4652_Tx() Create Fail!",
    "INF:Idm_ModuleIO_4652()_02 Thread CommThread_ModuleIO_4652_Rx() Create Fail!",
};
} // namespace

int Idm_ModuleIO_4652(HWND hWnd)
{
    if (!fnIoPortQuiet(hWnd))
        return 1;
    return fnCommPairStart(gstCommTRCIO_4652, hWnd, PAIR);
}

DWORD WINAPI CommThread_ModuleIO_4652_Tx(LPVOID)
{
    return fnDigitalTxRun(WORKER);
}

DWORD WINAPI CommThread_ModuleIO_4652_Rx(LPVOID)
{
    return fnDigitalRxRun(WORKER);
}
