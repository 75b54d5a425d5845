// The module search end to end under Wine: Idm_ModuleSearch, its two threads and the progress
// dialog (run modally, as the main window runs it) against the simulated bus. The port runs at
// 115200 so every query costs its 250 ms wait; scans start high to stay short.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "res/resource.h"
#include "search/ModuleList.h"
#include "search/ModuleSearch.h"
#include "search/SearchProgressDlg.h"
#include "search/SearchStartDlg.h"
#include "serial/CommIo.h"
#include "serial/CommPort.h"
#include "tests/win32/MessageCapture.h"
#include "tests/win32/SearchTestSupport.h"

namespace
{
const DWORD QUERY_MS = 250; // the reply wait at 115200

// Stop (IDOK) or Escape (IDCANCEL) on the progress dialog, and when it was pressed.
std::atomic<DWORD> g_dwStopClick{0};
WPARAM g_wStopCommand = IDOK;

void fnClickStop()
{
    g_dwStopClick = GetTickCount();
    PostMessageA(gstSearchProgressDlg.m_hDlg.load(), WM_COMMAND, g_wStopCommand, 0);
}

// The listbox of the list panel in the test: on the first line added, the count jumps to
// one below the capacity, as if the bus had been full of modules.
WNDPROC g_pfnListProc = nullptr;
LRESULT CALLBACK fnFillingListProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == LB_ADDSTRING && gstModuleList.m_dwCount.load() == 1)
        gstModuleList.m_dwCount = MODULE_LIST_MAX - 1;
    return CallWindowProcA(g_pfnListProc, hWnd, uMsg, wParam, lParam);
}

class ModuleSearchTest : public SimTest
{
  protected:
    void SetUp() override
    {
        SimTest::SetUp();
        gstModuleSearch.m_hListBox = m_stList.Handle();
    }
    void TearDown() override
    {
        g_wStopCommand = IDOK;
        EXPECT_TRUE(fnCommPairWait(gstCommTRCModuleSearch, 3000));
        gstModuleSearch.m_hListBox = NULL;
        if (m_stBus.Available())
            m_stBus.Reset("01,4652,ascii,9600");
    }

    // Runs one search as the main window does; returns the progress dialog's result.
    INT_PTR Search(uint8_t chStart, DWORD dwActionMs = 0, LoopTimer::Action pfnAction = nullptr)
    {
        gstSearchStartDlg.m_chStartAddress = chStart;
        m_dwStart = GetTickCount();
        if (Idm_ModuleSearch(NULL) != 0)
            return -1; // the handler has emptied the list
        INT_PTR nResult =
            fnRunModal(IDD_SEARCH_PROGRESS, SearchProgressDlgProc, dwActionMs, pfnAction);
        m_dwEnd = GetTickCount();
        return nResult;
    }

    TestListBox m_stList;
    DWORD m_dwStart = 0;
    DWORD m_dwEnd = 0;
};
} // namespace

// Every address gets its three queries of 250 ms in scan order, whatever answers (F8's are
// written out); a mixed bus gives its exact lines and skips a module at another rate. (Broken
// replies are the fault matrix's, their classification the scan's core test.)
TEST_F(ModuleSearchTest, TheScanAsksEveryAddressThriceAndListsTheRepliesInScanOrder)
{
    const std::vector<std::string> asLines = {
        "[F8H] 4652GD (VQASCII)",  "[F9H] 4618 (VQASCII-CHK)",  "[FBH] 4624 (Modbus RTU)",
        "[FDH] 4637 (VQASCII)",    "[FEH] 4652G (VQASCII-CHK)", "[FEH] 4652 (Modbus RTU)",
        "[FFH] 4652D (Modbus RTU)"};
    ASSERT_TRUE(m_stBus.Reset("F8,4652GD,ascii,115200 F9,4618,chk,115200 FA,4652,ascii,9600 "
                              "FB,4624,rtu,115200 FD,4637,ascii,115200 FE,4652,rtu,115200 "
                              "FE,4652G,chk,115200 FF,4652D,rtu,115200"));
    SimPort stPort(INDEX_115200);
    ASSERT_TRUE(stPort.IsOpen());
    MessageCapture stCapture;
    const size_t nLog = fnSimLogSize();
    ASSERT_EQ(1, Search(0xF8)) << "the scan's end closes the dialog with 1";
    EXPECT_EQ(asLines, m_stList.Lines());
    ASSERT_EQ(asLines.size(), gstModuleList.m_dwCount.load());
    EXPECT_EQ(asLines.back(), gstModuleList.m_astModule[asLines.size() - 1].m_achListText);
    std::vector<std::string> asSent = fnSimLogFramesSince(nLog);
    ASSERT_EQ(24u, asSent.size());
    asSent.resize(3);
    EXPECT_EQ(asSent, (std::vector<std::string>{"24 46 38 4D 0D", "24 46 38 4D 45 46 0D",
                                                "F8 46 00 C2 51"}));
    // 24 queries of 250 ms each, plus little else.
    EXPECT_GE(m_dwEnd - m_dwStart, 24 * QUERY_MS);
    EXPECT_LE(m_dwEnd - m_dwStart, 24 * QUERY_MS + 1000);
    EXPECT_EQ(L"", stCapture.Seen());
}

