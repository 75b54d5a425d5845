// The transmit and receive loops of the two digital IO models (VQ-4652, VQ-4618). A model
// supplies its record, its message texts and five hooks (the last two are the workers' whole
// view of the window); the loops run the shared send step and receive loop of serial/CommIo.h
// with the 200 ms pace, the miss count and the connection failure. Each loop runs on its own
// worker thread.
#pragma once

#include <windows.h>

#include <cstdint>

#include "serial/CommIo.h"

struct DigitalWorkerDesc
{
    CommTRC* pstTRC;
    CommTxTexts stTxTexts;
    CommRxTexts stRxTexts;
    // Transmit worker start with the module's ProtocolId (drops an old write request).
    void (*pfnStart)(uint32_t dwProtocol);
    // The next frame into pbyFrame; 0 for a protocol without frames.
    uint32_t (*pfnBuildNext)(uint32_t dwProtocol, uint8_t chAddress, uint8_t* pbyFrame);
    // A DigitalJudge for one completed read (the bits are stored by it).
    uint32_t (*pfnJudge)(uint32_t dwProtocol, const uint8_t* pbyData, uint32_t dwLen);
    // The state display with the stored bits; a no-op while no window is up.
    void (*pfnDisplay)();
    // The IO window, NULL while it is not up.
    HWND (*pfnWindow)();
};

DWORD fnDigitalTxRun(const DigitalWorkerDesc& stDesc);
DWORD fnDigitalRxRun(const DigitalWorkerDesc& stDesc);
