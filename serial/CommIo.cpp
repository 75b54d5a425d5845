// The worker skeleton shared by every feature: the send step and the receive loop, overlapped
// I/O on the one port with bounded waits. Each function runs on the thread that owns the half
// it is given. Completions that fail or bring nothing are counted: a healthy line never gives
// COMM_LOST_LIMIT of them in a row, a vanished one gives them at once. A thread that ends with
// an I/O still outstanding cancels it and waits for its completion first, because the next
// pair of the same record reuses the buffers and the OVERLAPPED the driver would complete into.
#include "serial/CommIo.h"

#include <cstdio>
#include <cstring>

#include "res/GbkText.h"
#include "res/Texts.h"
#include "serial/CommPort.h"

namespace
{
const char CAPTION[] = "VQ4600Utility";
const DWORD CANCEL_WAIT_MS = 5000; // the driver's time to honour CancelIo

// Cancels this thread's I/O on the port and waits until the OVERLAPPED is released.
void fnCancelAndDrain(OVERLAPPED* pstOL, std::atomic<uint32_t>* pbPending)
{
    if (pbPending->load() == 0 || pstOL->hEvent == NULL)
        return;
    HANDLE hComm = gstCommPort.m_hComm;
    CancelIo(hComm);
    WaitForSingleObject(pstOL->hEvent, CANCEL_WAIT_MS);
    DWORD dwCount = 0;
    GetOverlappedResult(hComm, pstOL, &dwCount, FALSE);
    *pbPending = 0;
}

void fnShowFormatted(CommOwnerFn pfnOwner, const char* pchFmt, DWORD dwError)
{
    char achMsg[COMM_MSG_SIZE];
    snprintf(achMsg, sizeof(achMsg), pchFmt, static_cast<int>(dwError));
    fnCommShowError(pfnOwner, achMsg);
}
} // namespace

void fnCommShowError(CommOwnerFn pfnOwner, const char* pchText)
{
    HWND hOwner = pfnOwner != nullptr ? pfnOwner() : NULL;
    fnMessageBoxGbk(hOwner, pchText, CAPTION, MB_ICONHAND);
}

bool fnCommRunning(const std::atomic<uint32_t>& bRun)
{
    return gstCommPort.m_bOpen.load() == 1 && bRun.load() == 1;
}

namespace
{
// A half's OVERLAPPED afresh with its own manual-reset event; false after the event message.
bool fnBeginOverlapped(OVERLAPPED* pstOL, std::atomic<uint32_t>* pbPending, DWORD* pdwWaitResult,
                       CommOwnerFn pfnOwner, const char* pchEventNull)
{
    *pdwWaitResult = 0;
    *pbPending = 0;
    memset(pstOL, 0, sizeof(*pstOL));
    pstOL->hEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (pstOL->hEvent != NULL)
        return true;
    fnCommShowError(pfnOwner, pchEventNull);
    return false;
}
} // namespace

bool fnCommTxBegin(CommTx& stTx, const CommTxTexts& stTexts)
{
    stTx.m_dwTxWritten = 0;
    stTx.m_dwTxLen = 0;
    return fnBeginOverlapped(&stTx.m_stOL, &stTx.m_bPending, &stTx.m_dwWaitResult, stTexts.pfnOwner,
                             stTexts.pchEventNull);
}

bool fnCommTxBeginEvents(CommTRC& stTRC, const CommTxTexts& stTexts, const char* pchRequestNull,
                         const char* pchIntervalNull)
{
    if (!fnCommTxBegin(stTRC.m_stTx, stTexts))
        return false;
    const char* pchFailed = nullptr;
    if (!stTRC.fnCreateEvent(&stTRC.m_stTx.m_hIsTransmitData))
        pchFailed = pchRequestNull;
    else if (pchIntervalNull != nullptr && !stTRC.fnCreateEvent(&stTRC.m_stTx.m_hIntervalTime))
        pchFailed = pchIntervalNull;
    if (pchFailed == nullptr)
        return true;
    fnCommShowError(stTexts.pfnOwner, pchFailed);
    fnCommTxEndEvents(stTRC);
    return false;
}

