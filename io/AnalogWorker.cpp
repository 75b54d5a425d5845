// The analog IO worker pair on the shared send step and receive loop (serial/CommIo.h). The
// m_hIsTransmit request is the only hand-over: the receive worker signals it through the
// record's lock (fnSignal) before each pass, the transmit worker created it, waits on it and
// closes it through the same lock, so a late signal never meets a closed handle. The receive
// worker owns the end: whatever stops the pair, it ends the IO window once it has stopped; four
// failures (empty waits, bad replies) or a line that is gone end it with the connection message.
#include "io/AnalogWorker.h"

#include <cstring>

#include "io/IoPortQuiet.h"
#include "io/IoTarget.h"
#include "protocol/FrameBuilder.h"
#include "serial/CommSettings.h"

namespace
{
const DWORD ANALOG_WAIT_MS = 500;
const DWORD REQUEST_EVENT_WAIT_MS = 1000; // the transmit worker's first act creates the event

// --- transmit ------------------------------------------------------------------------------
void fnRequestDone(CommTRC& stTRC)
{
    fnCommTxEndPass(stTRC.m_stTx);
    stTRC.fnUnsignal(&stTRC.m_stTx.m_hIsTransmitData);
}

bool fnBuildPoll(void* pvContext)
{
    CommTx& stTx = static_cast<CommTRC*>(pvContext)->m_stTx;
    const IoTarget stTarget = fnIoTarget();
    stTx.m_dwTxLen =
        fnBuildAnalogPoll(stTarget.m_dwProtocol, stTarget.m_chAddress, stTx.m_achTxBuf);
    return stTx.m_dwTxLen != 0;
}

// One request: the poll went out (or its pending write is still awaited). A failed result
// ends the request, so it would not signal for ever; the next request sends the poll again.
bool fnAfterSend(uint32_t dwResult, void* pvContext)
{
    CommTRC& stTRC = *static_cast<CommTRC*>(pvContext);
    if (dwResult == CommSendDone)
        fnRequestDone(stTRC);
    else if (dwResult != CommSendPending)
        stTRC.fnUnsignal(&stTRC.m_stTx.m_hIsTransmitData); // no frame, or a failed result
    return true;
}

// --- receive -------------------------------------------------------------------------------
bool fnRequestEventExists(CommTRC& stTRC)
{
    EnterCriticalSection(&stTRC.m_csLock);
    const bool bExists = stTRC.m_stTx.m_hIsTransmitData != NULL;
    LeaveCriticalSection(&stTRC.m_csLock);
    return bExists;
}

// The first request must not go to an event the transmit worker has not created yet.
void fnAwaitRequestEvent(CommTRC& stTRC)
{
    const DWORD dwStart = GetTickCount();
    while (!fnRequestEventExists(stTRC) && stTRC.m_stTx.m_bRun.load() != 0 &&
           GetTickCount() - dwStart < REQUEST_EVENT_WAIT_MS)
        Sleep(5);
}

void fnStopTransmit(CommTRC& stTRC)
{
    stTRC.m_stTx.m_bRun = 0;
    stTRC.fnSignal(&stTRC.m_stTx.m_hIsTransmitData);
}

struct RxContext
{
    CommMissCount stFailures; // empty 500 ms waits and bad replies; the fourth ends the loop
    const AnalogWorkerDesc* pstDesc;
};

// Each pass raises the request (one poll goes out); a new read waits the reply time first.
void fnBeforePass(void* pvContext)
{
    CommTRC& stTRC = *static_cast<RxContext*>(pvContext)->pstDesc->pstTRC;
    stTRC.fnSignal(&stTRC.m_stTx.m_hIsTransmitData);
    if (stTRC.m_stRx.m_bPending.load() == 0)
        Sleep(GetReplyWaitTime(gstCommSettings.m_dwBaudIndex.load()));
}

// One completed read: a valid reply is shown and forgives the failures, a bad one is counted.
bool fnDeliver(void* pvContext)
{
    RxContext& stContext = *static_cast<RxContext*>(pvContext);
    const AnalogWorkerDesc& stDesc = *stContext.pstDesc;
    CommRx& stRx = stDesc.pstTRC->m_stRx;
    const uint32_t dwJudge = fnDecodeAnalog(fnIoTarget().m_dwProtocol, stRx.m_achRxBuf,
                                            stRx.m_dwRxRead, stDesc.pstValues);
    if (dwJudge == AnalogValid)
    {
        stDesc.pstView->pfnShowReply(*stDesc.pstValues);
        stContext.stFailures.dwCount = 0;
    }
    else if (dwJudge == AnalogFailed)
    {
        ++stContext.stFailures.dwCount;
    }
    memset(stRx.m_achRxBuf, 0, ANALOG_CLEAR_BYTES);
    return stContext.stFailures.dwCount < ANALOG_FAILURE_LIMIT;
}

} // namespace

DWORD fnAnalogTxRun(const AnalogWorkerDesc& stDesc)
{
    CommTRC& stTRC = *stDesc.pstTRC;
    CommTx& stTx = stTRC.m_stTx;
    if (!fnCommTxBeginEvents(stTRC, stDesc.stTxTexts, stDesc.pchRequestNull, nullptr))
        return 1;
    CommSendStep stStep = {
        &stTRC, &stDesc.stTxTexts, ANALOG_WAIT_MS, CommTxStopOnAbort, fnBuildPoll, &stTRC, false,
        0};
    const uint32_t dwEnd = fnCommTxLoop({&stStep, true, fnAfterSend, &stTRC});
    // A write error or a lost line is fatal; an aborted write (still pending) is a stop.
    const bool bFatal = dwEnd == CommSendEnd && stTx.m_bPending.load() == 0;
    fnCommTxEndEvents(stTRC);
    if (!bFatal)
        stTRC.m_stRx.m_bRun = 0; // tells the receive worker that the pair stops
    return 1;
}

DWORD fnAnalogRxRun(const AnalogWorkerDesc& stDesc)
{
    CommTRC& stTRC = *stDesc.pstTRC;
    CommRx& stRx = stTRC.m_stRx;
    const CommRxTexts stTexts = {stDesc.pchRxEventNull, stDesc.pchRxErrorFmt,
                                 stDesc.pchRxWaitUnknown, stDesc.pfnOwner, stDesc.pfnOwner};
    if (!fnCommRxBegin(stRx, stTexts))
    {
        stDesc.pstView->pfnWorkerEnded(false);
        return 1;
    }
    fnAwaitRequestEvent(stTRC);
    RxContext stContext = {{0, ANALOG_FAILURE_LIMIT}, &stDesc};
    const uint32_t dwEnd =
        fnCommRxLoop({&stTRC, &stTexts, fnDeliver, fnCommCountMiss, fnBeforePass, &stContext,
                      stDesc.pchRxInvalidFmt, stDesc.pchRxAbortedFmt});
    if (dwEnd == CommRxQuiet || dwEnd == CommRxLost)
        fnIoConnectionLost(stTRC, stDesc.pfnOwner);
    else if (dwEnd == CommRxStopped)
        fnStopTransmit(stTRC);
    fnCommRxEnd(stRx);
    // After a fatal read error the window stays until Close.
    stDesc.pstView->pfnWorkerEnded(dwEnd != CommRxFailed);
    return 1;
}
