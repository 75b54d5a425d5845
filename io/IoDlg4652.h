// The IO window of the VQ-4652 (template 129): four input lamps and four relay output boxes.
// gstIOView_4652 is written by the window thread when the window opens; m_hDlg is stored last
// and cleared first when it closes, so the receive worker, which reads it before touching any
// control, never reaches a window that is not up.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "io/IoLamps.h"

const uint32_t IO52_CHANNELS = 4;

class IOView4652
{
  public:
    IOView4652();
    IOView4652(const IOView4652&) = delete;
    IOView4652& operator=(const IOView4652&) = delete;

    std::atomic<HWND> m_hDlg;
    HWND m_hTitle;
    HWND m_ahLamp[IO52_CHANNELS]; // index k is INk
    HWND m_ahOut[IO52_CHANNELS];  // index k is OUTk
    IoLamps m_stLamps;
    char m_achTitle[128];

    void fnInit(HWND hDlg);
    void fnClose(HWND hDlg);
    uint8_t ReadOutputBoxes() const;
};

extern IOView4652 gstIOView_4652;

// Lamps from the input bits, boxes from the output bits (bits 0..3); no-op without a window.
void ShowDigitalState_4652(uint8_t byInputs, uint8_t byOutputs);

INT_PTR CALLBACK DlgProc_ModuleIO_4652(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
