// The terminal's worker pair on gstCommTRCTerminal. The transmit thread is request-driven: it
// waits without limit on m_hIsTransmitData, writes the staged frame (see TerminalComm.h for why
// the dialog stages instead of writing m_achTxBuf) and then either waits the interval on
// m_hIntervalTime (continuous) or clears the request (single). The receive thread reads in
// 128-byte pieces and hands every completed read to the dialog's return box at once.
#include "terminal/TerminalComm.h"

#include <cstring>

#include "serial/CommIo.h"
#include "serial/CommTRC.h"

TerminalComm gstTerminalComm;

TerminalComm::TerminalComm()
    : m_dwSendMode(TerminalSendSingle), m_bTxReady(0), m_aabyQueued{}, m_adwQueuedLen{},
      m_dwHead(0), m_dwCount(0)
{
}

void TerminalComm::fnQueue(const uint8_t* pbyFrame, uint32_t dwLen)
{
    if (dwLen > TERMINAL_FRAME_MAX)
        dwLen = TERMINAL_FRAME_MAX;
    EnterCriticalSection(&gstCommTRCTerminal.m_csLock);
    if (m_dwCount < TERMINAL_QUEUE_DEPTH)
        ++m_dwCount;
    const uint32_t dwSlot = (m_dwHead + m_dwCount - 1) % TERMINAL_QUEUE_DEPTH;
    memcpy(m_aabyQueued[dwSlot], pbyFrame, dwLen);
    m_adwQueuedLen[dwSlot] = dwLen;
    LeaveCriticalSection(&gstCommTRCTerminal.m_csLock);
}

bool TerminalComm::fnTakeNext(CommTx& stTx)
{
    EnterCriticalSection(&gstCommTRCTerminal.m_csLock);
    const bool bTaken = m_dwCount != 0;
    if (bTaken)
    {
        memcpy(stTx.m_achTxBuf, m_aabyQueued[m_dwHead], m_adwQueuedLen[m_dwHead]);
        stTx.m_dwTxLen = m_adwQueuedLen[m_dwHead];
        m_dwHead = (m_dwHead + 1) % TERMINAL_QUEUE_DEPTH;
        --m_dwCount;
    }
    LeaveCriticalSection(&gstCommTRCTerminal.m_csLock);
    return bTaken;
}

void TerminalComm::fnDoneUnlessQueued(CommTx& stTx)
{
    // Under the lock: a Send queues and then sets the request, so it cannot fall between the
    // look at the queue and the reset.
    EnterCriticalSection(&gstCommTRCTerminal.m_csLock);
    if (m_dwCount == 0 && stTx.m_hIsTransmitData != NULL)
        ResetEvent(stTx.m_hIsTransmitData);
    LeaveCriticalSection(&gstCommTRCTerminal.m_csLock);
}

bool TerminalComm::fnQueueEmpty()
{
    EnterCriticalSection(&gstCommTRCTerminal.m_csLock);
    const bool bEmpty = m_dwCount == 0;
    LeaveCriticalSection(&gstCommTRCTerminal.m_csLock);
    return bEmpty;
}

void TerminalComm::fnQueueClear()
{
    EnterCriticalSection(&gstCommTRCTerminal.m_csLock);
    m_dwHead = 0;
    m_dwCount = 0;
    LeaveCriticalSection(&gstCommTRCTerminal.m_csLock);
}

namespace
{
const DWORD TX_READY_WAIT_MS = 1000;
const DWORD EMPTY_FRAME_PAUSE_MS = 10; // an empty continuous frame must not spin the CPU

HWND fnDialogOwner()
{
    return gstTerminalWorkerView.pfnWindow();
}

const CommTxTexts TX_TEXTS = {
    "INF:CommThread_Terminal_Tx()_01 gstCommTRCTerminal.m_stTx.m_stOL.hEvent==NULL",
    "INF:CommThread_Terminal_Tx()_04 COM Tx Data Error! the GetLastError return %d",
    "INF:CommThread_Terminal_Tx()_05 COM Tx Data-The WaitForMultipleObjects() Return Unknown!",
    fnDialogOwner,
};

const char TX_REQUEST_NULL[] =
    "INF:CommThread_Terminal_Tx()_02 gstCommTRCTerminal.m_stTx.m_hIsTransmitData==NULL";
const char TX_INTERVAL_NULL[] =
    "INF:CommThread_Terminal_Tx()_03 gstCommTRCTerminal.m_stTx.m_hIntervalTime==NULL";

const CommRxTexts RX_TEXTS = {
    "INF:CommThread_Terminal_Rx()_01 gstCommTRCTerminal.m_stRx.m_stOL.hEvent==NULL",
    "INF:CommThread_Terminal_Rx()_02 COM Read Error! the GetLastError() return %d",
    "INF:CommThread_Terminal_Rx()_03 COM Rx - The WaitForMultipleObjects() Return Unknown!",
    fnDialogOwner,
    fnDialogOwner,
};

const CommPairDesc PAIR = {
    CommThread_Terminal_Tx,
    CommThread_Terminal_Rx,
    false,
    "INF:Idm_Terminal()_01 Thread CommThread_Terminal_Tx() Create Fail!",
    "INF:Idm_Terminal()_02 Thread CommThread_Terminal_Rx() Create Fail!",
};

// After a completed write. A queued frame goes out at once; otherwise the interval in
// continuous mode, or the request is cleared.
void fnPace(CommTRC& stTRC)
{
    CommTx& stTx = stTRC.m_stTx;
    if (!gstTerminalComm.fnQueueEmpty())
        return;
    if (gstTerminalComm.m_dwSendMode.load() == TerminalSendContinuous)
    {
        DWORD dwInterval = gstTerminalWorkerView.pfnIntervalMs();
        if (stTx.m_dwTxLen == 0 && dwInterval < EMPTY_FRAME_PAUSE_MS)
            dwInterval = EMPTY_FRAME_PAUSE_MS;
        if (dwInterval > TERMINAL_INTERVAL_MAX_MS)
            dwInterval = TERMINAL_INTERVAL_MAX_MS; // INFINITE would never end
        WaitForSingleObject(stTx.m_hIntervalTime, dwInterval);
        return;
    }
    gstTerminalComm.fnDoneUnlessQueued(stTx);
}

bool fnBuildNext(void* pvContext)
{
    CommTx& stTx = static_cast<CommTRC*>(pvContext)->m_stTx;
    gstTerminalComm.fnTakeNext(stTx); // none queued: a continuous run repeats its frame
    return stTx.m_dwTxLen != 0;
}

// After each step with the request set. A failed write goes out again before any queued
// frame; an empty frame puts nothing on the wire.
bool fnAfterSend(uint32_t dwResult, void* pvContext)
{
    CommSendStep& stStep = *static_cast<CommSendStep*>(pvContext);
    CommTRC& stTRC = *stStep.pstTRC;
    CommTx& stTx = stTRC.m_stTx;
    if (dwResult == CommSendNone)
    {
        fnPace(stTRC);
    }
    else if (dwResult == CommSendDone)
    {
        if (stTx.m_dwTxWritten > 0)
            fnPace(stTRC);
        else
            stStep.bResend = true;
        fnCommTxEndPass(stTx);
    }
    return true;
}

bool fnRxDeliver(void*)
{
    CommRx& stRx = gstCommTRCTerminal.m_stRx;
    if (gstTerminalWorkerView.pfnTakeClearReturn())
        gstTerminalWorkerView.pfnClearReturn(); // the bytes of this read are dropped
    else
        gstTerminalWorkerView.pfnShowRx(stRx.m_achRxBuf, stRx.m_dwRxRead);
    return true;
}

bool fnRxQuiet(void*)
{
    if (gstTerminalWorkerView.pfnTakeClearReturn())
        gstTerminalWorkerView.pfnClearReturn(); // a wait without data
    return true;
}
} // namespace

