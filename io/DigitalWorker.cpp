// The digital IO worker pair. The transmit loop polls without a trigger: one frame, 200 ms
// after it left, the next; a protocol without frames only sleeps the pace. The receive loop
// judges every completed read on its own and counts only empty 500 ms waits as misses, so a
// module that answers garbage keeps the window open; three misses end it with the message.
#include "io/DigitalWorker.h"

#include "io/DigitalIo4652.h"
#include "io/IoTarget.h"
#include "res/GbkText.h"
#include "res/Texts.h"

namespace
{
// After a completed write: the pace when bytes left, then the pass ends.
void fnAfterWrite(CommTx& stTx)
{
    if (stTx.m_dwTxWritten > 0)
        Sleep(DIGITAL_PACE_MS);
    fnCommTxEndPass(stTx);
}

// Builds and starts the next frame. false when the thread must end.
bool fnSendNext(const DigitalWorkerDesc& stDesc, CommTx& stTx)
{
    const IoTarget stTarget = fnIoTarget();
    stTx.m_dwTxLen =
        stDesc.pfnBuildNext(stTarget.m_dwProtocol, stTarget.m_chAddress, stTx.m_achTxBuf);
    if (stTx.m_dwTxLen == 0)
    {
        Sleep(DIGITAL_PACE_MS); // nothing to send in this protocol; do not spin
        return true;
    }
    const uint32_t dwResult = fnCommWrite(stTx, stDesc.stTxTexts);
    if (dwResult == CommIoDone)
        fnAfterWrite(stTx);
    return dwResult != CommIoError;
}

void fnWaitWrite(const DigitalWorkerDesc& stDesc, CommTx& stTx)
{
    DWORD dwError = 0;
    const uint32_t dwResult = fnCommWriteWait(stTx, DIGITAL_WAIT_MS, stDesc.stTxTexts, &dwError);
    if (dwResult == CommIoDone)
        fnAfterWrite(stTx);
    else if (dwResult == CommIoFailed)
        fnCommTxEndPass(stTx); // the next poll follows; the error needs no message
}

void fnConnectionLost(const DigitalWorkerDesc& stDesc)
{
    fnMessageBoxGbk(stDesc.pfnWindow(), TXT_IO_NO_CONNECTION, TXT_IO_CONTROL, MB_ICONINFORMATION);
    HWND hWnd = stDesc.pfnWindow(); // the window may have closed while the box was up
    if (hWnd != NULL)
        SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

// One completed read; true when it resets the miss count.
bool fnJudgeRead(const DigitalWorkerDesc& stDesc, CommRx& stRx)
{
    const uint32_t dwJudge =
        stDesc.pfnJudge(fnIoTarget().m_dwProtocol, stRx.m_achRxBuf, stRx.m_dwRxRead);
    if (dwJudge == DigitalDisplay)
        stDesc.pfnDisplay();
    return dwJudge != DigitalIgnored;
}
} // namespace

DWORD fnDigitalTxRun(const DigitalWorkerDesc& stDesc)
{
    CommTx& stTx = stDesc.pstTRC->m_stTx;
    if (!fnCommTxBegin(stTx, stDesc.stTxTexts))
        return 1;
    stDesc.pfnStart(fnIoTarget().m_dwProtocol);
    while (fnCommRunning(stTx.m_bRun))
    {
        if (stTx.m_bPending.load() == 0)
        {
            if (!fnSendNext(stDesc, stTx))
                break;
        }
        else
        {
            fnWaitWrite(stDesc, stTx);
        }
    }
    fnCommTxEnd(stTx);
    return 1;
}

DWORD fnDigitalRxRun(const DigitalWorkerDesc& stDesc)
{
    CommRx& stRx = stDesc.pstTRC->m_stRx;
    if (!fnCommRxBegin(stRx, stDesc.stRxTexts))
        return 1;
    uint32_t dwMisses = 0;
    while (fnCommRunning(stRx.m_bRun) && dwMisses < DIGITAL_MISS_LIMIT)
    {
        const uint32_t dwResult = fnCommReadOnce(stRx, stDesc.stRxTexts);
        if (dwResult == CommIoDone)
        {
            if (fnJudgeRead(stDesc, stRx))
                dwMisses = 0;
        }
        else if (dwResult == CommIoError || dwResult == CommIoClosed)
        {
            break;
        }
        else if (stRx.m_bPending.load() != 0 && stRx.m_dwWaitResult == WAIT_TIMEOUT)
        {
            if (++dwMisses == DIGITAL_MISS_LIMIT)
                fnConnectionLost(stDesc);
        }
    }
    fnCommRxEnd(stRx);
    return 1;
}
