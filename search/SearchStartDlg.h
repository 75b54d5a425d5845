// The start-address dialog of the module search (template 130). Only the main thread uses it;
// the search's transmit thread reads m_chStartAddress after Idm_ModuleSearch has started it.
#pragma once

#include <windows.h>

#include <cstdint>

class SearchStartDlg
{
  public:
    SearchStartDlg();

    HWND m_hDlg;
    HWND m_hEdit;
    uint8_t m_chStartAddress; // committed; 0x00 at start, kept between searches
    char m_achEditText[64];
    uint8_t m_chEditValue;

    void fnInit(HWND hDlg);
    // Reads and checks the edit box; commits and returns true for one hex byte.
    bool fnAccept();
};

extern SearchStartDlg gstSearchStartDlg;

// Ends with 1 after committing a valid address, 0 on Cancel.
INT_PTR CALLBACK SearchStartDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
