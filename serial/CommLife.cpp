// The pair lifecycle: one table of every feature's record, one stop, one bounded wait, one
// starter. Waiting pumps only the messages other threads send to this thread, so a worker
// inside SendMessage to a dialog finishes, while queued input cannot start another command.
#include "serial/CommLife.h"

#include "res/GbkText.h"
#include "res/Texts.h"

namespace
{
const char CAPTION[] = "VQ4600Utility";

CommTRC* const apstAllRecords[] = {
    &gstCommTRCModuleSearch, &gstCommTRCModuleSet, &gstCommTRCTerminal, &gstCommTRCIO_4652,
    &gstCommTRCIO_4618,      &gstCommTRCIO_4624,   &gstCommTRCIO_4637};

std::atomic<CommCreateThreadFn> g_pfnCreateThreadHook{nullptr};

HANDLE fnCreateWorker(LPTHREAD_START_ROUTINE pfnProc, DWORD* pdwId)
{
    CommCreateThreadFn pfnHook = g_pfnCreateThreadHook.load();
    if (pfnHook != nullptr)
        return pfnHook(pfnProc, pdwId);
    return CreateThread(NULL, 0, pfnProc, NULL, 0, pdwId);
}

// The handles of the record's threads that have not ended yet.
DWORD fnRunningThreads(CommTRC& stTRC, HANDLE* phOut)
{
    DWORD dwCount = 0;
    HANDLE ahThread[2] = {stTRC.m_stTx.m_hThread, stTRC.m_stRx.m_hThread};
    for (HANDLE hThread : ahThread)
    {
        if (hThread != NULL && WaitForSingleObject(hThread, 0) == WAIT_TIMEOUT)
            phOut[dwCount++] = hThread;
    }
    return dwCount;
}

// Stops the given records and waits until none of their threads runs, up to dwTimeout.
bool fnWaitRecords(CommTRC* const* ppstRecords, DWORD dwRecords, DWORD dwTimeout)
{
    for (DWORD i = 0; i < dwRecords; ++i)
    {
        if (fnCommPairRunning(*ppstRecords[i]))
            fnCommPairStop(*ppstRecords[i]);
    }
    const DWORD dwStart = GetTickCount();
    HANDLE ahRunning[2 * 8];
    for (;;)
    {
        DWORD dwCount = 0;
        for (DWORD i = 0; i < dwRecords; ++i)
            dwCount += fnRunningThreads(*ppstRecords[i], ahRunning + dwCount);
        if (dwCount == 0)
            return true;
        const DWORD dwSpent = GetTickCount() - dwStart;
        if (dwSpent >= dwTimeout)
            return false;
        MsgWaitForMultipleObjects(dwCount, ahRunning, FALSE, dwTimeout - dwSpent, QS_SENDMESSAGE);
        MSG stMsg;
        PeekMessageA(&stMsg, NULL, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
}

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

void fnCommPairStop(CommTRC& stTRC)
{
    stTRC.fnStop();
}

bool fnCommPairRunning(CommTRC& stTRC)
{
    HANDLE ahRunning[2];
    return fnRunningThreads(stTRC, ahRunning) != 0;
}

bool fnCommPairWait(CommTRC& stTRC, DWORD dwTimeout)
{
    CommTRC* apstOne[] = {&stTRC};
    return fnWaitRecords(apstOne, 1, dwTimeout);
}

bool fnCommPairsEnd(DWORD dwTimeout)
{
    return fnWaitRecords(apstAllRecords, sizeof(apstAllRecords) / sizeof(apstAllRecords[0]),
                         dwTimeout);
}

bool fnCommPairsQuiet(HWND hOwner)
{
    if (fnCommPairsEnd(COMM_PAIR_WAIT_MS))
        return true;
    fnMessageBoxGbk(hOwner, TXT_COMM_PAIR_BUSY, CAPTION, MB_ICONINFORMATION);
    return false;
}

int fnCommPairStart(CommTRC& stTRC, HWND hOwner, const CommPairDesc& stDesc)
{
    // The record itself first: a test record is not one of the features'.
    if (!fnCommPairWait(stTRC, COMM_PAIR_WAIT_MS) || !fnCommPairsEnd(COMM_PAIR_WAIT_MS))
    {
        fnMessageBoxGbk(hOwner, TXT_COMM_PAIR_BUSY, CAPTION, MB_ICONINFORMATION);
        return 1;
    }
    fnForgetThread(&stTRC.m_stTx.m_hThread, &stTRC.m_stTx.m_dwThreadId);
    fnForgetThread(&stTRC.m_stRx.m_hThread, &stTRC.m_stRx.m_dwThreadId);
    stTRC.m_bLineLost = 0;
    stTRC.m_stTx.m_bRun = 1;
    stTRC.m_stRx.m_bRun = 1;
    bool bFirstTx = !stDesc.bRxFirst;
    if (!fnStartOne(bFirstTx, stTRC, hOwner, stDesc) ||
        !fnStartOne(!bFirstTx, stTRC, hOwner, stDesc))
    {
        fnCommPairStop(stTRC); // the first thread must not run on alone
        return 1;
    }
    return 0;
}

void fnCommSetCreateThreadHook(CommCreateThreadFn pfnHook)
{
    g_pfnCreateThreadHook.store(pfnHook);
}
