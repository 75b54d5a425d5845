// The analog IO worker pair. m_hIsTransmit is the only hand-over: the receive worker signals
// it through the record's lock (fnSignal), the transmit worker created it, waits on it and
// closes it through the same lock, so a late signal never meets a closed handle. The receive
// worker owns the end: whatever stops the pair, it ends the IO window once it has stopped.
#include "io/AnalogWorker.h"

#include <cstdio>
#include <cstring>

#include "io/IoTarget.h"
#include "protocol/FrameBuilder.h"
#include "res/GbkText.h"
#include "res/Texts.h"
#include "serial/CommPort.h"
#include "serial/CommSettings.h"

namespace
{
const DWORD ANALOG_WAIT_MS = 500;
const DWORD REQUEST_EVENT_WAIT_MS = 1000; // the transmit worker's first act creates the event
const char CAPTION[] = "VQ4600Utility";

HWND fnOwner(const AnalogWorkerDesc& stDesc)
{
    return stDesc.pfnOwner();
}

void fnShowError(const AnalogWorkerDesc& stDesc, const char* pchFmt, DWORD dwError)
{
    char achMsg[COMM_MSG_SIZE];
    snprintf(achMsg, sizeof(achMsg), pchFmt, static_cast<int>(dwError));
    fnMessageBoxGbk(fnOwner(stDesc), achMsg, CAPTION, MB_ICONHAND);
}

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

// One request: the poll goes out (or its pending write is waited for). A failed result ends
// the request, so it would not signal for ever; the next request sends the poll again. False
// when the thread must end; *pbFatal tells a write error or a lost line from an aborted write.
bool fnServeRequest(CommSendStep& stStep, bool* pbFatal)
{
    CommTRC& stTRC = *stStep.pstTRC;
    const uint32_t dwResult = fnCommSend(stStep);
    if (dwResult == CommSendEnd)
    {
        *pbFatal = stTRC.m_stTx.m_bPending.load() == 0; // an aborted write stays pending
        return false;
    }
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

// Judges one completed read; changes the failure count.
void fnJudge(const AnalogWorkerDesc& stDesc, CommRx& stRx, uint32_t* pdwFailures)
{
    const uint32_t dwJudge = fnDecodeAnalog(fnIoTarget().m_dwProtocol, stRx.m_achRxBuf,
                                            stRx.m_dwRxRead, stDesc.pstValues);
    if (dwJudge == AnalogValid)
    {
        stDesc.pstView->pfnShowReply(*stDesc.pstValues);
        *pdwFailures = 0;
    }
    else if (dwJudge == AnalogFailed)
    {
        ++*pdwFailures;
    }
}

void fnReadDone(CommRx& stRx)
{
    stRx.m_bPending = 0;
    ResetEvent(stRx.m_stOL.hEvent);
    memset(stRx.m_achRxBuf, 0, ANALOG_CLEAR_BYTES);
}

// After the reply wait: starts the read. false after a fatal error (message shown).
bool fnStartRead(const AnalogWorkerDesc& stDesc, CommRx& stRx, uint32_t* pdwFailures)
{
    Sleep(GetReplyWaitTime(gstCommSettings.m_dwBaudIndex.load()));
    stRx.m_dwRxRead = 0;
    if (ReadFile(gstCommPort.m_hComm, stRx.m_achRxBuf, RX_READ_SIZE, &stRx.m_dwRxRead,
                 &stRx.m_stOL))
    {
        if (stRx.m_dwRxRead > 0)
            fnJudge(stDesc, stRx, pdwFailures);
        else
            ++*pdwFailures;
        fnReadDone(stRx);
        return true;
    }
    const DWORD dwError = GetLastError();
    if (dwError == ERROR_IO_PENDING)
    {
        stRx.m_bPending = 1;
        return true;
    }
    fnShowError(stDesc,
                dwError == ERROR_INVALID_HANDLE ? stDesc.pchRxInvalidFmt : stDesc.pchRxErrorFmt,
                dwError);
    return false;
}

void fnWaitRead(const AnalogWorkerDesc& stDesc, CommRx& stRx, uint32_t* pdwFailures)
{
    stRx.m_dwWaitResult = WaitForMultipleObjects(1, &stRx.m_stOL.hEvent, FALSE, ANALOG_WAIT_MS);
    if (stRx.m_dwWaitResult == WAIT_OBJECT_0)
    {
        if (GetOverlappedResult(gstCommPort.m_hComm, &stRx.m_stOL, &stRx.m_dwRxRead, FALSE) &&
            stRx.m_dwRxRead > 0)
        {
            fnJudge(stDesc, stRx, pdwFailures);
        }
        else
        {
            // A failed or empty completion is a failure too: a line that is gone completes
            // every read at once, and must end the window as silence does.
            const DWORD dwError = GetLastError();
            ++*pdwFailures;
            if (stRx.m_dwRxRead == 0 && dwError == ERROR_OPERATION_ABORTED &&
                stDesc.pstTRC->fnClaimLineLost())
                fnShowError(stDesc, stDesc.pchRxAbortedFmt, dwError);
        }
        fnReadDone(stRx);
    }
    else if (stRx.m_dwWaitResult == WAIT_TIMEOUT)
    {
        ++*pdwFailures;
    }
    else
    {
        fnMessageBoxGbk(fnOwner(stDesc), stDesc.pchRxWaitUnknown, CAPTION, MB_ICONHAND);
    }
}

void fnConnectionLost(const AnalogWorkerDesc& stDesc)
{
    fnStopTransmit(*stDesc.pstTRC);
    // Not after Close (the run flag is down then), and once per pair.
    if (fnCommRunning(stDesc.pstTRC->m_stRx.m_bRun) && fnOwner(stDesc) != NULL &&
        stDesc.pstTRC->fnClaimLineLost())
        fnMessageBoxGbk(fnOwner(stDesc), TXT_IO_NO_CONNECTION, TXT_IO_CONTROL, MB_ICONINFORMATION);
    HWND hWnd = fnOwner(stDesc);
    if (hWnd != NULL)
        SendMessageA(hWnd, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

// One pass of the receive loop. false after a fatal error.
bool fnRxPass(const AnalogWorkerDesc& stDesc, CommRx& stRx, uint32_t* pdwFailures)
{
    stDesc.pstTRC->fnSignal(&stDesc.pstTRC->m_stTx.m_hIsTransmitData); // one poll goes out
    if (stRx.m_bPending.load() == 0 && !fnStartRead(stDesc, stRx, pdwFailures))
        return false;
    if (stRx.m_bPending.load() != 0)
        fnWaitRead(stDesc, stRx, pdwFailures);
    return true;
}
} // namespace

DWORD fnAnalogTxRun(const AnalogWorkerDesc& stDesc)
{
    CommTRC& stTRC = *stDesc.pstTRC;
    CommTx& stTx = stTRC.m_stTx;
    if (!fnCommTxBegin(stTx, stDesc.stTxTexts))
        return 1;
    if (!stTRC.fnCreateEvent(&stTx.m_hIsTransmitData))
    {
        fnMessageBoxGbk(fnOwner(stDesc), stDesc.pchRequestNull, CAPTION, MB_ICONHAND);
        fnCommTxEnd(stTx);
        return 1;
    }
    bool bFatal = false;
    CommSendStep stStep = {
        &stTRC, &stDesc.stTxTexts, ANALOG_WAIT_MS, CommTxStopOnAbort, fnBuildPoll, &stTRC, false,
        0};
    while (fnCommRunning(stTx.m_bRun))
    {
        WaitForSingleObject(stTx.m_hIsTransmitData, INFINITE);
        if (!fnCommRunning(stTx.m_bRun) || !fnServeRequest(stStep, &bFatal))
            break;
    }
    stTRC.fnCloseEvent(&stTx.m_hIsTransmitData);
    fnCommTxEnd(stTx);
    if (!bFatal)
        stTRC.m_stRx.m_bRun = 0; // tells the receive worker that the pair stops
    return 1;
}

DWORD fnAnalogRxRun(const AnalogWorkerDesc& stDesc)
{
    CommTRC& stTRC = *stDesc.pstTRC;
    CommRx& stRx = stTRC.m_stRx;
    const AnalogWorkerView& stView = *stDesc.pstView;
    if (!fnCommRxBegin(stRx, {stDesc.pchRxEventNull, stDesc.pchRxErrorFmt, stDesc.pchRxWaitUnknown,
                              stDesc.pfnOwner, stDesc.pfnOwner}))
    {
        stView.pfnWorkerEnded(false);
        return 1;
    }
    fnAwaitRequestEvent(stTRC);
    uint32_t dwFailures = 0;
    bool bFatal = false;
    for (;;)
    {
        if (!fnCommRunning(stRx.m_bRun))
        {
            fnStopTransmit(stTRC);
            break;
        }
        if (dwFailures >= ANALOG_FAILURE_LIMIT)
        {
            fnConnectionLost(stDesc);
            break;
        }
        if (!fnRxPass(stDesc, stRx, &dwFailures))
        {
            bFatal = true;
            break;
        }
    }
    fnCommRxEnd(stRx);
    stView.pfnWorkerEnded(!bFatal);
    return 1;
}
