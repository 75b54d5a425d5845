// The terminal's worker pair on gstCommTRCTerminal. The transmit thread is request-driven: it
// waits without limit on m_hIsTransmitData, writes the staged frame (see TerminalComm.h for why
// the dialog stages instead of writing m_achTxBuf) and then either waits the interval on
// m_hIntervalTime (continuous) or clears the request (single). The receive thread reads in
// 128-byte pieces and hands every completed read to the dialog's return box at once.
#include "terminal/TerminalComm.h"

#include <cstring>

#include "serial/CommIo.h"
#include "serial/CommTRC.h"
#include "terminal/TerminalDlg.h"

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
    return gstTerminalDlg.m_hDlg.load();
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

void fnCloseEvents(CommTRC& stTRC)
{
    stTRC.fnCloseEvent(&stTRC.m_stTx.m_hIsTransmitData);
    stTRC.fnCloseEvent(&stTRC.m_stTx.m_hIntervalTime);
}

bool fnTxBegin(CommTRC& stTRC)
{
    if (!fnCommTxBegin(stTRC.m_stTx, TX_TEXTS))
        return false;
    const char* pchFailed = nullptr;
    if (!stTRC.fnCreateEvent(&stTRC.m_stTx.m_hIsTransmitData))
        pchFailed = TX_REQUEST_NULL;
    else if (!stTRC.fnCreateEvent(&stTRC.m_stTx.m_hIntervalTime))
        pchFailed = TX_INTERVAL_NULL;
    if (pchFailed == nullptr)
        return true;
    fnCommShowError(fnDialogOwner, pchFailed);
    fnCloseEvents(stTRC);
    fnCommTxEnd(stTRC.m_stTx);
    return false;
}

// After a completed write. A queued frame goes out at once; otherwise the interval in
// continuous mode, or the request is cleared.
void fnPace(CommTRC& stTRC)
{
    CommTx& stTx = stTRC.m_stTx;
    if (!gstTerminalComm.fnQueueEmpty())
        return;
    if (gstTerminalComm.m_dwSendMode.load() == TerminalSendContinuous)
    {
        DWORD dwInterval = gstTerminalDlg.m_stSetting.m_dwIntervalMs.load();
        if (stTx.m_dwTxLen == 0 && dwInterval < EMPTY_FRAME_PAUSE_MS)
            dwInterval = EMPTY_FRAME_PAUSE_MS;
        WaitForSingleObject(stTx.m_hIntervalTime, dwInterval);
        return;
    }
    gstTerminalComm.fnDoneUnlessQueued(stTx);
}

// The transmit thread's own: the last write failed and its frame must go out again.
bool s_bResend = false;

// One pass with the request set; false when the thread must end (write error).
bool fnTxPass(CommTRC& stTRC)
{
    CommTx& stTx = stTRC.m_stTx;
    if (stTx.m_bPending.load() == 0)
    {
        // None queued: a continuous run repeats its frame. A failed write goes out again
        // before any queued frame.
        if (s_bResend)
            s_bResend = false;
        else
            gstTerminalComm.fnTakeNext(stTx);
        if (stTx.m_dwTxLen == 0)
        {
            fnPace(stTRC); // an empty frame: nothing goes on the wire
            return true;
        }
        uint32_t dwResult = fnCommWrite(stTx, TX_TEXTS);
        if (dwResult == CommIoError)
            return false;
        if (dwResult == CommIoDone)
        {
            fnPace(stTRC);
            fnCommTxEndPass(stTx);
            return true;
        }
    }
    DWORD dwError = 0;
    uint32_t dwResult = fnCommWriteWait(stTx, COMM_WAIT_MS, TX_TEXTS, &dwError);
    if (dwResult == CommIoPending)
        return true;
    // A failed result or 0 bytes skips the pacing: the same frame goes out on the next pass.
    if (dwResult == CommIoDone && stTx.m_dwTxWritten > 0)
        fnPace(stTRC);
    else
        s_bResend = true;
    fnCommTxEndPass(stTx);
    return true;
}

void fnRxDeliver(CommTRC& stTRC)
{
    if (gstTerminalDlg.m_bClearReturn.exchange(0) != 0)
    {
        fnTerminalClearReturn(); // the bytes of this read are dropped
        return;
    }
    fnTerminalShowRx(stTRC.m_stRx.m_achRxBuf, stTRC.m_stRx.m_dwRxRead);
}
} // namespace

int Idm_Terminal(HWND hOwner)
{
    CommTRC& stTRC = gstCommTRCTerminal;
    // A pair of the last opening may still sit in a long interval wait (Exit does not end it);
    // a new opening ends that wait so that the old pair goes at once.
    if (fnCommPairRunning(stTRC))
        stTRC.fnSignal(&stTRC.m_stTx.m_hIntervalTime);
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
    gstTerminalComm.m_dwSendMode = dwMode;
    stTRC.fnSignal(&stTRC.m_stTx.m_hIsTransmitData);
    if (dwMode == TerminalSendContinuous)
        stTRC.fnUnsignal(&stTRC.m_stTx.m_hIntervalTime);
    else
        stTRC.fnSignal(&stTRC.m_stTx.m_hIntervalTime);
}

void fnTerminalStopSending()
{
    CommTRC& stTRC = gstCommTRCTerminal;
    stTRC.fnUnsignal(&stTRC.m_stTx.m_hIsTransmitData);
    stTRC.fnSignal(&stTRC.m_stTx.m_hIntervalTime);
}

void fnTerminalEnd()
{
    gstCommTRCTerminal.fnStop(); // both run flags, then the request
}

DWORD WINAPI CommThread_Terminal_Tx(LPVOID)
{
    CommTRC& stTRC = gstCommTRCTerminal;
    if (!fnTxBegin(stTRC))
        return 1;
    s_bResend = false;
    gstTerminalComm.m_bTxReady = 1;
    while (fnCommRunning(stTRC.m_stTx.m_bRun))
    {
        WaitForSingleObject(stTRC.m_stTx.m_hIsTransmitData, INFINITE);
        if (!fnCommRunning(stTRC.m_stTx.m_bRun) || !fnTxPass(stTRC))
            break;
    }
    fnCommTxEnd(stTRC.m_stTx);
    fnCloseEvents(stTRC);
    return 1;
}

DWORD WINAPI CommThread_Terminal_Rx(LPVOID)
{
    CommTRC& stTRC = gstCommTRCTerminal;
    CommRx& stRx = stTRC.m_stRx;
    if (!fnCommRxBegin(stRx, RX_TEXTS))
        return 1;
    while (fnCommRunning(stRx.m_bRun))
    {
        uint32_t dwResult = fnCommReadOnce(stRx, RX_TEXTS);
        if (dwResult == CommIoDone)
            fnRxDeliver(stTRC);
        else if (dwResult == CommIoError || dwResult == CommIoClosed)
            break;
        else if (gstTerminalDlg.m_bClearReturn.exchange(0) != 0)
            fnTerminalClearReturn(); // a wait without data
    }
    fnCommRxEnd(stRx);
    return 1;
}
