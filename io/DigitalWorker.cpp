// The digital IO worker pair on the shared send step and receive loop (serial/CommIo.h). The
// transmit loop polls without a trigger: one frame, 200 ms after it left, the next (a failed
// write result goes on with the next poll); a protocol without frames only sleeps the pace.
// The receive loop judges every completed read on its own and counts only empty 500 ms waits
// as misses, so a module that answers garbage keeps the window open; three misses, or a line
// that is gone, end the window with the connection message.
#include "io/DigitalWorker.h"

#include "io/DigitalIo4652.h"
#include "io/IoTarget.h"
#include "res/GbkText.h"
#include "res/Texts.h"

namespace
{
const DWORD WINDOW_WAIT_MS = 2000;

struct TxContext
{
    const DigitalWorkerDesc* pstDesc;
    CommTx* pstTx;
};

bool fnBuildNext(void* pvContext)
{
    TxContext& stContext = *static_cast<TxContext*>(pvContext);
    const IoTarget stTarget = fnIoTarget();
    stContext.pstTx->m_dwTxLen = stContext.pstDesc->pfnBuildNext(
        stTarget.m_dwProtocol, stTarget.m_chAddress, stContext.pstTx->m_achTxBuf);
    return stContext.pstTx->m_dwTxLen != 0;
}

// The silence rule and the lost line end the window the same way: one message, then Close.
// Nothing is shown once the window was closed (the pair is stopped then), nor when the pair
// has already told the user about its line.
void fnConnectionLost(const DigitalWorkerDesc& stDesc)
{
    CommTRC& stTRC = *stDesc.pstTRC;
    // A line found gone at once may beat the window, which comes up after the pair starts.
    const DWORD dwStart = GetTickCount();
    while (stDesc.pfnWindow() == NULL && fnCommRunning(stTRC.m_stRx.m_bRun) &&
           GetTickCount() - dwStart < WINDOW_WAIT_MS)
        Sleep(10);
    const bool bTell = fnCommRunning(stTRC.m_stRx.m_bRun) && stDesc.pfnWindow() != NULL;
    fnCommPairStop(stTRC);
    if (bTell && stTRC.fnClaimLineLost())
        fnMessageBoxGbk(stDesc.pfnWindow(), TXT_IO_NO_CONNECTION, TXT_IO_CONTROL,
                        MB_ICONINFORMATION);
    HWND hWnd = stDesc.pfnWindow(); // the window may have closed while the box was up
    if (hWnd != NULL)
        SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

struct RxContext
{
    const DigitalWorkerDesc* pstDesc;
    uint32_t dwMisses;
};

// One completed read; a reply that is judged at all resets the miss count.
void fnDeliver(void* pvContext)
{
    RxContext& stContext = *static_cast<RxContext*>(pvContext);
    const DigitalWorkerDesc& stDesc = *stContext.pstDesc;
    const CommRx& stRx = stDesc.pstTRC->m_stRx;
    const uint32_t dwJudge =
        stDesc.pfnJudge(fnIoTarget().m_dwProtocol, stRx.m_achRxBuf, stRx.m_dwRxRead);
    if (dwJudge == DigitalDisplay)
        stDesc.pfnDisplay();
    if (dwJudge != DigitalIgnored)
        stContext.dwMisses = 0;
}

// An empty 500 ms wait; the third in a row ends the loop.
bool fnQuiet(void* pvContext)
{
    RxContext& stContext = *static_cast<RxContext*>(pvContext);
    return ++stContext.dwMisses < DIGITAL_MISS_LIMIT;
}
} // namespace

DWORD fnDigitalTxRun(const DigitalWorkerDesc& stDesc)
{
    CommTRC& stTRC = *stDesc.pstTRC;
    CommTx& stTx = stTRC.m_stTx;
    if (!fnCommTxBegin(stTx, stDesc.stTxTexts))
        return 1;
    stDesc.pfnStart(fnIoTarget().m_dwProtocol);
    TxContext stContext = {&stDesc, &stTx};
    CommSendStep stStep = {&stTRC,      &stDesc.stTxTexts, DIGITAL_WAIT_MS, CommTxGoOnNext,
                           fnBuildNext, &stContext,        false,           0};
    while (fnCommRunning(stTx.m_bRun))
    {
        const uint32_t dwResult = fnCommSend(stStep);
        if (dwResult == CommSendEnd)
            break;
        if (dwResult == CommSendNone)
        {
            Sleep(DIGITAL_PACE_MS); // nothing to send in this protocol; do not spin
        }
        else if (dwResult == CommSendDone)
        {
            if (stTx.m_dwTxWritten > 0)
                Sleep(DIGITAL_PACE_MS);
            fnCommTxEndPass(stTx);
        }
    }
    fnCommTxEnd(stTx);
    return 1;
}

DWORD fnDigitalRxRun(const DigitalWorkerDesc& stDesc)
{
    CommTRC& stTRC = *stDesc.pstTRC;
    if (!fnCommRxBegin(stTRC.m_stRx, stDesc.stRxTexts))
        return 1;
    RxContext stContext = {&stDesc, 0};
    const uint32_t dwEnd =
        fnCommRxLoop({&stTRC, &stDesc.stRxTexts, fnDeliver, fnQuiet, &stContext});
    if (dwEnd == CommRxQuiet || dwEnd == CommRxLost)
        fnConnectionLost(stDesc);
    fnCommRxEnd(stTRC.m_stRx);
    return 1;
}
