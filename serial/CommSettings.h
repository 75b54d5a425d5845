// The user's choice of COM port and baud rate, and the COM Set dialog (template 125) that edits
// it. Only the main thread writes it; worker threads read m_dwBaudIndex for their pacing.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

const uint32_t COM_PORT_COUNT = 256;

class CommSettings
{
  public:
    CommSettings();

    HWND m_hDlg;
    HWND m_hPortList;
    HWND m_hBaudList;
    char m_aachPortNames[COM_PORT_COUNT][32]; // "COM1" .. "COM256"
    char m_aachBaudNames[8][16];              // "1200" .. "115200"
    uint32_t m_dwPortIndex;                   // committed; port number = index + 1
    std::atomic<uint32_t> m_dwBaudIndex;      // committed BaudIndex, read by worker threads
    uint32_t m_dwNewPortIndex;                // being edited in the dialog
    uint32_t m_dwNewBaudIndex;

    void GetDevicePath(char achOut[32]) const; // \\.\COMn
    void GetPortName(char achOut[32]) const;   // COMn
    uint32_t GetBaudRate() const;
    void SetDefaults();
    void FillLists();
    void BeginEdit();
    void ShowSelection();
    void ReadSelection();
    void Commit();
};

extern CommSettings gstCommSettings;

INT_PTR CALLBACK ComSetDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
