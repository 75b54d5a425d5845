// The one open COM port. The main thread opens, configures and closes it; every worker thread
// reads m_hComm for its overlapped I/O and leaves its loop as soon as m_bOpen is 0.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

class CommSettings;

class CommPort
{
  public:
    CommPort();

    std::atomic<HANDLE> m_hComm; // INVALID_HANDLE_VALUE until opened; written by the main thread
    char m_achDevicePath[32];
    char m_achPortName[32];
    std::atomic<uint32_t> m_bOpen; // 1 while the port counts as open
    DCB m_stDCB;
    COMMTIMEOUTS m_stTimeouts;
    COMMPROP m_stProp;
    DWORD m_dwLastError; // GetLastError() of the last failed port call, read right at the call
};

extern CommPort gstCommPort;

// Fills path, name, DCB fields and time-outs of the connection from the committed settings.
void fnCommBuildDCB(CommPort& stPort, const CommSettings& stSettings);

// 0 success; 1 the port cannot be opened; 2..7 the configuration step that failed.
// After any result other than 0 the port counts as closed: the handle is already closed,
// m_hComm is INVALID_HANDLE_VALUE and m_bOpen is 0, so the caller has nothing to release and
// COM Open can simply be tried again.
int Idm_CommOpen(HWND hOwner);
// 0 closed; 1 closing failed.
int Idm_CommClose(HWND hOwner);
// 0 the new baud rate was written to the open port; 1 failed.
int Idm_CommSet(HWND hOwner);