// Stop or Escape ends the dialog at once and both threads soon. The list and the records agree
// all along: the handler empties both before its pair starts (a stale line stays otherwise),
// and a reply taken after Stop is added to neither (at 100 ms the query to 00 is out, its reply
// wait ends after Stop).
TEST_F(ModuleSearchTest, StopOrEscapeEndsTheDialogAtOnceAndBothThreadsSoon)
{
    const std::vector<std::string> asFound = {"[00H] 4652 (VQASCII)", "[01H] 4618 (Modbus RTU)"};
    const struct
    {
        WPARAM wCommand;
        INT_PTR nResult;
        DWORD dwStopMs; // both modules answer within the first six queries (1.5 s)
        size_t nFound;
    } astRows[] = {{IDOK, 1, 1700, 2}, {IDCANCEL, 0, 1700, 2}, {IDOK, 1, 100, 0}};
    ASSERT_TRUE(m_stBus.Reset("00,4652,ascii,115200 01,4618,rtu,115200"));
    SimPort stPort(INDEX_115200);
    ASSERT_TRUE(stPort.IsOpen());
    for (const auto& stRow : astRows)
    {
        SCOPED_TRACE(stRow.dwStopMs);
        MessageCapture stCapture;
        g_wStopCommand = stRow.wCommand;
        SendMessageA(m_stList.Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("[7FH] 4618"));
        ASSERT_EQ(stRow.nResult, Search(0x00, stRow.dwStopMs, fnClickStop));
        EXPECT_LE(m_dwEnd - g_dwStopClick.load(), 100u) << "the dialog did not close at once";
        ASSERT_TRUE(fnCommPairWait(gstCommTRCModuleSearch, 3000));
        DWORD dwLatency = GetTickCount() - g_dwStopClick.load();
        // At worst the rest of a reply wait and the transmit thread's closing pause.
        EXPECT_LE(dwLatency, QUERY_MS + 500 + 300);
        const std::vector<std::string> asLines(asFound.begin(), asFound.begin() + stRow.nFound);
        EXPECT_EQ(asLines, m_stList.Lines()) << "the records found before Stop, and only they";
        EXPECT_EQ(stRow.nFound, gstModuleList.m_dwCount.load());
        EXPECT_LE(gstModuleList.m_chScanAddress, 0x03);
        EXPECT_EQ(nullptr, gstSearchProgressDlg.m_hDlg.load());
        EXPECT_EQ(0, stCapture.Count());
    }
}

TEST_F(ModuleSearchTest, AFullListStopsTheScanRightAfterTheRecordThatFilledIt)
{
    ASSERT_TRUE(m_stBus.Reset("FD,4652,ascii,115200 FE,4618,ascii,115200"));
    SimPort stPort(INDEX_115200);
    ASSERT_TRUE(stPort.IsOpen());
    MessageCapture stCapture;
    g_pfnListProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
        m_stList.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(fnFillingListProc)));

    ASSERT_EQ(1, Search(0xFC));

    SetWindowLongPtrA(m_stList.Handle(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_pfnListProc));
    EXPECT_EQ(MODULE_LIST_MAX, gstModuleList.m_dwCount.load());
    // FC three times, FD three times, FE once: the VQASCII answer of FE filled the list.
    EXPECT_EQ(7u, gstModuleSearch.m_dwQueries.load());
    EXPECT_STREQ("[FEH] 4618 (VQASCII)",
                 gstModuleList.m_astModule[MODULE_LIST_MAX - 1].m_achListText);
    EXPECT_EQ(2u, m_stList.Lines().size());
}

TEST_F(ModuleSearchTest, TheCreationFailureOfTheTransmitThreadIsReportedAndNothingRuns)
{
    struct Hook
    {
        static HANDLE Create(LPTHREAD_START_ROUTINE pfnProc, DWORD* pdwId)
        {
            return pfnProc == CommThread_ModuleSearch_Tx
                       ? NULL
                       : CreateThread(NULL, 0, pfnProc, NULL, 0, pdwId);
        }
    };
    SimPort stPort(INDEX_115200);
    ASSERT_TRUE(stPort.IsOpen());
    MessageCapture stCapture;
    fnCommSetCreateThreadHook(Hook::Create);
    gstSearchStartDlg.m_chStartAddress = 0;
    EXPECT_EQ(1, Idm_ModuleSearch(NULL));
    fnCommSetCreateThreadHook(nullptr);
    EXPECT_EQ(
        fnMessageLine(L"VQ4600Utility",
                      L"INF:Idm_ModuleSearch()_01 Thread CommThread_ModuleSearch_Tx() Create Fail!",
                      MB_ICONHAND),
        stCapture.Seen());
    EXPECT_TRUE(fnCommPairWait(gstCommTRCModuleSearch, COMM_WAIT_MS + 300))
        << "the receive thread ran on";
}
