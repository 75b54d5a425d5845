// The worker skeleton shared by every feature: overlapped I/O on the one port with bounded
// waits, and the starter of a thread pair. Each function runs on the thread that owns the half
// it is given; the starter and the pair wait run on the main thread. A thread that ends with
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

std::atomic<CommCreateThreadFn> g_pfnCreateThreadHook{nullptr};

HANDLE fnCreateWorker(LPTHREAD_START_ROUTINE pfnProc, DWORD* pdwId)
{
    CommCreateThreadFn pfnHook = g_pfnCreateThreadHook.load();
    if (pfnHook != nullptr)
        return pfnHook(pfnProc, pdwId);
    return CreateThread(NULL, 0, pfnProc, NULL, 0, pdwId);
}

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

bool fnCommTxBegin(CommTx& stTx, const CommTxTexts& stTexts)
{
    stTx.m_dwTxWritten = 0;
    stTx.m_dwWaitResult = 0;
    stTx.m_bPending = 0;
    stTx.m_dwTxLen = 0;
    memset(&stTx.m_stOL, 0, sizeof(stTx.m_stOL));
    stTx.m_stOL.hEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (stTx.m_stOL.hEvent != NULL)
        return true;
    fnCommShowError(stTexts.pfnOwner, stTexts.pchEventNull);
    return false;
}

uint32_t fnCommWrite(CommTx& stTx, const CommTxTexts& stTexts)
{
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
    fnShowFormatted(stTexts.pfnOwner, stTexts.pchWriteErrorFmt, dwError);
    return CommIoError;
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
    stRx.m_dwWaitResult = 0;
    stRx.m_bPending = 0;
    memset(&stRx.m_stOL, 0, sizeof(stRx.m_stOL));
    stRx.m_stOL.hEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (stRx.m_stOL.hEvent != NULL)
        return true;
    fnCommShowError(stTexts.pfnOwner, stTexts.pchEventNull);
    return false;
}

namespace
{
uint32_t fnReadStart(CommRx& stRx, const CommRxTexts& stTexts)
{
    stRx.m_dwRxRead = 0;
    if (ReadFile(gstCommPort.m_hComm, stRx.m_achRxBuf, stRx.m_dwRxRequest, &stRx.m_dwRxRead,
                 &stRx.m_stOL))
    {
        ResetEvent(stRx.m_stOL.hEvent);
        return stRx.m_dwRxRead > 0 ? CommIoDone : CommIoPending;
    }
    DWORD dwError = GetLastError();
    if (dwError == ERROR_INVALID_HANDLE)
        return CommIoClosed;
    if (dwError == ERROR_IO_PENDING)
    {
        stRx.m_bPending = 1;
        return CommIoPending;
    }
    fnShowFormatted(stTexts.pfnOwner, stTexts.pchReadErrorFmt, dwError);
    return CommIoError;
}

uint32_t fnReadWait(CommRx& stRx, const CommRxTexts& stTexts)
{
    stRx.m_dwWaitResult = WaitForMultipleObjects(1, &stRx.m_stOL.hEvent, FALSE, COMM_WAIT_MS);
    if (stRx.m_dwWaitResult == WAIT_OBJECT_0)
    {
        // A failed result (the port closed, the read cancelled) delivers nothing.
        BOOL bOk = GetOverlappedResult(gstCommPort.m_hComm, &stRx.m_stOL, &stRx.m_dwRxRead, FALSE);
        stRx.m_bPending = 0;
        ResetEvent(stRx.m_stOL.hEvent);
        return bOk && stRx.m_dwRxRead > 0 ? CommIoDone : CommIoPending;
    }
    if (stRx.m_dwWaitResult != WAIT_TIMEOUT)
        fnCommShowError(stTexts.pfnWaitOwner, stTexts.pchWaitUnknown);
    return CommIoPending;
}
} // namespace

uint32_t fnCommReadOnce(CommRx& stRx, const CommRxTexts& stTexts)
{
    if (stRx.m_bPending.load() == 0)
    {
        uint32_t dwResult = fnReadStart(stRx, stTexts);
        if (dwResult != CommIoPending || stRx.m_bPending.load() == 0)
            return dwResult;
    }
    return fnReadWait(stRx, stTexts);
}

void fnCommRxEnd(CommRx& stRx)
{
    fnCancelAndDrain(&stRx.m_stOL, &stRx.m_bPending);
    if (stRx.m_stOL.hEvent != NULL)
        CloseHandle(stRx.m_stOL.hEvent);
    stRx.m_stOL.hEvent = NULL;
}