int Idm_Terminal(HWND hOwner)
{
    CommTRC& stTRC = gstCommTRCTerminal;
    // Every earlier pair ends first (the lifecycle's stop also ends a running interval wait).
    if (!fnCommPairsQuiet(hOwner))
        return 1;
    gstTerminalComm.m_bTxReady = 0;
    gstTerminalComm.fnQueueClear(); // nothing of the last opening goes out in this one
    if (fnCommPairStart(stTRC, hOwner, PAIR) != 0)
        return 1;
    // The dialog's first Send must find the request event; the thread creates it first thing.
    DWORD dwStart = GetTickCount();
    while (gstTerminalComm.m_bTxReady.load() == 0 && fnCommPairRunning(stTRC) &&
           GetTickCount() - dwStart < TX_READY_WAIT_MS)
        Sleep(1);
    return 0;
}

void fnTerminalStage(const uint8_t* pbyFrame, uint32_t dwLen)
{
    gstTerminalComm.fnQueue(pbyFrame, dwLen);
}

void fnTerminalTrigger(uint32_t dwMode)
{
    CommTRC& stTRC = gstCommTRCTerminal;
    // Under the record's lock: the transmit thread passes the same lock after it wakes, so it
    // never sees the new request with the interval event of the last run still set.
    EnterCriticalSection(&stTRC.m_csLock);
    gstTerminalComm.m_dwSendMode = dwMode;
    stTRC.fnSignal(&stTRC.m_stTx.m_hIsTransmitData);
    if (dwMode == TerminalSendContinuous)
        stTRC.fnUnsignal(&stTRC.m_stTx.m_hIntervalTime);
    else
        stTRC.fnSignal(&stTRC.m_stTx.m_hIntervalTime);
    LeaveCriticalSection(&stTRC.m_csLock);
}

void fnTerminalStopSending()
{
    CommTRC& stTRC = gstCommTRCTerminal;
    stTRC.fnUnsignal(&stTRC.m_stTx.m_hIsTransmitData);
    stTRC.fnSignal(&stTRC.m_stTx.m_hIntervalTime);
}

void fnTerminalEnd()
{
    fnCommPairStop(gstCommTRCTerminal); // both run flags, the request and the interval
}

DWORD WINAPI CommThread_Terminal_Tx(LPVOID)
{
    CommTRC& stTRC = gstCommTRCTerminal;
    if (!fnCommTxBeginEvents(stTRC, TX_TEXTS, TX_REQUEST_NULL, TX_INTERVAL_NULL))
        return 1;
    gstTerminalComm.m_bTxReady = 1;
    CommSendStep stStep = {&stTRC,      &TX_TEXTS, COMM_WAIT_MS, CommTxResendSame,
                           fnBuildNext, &stTRC,    false,        0};
    fnCommTxLoop({&stStep, true, fnAfterSend, &stStep});
    fnCommTxEndEvents(stTRC);
    return 1;
}

DWORD WINAPI CommThread_Terminal_Rx(LPVOID)
{
    CommTRC& stTRC = gstCommTRCTerminal;
    if (!fnCommRxBegin(stTRC.m_stRx, RX_TEXTS))
        return 1;
    if (fnCommRxLoop({&stTRC, &RX_TEXTS, fnRxDeliver, fnRxQuiet, nullptr, nullptr, nullptr,
                      nullptr}) == CommRxLost)
        fnCommRxTellLost(stTRC, RX_TEXTS);
    fnCommRxEnd(stTRC.m_stRx);
    return 1;
}
