// The IO windows of the digital models, VQ-4652 (template 129: four lamps, four relay output
// boxes) and VQ-4618 (template 128: eight lamps), one IOViewDigital per model, told apart by a
// DigitalViewIds row. The window thread writes the handles when the window opens and stores
// m_hDlg last, and clears m_hDlg first when it closes; the receive worker reads m_hDlg before
// it touches a control, so nothing reaches a window that is not up. The output boxes toggle
// themselves on a click and show the read-back outputs on every display (io/DigitalIo.h).
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "io/DigitalIo.h"
#include "io/IoLamps.h"

class CommTRC;

struct DigitalViewIds
{
    int nTitle;
    int nGroupInput;
    int nGroupOutput; // 0: no outputs
    int nLampIn0;     // lamp INk is nLampIn0 - k
    int nOut0;        // box OUTk is nOut0 - k
};

class IOViewDigital
{
  public:
    IOViewDigital(CommTRC* pstTRC, DigitalIo* pstData, const DigitalViewIds* pstIds);
    IOViewDigital(const IOViewDigital&) = delete;
    IOViewDigital& operator=(const IOViewDigital&) = delete;

    CommTRC* m_pstTRC;
    DigitalIo* m_pstData;
    const DigitalViewIds* m_pstIds;
    std::atomic<HWND> m_hDlg;
    HWND m_hTitle;
    HWND m_ahLamp[DIGITAL_INPUTS_MAX]; // index k is INk
    HWND m_ahOut[DIGITAL_OUTPUTS_MAX]; // index k is OUTk
    IoLamps m_stLamps;
    char m_achTitle[128];

    HWND fnWindow() const { return m_hDlg.load(); }
    // Lamps from the input bits, boxes from the output bits; no-op without a window.
    void fnShowState(uint8_t byInputs, uint8_t byOutputs);
    // Receive worker and paint: the stored inputs and read-back outputs.
    void fnShowData();
    // The output byte the four boxes show, bit k for OUTk.
    uint8_t ReadOutputBoxes() const;

    INT_PTR fnDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam);

  private:
    void fnInit(HWND hDlg);
    void fnClose(HWND hDlg);
    bool fnOutputIndex(int nId, uint32_t* pk) const;
};

extern IOViewDigital gstIOView_4652;
extern IOViewDigital gstIOView_4618;

// The state displays the receive workers call (bits beyond the model's channels are ignored).
void ShowDigitalState_4652(uint8_t byInputs, uint8_t byOutputs);
void ShowDigitalState_4618(uint8_t byInputs);

INT_PTR CALLBACK DlgProc_ModuleIO_4652(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DlgProc_ModuleIO_4618(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
