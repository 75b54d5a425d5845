// The transaction record of one feature, shared by its transmit thread, its receive thread and
// the main thread (the feature's dialog). Threading contract, field by field:
//  - m_hThread, m_dwThreadId: written by fnCommPairStart (serial/CommLife.h) on the main thread,
//    only once every earlier pair of every record has ended.
//  - m_bRun: raised to 1 by fnCommPairStart before the thread is created, so a stop that comes
//    before the thread's first instruction is not lost; any thread may set it to 0 (atomic).
//    Stopping goes through fnCommPairStop (serial/CommLife.h), which also wakes both events.
//  - m_bLineLost: cleared by fnCommPairStart; either worker claims it (atomic exchange) before
//    it tells the user that the line failed, so a pair shows one such message at most.
//  - m_stOL, m_dwWaitResult, m_dwTxWritten, m_dwRxRead, m_dwBadInRow, m_dwLastError: used by
//    their own thread only.
//  - m_bPending: written by its own thread; atomic so the dialog may look at it.
//  - request and interval events: created and closed by the transmit thread; any other thread
//    signals them only through fnSignal/fnUnsignal, which hold m_csLock, so a handle is never
//    used after its thread has closed it. A dialog that sets or clears several events at once
//    holds m_csLock around them; the transmit loop passes that lock after each wake-up, so it
//    never sees half of such a change.
//  - accumulator m_achRxData/m_dwRxDataLen: the receive thread appends with fnRxDataAppend, the
//    transmit thread takes with fnRxDataTake; both hold m_csLock, so no byte can be appended
//    between the consumer's look and its reset.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

const uint32_t TX_BUF_SIZE = 1024;
const uint32_t RX_BUF_SIZE = 4096;
const uint32_t RX_READ_SIZE = 128;

struct CommTx
{
    HANDLE m_hThread;
    DWORD m_dwThreadId;
    uint8_t m_achTxBuf[TX_BUF_SIZE];
    DWORD m_dwTxLen;
    DWORD m_dwTxWritten;
    std::atomic<uint32_t> m_bRun;
    HANDLE m_hIsTransmitData; // the request event; the analog IO records call it m_hIsTransmit
    HANDLE m_hIntervalTime;   // the terminal's interval wait
    OVERLAPPED m_stOL;
    DWORD m_dwWaitResult;
    std::atomic<uint32_t> m_bPending;
};

struct CommRx
{
    HANDLE m_hThread;
    DWORD m_dwThreadId;
    uint8_t m_achRxBuf[RX_BUF_SIZE];
    DWORD m_dwRxRequest;
    DWORD m_dwRxRead;
    std::atomic<uint32_t> m_bRun;
    OVERLAPPED m_stOL;
    DWORD m_dwWaitResult;
    std::atomic<uint32_t> m_bPending;
    uint8_t m_achRxData[RX_BUF_SIZE];
    std::atomic<uint32_t> m_dwRxDataLen;
    uint32_t m_dwBadInRow; // reads in a row that completed failed or empty (receive thread)
    DWORD m_dwLastError;   // the error of the last failed completion (receive thread)
};

class CommTRC
{
  public:
    CommTRC();
    CommTRC(const CommTRC&) = delete;
    CommTRC& operator=(const CommTRC&) = delete;

    CommTx m_stTx;
    CommRx m_stRx;
    CRITICAL_SECTION m_csLock;

    // Accumulator hand-over.
    void fnRxDataAppend();                  // the m_dwRxRead bytes of m_achRxBuf, up to 4096
    uint32_t fnRxDataTake(uint8_t* pbyOut); // copies all held bytes (<= 4096) out and empties
    void fnRxDataClear();

    // Event slots (&m_stTx.m_hIsTransmitData, &m_stTx.m_hIntervalTime).
    bool fnCreateEvent(HANDLE* phSlot); // manual reset, initially clear; false on failure
    void fnCloseEvent(HANDLE* phSlot);
    void fnSignal(HANDLE* phSlot);   // SetEvent when the slot holds an event
    void fnUnsignal(HANDLE* phSlot); // ResetEvent when the slot holds an event

    // Clears both run flags, then sets the request and interval events, so that a transmit
    // thread waiting on either wakes and leaves. Called through fnCommPairStop.
    void fnStop();
    // The first thread of the pair to meet a broken line claims the one message the user gets
    // for it; false for every later caller of the same pair.
    bool fnClaimLineLost() { return m_bLineLost.exchange(1) == 0; }

    std::atomic<uint32_t> m_bLineLost; // 0 at each start (fnCommPairStart)
};

// One record per feature, living for the whole run.
extern CommTRC gstCommTRCModuleSearch;
extern CommTRC gstCommTRCModuleSet;
extern CommTRC gstCommTRCTerminal;
extern CommTRC gstCommTRCIO_4652;
extern CommTRC gstCommTRCIO_4618;
extern CommTRC gstCommTRCIO_4624;
extern CommTRC gstCommTRCIO_4637;