void fnCommTxEndEvents(CommTRC& stTRC)
{
    fnCommTxEnd(stTRC.m_stTx);
    stTRC.fnCloseEvent(&stTRC.m_stTx.m_hIsTransmitData);
    stTRC.fnCloseEvent(&stTRC.m_stTx.m_hIntervalTime);
}

uint32_t fnCommWrite(CommTRC& stTRC, const CommTxTexts& stTexts)
{
    CommTx& stTx = stTRC.m_stTx;
    stTx.m_dwTxWritten = 0;
    if (WriteFile(gstCommPort.m_hComm, stTx.m_achTxBuf, stTx.m_dwTxLen, &stTx.m_dwTxWritten,
                  &stTx.m_stOL))
        return CommIoDone;
    DWORD dwError = GetLastError();
    if (dwError == ERROR_IO_PENDING)
    {
        stTx.m_bPending = 1;
        return CommIoPending;
    }
    if (stTRC.fnClaimLineLost())
        fnShowFormatted(stTexts.pfnOwner, stTexts.pchWriteErrorFmt, dwError);
    return CommIoError;
}

uint32_t fnCommSend(CommSendStep& stStep)
{
    CommTRC& stTRC = *stStep.pstTRC;
    CommTx& stTx = stTRC.m_stTx;
    if (stTx.m_bPending.load() == 0)
    {
        if (!stStep.bResend && !stStep.pfnBuild(stStep.pvContext))
            return CommSendNone;
        stStep.bResend = false;
        const uint32_t dwResult = fnCommWrite(stTRC, *stStep.pstTexts);
        if (dwResult == CommIoError)
            return CommSendEnd;
        if (dwResult == CommIoDone)
        {
            stStep.dwFailed = 0;
            return CommSendDone;
        }
    }
    DWORD dwError = 0;
    const uint32_t dwResult = fnCommWriteWait(stTx, stStep.dwWaitMs, *stStep.pstTexts, &dwError);
    if (dwResult == CommIoPending)
        return CommSendPending;
    if (dwResult == CommIoDone)
    {
        stStep.dwFailed = 0;
        return CommSendDone;
    }
    if (stStep.dwPolicy == CommTxStopOnAbort && dwError == ERROR_OPERATION_ABORTED)
        return CommSendEnd; // still pending: fnCommTxEnd drains it
    fnCommTxEndPass(stTx);
    stStep.bResend = stStep.dwPolicy == CommTxResendSame;
    if (++stStep.dwFailed < COMM_LOST_LIMIT)
        return CommSendRetry;
    if (fnCommLineLost(stTRC))
        fnShowFormatted(stStep.pstTexts->pfnOwner, stStep.pstTexts->pchWriteErrorFmt, dwError);
    return CommSendEnd;
}

uint32_t fnCommWriteWait(CommTx& stTx, DWORD dwTimeout, const CommTxTexts& stTexts, DWORD* pdwError)
{
    stTx.m_dwWaitResult = WaitForMultipleObjects(1, &stTx.m_stOL.hEvent, FALSE, dwTimeout);
    if (stTx.m_dwWaitResult == WAIT_OBJECT_0)
    {
        if (GetOverlappedResult(gstCommPort.m_hComm, &stTx.m_stOL, &stTx.m_dwTxWritten, FALSE))
            return CommIoDone;
        *pdwError = GetLastError();
        return CommIoFailed;
    }
    if (stTx.m_dwWaitResult != WAIT_TIMEOUT)
        fnCommShowError(stTexts.pfnOwner, stTexts.pchWaitUnknown);
    return CommIoPending;
}

uint32_t fnCommTxLoop(const CommTxLoop& stLoop)
{
    CommTRC& stTRC = *stLoop.pstStep->pstTRC;
    CommTx& stTx = stTRC.m_stTx;
    uint32_t dwResult = CommSendNone;
    while (fnCommRunning(stTx.m_bRun))
    {
        if (stLoop.bRequest)
        {
            WaitForSingleObject(stTx.m_hIsTransmitData, INFINITE);
            // A request under way (set together with other events under the lock) completes
            // before the step looks at them.
            EnterCriticalSection(&stTRC.m_csLock);
            LeaveCriticalSection(&stTRC.m_csLock);
            if (!fnCommRunning(stTx.m_bRun))
                break;
        }
        dwResult = fnCommSend(*stLoop.pstStep);
        if (dwResult == CommSendEnd || !stLoop.pfnAfter(dwResult, stLoop.pvContext))
            break;
    }
    return dwResult;
}

