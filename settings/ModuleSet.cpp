// The module settings transaction on gstCommTRCModuleSet. The transmit thread sleeps on the
// request event; each request is one exchange (two frames for Modbus RTU) whose frames, reply
// classification and report come from the portable ModuleSetPlan. The receive thread only
// feeds the accumulator, which the transmit thread takes whole after the reply window.
//
// Stop: the dialog clears both run flags and sets the request. A step under way (write pending
// or reply window) finishes its wait and classification; then the thread ends without showing
// the report and without sending another frame. The report is dropped on purpose: its owner
// dialog no longer exists, a box owned by the main window would pop up over whatever the user
// does next (perhaps another feature's dialog), and it would hold this thread, and with it the
// next opening of the dialog, until someone closed it.
#include "settings/ModuleSet.h"

#include "res/GbkText.h"
#include "search/ModuleList.h"
#include "serial/CommIo.h"
#include "serial/CommTRC.h"

ModuleSet gstModuleSet;

ModuleSet::ModuleSet() : m_dwProtocol(0), m_chAddress(0), m_dwReports(0) {}

namespace
{
const char CAPTION[] = "VQ4600Utility";

HWND fnDialogOwner()
{
    return gstModuleSetWorkerView.pfnWindow();
}

const CommTxTexts TX_TEXTS = {
    "INF:CommThread_ModuleSet_Tx()_01 gstCommTRCModuleSet.m_stTx.m_stOL.hEvent==NULL",
    "INF:CommThread_ModuleSet_Tx()_03 COM Tx Data Error! the GetLastError return %d",
    "INF:CommThread_ModuleSet_Tx()_04 COM Tx Data-The WaitForMultipleObjects() Return Unknown!",
    fnDialogOwner,
};

const char TX_REQUEST_NULL[] =
    "INF:CommThread_ModuleSet_Tx()_02 gstCommTRCModuleSet.m_stTx.m_hIsTransmitData==NULL";

const CommRxTexts RX_TEXTS = {
    "INF:CommThread_ModuleSet_Rx()_01 gstCommTRCModuleSet.m_stRx.m_stOL.hEvent==NULL",
    "INF:CommThread_ModuleSet_Rx()_02 COM Read Error! the GetLastError() return %d",
    "INF:CommThread_ModuleSet_Rx()_03 COM Rx - The WaitForMultipleObjects() Return Unknown!",
    fnDialogOwner,
    fnDialogOwner,
};

const CommPairDesc PAIR = {
    CommThread_ModuleSet_Tx,
    CommThread_ModuleSet_Rx,
    false,
    "INF:Idm_ModuleSet()_01 Thread CommThread_ModuleSet_Tx() Create Fail!",
    "INF:Idm_ModuleSet()_02 Thread CommThread_ModuleSet_Rx() Create Fail!",
};

// Where the pass's frames go and what they carry, fixed for one exchange.
struct Exchange
{
    uint32_t m_dwProtocol;
    uint8_t m_chAddress;
    ModuleSetting m_stSetting;
};

Exchange fnTakeExchange()
{
    Exchange stEx;
    stEx.m_dwProtocol = gstModuleSet.m_dwProtocol.load();
    stEx.m_chAddress = static_cast<uint8_t>(gstModuleSet.m_chAddress.load());
    stEx.m_stSetting = gstModuleSetWorkerView.pfnSetting();
    return stEx;
}

// Builds this pass's frame; false when none is due (a protocol without settings frames).
bool fnBuildFrame(CommTx& stTx, const Exchange& stEx)
{
    stTx.m_dwTxLen = gstModuleSet.m_stPlan.fnBuildFrame(stEx.m_dwProtocol, stEx.m_chAddress,
                                                        stEx.m_stSetting, stTx.m_achTxBuf);
    return stTx.m_dwTxLen != 0;
}

// The report box, then the exchange is over: step done, accumulator empty, request clear,
// button enabled. The request is cleared before the run flag is looked at again, so a stop
// that comes while the box is up is still seen at the top of the loop.
void fnReport(CommTRC& stTRC, const Exchange& stEx)
{
    // Cancel clears the run flag before the handle, so a handle gone here means a Cancel
    // after the run check: the report is dropped like any other after Cancel, never shown
    // without an owner.
    HWND hOwner = fnDialogOwner();
    if (hOwner == NULL)
        return;
    fnMessageBoxGbk(hOwner, gstModuleSet.m_stPlan.m_achResultText, CAPTION,
                    MB_OK | MB_ICONINFORMATION);
    gstModuleSet.m_dwReports.fetch_add(1);
    gstModuleSet.m_stPlan.fnReportShown(stEx.m_dwProtocol);
    stTRC.fnRxDataClear();
    stTRC.fnUnsignal(&stTRC.m_stTx.m_hIsTransmitData);
    gstModuleSetWorkerView.pfnEnableWrite();
}

// After a completed write: the reply window, the classification, and the report when due.
void fnAfterWrite(CommTRC& stTRC, const Exchange& stEx)
{
    Sleep(SET_REPLY_WINDOW_MS);
    uint8_t abyReply[RX_BUF_SIZE];
    uint32_t dwLen = stTRC.fnRxDataTake(abyReply);
    uint32_t dwOutcome =
        gstModuleSet.m_stPlan.fnClassify(stEx.m_dwProtocol, stEx.m_stSetting, abyReply, dwLen);
    if (!fnCommRunning(stTRC.m_stTx.m_bRun))
        return; // stopped during the step: no report, and the loop ends
    if (dwOutcome == ModuleSetReport)
        fnReport(stTRC, stEx);
    else if (dwOutcome == ModuleSetIdle)
        stTRC.fnUnsignal(&stTRC.m_stTx.m_hIsTransmitData);
}

void fnDeliver(CommTRC& stTRC)
{
    stTRC.fnRxDataAppend();
}

bool fnTxBegin(CommTRC& stTRC)
{
    stTRC.fnRxDataClear();
    return fnCommTxBeginEvents(stTRC, TX_TEXTS, TX_REQUEST_NULL, nullptr);
}

// The exchange of the pass, fixed when its first frame is built; the transmit thread's own.
Exchange s_stExchange = {0, 0, {0, 0, 0}};

bool fnBuildNext(void* pvContext)
{
    CommTRC& stTRC = *static_cast<CommTRC*>(pvContext);
    s_stExchange = fnTakeExchange();
    if (fnBuildFrame(stTRC.m_stTx, s_stExchange))
        return true;
    // Nothing to send for this module: the request is dropped and the button stays disabled
    // until the dialog closes.
    stTRC.fnUnsignal(&stTRC.m_stTx.m_hIsTransmitData);
    return false;
}

// After each step with the request set. The write is waited for in slices, so a stop is seen
// at the top of the loop; a failed result sends the same frame.
bool fnAfterSend(uint32_t dwResult, void* pvContext)
{
    CommTRC& stTRC = *static_cast<CommTRC*>(pvContext);
    if (dwResult == CommSendDone)
    {
        fnAfterWrite(stTRC, s_stExchange);
        fnCommTxEndPass(stTRC.m_stTx);
    }
    return true;
}
} // namespace

