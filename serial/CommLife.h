// The one owner of the worker pairs' lifecycle. Every feature command starts its pair here,
// every dialog, Clear List and COM Close stop pairs here, and a new pair starts only when every
// earlier pair of every feature has left the port: a receive thread that still reads would take
// the first reply meant for the next feature, and a pair that outlived its dialog must never
// meet a closed handle. All of it runs on the main thread (tests may call it from their own).
#pragma once

#include <windows.h>

#include "serial/CommTRC.h"

struct CommPairDesc
{
    LPTHREAD_START_ROUTINE pfnTx;
    LPTHREAD_START_ROUTINE pfnRx;
    bool bRxFirst;               // the search starts its receive thread first
    const char* pchTxCreateFail; // "INF:Idm_...()_NN Thread CommThread_..._Tx() Create Fail!"
    const char* pchRxCreateFail;
};

// How long a command waits for the pairs of earlier commands to end.
const DWORD COMM_PAIR_WAIT_MS = 3000;

// Stops a pair: both run flags to 0, then every event its threads may wait on (the request and
// the terminal's interval), so no thread sleeps on after its dialog has gone.
void fnCommPairStop(CommTRC& stTRC);
// True while either thread of the record's last pair has not ended.
bool fnCommPairRunning(CommTRC& stTRC);
// Stops the record's pair and waits for both threads up to dwTimeout, handling the messages
// other threads send to this thread's windows meanwhile (a worker may be inside a SendMessage
// to a dialog of this thread). True when no thread of the pair runs any more.
bool fnCommPairWait(CommTRC& stTRC, DWORD dwTimeout);
// Stops every feature's pair and waits for all of them (bounded, dwTimeout in all). True when
// none runs any more.
bool fnCommPairsEnd(DWORD dwTimeout);
// As fnCommPairsEnd with COMM_PAIR_WAIT_MS; false after the refusal message owned by hOwner.
bool fnCommPairsQuiet(HWND hOwner);
// Starts a fresh pair on the record once every earlier pair has ended (else the refusal
// message), raises both run flags, creates the threads in the feature's order. If the second
// cannot be created, the first is stopped. 0 when both run; 1 after a message owned by hOwner.
int fnCommPairStart(CommTRC& stTRC, HWND hOwner, const CommPairDesc& stDesc);

// Test seam: when set, CreateThread is replaced by this (it may fail on purpose).
typedef HANDLE (*CommCreateThreadFn)(LPTHREAD_START_ROUTINE pfnProc, DWORD* pdwId);
void fnCommSetCreateThreadHook(CommCreateThreadFn pfnHook);
