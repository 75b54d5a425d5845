// The skeleton both worker threads of every feature follow: overlapped writes and reads on the
// one port with bounded waits, the standard messages, and the pair starter. A feature's thread
// procedures call these pieces in their loops and add only their frames, pacing and replies.
// Each function is called by the thread that owns the half it is given (the starter and
// fnCommPairWait by the main thread).
#pragma once

#include <windows.h>

#include <cstdint>

#include "serial/CommTRC.h"

// Outcome of one step of a write or a read.
enum CommIoResult : uint32_t
{
    CommIoDone = 0,    // completed; the count is in m_dwTxWritten / m_dwRxRead
    CommIoPending = 1, // still outstanding (or nothing came yet); wait again on the next pass
    CommIoFailed = 2,  // the overlapped result failed; the error is in *pdwError, still pending
    CommIoError = 3,   // a message was shown; the thread must end
    CommIoClosed = 4,  // the port handle is gone (ERROR_INVALID_HANDLE); end without a message
};

const uint32_t COMM_MSG_SIZE = 200;
const DWORD COMM_WAIT_MS = 500;

// The owner of a thread's messages, asked at the moment a message is shown.
typedef HWND (*CommOwnerFn)();

// The message texts of one transmit thread (the write error has one %d).
struct CommTxTexts
{
    const char* pchEventNull;
    const char* pchWriteErrorFmt;
    const char* pchWaitUnknown;
    CommOwnerFn pfnOwner; // may be null: no owner
};

// The message texts of one receive thread (the read error has one %d).
struct CommRxTexts
{
    const char* pchEventNull;
    const char* pchReadErrorFmt;
    const char* pchWaitUnknown;
    CommOwnerFn pfnOwner;     // owner of the event and read messages
    CommOwnerFn pfnWaitOwner; // owner of the wait message; may be null
};

// The error box of the program: caption "VQ4600Utility", error icon.
void fnCommShowError(CommOwnerFn pfnOwner, const char* pchText);

// True while the port is open and the flag is 1: the loop condition of every worker.
bool fnCommRunning(const std::atomic<uint32_t>& bRun);

// --- transmit half -------------------------------------------------------------------------
// Zeroes counters, pending flag and OVERLAPPED (m_bRun is left alone), then creates the write
// event; false after the event message.
bool fnCommTxBegin(CommTx& stTx, const CommTxTexts& stTexts);
// Writes m_achTxBuf / m_dwTxLen. Done, Pending or Error.
uint32_t fnCommWrite(CommTx& stTx, const CommTxTexts& stTexts);
// Waits up to dwTimeout for the pending write. Done, Pending (time-out or an unexpected result,
// reported), or Failed with the error of GetOverlappedResult.
uint32_t fnCommWriteWait(CommTx& stTx, DWORD dwTimeout, const CommTxTexts& stTexts,
                         DWORD* pdwError);
// End of a pass: clears the pending flag and resets the write event.
void fnCommTxEndPass(CommTx& stTx);
// Thread end: a write still outstanding is cancelled and waited for, so the driver can no longer
// read m_achTxBuf when the next pair builds into it; then the write event is closed.
void fnCommTxEnd(CommTx& stTx);

// --- receive half --------------------------------------------------------------------------
// As fnCommTxBegin, with m_dwRxRequest = 128.
bool fnCommRxBegin(CommRx& stRx, const CommRxTexts& stTexts);
// One pass of the receive loop: starts a read or waits up to 500 ms on the pending one. Done
// with m_dwRxRead >= 1 bytes in m_achRxBuf (pending state already cleared), Pending, Error or
// Closed.
uint32_t fnCommReadOnce(CommRx& stRx, const CommRxTexts& stTexts);
// Thread end, see fnCommTxEnd: the outstanding read is cancelled and its completion awaited
// before the event is closed, so it can never land in a buffer the next pair uses.
void fnCommRxEnd(CommRx& stRx);

// What a receive thread does with each delivery.
typedef void (*CommRxDeliverFn)(CommTRC& stTRC);
// The whole receive thread: begin, loop while running, end. Returns the exit code 1.
DWORD fnCommRxRun(CommTRC& stTRC, const CommRxTexts& stTexts, CommRxDeliverFn pfnDeliver);

// --- the pair ------------------------------------------------------------------------------
struct CommPairDesc
{
    LPTHREAD_START_ROUTINE pfnTx;
    LPTHREAD_START_ROUTINE pfnRx;
    bool bRxFirst;               // the search starts its receive thread first
    const char* pchTxCreateFail; // "INF:Idm_...()_NN Thread CommThread_..._Tx() Create Fail!"
    const char* pchRxCreateFail;
};

// How long a new command waits for the pair of its previous run to end.
const DWORD COMM_PAIR_WAIT_MS = 3000;

// True while either thread of the record's last pair has not ended.
bool fnCommPairRunning(CommTRC& stTRC);
// Tells a still running pair to stop and waits for both threads up to dwTimeout, handling the
// messages other threads send to this thread's windows meanwhile (a worker may be inside a
// SendMessage to a dialog of this thread). True when no thread of the pair runs any more.
bool fnCommPairWait(CommTRC& stTRC, DWORD dwTimeout);
// True when no thread of the record runs, after waiting (bounded) for a pair that still does;
// false after the refusal message owned by hOwner.
bool fnCommPairReady(CommTRC& stTRC, HWND hOwner);
// Starts a fresh pair on the record: waits for an old one (bounded) or refuses with a message,
// raises both run flags, creates the threads in the feature's order. If the second cannot be
// created, the first is stopped. 0 when both run; 1 after a message owned by hOwner.
int fnCommPairStart(CommTRC& stTRC, HWND hOwner, const CommPairDesc& stDesc);

// Test seam: when set, CreateThread is replaced by this (it may fail on purpose).
typedef HANDLE (*CommCreateThreadFn)(LPTHREAD_START_ROUTINE pfnProc, DWORD* pdwId);
void fnCommSetCreateThreadHook(CommCreateThreadFn pfnHook);