int Idm_ModuleSet(HWND hOwner)
{
    CommTRC& stTRC = gstCommTRCModuleSet;
    // Every earlier pair (a cancelled step still finishing, another feature's reader) ends
    // before anything here changes.
    if (!fnCommPairsQuiet(hOwner))
        return 1;
    const ModuleRecord* pstRecord = gstModuleList.fnSelected();
    gstModuleSet.m_dwProtocol = pstRecord != nullptr ? pstRecord->m_dwProtocol : 0;
    gstModuleSet.m_chAddress = pstRecord != nullptr ? pstRecord->m_chAddress : 0;
    gstModuleSet.m_stPlan.fnArm();
    stTRC.fnRxDataClear();
    return fnCommPairStart(stTRC, hOwner, PAIR);
}

void fnModuleSetArm()
{
    gstModuleSet.m_stPlan.fnArm();
    gstCommTRCModuleSet.fnSignal(&gstCommTRCModuleSet.m_stTx.m_hIsTransmitData);
}

void fnModuleSetStop()
{
    // The frame length belongs to the transmit thread, which empties it itself when it ends;
    // after a stop it builds and sends nothing more.
    fnCommPairStop(gstCommTRCModuleSet); // both run flags, then the request
}

DWORD WINAPI CommThread_ModuleSet_Tx(LPVOID)
{
    CommTRC& stTRC = gstCommTRCModuleSet;
    if (!fnTxBegin(stTRC))
        return 1;
    CommSendStep stStep = {
        &stTRC, &TX_TEXTS, SET_WRITE_SLICE_MS, CommTxResendSame, fnBuildNext, &stTRC, false, 0};
    fnCommTxLoop({&stStep, true, fnAfterSend, &stTRC});
    fnCommTxEndEvents(stTRC);
    stTRC.m_stTx.m_dwTxLen = 0;
    return 1;
}

DWORD WINAPI CommThread_ModuleSet_Rx(LPVOID)
{
    gstCommTRCModuleSet.fnRxDataClear();
    return fnCommRxRun(gstCommTRCModuleSet, RX_TEXTS, fnDeliver);
}
