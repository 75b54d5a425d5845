// The COM Set dialog (template 125), modal on the main thread. It shows the committed choice,
// lets the user edit a pending copy and commits it only on OK; while the port is open the port
// list is disabled, because only the baud rate of an open port can change.
#include "res/GbkText.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "serial/CommPort.h"
#include "serial/CommSettings.h"

namespace
{
void fnComSetInit(HWND hDlg)
{
    CommSettings& stSet = gstCommSettings;
    stSet.m_hDlg = hDlg;
    stSet.m_hPortList = GetDlgItem(hDlg, IDC_COMSET_PORT);
    stSet.m_hBaudList = GetDlgItem(hDlg, IDC_COMSET_BAUD);

    fnSetWindowTextGbk(hDlg, TXT_COMSET_CAPTION);
    fnSetDlgItemTextGbk(hDlg, IDC_COMSET_LBL_PORT, TXT_COMSET_PORT);
    fnSetDlgItemTextGbk(hDlg, IDC_COMSET_LBL_BAUD, TXT_COMSET_BAUD);
    fnSetDlgItemTextGbk(hDlg, IDC_COMSET_LBL_DATABITS, TXT_COMSET_DATABITS);
    fnSetDlgItemTextGbk(hDlg, IDC_COMSET_LBL_PARITY, TXT_COMSET_PARITY);
    fnSetDlgItemTextGbk(hDlg, IDC_COMSET_LBL_STOPBITS, TXT_COMSET_STOPBITS);
    fnSetDlgItemTextGbk(hDlg, IDOK, TXT_OK);
    fnSetDlgItemTextGbk(hDlg, IDCANCEL, TXT_CANCEL);

    stSet.FillLists();
    stSet.BeginEdit();
    stSet.ShowSelection();
    EnableWindow(stSet.m_hPortList, gstCommPort.m_bOpen.load() != 1 ? TRUE : FALSE);
    EnableWindow(stSet.m_hBaudList, TRUE);
}

void fnComSetEnd(HWND hDlg, INT_PTR nResult)
{
    gstCommSettings.m_hDlg = nullptr;
    gstCommSettings.m_hPortList = nullptr;
    gstCommSettings.m_hBaudList = nullptr;
    EndDialog(hDlg, nResult);
}
} // namespace

INT_PTR CALLBACK ComSetDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (uMsg)
    {
    case WM_INITDIALOG:
        fnComSetInit(hDlg);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam))
        {
        case IDOK:
            gstCommSettings.ReadSelection();
            gstCommSettings.Commit();
            fnComSetEnd(hDlg, 1);
            return TRUE;
        case IDCANCEL: // the Cancel button, Esc and the close box
            fnComSetEnd(hDlg, 0);
            return TRUE;
        default:
            break;
        }
        break;
    default:
        break;
    }
    return FALSE;
}
