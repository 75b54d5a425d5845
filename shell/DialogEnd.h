// How the About box and the credit window end: OK ends the modal dialog with 1, Esc or the
// close box with 0. Main thread only.
#pragma once

#include <windows.h>

// For a WM_COMMAND of button 1 (OK) or 2 (Esc, close box): ends hDlg and returns TRUE.
// FALSE for any other command, which the dialog procedure then leaves alone.
INT_PTR fnEndOnOkCancel(HWND hDlg, WPARAM wParam);
