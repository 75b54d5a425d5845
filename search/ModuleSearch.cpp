// The module search on the worker pair of gstCommTRCModuleSearch. The transmit thread walks the
// scan (SearchScan), writes each name query, sleeps the reply wait of the port's baud rate,
// then takes the accumulator and parses it; it shows its progress in the progress dialog (seen
// through gstSearchWorkerView) and sends that dialog IDOK when the scan is over. The receive
// thread only collects bytes. The handler empties the list before the pair starts, and nothing
// is added once the pair is stopped, so the list shown and the records always agree.
#include "search/ModuleSearch.h"

#include <commctrl.h>

#include "protocol/Codec.h"
#include "protocol/FrameBuilder.h"
#include "protocol/Protocol.h"
#include "res/GbkText.h"
#include "res/resource.h"
#include "search/ModuleList.h"
#include "search/SearchScan.h"
#include "search/SearchStartDlg.h"
#include "serial/CommIo.h"
#include "serial/CommSettings.h"

ModuleSearch gstModuleSearch;

ModuleSearch::ModuleSearch() : m_chStartAddress(0), m_bScanOver(0), m_dwQueries(0), m_hListBox(NULL)
{
}

namespace
{
const DWORD END_PAUSE_MS = 500;

HWND fnProgressOwner()
{
    return gstSearchWorkerView.pfnWindow();
}

const CommTxTexts TX_TEXTS = {
    "INF:CommThread_ModuleSearch_Tx()_01 gstCommTRCModuleSearch.m_stTx.m_stOL.hEvent==NULL",
    "INF:CommThread_ModuleSearch_Tx()_02 COM Tx Data Error! the GetLastError return %d",
    "INF:CommThread_ModuleSearch_Tx()_03 COM Tx Data-The WaitForMultipleObjects() Return "
    "Unknown!",
    fnProgressOwner,
};

const CommRxTexts RX_TEXTS = {
    "INF:CommThread_ModuleSearch_Rx()_01 gstCommTRCModuleSearch.m_stRx.m_stOL.hEvent==NULL",
    "INF:CommThread_ModuleSearch_Rx()_02 COM Read Error! the GetLastError() return %d",
    "INF:CommThread_ModuleSearch_Rx()_03 COM Rx - The WaitForMultipleObjects() Return Unknown!",
    fnProgressOwner,
    nullptr,
};

const CommPairDesc PAIR = {
    CommThread_ModuleSearch_Tx,
    CommThread_ModuleSearch_Rx,
    true,
    "INF:Idm_ModuleSearch()_01 Thread CommThread_ModuleSearch_Tx() Create Fail!",
    "INF:Idm_ModuleSearch()_00 Thread CommThread_ModuleSearch_Rx() Create Fail!",
};

void fnSearchFrame(CommTRC& stTRC, uint32_t dwProtocol, uint8_t chAddress)
{
    stTRC.m_stTx.m_dwTxLen = fnBuildNameQuery(dwProtocol, chAddress, stTRC.m_stTx.m_achTxBuf);
}

void fnShowProgress()
{
    uint32_t dwPos = fnScanProgressPos(gstModuleList, gstModuleSearch.m_chStartAddress);
    HWND hBar = gstSearchWorkerView.pfnProgress();
    if (hBar != NULL)
        SendMessageA(hBar, PBM_SETPOS, dwPos, 0);
}

void fnShowScanStep()
{
    char achHex[3];
    fnByteToHex2(gstModuleList.m_chScanAddress, achHex);
    HWND hDlg = gstSearchWorkerView.pfnWindow();
    if (hDlg != NULL)
        SetDlgItemTextA(hDlg, IDC_SEARCH_ADDRESS, achHex);
    fnShowProgress();
}

// After the reply wait: whatever the accumulator holds must be exactly one reply.
void fnTakeReply(CommTRC& stTRC)
{
    uint8_t abyData[RX_BUF_SIZE];
    uint32_t dwLen = stTRC.fnRxDataTake(abyData);
    if (dwLen == 0)
        return;
    if (!fnCommRunning(stTRC.m_stTx.m_bRun))
        return; // stopped: the list stays as the user saw it when he pressed Stop
    if (fnScanReply(gstModuleList, abyData, dwLen) == ScanReplyAdded)
    {
        const ModuleRecord& stRecord = gstModuleList.m_astModule[gstModuleList.m_dwCount - 1];
        HWND hList = gstModuleSearch.m_hListBox.load();
        wchar_t awchLine[sizeof(stRecord.m_achListText)];
        fnGbkToWide(stRecord.m_achListText, awchLine, sizeof(stRecord.m_achListText));
        if (hList != NULL)
            SendMessageW(hList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(awchLine));
    }
    if (fnScanListFull(gstModuleList))
        stTRC.m_stTx.m_bRun = 0;
}

// One completed query: the reply wait, the reply, the next step.
void fnAfterQuery(CommTRC& stTRC)
{
    Sleep(fnSearchWaitTime(gstCommSettings.m_dwBaudIndex.load()));
    fnTakeReply(stTRC);
    gstModuleSearch.m_dwQueries.fetch_add(1);
    if (!fnScanAdvance(gstModuleList))
        stTRC.m_stTx.m_bRun = 0;
}

void fnScanEnd(CommTRC& stTRC)
{
    fnCommTxEnd(stTRC.m_stTx);
    fnShowProgress();
    gstModuleSearch.m_bScanOver = 1;
    // Stop has already ended the dialog and cleared its handle; then this has no effect.
    HWND hDlg = gstSearchWorkerView.pfnWindow();
    if (hDlg != NULL)
        SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    Sleep(END_PAUSE_MS);
}

void fnDeliver(CommTRC& stTRC)
{
    stTRC.fnRxDataAppend();
}

// Pending, or a failed result (the same query again): nothing parsed, nothing advanced.
bool fnAfterSend(uint32_t dwResult, void* pvContext)
{
    CommTRC& stTRC = *static_cast<CommTRC*>(pvContext);
    if (dwResult == CommSendDone)
    {
        fnAfterQuery(stTRC);
        fnCommTxEndPass(stTRC.m_stTx);
    }
    return true;
}

bool fnBuildQuery(void* pvContext)
{
    fnShowScanStep();
    fnSearchFrame(*static_cast<CommTRC*>(pvContext), gstModuleList.m_dwScanProtocol,
                  gstModuleList.m_chScanAddress);
    return true;
}
} // namespace

