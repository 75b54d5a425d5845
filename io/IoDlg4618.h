// The IO window of the VQ-4618 (template 128): eight input lamps. As for the VQ-4652 window,
// m_hDlg of gstIOView_4618 is stored last when it opens and cleared first when it closes; the
// receive worker reads it before it touches a lamp.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "io/IoLamps.h"

const uint32_t IO18_CHANNELS = 8;

class IOView4618
{
  public:
    IOView4618();
    IOView4618(const IOView4618&) = delete;
    IOView4618& operator=(const IOView4618&) = delete;

    std::atomic<HWND> m_hDlg;
    HWND m_hTitle;
    HWND m_ahLamp[IO18_CHANNELS]; // index k is INk
    IoLamps m_stLamps;
    char m_achTitle[128];

    void fnInit(HWND hDlg);
    void fnClose(HWND hDlg);
};

extern IOView4618 gstIOView_4618;

void ShowDigitalState_4618(uint8_t byInputs);

INT_PTR CALLBACK DlgProc_ModuleIO_4618(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
