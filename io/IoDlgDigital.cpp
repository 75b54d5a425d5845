// The digital IO windows. The receive worker shows the state from its own thread; the lamp and
// box messages it sends are carried out by the window thread. A click on an output box (which
// has toggled itself) asks the model's DigitalIo for a write. Close clears
// both run flags and ends the window at once; the workers end within one wait and the pace.
#include "io/IoDlgDigital.h"

#include "io/IoTitle.h"
#include "io/ModuleIO.h"
#include "res/GbkText.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "serial/CommTRC.h"

namespace
{
const DigitalViewIds IDS_4652 = {IDC_IO52_TITLE, IDC_IO52_GROUP_INPUT, IDC_IO52_GROUP_OUTPUT,
                                 IDC_IO52_LAMP_IN0, IDC_IO52_OUT0};
const DigitalViewIds IDS_4618 = {IDC_IO18_TITLE, IDC_IO18_GROUP_INPUT, 0, IDC_IO18_LAMP_IN0, 0};
} // namespace

IOViewDigital gstIOView_4652(&gstCommTRCIO_4652, &gstIOData_4652, &IDS_4652);
IOViewDigital gstIOView_4618(&gstCommTRCIO_4618, &gstIOData_4618, &IDS_4618);

IOViewDigital::IOViewDigital(CommTRC* pstTRC, DigitalIo* pstData, const DigitalViewIds* pstIds)
    : m_pstTRC(pstTRC), m_pstData(pstData), m_pstIds(pstIds), m_hDlg(NULL),
      m_hTitle(NULL), m_ahLamp{}, m_ahOut{}, m_achTitle{}
{
}

void IOViewDigital::fnInit(HWND hDlg)
{
    const DigitalModel& stModel = m_pstData->m_stModel;
    m_hTitle = GetDlgItem(hDlg, m_pstIds->nTitle);
    for (uint32_t k = 0; k < stModel.wInputs; ++k)
        m_ahLamp[k] = GetDlgItem(hDlg, m_pstIds->nLampIn0 - static_cast<int>(k));
    for (uint32_t k = 0; k < stModel.wOutputs; ++k)
        m_ahOut[k] = GetDlgItem(hDlg, m_pstIds->nOut0 - static_cast<int>(k));
    m_stLamps.fnLoad();
    // The statics load their template bitmaps themselves and never free them; swapping in our
    // own here hands those back for deleting, even when the window closes before any poll.
    for (uint32_t k = 0; k < stModel.wInputs; ++k)
        m_stLamps.fnSetLamp(m_ahLamp[k], false);
    fnSetWindowTextGbk(hDlg, TXT_IO_CONTROL);
    fnSetDlgItemTextGbk(hDlg, m_pstIds->nGroupInput, TXT_IO_GROUP_INPUT);
    if (m_pstIds->nGroupOutput != 0)
        fnSetDlgItemTextGbk(hDlg, m_pstIds->nGroupOutput, TXT_IO_GROUP_OUTPUT);
    fnSetDlgItemTextGbk(hDlg, IDOK, TXT_IO_CLOSE);
    fnIoSetTitle(hDlg, m_pstIds->nTitle, m_achTitle, sizeof(m_achTitle));
    m_hDlg = hDlg; // last: from now on the receive worker may show the state
}

void IOViewDigital::fnClose(HWND hDlg)
{
    m_pstTRC->m_stTx.m_bRun = 0;
    m_pstTRC->m_stRx.m_bRun = 0;
    if (m_hDlg.exchange(NULL) != NULL)
        EndDialog(hDlg, 1);
}

void IOViewDigital::fnShowState(uint8_t byInputs, uint8_t byOutputs)
{
    if (m_hDlg.load() == NULL)
        return;
    for (uint32_t k = 0; k < m_pstData->m_stModel.wInputs; ++k)
        m_stLamps.fnSetLamp(m_ahLamp[k], (byInputs >> k) & 1u);
    for (uint32_t k = 0; k < m_pstData->m_stModel.wOutputs; ++k)
        SendMessageW(m_ahOut[k], BM_SETCHECK, (byOutputs >> k) & 1u ? BST_CHECKED : BST_UNCHECKED,
                     0);
}

void IOViewDigital::fnShowData()
{
    fnShowState(m_pstData->m_byInputs.load(), m_pstData->m_byOutputs.load());
}

uint8_t IOViewDigital::ReadOutputBoxes() const
{
    uint8_t byOutputs = 0;
    for (uint32_t k = 0; k < m_pstData->m_stModel.wOutputs; ++k)
    {
        if (SendMessageW(m_ahOut[k], BM_GETCHECK, 0, 0) == BST_CHECKED)
            byOutputs = static_cast<uint8_t>(byOutputs | (1u << k));
    }
    return byOutputs;
}

bool IOViewDigital::fnOutputIndex(int nId, uint32_t* pk) const
{
    for (uint32_t k = 0; k < m_pstData->m_stModel.wOutputs; ++k)
    {
        if (nId == m_pstIds->nOut0 - static_cast<int>(k))
        {
            *pk = k;
            return true;
        }
    }
    return false;
}

INT_PTR IOViewDigital::fnDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam)
{
    switch (uMsg)
    {
    case WM_INITDIALOG:
        fnInit(hDlg);
        return TRUE;
    case WM_PAINT:
    {
        PAINTSTRUCT stPaint;
        BeginPaint(hDlg, &stPaint);
        fnShowData();
        EndPaint(hDlg, &stPaint);
        return TRUE;
    }
    case WM_COMMAND:
    {
        const int nId = LOWORD(wParam);
        uint32_t k = 0;
        if (nId == IDOK || nId == IDCANCEL)
        {
            fnClose(hDlg); // Esc and the close box act as Close
            return TRUE;
        }
        if (fnOutputIndex(nId, &k))
        {
            m_pstData->fnClick(k);
            return TRUE;
        }
        return FALSE;
    }
    case WM_NCDESTROY:
        m_stLamps.fnRelease(); // the lamps are gone with the window
        return FALSE;
    default:
        return FALSE;
    }
}

void ShowDigitalState_4652(uint8_t byInputs, uint8_t byOutputs)
{
    gstIOView_4652.fnShowState(byInputs, byOutputs);
}

void ShowDigitalState_4618(uint8_t byInputs)
{
    gstIOView_4618.fnShowState(byInputs, 0);
}

INT_PTR CALLBACK DlgProc_ModuleIO_4652(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM)
{
    return gstIOView_4652.fnDlgProc(hDlg, uMsg, wParam);
}

INT_PTR CALLBACK DlgProc_ModuleIO_4618(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM)
{
    return gstIOView_4618.fnDlgProc(hDlg, uMsg, wParam);
}