DWORD fnCommRxRun(CommTRC& stTRC, const CommRxTexts& stTexts, CommRxDeliverFn pfnDeliver)
{
    CommRx& stRx = stTRC.m_stRx;
    if (!fnCommRxBegin(stRx, stTexts))
        return 1;
    while (fnCommRunning(stRx.m_bRun))
    {
        uint32_t dwResult = fnCommReadOnce(stRx, stTexts);
        if (dwResult == CommIoDone)
            pfnDeliver(stTRC);
        else if (dwResult == CommIoError || dwResult == CommIoClosed)
            break;
    }
    fnCommRxEnd(stRx);
    return 1;
}

namespace
{
// The handles of the record's threads that have not ended yet.
DWORD fnRunningThreads(CommTRC& stTRC, HANDLE ahOut[2])
{
    DWORD dwCount = 0;
    HANDLE ahThread[2] = {stTRC.m_stTx.m_hThread, stTRC.m_stRx.m_hThread};
    for (HANDLE hThread : ahThread)
    {
        if (hThread != NULL && WaitForSingleObject(hThread, 0) == WAIT_TIMEOUT)
            ahOut[dwCount++] = hThread;
    }
    return dwCount;
}
} // namespace

bool fnCommPairRunning(CommTRC& stTRC)
{
    HANDLE ahRunning[2];
    return fnRunningThreads(stTRC, ahRunning) != 0;
}

bool fnCommPairWait(CommTRC& stTRC, DWORD dwTimeout)
{
    stTRC.fnStop();
    DWORD dwStart = GetTickCount();
    HANDLE ahRunning[2];
    DWORD dwCount;
    while ((dwCount = fnRunningThreads(stTRC, ahRunning)) != 0)
    {
        DWORD dwSpent = GetTickCount() - dwStart;
        if (dwSpent >= dwTimeout)
            return false;
        // Only sent messages are handled here: a worker may be inside SendMessage to one of
        // this thread's windows, while queued input must not start another command meanwhile.
        MsgWaitForMultipleObjects(dwCount, ahRunning, FALSE, dwTimeout - dwSpent, QS_SENDMESSAGE);
        MSG stMsg;
        PeekMessageA(&stMsg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    return true;
}

namespace
{
void fnForgetThread(HANDLE* phThread, DWORD* pdwId)
{
    if (*phThread != NULL)
        CloseHandle(*phThread);
    *phThread = NULL;
    *pdwId = 0;
}

bool fnStartOne(bool bTx, CommTRC& stTRC, HWND hOwner, const CommPairDesc& stDesc)
{
    HANDLE* phThread = bTx ? &stTRC.m_stTx.m_hThread : &stTRC.m_stRx.m_hThread;
    DWORD* pdwId = bTx ? &stTRC.m_stTx.m_dwThreadId : &stTRC.m_stRx.m_dwThreadId;
    *phThread = fnCreateWorker(bTx ? stDesc.pfnTx : stDesc.pfnRx, pdwId);
    if (*phThread != NULL)
        return true;
    fnMessageBoxGbk(hOwner, bTx ? stDesc.pchTxCreateFail : stDesc.pchRxCreateFail, CAPTION,
                    MB_ICONHAND);
    return false;
}
} // namespace

bool fnCommPairReady(CommTRC& stTRC, HWND hOwner)
{
    if (!fnCommPairRunning(stTRC) || fnCommPairWait(stTRC, COMM_PAIR_WAIT_MS))
        return true;
    fnMessageBoxGbk(hOwner, TXT_COMM_PAIR_BUSY, CAPTION, MB_ICONINFORMATION);
    return false;
}

int fnCommPairStart(CommTRC& stTRC, HWND hOwner, const CommPairDesc& stDesc)
{
    if (!fnCommPairReady(stTRC, hOwner))
        return 1;
    fnForgetThread(&stTRC.m_stTx.m_hThread, &stTRC.m_stTx.m_dwThreadId);
    fnForgetThread(&stTRC.m_stRx.m_hThread, &stTRC.m_stRx.m_dwThreadId);
    stTRC.m_stTx.m_bRun = 1;
    stTRC.m_stRx.m_bRun = 1;
    bool bFirstTx = !stDesc.bRxFirst;
    if (!fnStartOne(bFirstTx, stTRC, hOwner, stDesc))
    {
        stTRC.fnStop();
        return 1;
    }
    if (!fnStartOne(!bFirstTx, stTRC, hOwner, stDesc))
    {
        stTRC.fnStop(); // the first thread must not run on alone
        return 1;
    }
    return 0;
}

void fnCommSetCreateThreadHook(CommCreateThreadFn pfnHook)
{
    g_pfnCreateThreadHook.store(pfnHook);
}
