// The COM port connection: open with the fixed line format, change the baud rate, close. All
// of it runs on the main thread; worker threads only read m_hComm and m_bOpen, so m_bOpen is
// cleared before a handle is closed and a closed handle is replaced by INVALID_HANDLE_VALUE.
#include "serial/CommPort.h"

#include "res/GbkText.h"
#include "res/Texts.h"
#include "serial/CommLife.h"
#include "serial/CommSettings.h"

#include <cstdio>

CommPort gstCommPort;

namespace
{
const char* const APP_CAPTION = "VQ4600Utility";
const DWORD RX_QUEUE_SIZE = 2048;
const DWORD TX_QUEUE_SIZE = 1024;

void fnShowError(HWND hOwner, const char* pchText, const char* pchCaption)
{
    fnMessageBoxGbk(hOwner, pchText, pchCaption, MB_OK | MB_ICONERROR);
}

// The one place that gives up an opened port: whatever configuration step failed, the
// connection goes back to its closed state so that COM Open starts afresh next time.
void fnCommRelease(CommPort& stPort)
{
    stPort.m_bOpen = 0;
    HANDLE hComm = stPort.m_hComm.exchange(INVALID_HANDLE_VALUE);
    if (hComm != INVALID_HANDLE_VALUE)
        CloseHandle(hComm);
}

// Shows the message of a failed configuration step, releases the port, returns the step.
int fnOpenFailed(CommPort& stPort, HWND hOwner, int nResult, const char* pchText)
{
    stPort.m_dwLastError = GetLastError();
    fnCommRelease(stPort);
    fnShowError(hOwner, pchText, APP_CAPTION);
    return nResult;
}

// Steps 4 to 10 of opening: read the driver's state, lay the fixed values over it, write it.
int fnCommConfigure(CommPort& stPort, HWND hOwner)
{
    HANDLE hComm = stPort.m_hComm.load();
    stPort.m_stDCB.DCBlength = sizeof(DCB);
    if (!GetCommState(hComm, &stPort.m_stDCB))
        return fnOpenFailed(stPort, hOwner, 2, "INF:Idm_CommOpen()_01 GetCommState() Error!");
    if (!GetCommTimeouts(hComm, &stPort.m_stTimeouts))
        return fnOpenFailed(stPort, hOwner, 3, "INF:Idm_CommOpen()_02 GetCommTimeouts() Error!");
    if (!GetCommProperties(hComm, &stPort.m_stProp))
        return fnOpenFailed(stPort, hOwner, 4, "INF:Idm_CommOpen()_03 GetCommProperties() Error!");
    fnCommBuildDCB(stPort, gstCommSettings);
    if (!SetCommState(hComm, &stPort.m_stDCB))
        return fnOpenFailed(stPort, hOwner, 5, "INF:Idm_CommOpen()_04 SetCommState() Error!");
    if (!SetCommTimeouts(hComm, &stPort.m_stTimeouts))
        return fnOpenFailed(stPort, hOwner, 6, "INF:Idm_CommOpen()_05 SetCommTimeouts() Error!");
    if (!SetupComm(hComm, RX_QUEUE_SIZE, TX_QUEUE_SIZE))
        return fnOpenFailed(stPort, hOwner, 7, "INF:Idm_CommOpen()_06 SetupComm() Error!");
    return 0;
}
} // namespace

CommPort::CommPort()
    : m_hComm(INVALID_HANDLE_VALUE), m_achDevicePath{}, m_achPortName{},
      m_bOpen(0), m_stDCB{}, m_stTimeouts{}, m_stProp{}, m_dwLastError(0)
{
    m_stDCB.DCBlength = sizeof(DCB);
}

