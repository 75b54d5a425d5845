// The VQ-4652 IO window. The receive worker calls ShowDigitalState_4652 from its own thread;
// the lamp and box messages it sends are carried out by the window thread. Close clears both
// run flags and ends the window at once; the workers end within one wait and the pace.
#include "io/IoDlg4652.h"

#include "io/IoTitle.h"
#include "io/ModuleIO.h"
#include "res/GbkText.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "serial/CommTRC.h"

IOView4652 gstIOView_4652;

IOView4652::IOView4652() : m_hDlg(NULL), m_hTitle(NULL), m_ahLamp{}, m_ahOut{}, m_achTitle{} {}

void IOView4652::fnInit(HWND hDlg)
{
    m_hTitle = GetDlgItem(hDlg, IDC_IO52_TITLE);
    for (uint32_t k = 0; k < IO52_CHANNELS; ++k)
    {
        m_ahLamp[k] = GetDlgItem(hDlg, IDC_IO52_LAMP_IN0 - static_cast<int>(k));
        m_ahOut[k] = GetDlgItem(hDlg, IDC_IO52_OUT0 - static_cast<int>(k));
    }
    m_stLamps.fnLoad();
    // The statics load their template bitmaps themselves and never free them; swapping in our
    // own here hands those back for deleting, even when the window closes before any poll.
    for (uint32_t k = 0; k < IO52_CHANNELS; ++k)
        m_stLamps.fnSetLamp(m_ahLamp[k], false);
    fnSetWindowTextGbk(hDlg, TXT_IO_CONTROL);
    fnSetDlgItemTextGbk(hDlg, IDC_IO52_GROUP_INPUT, TXT_IO_GROUP_INPUT);
    fnSetDlgItemTextGbk(hDlg, IDC_IO52_GROUP_OUTPUT, TXT_IO_GROUP_OUTPUT);
    fnSetDlgItemTextGbk(hDlg, IDOK, TXT_IO_CLOSE);
    fnIoSetTitle(hDlg, IDC_IO52_TITLE, m_achTitle, sizeof(m_achTitle));
    m_hDlg = hDlg; // last: from now on the receive worker may show the state
}

void IOView4652::fnClose(HWND hDlg)
{
    gstCommTRCIO_4652.m_stTx.m_bRun = 0;
    gstCommTRCIO_4652.m_stRx.m_bRun = 0;
    if (m_hDlg.exchange(NULL) != NULL)
        EndDialog(hDlg, 1);
}

uint8_t IOView4652::ReadOutputBoxes() const
{
    uint8_t byOutputs = 0;
    for (uint32_t k = 0; k < IO52_CHANNELS; ++k)
    {
        if (SendMessageA(m_ahOut[k], BM_GETCHECK, 0, 0) == BST_CHECKED)
            byOutputs = static_cast<uint8_t>(byOutputs | (1u << k));
    }
    return byOutputs;
}

void ShowDigitalState_4652(uint8_t byInputs, uint8_t byOutputs)
{
    IOView4652& stView = gstIOView_4652;
    if (stView.m_hDlg.load() == NULL)
        return;
    for (uint32_t k = 0; k < IO52_CHANNELS; ++k)
        stView.m_stLamps.fnSetLamp(stView.m_ahLamp[k], (byInputs >> k) & 1u);
    for (uint32_t k = 0; k < IO52_CHANNELS; ++k)
        SendMessageA(stView.m_ahOut[k], BM_SETCHECK,
                     (byOutputs >> k) & 1u ? BST_CHECKED : BST_UNCHECKED, 0);
}

INT_PTR CALLBACK DlgProc_ModuleIO_4652(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM)
{
    switch (uMsg)
    {
    case WM_INITDIALOG:
        gstIOView_4652.fnInit(hDlg);
        return TRUE;
    case WM_PAINT:
    {
        PAINTSTRUCT stPaint;
        BeginPaint(hDlg, &stPaint);
        ShowDigitalState_4652(gstIOData_4652.m_byInputs.load(), gstIOData_4652.m_byOutputs.load());
        EndPaint(hDlg, &stPaint);
        return TRUE;
    }
    case WM_COMMAND:
    {
        const int nId = LOWORD(wParam);
        if (nId == IDOK || nId == IDCANCEL)
        {
            gstIOView_4652.fnClose(hDlg); // Esc and the close box act as Close
            return TRUE;
        }
        if (nId >= IDC_IO52_OUT3 && nId <= IDC_IO52_OUT0)
        {
            gstIOData_4652.fnRequestWrite(gstIOView_4652.ReadOutputBoxes());
            return TRUE;
        }
        return FALSE;
    }
    case WM_NCDESTROY:
        gstIOView_4652.m_stLamps.fnRelease(); // the lamps are gone with the window
        return FALSE;
    default:
        return FALSE;
    }
}
