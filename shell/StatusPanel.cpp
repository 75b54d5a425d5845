// The status line panel, a modeless child dialog of the main window. It only shows the text that
// fnSetCommUIState gives it; it does not follow size changes. Main thread only.
#include "shell/StatusPanel.h"

#include "res/GbkText.h"
#include "res/Texts.h"
#include "res/resource.h"

#include <cstdio>

StatusPanel gstStatusPanel;

StatusPanel::StatusPanel() : m_hPanel(nullptr), m_hText(nullptr), m_achStatusText{} {}

void StatusPanel::fnShow(bool bOpen, const char* pchPortName, unsigned long dwBaudRate)
{
    if (bOpen)
        snprintf(m_achStatusText, sizeof(m_achStatusText), TXT_STATUS_OPEN_FMT, pchPortName,
                 static_cast<int>(dwBaudRate));
    else
        m_achStatusText[0] = '\0';
    fnSetWindowTextGbk(m_hText, m_achStatusText);
}

INT_PTR CALLBACK StatusDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    (void)wParam;
    (void)lParam;
    if (uMsg == WM_INITDIALOG)
    {
        gstStatusPanel.m_hPanel = hDlg;
        gstStatusPanel.m_hText = GetDlgItem(hDlg, IDC_STATUS_TEXT);
        SetWindowTextW(gstStatusPanel.m_hText, L"");
    }
    return FALSE;
}
