// The OK and Esc handling shared by the dialogs of the Help menu.
#include "shell/DialogEnd.h"

INT_PTR fnEndOnOkCancel(HWND hDlg, WPARAM wParam)
{
    switch (LOWORD(wParam))
    {
    case IDOK:
        EndDialog(hDlg, 1);
        return TRUE;
    case IDCANCEL:
        EndDialog(hDlg, 0);
        return TRUE;
    default:
        return FALSE;
    }
}
