// The VQ-4618 IO window: eight lamps that the receive worker sets through
// ShowDigitalState_4618 from its own thread. Close clears both run flags and ends the window
// at once; the workers end within one wait and the pace.
#include "io/IoDlg4618.h"

#include "io/IoTitle.h"
#include "io/ModuleIO.h"
#include "res/GbkText.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "serial/CommTRC.h"

IOView4618 gstIOView_4618;

IOView4618::IOView4618() : m_hDlg(NULL), m_hTitle(NULL), m_ahLamp{}, m_achTitle{} {}

void IOView4618::fnInit(HWND hDlg)
{
    m_hTitle = GetDlgItem(hDlg, IDC_IO18_TITLE);
    for (uint32_t k = 0; k < IO18_CHANNELS; ++k)
        m_ahLamp[k] = GetDlgItem(hDlg, IDC_IO18_LAMP_IN0 - static_cast<int>(k));
    m_stLamps.fnLoad();
    // The statics load their template bitmaps themselves and never free them; swapping in our
    // own here hands those back for deleting, even when the window closes before any poll.
    for (uint32_t k = 0; k < IO18_CHANNELS; ++k)
        m_stLamps.fnSetLamp(m_ahLamp[k], false);
    fnSetWindowTextGbk(hDlg, TXT_IO_CONTROL);
    fnSetDlgItemTextGbk(hDlg, IDC_IO18_GROUP_INPUT, TXT_IO_GROUP_INPUT);
    fnSetDlgItemTextGbk(hDlg, IDOK, TXT_IO_CLOSE);
    fnIoSetTitle(hDlg, IDC_IO18_TITLE, m_achTitle, sizeof(m_achTitle));
    m_hDlg = hDlg; // last: from now on the receive worker may show the state
}

void IOView4618::fnClose(HWND hDlg)
{
    gstCommTRCIO_4618.m_stTx.m_bRun = 0;
    gstCommTRCIO_4618.m_stRx.m_bRun = 0;
    if (m_hDlg.exchange(NULL) != NULL)
        EndDialog(hDlg, 1);
}

void ShowDigitalState_4618(uint8_t byInputs)
{
    IOView4618& stView = gstIOView_4618;
    if (stView.m_hDlg.load() == NULL)
        return;
    for (uint32_t k = 0; k < IO18_CHANNELS; ++k)
        stView.m_stLamps.fnSetLamp(stView.m_ahLamp[k], (byInputs >> k) & 1u);
}

INT_PTR CALLBACK DlgProc_ModuleIO_4618(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM)
{
    switch (uMsg)
    {
    case WM_INITDIALOG:
        gstIOView_4618.fnInit(hDlg);
        return TRUE;
    case WM_PAINT:
    {
        PAINTSTRUCT stPaint;
        BeginPaint(hDlg, &stPaint);
        ShowDigitalState_4618(gstIOData_4618.m_byInputs.load());
        EndPaint(hDlg, &stPaint);
        return TRUE;
    }
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
        {
            gstIOView_4618.fnClose(hDlg); // Esc and the close box act as Close
            return TRUE;
        }
        return FALSE;
    case WM_NCDESTROY:
        gstIOView_4618.m_stLamps.fnRelease(); // the lamps are gone with the window
        return FALSE;
    default:
        return FALSE;
    }
}
