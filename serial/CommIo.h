// The skeleton both worker threads of every feature follow: one send step (fnCommSend) with the
// feature's failure policy, one receive loop (fnCommRxLoop) with the feature's hooks, bounded
// waits and the standard messages. A line that is gone (writes failing, reads completing empty
// or failed again and again) ends the pair, and the user is told once per pair. A feature's
// thread procedures add only their frames, triggers, pacing and replies. Each function is called
// by the thread that owns the half it is given; the pair lifecycle is in serial/CommLife.h.
#pragma once

#include <windows.h>

#include <cstdint>

#include "serial/CommLife.h"
#include "serial/CommTRC.h"

// Outcome of one step of a write or a read.
enum CommIoResult : uint32_t
{
    CommIoDone = 0,    // completed; the count is in m_dwTxWritten / m_dwRxRead
    CommIoPending = 1, // still outstanding (or nothing came yet); wait again on the next pass
    CommIoFailed = 2,  // the overlapped result failed; the error is in *pdwError, still pending
    CommIoError = 3,   // a message was shown; the thread must end
    CommIoClosed = 4,  // the port handle is gone (ERROR_INVALID_HANDLE); end without a message
    CommIoLost = 5,    // COMM_LOST_LIMIT reads in a row failed or brought nothing: the line is gone
};

// Reads that complete empty or failed do so at once, again and again, when the line is gone (a
// pulled USB adapter); a healthy line never completes a read without a byte.
const uint32_t COMM_LOST_LIMIT = 3;

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
// As fnCommTxBegin, then the request event and, when pchIntervalNull is given, the interval
// event, each with its own message on failure; on a failure everything made is closed again.
bool fnCommTxBeginEvents(CommTRC& stTRC, const CommTxTexts& stTexts, const char* pchRequestNull,
                         const char* pchIntervalNull);
// Thread end of such a transmit thread: fnCommTxEnd, then both events closed.
void fnCommTxEndEvents(CommTRC& stTRC);
// Writes m_achTxBuf / m_dwTxLen. Done, Pending or Error (the message is shown unless the pair
// has already told the user that its line failed).
uint32_t fnCommWrite(CommTRC& stTRC, const CommTxTexts& stTexts);
// Waits up to dwTimeout for the pending write. Done, Pending (time-out or an unexpected result,
// reported), or Failed with the error of GetOverlappedResult.
uint32_t fnCommWriteWait(CommTx& stTx, DWORD dwTimeout, const CommTxTexts& stTexts,
                         DWORD* pdwError);
// What a transmit thread does when the overlapped result of its write fails.
enum CommTxFailPolicy : uint32_t
{
    CommTxResendSame = 0,  // the same frame again on the next pass (search, settings, terminal)
    CommTxGoOnNext = 1,    // the next frame is built as usual (digital IO)
    CommTxStopOnAbort = 2, // ERROR_OPERATION_ABORTED ends the thread, else as GoOnNext (analog)
};

// Outcome of one send step.
enum CommSendResult : uint32_t
{
    CommSendDone = 0,    // written: the feature's pacing follows, then fnCommTxEndPass
    CommSendPending = 1, // still outstanding after the wait; the next pass waits again
    CommSendRetry = 2,   // the result failed and the pass is over; the policy chose what follows
    CommSendEnd = 3,     // the thread must end: write error, abort, or the line is gone
    CommSendNone = 4,    // the builder had no frame to send; nothing was written
};

// The send step of one transmit thread: its record, texts, wait and failure policy, how it
// builds its next frame, and the step's own state (kept by the thread between passes).
struct CommSendStep
{
    CommTRC* pstTRC;
    const CommTxTexts* pstTexts;
    DWORD dwWaitMs;
    uint32_t dwPolicy; // CommTxFailPolicy
    // The next frame into m_achTxBuf / m_dwTxLen; false when there is none to send.
    bool (*pfnBuild)(void* pvContext);
    void* pvContext;
    bool bResend;      // the last frame failed and goes out again unchanged
    uint32_t dwFailed; // failed results in a row; COMM_LOST_LIMIT of them: the line is gone
};

// One pass of every transmit loop: builds and writes the next frame when none is pending, or
// waits up to dwWaitMs on the pending write.
uint32_t fnCommSend(CommSendStep& stStep);

