// The progress dialog of the module search (template 131). The main thread creates and ends it;
// the search's transmit thread reads the handles below, through gstSearchWorkerView
// (search/ModuleSearch.h, defined in SearchProgressDlg.cpp), to show the address being asked,
// to move the bar and to send IDOK when the scan is over, so the handles are atomic and are
// cleared before the dialog goes away.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

class SearchProgressDlg
{
  public:
    SearchProgressDlg();

    std::atomic<HWND> m_hDlg;
    std::atomic<HWND> m_hIcon;     // 1049
    std::atomic<HWND> m_hAddress;  // 1050
    std::atomic<HWND> m_hProgress; // 1051
    UINT_PTR m_uTimerId;
    uint32_t m_dwIconNumber; // 115..118

    void fnInit(HWND hDlg);
    void fnNextIcon();
    // Kills the timer, forgets the handles, stops both search threads and ends the dialog.
    void fnEnd(INT_PTR nResult);
};

extern SearchProgressDlg gstSearchProgressDlg;

// Ends with 1 by IDOK (Stop, or the end of the scan), 0 by IDCANCEL (Escape). Either way the
// search threads are told to stop, so no second search can meet a running pair.
INT_PTR CALLBACK SearchProgressDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