void fnCommBuildDCB(CommPort& stPort, const CommSettings& stSettings)
{
    stSettings.GetDevicePath(stPort.m_achDevicePath);
    stSettings.GetPortName(stPort.m_achPortName);

    DCB& stDcb = stPort.m_stDCB;
    stDcb.BaudRate = stSettings.GetBaudRate();
    stDcb.ByteSize = 8;
    stDcb.Parity = NOPARITY;
    stDcb.StopBits = ONESTOPBIT;
    stDcb.fOutxCtsFlow = 0;
    stDcb.fOutxDsrFlow = 0;
    stDcb.fDsrSensitivity = 0;
    stDcb.fDtrControl = DTR_CONTROL_ENABLE;
    stDcb.fRtsControl = RTS_CONTROL_ENABLE;
    stDcb.fOutX = 0;
    stDcb.fInX = 0;
    stDcb.fTXContinueOnXoff = 0;
    stDcb.XonLim = 0;
    stDcb.XoffLim = 0;
    stDcb.XonChar = 0x11;
    stDcb.XoffChar = 0x13;
    stDcb.fAbortOnError = 0;

    COMMTIMEOUTS& stTo = stPort.m_stTimeouts;
    stTo.ReadIntervalTimeout = 1;
    stTo.ReadTotalTimeoutMultiplier = 0;
    stTo.ReadTotalTimeoutConstant = 0;
    stTo.WriteTotalTimeoutMultiplier = 0;
    stTo.WriteTotalTimeoutConstant = 0;
}

int Idm_CommOpen(HWND hOwner)
{
    CommPort& stPort = gstCommPort;
    fnCommBuildDCB(stPort, gstCommSettings);
    HANDLE hComm =
        CreateFileA(stPort.m_achDevicePath, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OVERLAPPED, nullptr);
    if (hComm == INVALID_HANDLE_VALUE)
    {
        stPort.m_dwLastError = GetLastError();
        stPort.m_bOpen = 0;
        stPort.m_hComm = INVALID_HANDLE_VALUE;
        char achText[96];
        snprintf(achText, sizeof(achText), TXT_COM_OPEN_ERROR_FMT, stPort.m_achPortName);
        fnShowError(hOwner, achText, TXT_COM_OPEN);
        return 1;
    }
    stPort.m_hComm = hComm;
    stPort.m_bOpen = 1;
    return fnCommConfigure(stPort, hOwner);
}

int Idm_CommClose(HWND hOwner)
{
    CommPort& stPort = gstCommPort;
    HANDLE hComm = stPort.m_hComm.load();
    stPort.m_bOpen = 0; // workers stop on the flag before their handle goes away
    // A pair that outlived its dialog still uses the handle: it must have ended first.
    if (!fnCommPairsEnd(COMM_PAIR_WAIT_MS))
    {
        stPort.m_bOpen = 1;
        fnMessageBoxGbk(hOwner, TXT_COMM_PAIR_BUSY, APP_CAPTION, MB_ICONINFORMATION);
        return 1;
    }
    if (!CloseHandle(hComm))
    {
        stPort.m_dwLastError = GetLastError();
        stPort.m_bOpen = 1;
        fnShowError(hOwner,
                    "INF:Idm_CommClose()_00 Close COM Port Error! CloseHandle() return NULL!",
                    stPort.m_achPortName);
        return 1;
    }
    // Closed: the stale handle is not kept, so a late worker read fails cleanly instead of
    // reaching whatever object the system gives that handle value next.
    stPort.m_hComm = INVALID_HANDLE_VALUE;
    return 0;
}

int Idm_CommSet(HWND hOwner)
{
    CommPort& stPort = gstCommPort;
    fnCommBuildDCB(stPort, gstCommSettings);
    if (!SetCommState(stPort.m_hComm.load(), &stPort.m_stDCB))
    {
        stPort.m_dwLastError = GetLastError();
        fnShowError(hOwner, "INF:Idm_CommSet()_00 SetCommState() Error!", APP_CAPTION);
        return 1;
    }
    stPort.m_bOpen = 1;
    return 0;
}