void fnSearchFrameAscii(CommTRC& stTRC, uint8_t chAddress)
{
    fnSearchFrame(stTRC, ProtocolVqAscii, chAddress);
}

void fnSearchFrameAsciiChk(CommTRC& stTRC, uint8_t chAddress)
{
    fnSearchFrame(stTRC, ProtocolVqAsciiChk, chAddress);
}

void fnSearchFrameRtu(CommTRC& stTRC, uint8_t chAddress)
{
    fnSearchFrame(stTRC, ProtocolModbusRtu, chAddress);
}

int Idm_ModuleSearch(HWND hOwner)
{
    CommTRC& stTRC = gstCommTRCModuleSearch;
    // Every earlier pair has ended before anything of this search is touched; then the list
    // is emptied before the first reply can come.
    if (!fnCommPairsQuiet(hOwner))
        return 1;
    HWND hList = gstModuleSearch.m_hListBox.load();
    if (hList != NULL)
        SendMessageW(hList, LB_RESETCONTENT, 0, 0);
    gstModuleList.m_dwCount = 0;
    gstModuleSearch.m_chStartAddress = gstSearchStartDlg.m_chStartAddress;
    gstModuleSearch.m_bScanOver = 0;
    gstModuleSearch.m_dwQueries = 0;
    fnScanStart(gstModuleList, gstModuleSearch.m_chStartAddress);
    stTRC.fnRxDataClear();
    return fnCommPairStart(stTRC, hOwner, PAIR);
}

DWORD WINAPI CommThread_ModuleSearch_Tx(LPVOID)
{
    CommTRC& stTRC = gstCommTRCModuleSearch;
    CommTx& stTx = stTRC.m_stTx;
    fnScanStart(gstModuleList, gstModuleSearch.m_chStartAddress);
    stTRC.fnRxDataClear();
    if (!fnCommTxBegin(stTx, TX_TEXTS))
        return 1;
    CommSendStep stStep = {&stTRC,       &TX_TEXTS, COMM_WAIT_MS, CommTxResendSame,
                           fnBuildQuery, &stTRC,    false,        0};
    fnCommTxLoop({&stStep, false, fnAfterSend, &stTRC});
    fnScanEnd(stTRC);
    return 1;
}

DWORD WINAPI CommThread_ModuleSearch_Rx(LPVOID)
{
    // The count belongs to the transmit thread, which resets it itself; only the accumulator,
    // which nobody but this thread fills, is emptied here.
    gstCommTRCModuleSearch.fnRxDataClear();
    return fnCommRxRun(gstCommTRCModuleSearch, RX_TEXTS, fnDeliver);
}