void fnCommTxEndPass(CommTx& stTx)
{
    stTx.m_bPending = 0;
    ResetEvent(stTx.m_stOL.hEvent);
}

void fnCommTxEnd(CommTx& stTx)
{
    fnCancelAndDrain(&stTx.m_stOL, &stTx.m_bPending);
    if (stTx.m_stOL.hEvent != NULL)
        CloseHandle(stTx.m_stOL.hEvent);
    stTx.m_stOL.hEvent = NULL;
}

bool fnCommRxBegin(CommRx& stRx, const CommRxTexts& stTexts)
{
    stRx.m_dwRxRequest = RX_READ_SIZE;
    stRx.m_dwRxRead = 0;
    stRx.m_dwBadInRow = 0;
    stRx.m_dwLastError = 0;
    return fnBeginOverlapped(&stRx.m_stOL, &stRx.m_bPending, &stRx.m_dwWaitResult, stTexts.pfnOwner,
                             stTexts.pchEventNull);
}

namespace
{
// A completion without bytes; Lost once COMM_LOST_LIMIT came in a row.
uint32_t fnReadBad(CommRx& stRx, DWORD dwError)
{
    stRx.m_dwLastError = dwError;
    return ++stRx.m_dwBadInRow >= COMM_LOST_LIMIT ? CommIoLost : CommIoPending;
}

uint32_t fnReadGood(CommRx& stRx)
{
    stRx.m_dwBadInRow = 0;
    return CommIoDone;
}

// The two read messages only the analog IO threads show; null where a feature has none.
struct ReadExtra
{
    const char* pchInvalidFmt; // a new read meets ERROR_INVALID_HANDLE; null: end silently
    const char* pchAbortedFmt; // a pending read was aborted; null: a failure like any other
};

const ReadExtra NO_EXTRA = {nullptr, nullptr};

uint32_t fnReadStart(CommTRC& stTRC, const CommRxTexts& stTexts, const ReadExtra& stExtra)
{
    CommRx& stRx = stTRC.m_stRx;
    stRx.m_dwRxRead = 0;
    if (ReadFile(gstCommPort.m_hComm, stRx.m_achRxBuf, stRx.m_dwRxRequest, &stRx.m_dwRxRead,
                 &stRx.m_stOL))
    {
        ResetEvent(stRx.m_stOL.hEvent);
        return stRx.m_dwRxRead > 0 ? fnReadGood(stRx) : fnReadBad(stRx, 0);
    }
    DWORD dwError = GetLastError();
    if (dwError == ERROR_INVALID_HANDLE && stExtra.pchInvalidFmt == nullptr)
        return CommIoClosed;
    if (dwError == ERROR_IO_PENDING)
    {
        stRx.m_bPending = 1;
        return CommIoPending;
    }
    const char* pchFmt =
        dwError == ERROR_INVALID_HANDLE ? stExtra.pchInvalidFmt : stTexts.pchReadErrorFmt;
    if (stTRC.fnClaimLineLost())
        fnShowFormatted(stTexts.pfnOwner, pchFmt, dwError);
    return CommIoError;
}

uint32_t fnReadWait(CommTRC& stTRC, const CommRxTexts& stTexts, const ReadExtra& stExtra)
{
    CommRx& stRx = stTRC.m_stRx;
    stRx.m_dwWaitResult = WaitForMultipleObjects(1, &stRx.m_stOL.hEvent, FALSE, COMM_WAIT_MS);
    if (stRx.m_dwWaitResult == WAIT_OBJECT_0)
    {
        // A failed result (the port closed, the line gone) delivers nothing.
        BOOL bOk = GetOverlappedResult(gstCommPort.m_hComm, &stRx.m_stOL, &stRx.m_dwRxRead, FALSE);
        DWORD dwError = bOk ? 0 : GetLastError();
        stRx.m_bPending = 0;
        ResetEvent(stRx.m_stOL.hEvent);
        if (!bOk && dwError == ERROR_OPERATION_ABORTED && stExtra.pchAbortedFmt != nullptr &&
            stTRC.fnClaimLineLost())
            fnShowFormatted(stTexts.pfnOwner, stExtra.pchAbortedFmt, dwError);
        return bOk && stRx.m_dwRxRead > 0 ? fnReadGood(stRx) : fnReadBad(stRx, dwError);
    }
    if (stRx.m_dwWaitResult != WAIT_TIMEOUT)
        fnCommShowError(stTexts.pfnWaitOwner, stTexts.pchWaitUnknown);
    return CommIoPending;
}
} // namespace

