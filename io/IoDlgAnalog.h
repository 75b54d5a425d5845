// The IO windows of the analog models, VQ-4624 (template 126) and VQ-4637 (template 127): eight
// value fields, eight plot boxes and the trend chart. One IOViewAnalog per model. The window
// thread writes the handles when the window opens and stores m_hDlg last; the receive worker
// reads m_hDlg before it writes a field or draws, so nothing reaches a window that is not up.
// The window ends only through its receive worker (fnWorkerEnded) or, once that worker has
// ended, at once on Close. The workers reach a window only through the model's
// AnalogWorkerView (io/AnalogWorker.h), which IoDlgAnalog.cpp defines.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "io/AnalogDecode.h"
#include "io/TrendHistory.h"

class CommTRC;

struct AnalogViewIds
{
    int nTitle;
    int anGroup[2]; // current, voltage (0: none)
    int anValue[ANALOG_CHANNELS];
    int anPlot[ANALOG_CHANNELS];
};

class IOViewAnalog
{
  public:
    IOViewAnalog(uint32_t dwModel, CommTRC* pstTRC, const AnalogViewIds* pstIds);
    IOViewAnalog(const IOViewAnalog&) = delete;
    IOViewAnalog& operator=(const IOViewAnalog&) = delete;

    uint32_t m_dwModel; // AnalogModel
    CommTRC* m_pstTRC;
    const AnalogViewIds* m_pstIds;
    std::atomic<HWND> m_hDlg;
    HWND m_hTitle;
    HWND m_ahValue[ANALOG_CHANNELS];
    HWND m_ahPlot[ANALOG_CHANNELS];
    TrendHistory m_stTrend;
    char m_achTitle[128];
    std::atomic<uint32_t> m_bRxEnded; // the receive worker of the current pair has ended

    HWND fnWindow() const { return m_hDlg.load(); }

    // Main thread, before the pair starts.
    void fnPairStarting() { m_bRxEnded = 0; }
    // Window thread.
    void fnInit(HWND hDlg);
    void fnPaint(HWND hDlg);
    void fnClose(HWND hDlg);
    void ReadPlotChoice();
    void fnRedraw();
    // Receive worker: the three window calls after a valid reply.
    void fnShowReply(const AnalogValues& stValues);
    // Receive worker, its last act: the window ends when bEndWindow or after Close was asked.
    void fnWorkerEnded(bool bEndWindow);

    INT_PTR fnDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam);

  private:
    bool fnIsPlotId(int nId) const;
};

extern IOViewAnalog gstIOView_4624;
extern IOViewAnalog gstIOView_4637;

// The eight value fields from m_szValue; no-op without a window.
void ShowAnalogValues(IOViewAnalog& stView, const AnalogValues& stValues);

INT_PTR CALLBACK DlgProc_ModuleIO_4624(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DlgProc_ModuleIO_4637(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
