// The transmit and receive loops of the two analog IO models (VQ-4624, VQ-4637). The receive
// loop sets the pace: it raises the request event m_hIsTransmit, sleeps the reply wait of the
// baud rate, reads the reply in one piece and hands the values to the window through the
// model's AnalogWorkerView; the transmit loop sends exactly one poll per request (a failed
// write result that was aborted ends it). Each loop runs on its own worker thread.
#pragma once

#include <windows.h>

#include <cstdint>

#include "io/AnalogDecode.h"
#include "serial/CommIo.h"

// What the workers and the handler see of a model's IO window; the window defines one per
// model (io/IoDlgAnalog.cpp), so the workers never reach the dialog itself.
struct AnalogWorkerView
{
    HWND (*pfnWindow)(); // the IO window, owner of every message; NULL while it is not up
    void (*pfnShowReply)(const AnalogValues& stValues); // fields, trend and redraw
    void (*pfnWorkerEnded)(bool bEndWindow);            // the receive worker's last act
    void (*pfnPairStarting)();                          // the handler, before the pair starts
};
extern const AnalogWorkerView gstAnalogWorkerView_4624;
extern const AnalogWorkerView gstAnalogWorkerView_4637;

struct AnalogWorkerDesc
{
    CommTRC* pstTRC;
    AnalogValues* pstValues; // m_szValue / m_fValue of the model
    const AnalogWorkerView* pstView;
    CommOwnerFn pfnOwner;         // the IO window, owner of every message
    CommTxTexts stTxTexts;        // _01 event, _03 write error, _04 wait
    const char* pchRequestNull;   // _02 m_hIsTransmit==NULL
    const char* pchRxEventNull;   // _01
    const char* pchRxInvalidFmt;  // _02 ERROR_INVALID_HANDLE, %d
    const char* pchRxErrorFmt;    // _03 any other read error, %d
    const char* pchRxAbortedFmt;  // _04 a pending read aborted, %d
    const char* pchRxWaitUnknown; // _05
};

const uint32_t ANALOG_CLEAR_BYTES = RX_READ_SIZE + 1; // zeroed after each read

DWORD fnAnalogTxRun(const AnalogWorkerDesc& stDesc);
DWORD fnAnalogRxRun(const AnalogWorkerDesc& stDesc);
