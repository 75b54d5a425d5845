// The digital IO worker pair on the shared send step and receive loop (serial/CommIo.h). The
// transmit loop polls without a trigger: one frame, 200 ms after it left, the next (a failed
// write result goes on with the next poll); a protocol without frames only sleeps the pace.
// The receive loop judges every completed read on its own and counts only empty 500 ms waits
// as misses, so a module that answers garbage keeps the window open; three misses, or a line
// that is gone, end the window with the connection message.
#include "io/DigitalWorker.h"

#include "io/DigitalIo.h"
#include "io/IoPortQuiet.h"
#include "io/IoTarget.h"
#include "res/GbkText.h"
#include "res/Texts.h"

namespace
{
struct TxContext
{
    const DigitalWorkerDesc* pstDesc;
    CommTx* pstTx;
};

bool fnBuildNext(void* pvContext)
{
    TxContext& stContext = *static_cast<TxContext*>(pvContext);
    const IoTarget stTarget = fnIoTarget();
    stContext.pstTx->m_dwTxLen = stContext.pstDesc->pfnBuildNext(
        stTarget.m_dwProtocol, stTarget.m_chAddress, stContext.pstTx->m_achTxBuf);
    return stContext.pstTx->m_dwTxLen != 0;
}

// The pace after a frame that left, and instead of a frame in a protocol without frames.
bool fnAfterSend(uint32_t dwResult, void* pvContext)
{
    CommTx& stTx = *static_cast<CommTx*>(pvContext);
    if (dwResult == CommSendNone)
    {
        Sleep(DIGITAL_PACE_MS); // do not spin
    }
    else if (dwResult == CommSendDone)
    {
        if (stTx.m_dwTxWritten > 0)
            Sleep(DIGITAL_PACE_MS);
        fnCommTxEndPass(stTx);
    }
    return true; // a failed result goes on with the next poll
}

struct RxContext
{
    CommMissCount stMisses; // empty 500 ms waits in a row; the third ends the loop
    const DigitalWorkerDesc* pstDesc;
};

// One completed read; a reply that is judged at all resets the miss count.
bool fnDeliver(void* pvContext)
{
    RxContext& stContext = *static_cast<RxContext*>(pvContext);
    const DigitalWorkerDesc& stDesc = *stContext.pstDesc;
    const CommRx& stRx = stDesc.pstTRC->m_stRx;
    const uint32_t dwJudge =
        stDesc.pfnJudge(fnIoTarget().m_dwProtocol, stRx.m_achRxBuf, stRx.m_dwRxRead);
    if (dwJudge == DigitalDisplay)
        stDesc.pfnDisplay();
    if (dwJudge != DigitalIgnored)
        stContext.stMisses.dwCount = 0;
    return true;
}

} // namespace

DWORD fnDigitalTxRun(const DigitalWorkerDesc& stDesc)
{
    CommTRC& stTRC = *stDesc.pstTRC;
    CommTx& stTx = stTRC.m_stTx;
    if (!fnCommTxBegin(stTx, stDesc.stTxTexts))
        return 1;
    stDesc.pfnStart(fnIoTarget().m_dwProtocol);
    TxContext stContext = {&stDesc, &stTx};
    CommSendStep stStep = {&stTRC,      &stDesc.stTxTexts, DIGITAL_WAIT_MS, CommTxGoOnNext,
                           fnBuildNext, &stContext,        false,           0};
    fnCommTxLoop({&stStep, false, fnAfterSend, &stTx});
    fnCommTxEnd(stTx);
    return 1;
}

DWORD fnDigitalRxRun(const DigitalWorkerDesc& stDesc)
{
    CommTRC& stTRC = *stDesc.pstTRC;
    if (!fnCommRxBegin(stTRC.m_stRx, stDesc.stRxTexts))
        return 1;
    RxContext stContext = {{0, DIGITAL_MISS_LIMIT}, &stDesc};
    const uint32_t dwEnd = fnCommRxLoop({&stTRC, &stDesc.stRxTexts, fnDeliver, fnCommCountMiss,
                                         nullptr, &stContext, nullptr, nullptr});
    if (dwEnd == CommRxQuiet || dwEnd == CommRxLost)
        fnIoConnectionLost(stTRC, stDesc.pfnWindow);
    fnCommRxEnd(stTRC.m_stRx);
    return 1;
}
