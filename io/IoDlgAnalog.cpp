// The analog IO windows. The receive worker writes the value fields (WM_SETTEXT, carried out by
// the window thread) and draws the trend on a DC of the window from its own thread; the window
// thread paints the static chart parts and redraws the traces after a plot box click. Close
// stops both workers; the receive worker sees the stop and ends the window.
#include "io/IoDlgAnalog.h"

#include "io/IoTitle.h"
#include "io/TrendChart.h"
#include "io/TrendLayout.h"
#include "res/GbkText.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "io/AnalogWorker.h"
#include "serial/CommLife.h"

namespace
{
const char ZERO_TEXT[] = "00.000";

const AnalogViewIds IDS_4624 = {
    IDC_IO24_TITLE,
    {IDC_IO24_GROUP_CURRENT, IDC_IO24_GROUP_VOLTAGE},
    {IDC_IO24_VALUE_CH0, IDC_IO24_VALUE_CH0 + 1, IDC_IO24_VALUE_CH0 + 2, IDC_IO24_VALUE_CH0 + 3,
     IDC_IO24_VALUE_CH4, IDC_IO24_VALUE_CH4 + 1, IDC_IO24_VALUE_CH4 + 2, IDC_IO24_VALUE_CH4 + 3},
    {IDC_IO24_PLOT_CH0, IDC_IO24_PLOT_CH1, IDC_IO24_PLOT_CH1 + 1, IDC_IO24_PLOT_CH1 + 2,
     IDC_IO24_PLOT_CH1 + 3, IDC_IO24_PLOT_CH1 + 4, IDC_IO24_PLOT_CH1 + 5, IDC_IO24_PLOT_CH1 + 6},
};

const AnalogViewIds IDS_4637 = {
    IDC_IO37_TITLE,
    {IDC_IO37_GROUP_CURRENT, 0},
    {IDC_IO37_VALUE_CH0, IDC_IO37_VALUE_CH0 + 1, IDC_IO37_VALUE_CH0 + 2, IDC_IO37_VALUE_CH0 + 3,
     IDC_IO37_VALUE_CH0 + 4, IDC_IO37_VALUE_CH0 + 5, IDC_IO37_VALUE_CH0 + 6,
     IDC_IO37_VALUE_CH0 + 7},
    {IDC_IO37_PLOT_CH0, IDC_IO37_PLOT_CH0 + 1, IDC_IO37_PLOT_CH0 + 2, IDC_IO37_PLOT_CH0 + 3,
     IDC_IO37_PLOT_CH0 + 4, IDC_IO37_PLOT_CH0 + 5, IDC_IO37_PLOT_CH0 + 6, IDC_IO37_PLOT_CH7},
};
} // namespace

IOViewAnalog gstIOView_4624(AnalogModel4624, &gstCommTRCIO_4624, &IDS_4624);
IOViewAnalog gstIOView_4637(AnalogModel4637, &gstCommTRCIO_4637, &IDS_4637);

IOViewAnalog::IOViewAnalog(uint32_t dwModel, CommTRC* pstTRC, const AnalogViewIds* pstIds)
    : m_dwModel(dwModel), m_pstTRC(pstTRC), m_pstIds(pstIds), m_hDlg(NULL),
      m_hTitle(NULL), m_ahValue{}, m_ahPlot{}, m_stTrend(dwModel), m_achTitle{}, m_bRxEnded(0)
{
}

void IOViewAnalog::fnInit(HWND hDlg)
{
    m_hTitle = GetDlgItem(hDlg, m_pstIds->nTitle);
    for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
    {
        m_ahValue[k] = GetDlgItem(hDlg, m_pstIds->anValue[k]);
        m_ahPlot[k] = GetDlgItem(hDlg, m_pstIds->anPlot[k]);
    }
    fnSetWindowTextGbk(hDlg, TXT_IO_CONTROL);
    fnSetDlgItemTextGbk(hDlg, m_pstIds->anGroup[0], TXT_IO_GROUP_CURRENT);
    if (m_pstIds->anGroup[1] != 0)
        fnSetDlgItemTextGbk(hDlg, m_pstIds->anGroup[1], TXT_IO_GROUP_VOLTAGE);
    fnSetDlgItemTextGbk(hDlg, IDOK, TXT_IO_CLOSE);
    fnIoSetTitle(hDlg, m_pstIds->nTitle, m_achTitle, sizeof(m_achTitle));
    for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
        SetWindowTextA(m_ahValue[k], ZERO_TEXT);
    m_stTrend.ResetTrend();
    for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
        SendMessageA(m_ahPlot[k], BM_SETCHECK,
                     m_stTrend.fnIsPlotted(k) ? BST_CHECKED : BST_UNCHECKED, 0);
    m_hDlg = hDlg; // last: from now on the receive worker may show values
}

