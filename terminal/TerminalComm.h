// The terminal exchange on the worker pair of gstCommTRCTerminal. The transmit thread sleeps on
// the request event and writes the frame the dialog composed, once (single send) or again and
// again with the interval between (continuous send); the receive thread shows every byte that
// arrives in the Terminal dialog's return box, whether or not a command was sent.
//
// Hand-over of the frame. The dialog never writes m_achTxBuf itself: each Send appends the
// composed frame to a small queue here under the record's lock, and the transmit thread copies
// the next queued frame into m_achTxBuf only when no write is pending. So a Send pressed while
// a write is still pending cannot rewrite the bytes under that write, and it is not lost
// either: queued frames go out one after the other, in the order they were sent, and the
// request is not cleared while one waits. A continuous run repeats the last frame taken.
// Only a line that takes no bytes at all can fill the queue; a Send then replaces the newest
// queued frame.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "serial/CommTRC.h"
#include "terminal/TerminalCompose.h"

enum TerminalSendMode : uint32_t
{
    TerminalSendSingle = 0,
    TerminalSendContinuous = 1,
};

const uint32_t TERMINAL_QUEUE_DEPTH = 8;
// The longest interval wait: one below INFINITE, so a continuous run always ends its wait.
const uint32_t TERMINAL_INTERVAL_MAX_MS = 0xFFFFFFFEu;

// What the workers see of the Terminal dialog; the dialog defines it (TerminalDlg.cpp).
struct TerminalWorkerView
{
    HWND (*pfnWindow)();                                         // NULL while the dialog is not up
    uint32_t (*pfnIntervalMs)();                                 // the committed interval
    void (*pfnShowRx)(const uint8_t* pbyData, uint32_t dwCount); // bytes into the return box
    bool (*pfnTakeClearReturn)(); // the Clear request, reset when taken
    void (*pfnClearReturn)();     // empties the return box
};
extern const TerminalWorkerView gstTerminalWorkerView;

// State of the exchange beyond the record's two halves. Threading: m_dwSendMode is written by
// the dialog before it sets the request and read by the transmit thread; the queue is used
// only under gstCommTRCTerminal.m_csLock; m_bTxReady is raised by the transmit thread once its
// events exist.
class TerminalComm
{
  public:
    TerminalComm();

    // Main thread: appends a frame (at most TERMINAL_FRAME_MAX bytes).
    void fnQueue(const uint8_t* pbyFrame, uint32_t dwLen);
    // Transmit thread: moves the oldest queued frame into the write buffer; false when none.
    bool fnTakeNext(CommTx& stTx);
    // Transmit thread, after a single send: clears the request unless a frame waits.
    void fnDoneUnlessQueued(CommTx& stTx);
    bool fnQueueEmpty();
    void fnQueueClear();

    std::atomic<uint32_t> m_dwSendMode;
    std::atomic<uint32_t> m_bTxReady;

  private:
    uint8_t m_aabyQueued[TERMINAL_QUEUE_DEPTH][TERMINAL_FRAME_MAX];
    uint32_t m_adwQueuedLen[TERMINAL_QUEUE_DEPTH];
    uint32_t m_dwHead;  // oldest queued frame
    uint32_t m_dwCount; // frames queued
};

extern TerminalComm gstTerminalComm;

// Creates CommThread_Terminal_Tx, then CommThread_Terminal_Rx. 0 when both run; 1 after a
// message owned by hOwner.
int Idm_Terminal(HWND hOwner);

// Operations of the dialog (main thread).
// Queues the frame for the next write (at most TERMINAL_FRAME_MAX bytes).
void fnTerminalStage(const uint8_t* pbyFrame, uint32_t dwLen);
// Send and Continuous send: the mode, then the request; Send also sets the interval event,
// Continuous send clears it.
void fnTerminalTrigger(uint32_t dwMode);
// Stop: clears the request, sets the interval event (a running interval wait ends at once).
void fnTerminalStopSending();
// Exit or Cancel: both run flags to 0, then the request and the interval events.
void fnTerminalEnd();

DWORD WINAPI CommThread_Terminal_Tx(LPVOID pvParam);
DWORD WINAPI CommThread_Terminal_Rx(LPVOID pvParam);