namespace
{
uint32_t fnReadOnce(CommTRC& stTRC, const CommRxTexts& stTexts, const ReadExtra& stExtra)
{
    CommRx& stRx = stTRC.m_stRx;
    if (stRx.m_bPending.load() == 0)
    {
        uint32_t dwResult = fnReadStart(stTRC, stTexts, stExtra);
        if (dwResult != CommIoPending || stRx.m_bPending.load() == 0)
            return dwResult;
    }
    return fnReadWait(stTRC, stTexts, stExtra);
}
} // namespace

uint32_t fnCommReadOnce(CommTRC& stTRC, const CommRxTexts& stTexts)
{
    return fnReadOnce(stTRC, stTexts, NO_EXTRA);
}

void fnCommRxEnd(CommRx& stRx)
{
    fnCancelAndDrain(&stRx.m_stOL, &stRx.m_bPending);
    if (stRx.m_stOL.hEvent != NULL)
        CloseHandle(stRx.m_stOL.hEvent);
    stRx.m_stOL.hEvent = NULL;
}

bool fnCommCountMiss(void* pvContext)
{
    CommMissCount& stMisses = *static_cast<CommMissCount*>(pvContext);
    return ++stMisses.dwCount < stMisses.dwLimit;
}

uint32_t fnCommRxLoop(const CommRxLoop& stLoop)
{
    CommRx& stRx = stLoop.pstTRC->m_stRx;
    const ReadExtra stExtra = {stLoop.pchInvalidFmt, stLoop.pchAbortedFmt};
    while (fnCommRunning(stRx.m_bRun))
    {
        if (stLoop.pfnBeforePass != nullptr)
            stLoop.pfnBeforePass(stLoop.pvContext);
        const uint32_t dwResult = fnReadOnce(*stLoop.pstTRC, *stLoop.pstTexts, stExtra);
        if (dwResult == CommIoDone)
        {
            if (!stLoop.pfnDeliver(stLoop.pvContext))
                return CommRxQuiet;
        }
        else if (dwResult == CommIoLost)
            return CommRxLost;
        else if (dwResult == CommIoError || dwResult == CommIoClosed)
            return CommRxFailed;
        else if (stLoop.pfnQuiet != nullptr && stRx.m_bPending.load() != 0 &&
                 stRx.m_dwWaitResult == WAIT_TIMEOUT && !stLoop.pfnQuiet(stLoop.pvContext))
            return CommRxQuiet;
    }
    return CommRxStopped;
}

namespace
{
struct RxRunContext
{
    CommTRC* pstTRC;
    CommRxDeliverFn pfnDeliver;
};

bool fnRunDeliver(void* pvContext)
{
    RxRunContext* pstContext = static_cast<RxRunContext*>(pvContext);
    pstContext->pfnDeliver(*pstContext->pstTRC);
    return true;
}
} // namespace

DWORD fnCommRxRun(CommTRC& stTRC, const CommRxTexts& stTexts, CommRxDeliverFn pfnDeliver)
{
    if (!fnCommRxBegin(stTRC.m_stRx, stTexts))
        return 1;
    RxRunContext stContext = {&stTRC, pfnDeliver};
    if (fnCommRxLoop({&stTRC, &stTexts, fnRunDeliver, nullptr, nullptr, &stContext, nullptr,
                      nullptr}) == CommRxLost)
        fnCommRxTellLost(stTRC, stTexts);
    fnCommRxEnd(stTRC.m_stRx);
    return 1;
}

bool fnCommLineLost(CommTRC& stTRC)
{
    fnCommPairStop(stTRC);
    return stTRC.fnClaimLineLost();
}

void fnCommRxTellLost(CommTRC& stTRC, const CommRxTexts& stTexts)
{
    if (fnCommLineLost(stTRC))
        fnShowFormatted(stTexts.pfnOwner, stTexts.pchReadErrorFmt, stTRC.m_stRx.m_dwLastError);
}
