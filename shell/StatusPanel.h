// The status line (template 120): one text that names the open port and its line settings.
#pragma once

#include <windows.h>

class StatusPanel
{
  public:
    StatusPanel();

    HWND m_hPanel;
    HWND m_hText; // static 1061
    char m_achStatusText[128];

    // Shows "已打开COMn, baud, 8, None, 1" (GBK) for an open port, the empty text otherwise.
    void fnShow(bool bOpen, const char* pchPortName, unsigned long dwBaudRate);
};

extern StatusPanel gstStatusPanel;

INT_PTR CALLBACK StatusDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
