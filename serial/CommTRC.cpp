// The transaction records of the features and their locked hand-overs. The receive thread
// appends to the accumulator while the transmit thread takes it, and the dialog signals events
// that the transmit thread creates and closes, so both go through m_csLock; everything else in
// a record is written by one side only (see CommTRC.h).
#include "serial/CommTRC.h"

#include <cstring>

CommTRC gstCommTRCModuleSearch;
CommTRC gstCommTRCModuleSet;
CommTRC gstCommTRCTerminal;
CommTRC gstCommTRCIO_4652;
CommTRC gstCommTRCIO_4618;
CommTRC gstCommTRCIO_4624;
CommTRC gstCommTRCIO_4637;

namespace
{
void fnClearTx(CommTx& stTx)
{
    stTx.m_hThread = NULL;
    stTx.m_dwThreadId = 0;
    memset(stTx.m_achTxBuf, 0, sizeof(stTx.m_achTxBuf));
    stTx.m_dwTxLen = 0;
    stTx.m_dwTxWritten = 0;
    stTx.m_bRun = 0;
    stTx.m_hIsTransmitData = NULL;
    stTx.m_hIntervalTime = NULL;
    memset(&stTx.m_stOL, 0, sizeof(stTx.m_stOL));
    stTx.m_dwWaitResult = 0;
    stTx.m_bPending = 0;
}

void fnClearRx(CommRx& stRx)
{
    stRx.m_hThread = NULL;
    stRx.m_dwThreadId = 0;
    memset(stRx.m_achRxBuf, 0, sizeof(stRx.m_achRxBuf));
    stRx.m_dwRxRequest = RX_READ_SIZE;
    stRx.m_dwRxRead = 0;
    stRx.m_bRun = 0;
    memset(&stRx.m_stOL, 0, sizeof(stRx.m_stOL));
    stRx.m_dwWaitResult = 0;
    stRx.m_bPending = 0;
    memset(stRx.m_achRxData, 0, sizeof(stRx.m_achRxData));
    stRx.m_dwRxDataLen = 0;
    stRx.m_dwBadInRow = 0;
    stRx.m_dwLastError = 0;
}
} // namespace

CommTRC::CommTRC()
{
    fnClearTx(m_stTx);
    fnClearRx(m_stRx);
    m_bLineLost = 0;
    InitializeCriticalSection(&m_csLock);
}

void CommTRC::fnRxDataAppend()
{
    DWORD dwRead = m_stRx.m_dwRxRead;
    if (dwRead > RX_BUF_SIZE)
        dwRead = RX_BUF_SIZE;
    EnterCriticalSection(&m_csLock);
    uint32_t dwLen = m_stRx.m_dwRxDataLen.load();
    for (DWORD i = 0; i < dwRead && dwLen < RX_BUF_SIZE; ++i)
        m_stRx.m_achRxData[dwLen++] = m_stRx.m_achRxBuf[i];
    m_stRx.m_dwRxDataLen = dwLen;
    LeaveCriticalSection(&m_csLock);
}

uint32_t CommTRC::fnRxDataTake(uint8_t* pbyOut)
{
    EnterCriticalSection(&m_csLock);
    uint32_t dwLen = m_stRx.m_dwRxDataLen.load();
    if (dwLen > RX_BUF_SIZE)
        dwLen = RX_BUF_SIZE;
    memcpy(pbyOut, m_stRx.m_achRxData, dwLen);
    m_stRx.m_dwRxDataLen = 0;
    LeaveCriticalSection(&m_csLock);
    return dwLen;
}

void CommTRC::fnRxDataClear()
{
    EnterCriticalSection(&m_csLock);
    m_stRx.m_dwRxDataLen = 0;
    LeaveCriticalSection(&m_csLock);
}

bool CommTRC::fnCreateEvent(HANDLE* phSlot)
{
    HANDLE hEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (hEvent == NULL)
        return false;
    EnterCriticalSection(&m_csLock);
    *phSlot = hEvent;
    LeaveCriticalSection(&m_csLock);
    return true;
}

void CommTRC::fnCloseEvent(HANDLE* phSlot)
{
    EnterCriticalSection(&m_csLock);
    HANDLE hEvent = *phSlot;
    *phSlot = NULL;
    LeaveCriticalSection(&m_csLock);
    if (hEvent != NULL)
        CloseHandle(hEvent);
}

void CommTRC::fnSignal(HANDLE* phSlot)
{
    EnterCriticalSection(&m_csLock);
    if (*phSlot != NULL)
        SetEvent(*phSlot);
    LeaveCriticalSection(&m_csLock);
}

void CommTRC::fnUnsignal(HANDLE* phSlot)
{
    EnterCriticalSection(&m_csLock);
    if (*phSlot != NULL)
        ResetEvent(*phSlot);
    LeaveCriticalSection(&m_csLock);
}

void CommTRC::fnStop()
{
    m_stTx.m_bRun = 0;
    m_stRx.m_bRun = 0;
    fnSignal(&m_stTx.m_hIsTransmitData);
    fnSignal(&m_stTx.m_hIntervalTime);
}