// The transmit loop of every feature: while running, waits for the feature's request when it
// has one (m_hIsTransmitData, created by the thread; the stop sets it), takes one send step and
// hands the outcome to pfnAfter, which does the feature's pacing and reply handling (and
// fnCommTxEndPass after CommSendDone). Ends on CommSendEnd or when pfnAfter returns false;
// returns the last outcome.
struct CommTxLoop
{
    CommSendStep* pstStep;
    bool bRequest;
    bool (*pfnAfter)(uint32_t dwResult, void* pvContext);
    void* pvContext;
};
uint32_t fnCommTxLoop(const CommTxLoop& stLoop);

// End of a pass: clears the pending flag and resets the write event.
void fnCommTxEndPass(CommTx& stTx);
// Thread end: a write still outstanding is cancelled and waited for, so the driver can no longer
// read m_achTxBuf when the next pair builds into it; then the write event is closed.
void fnCommTxEnd(CommTx& stTx);

// --- receive half --------------------------------------------------------------------------
// As fnCommTxBegin, with m_dwRxRequest = 128.
bool fnCommRxBegin(CommRx& stRx, const CommRxTexts& stTexts);
// One pass of the receive loop: starts a read or waits up to 500 ms on the pending one. Done
// with m_dwRxRead >= 1 bytes in m_achRxBuf (pending state already cleared), Pending, Error,
// Closed or Lost (the error of the last failed completion is in m_dwLastError).
uint32_t fnCommReadOnce(CommTRC& stTRC, const CommRxTexts& stTexts);
// Thread end, see fnCommTxEnd: the outstanding read is cancelled and its completion awaited
// before the event is closed, so it can never land in a buffer the next pair uses.
void fnCommRxEnd(CommRx& stRx);

// The receive loop of every feature: what the feature does before each pass, with each
// delivery and with each wait that brought nothing, and the analog IO's two extra messages.
struct CommRxLoop
{
    CommTRC* pstTRC;
    const CommRxTexts* pstTexts;
    bool (*pfnDeliver)(void* pvContext);    // m_dwRxRead >= 1 bytes in m_achRxBuf; false ends
    bool (*pfnQuiet)(void* pvContext);      // a 500 ms wait ran out; false ends. May be null
    void (*pfnBeforePass)(void* pvContext); // the analog pacing; may be null
    void* pvContext;
    const char* pchInvalidFmt; // ERROR_INVALID_HANDLE on a new read (%d); null: end silently
    const char* pchAbortedFmt; // a pending read aborted (%d); null: counted like any failure
};

// Failures counted towards a limit. A receive context that begins with one can use
// fnCommCountMiss as its pfnQuiet: each empty wait counts, the limit ends the loop.
struct CommMissCount
{
    uint32_t dwCount;
    uint32_t dwLimit;
};
bool fnCommCountMiss(void* pvContext);

// Why a receive loop ended.
enum CommRxEndReason : uint32_t
{
    CommRxStopped = 0, // the run flag or the port closed
    CommRxFailed = 1,  // a read error (reported) or the handle gone (silent)
    CommRxLost = 2,    // the line is gone: the caller stops the pair and tells the user once
    CommRxQuiet = 3,   // pfnQuiet or pfnDeliver ended it
};

// Loops until stopped; the caller has begun the half and ends it afterwards.
uint32_t fnCommRxLoop(const CommRxLoop& stLoop);

// What a receive thread does with each delivery.
typedef void (*CommRxDeliverFn)(CommTRC& stTRC);
// The whole receive thread: begin, loop while running, end. A lost line stops the pair and is
// told once, with the read-error text and the last error. Returns the exit code 1.
DWORD fnCommRxRun(CommTRC& stTRC, const CommRxTexts& stTexts, CommRxDeliverFn pfnDeliver);
// A lost line: the pair is stopped; true when this thread is the one to tell the user.
bool fnCommLineLost(CommTRC& stTRC);
// A lost line met by a receive thread: the pair is stopped and, unless the pair has already
// told the user, the read-error message shows the last error.
void fnCommRxTellLost(CommTRC& stTRC, const CommRxTexts& stTexts);