void IOViewAnalog::fnPaint(HWND hDlg)
{
    const TrendLayout& stLayout = fnTrendLayout(m_dwModel);
    PAINTSTRUCT stPaint;
    HDC hDC = BeginPaint(hDlg, &stPaint);
    DrawChartLegend(hDC, m_dwModel);
    DrawChartFrame(hDC, stLayout.m_astWindowArea, stLayout.m_dwAreaCount);
    DrawChartLabels(hDC, m_dwModel);
    EndPaint(hDlg, &stPaint);
}

void IOViewAnalog::fnClose(HWND hDlg)
{
    // Both workers are told directly (a transmit worker that ended on a write error can no
    // longer pass the stop on); the receive worker ends the window at its next loop top.
    fnCommPairStop(*m_pstTRC);
    // Once the receive worker has gone (it met a fatal error, or it is this very call it sent
    // on its way out), nobody else will end the window.
    if (m_bRxEnded.load() != 0 && m_hDlg.exchange(NULL) != NULL)
        EndDialog(hDlg, 1);
}

void IOViewAnalog::ReadPlotChoice()
{
    for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
        m_stTrend.fnSetPlot(k, SendMessageA(m_ahPlot[k], BM_GETCHECK, 0, 0) == BST_CHECKED);
}

void IOViewAnalog::fnRedraw()
{
    HWND hDlg = m_hDlg.load();
    if (hDlg == NULL)
        return;
    HDC hDC = GetDC(hDlg);
    if (hDC == NULL)
        return;
    DrawTrend(hDC, m_stTrend, m_dwModel);
    ReleaseDC(hDlg, hDC);
}

void IOViewAnalog::fnShowReply(const AnalogValues& stValues)
{
    if (m_hDlg.load() == NULL)
        return; // the window is not up yet (or no longer): no field, no sample
    ShowAnalogValues(*this, stValues);
    m_stTrend.PushTrendSamples(stValues.m_fValue);
    fnRedraw();
}

void IOViewAnalog::fnWorkerEnded(bool bEndWindow)
{
    m_bRxEnded = 1;
    if (!bEndWindow && m_pstTRC->m_stTx.m_bRun.load() != 0)
        return; // a fatal error: the window stays until Close
    HWND hDlg = m_hDlg.load();
    if (hDlg != NULL)
        SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

bool IOViewAnalog::fnIsPlotId(int nId) const
{
    for (int nPlot : m_pstIds->anPlot)
    {
        if (nPlot == nId)
            return true;
    }
    return false;
}

INT_PTR IOViewAnalog::fnDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam)
{
    switch (uMsg)
    {
    case WM_INITDIALOG:
        fnInit(hDlg);
        return TRUE;
    case WM_PAINT:
        fnPaint(hDlg);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)
        {
            fnClose(hDlg); // Esc and the close box act as Close
            return TRUE;
        }
        if (fnIsPlotId(LOWORD(wParam)))
        {
            ReadPlotChoice();
            fnRedraw();
            return TRUE;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

void ShowAnalogValues(IOViewAnalog& stView, const AnalogValues& stValues)
{
    if (stView.m_hDlg.load() == NULL)
        return;
    for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
        SendMessageA(stView.m_ahValue[k], WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(stValues.m_szValue[k]));
}

INT_PTR CALLBACK DlgProc_ModuleIO_4624(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM)
{
    return gstIOView_4624.fnDlgProc(hDlg, uMsg, wParam);
}

INT_PTR CALLBACK DlgProc_ModuleIO_4637(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM)
{
    return gstIOView_4637.fnDlgProc(hDlg, uMsg, wParam);
}

namespace
{
HWND fnWindow4624()
{
    return gstIOView_4624.fnWindow();
}

HWND fnWindow4637()
{
    return gstIOView_4637.fnWindow();
}

void fnShowReply4624(const AnalogValues& stValues)
{
    gstIOView_4624.fnShowReply(stValues);
}

void fnShowReply4637(const AnalogValues& stValues)
{
    gstIOView_4637.fnShowReply(stValues);
}

void fnWorkerEnded4624(bool bEndWindow)
{
    gstIOView_4624.fnWorkerEnded(bEndWindow);
}

void fnWorkerEnded4637(bool bEndWindow)
{
    gstIOView_4637.fnWorkerEnded(bEndWindow);
}

void fnPairStarting4624()
{
    gstIOView_4624.fnPairStarting();
}

void fnPairStarting4637()
{
    gstIOView_4637.fnPairStarting();
}
} // namespace

const AnalogWorkerView gstAnalogWorkerView_4624 = {fnWindow4624, fnShowReply4624, fnWorkerEnded4624,
                                                   fnPairStarting4624};
const AnalogWorkerView gstAnalogWorkerView_4637 = {fnWindow4637, fnShowReply4637, fnWorkerEnded4637,
                                                   fnPairStarting4637};
