// The credit window (template 124), shown instead of the About box on the tenth About command
// of a run: the author's signature drawn through its mask above the blank of the label.
// Main thread only.
#pragma once

#include <windows.h>

#include <cstdint>

const int CREDIT_SIGNATURE_X = 120;
const int CREDIT_SIGNATURE_Y = 30;
const int CREDIT_SIGNATURE_WIDTH = 150;
const int CREDIT_SIGNATURE_HEIGHT = 94;

class CreditWindow
{
  public:
    CreditWindow();

    HWND m_hDlg;
    uint32_t m_dwAboutCount; // About commands so far; the tenth shows this window

    void fnPaint();
};

extern CreditWindow gstCreditWindow;

// Ends with 1 on OK and 0 on Esc or the close box.
INT_PTR CALLBACK CreditDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
