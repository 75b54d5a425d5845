// The one lifecycle of the worker pairs under Wine: a command starts its pair only once every
// earlier pair of every feature has left the port (a closed feature's pending read would take
// the next feature's first reply), and COM Close never closes the handle under a live pair.
#include <gtest/gtest.h>

#include "io/ModuleIO.h"
#include "search/ModuleSearch.h"
#include "search/SearchStartDlg.h"
#include "serial/CommPort.h"
#include "settings/ModuleSet.h"
#include "terminal/TerminalComm.h"
#include "tests/win32/PairTest.h"

namespace
{

class PairLifecycleTest : public PairTest
{
  protected:
    void SetUp() override
    {
        PairTest::SetUp();
        if (IsSkipped())
            return;
        // Every command targets the VQ-4652 at 01: the pairs' lifecycle does not depend on it.
        Select("01,4652,ascii,115200");
        gstSearchStartDlg.m_chStartAddress = 0xF0;
        gstModuleSearch.m_hListBox = NULL; // no listbox of this thread, which waits unpumped
    }
};
} // namespace

// The pair of a feature just closed (stopped, still in its last wait) has ended by the time the
// next command returns, whichever the two features are; COM Close too has waited for it before
// it closed the handle.
TEST_F(PairLifecycleTest, EveryCommandStartsOnlyAfterEveryEarlierPairHasEnded)
{
    struct Row
    {
        const char* pchName;
        int (*pfnFirst)(HWND);
        CommTRC* pstFirst;
        int (*pfnNext)(HWND);
    } const ROWS[] = {
        {"IO 4652 then terminal", Idm_ModuleIO_4652, &gstCommTRCIO_4652, Idm_Terminal},
        {"terminal then IO 4652", Idm_Terminal, &gstCommTRCTerminal, Idm_ModuleIO_4652},
        {"terminal then IO 4624", Idm_Terminal, &gstCommTRCTerminal, Idm_ModuleIO_4624},
        {"IO 4624 then search", Idm_ModuleIO_4624, &gstCommTRCIO_4624, Idm_ModuleSearch},
        {"search then settings", Idm_ModuleSearch, &gstCommTRCModuleSearch, Idm_ModuleSet},
        {"IO 4618 then IO 4618", Idm_ModuleIO_4618, &gstCommTRCIO_4618, Idm_ModuleIO_4618},
        {"IO 4652 then COM Close", Idm_ModuleIO_4652, &gstCommTRCIO_4652, Idm_CommClose},
    };
    for (const Row& stRow : ROWS)
    {
        SCOPED_TRACE(stRow.pchName);
        SimPort stPort(INDEX_115200);
        ASSERT_TRUE(stPort.IsOpen());
        MessageCapture stCapture;
        ASSERT_EQ(0, stRow.pfnFirst(NULL));
        Sleep(300);                      // into the middle of a read wait
        fnCommPairStop(*stRow.pstFirst); // as its dialog does on close
        HANDLE ahOld[2] = {NULL, NULL};  // the next start may reuse the record
        for (int k = 0; k < 2; ++k)
            DuplicateHandle(GetCurrentProcess(),
                            k == 0 ? stRow.pstFirst->m_stTx.m_hThread
                                   : stRow.pstFirst->m_stRx.m_hThread,
                            GetCurrentProcess(), &ahOld[k], 0, FALSE, DUPLICATE_SAME_ACCESS);
        ASSERT_EQ(0, stRow.pfnNext(NULL));
        EXPECT_EQ(WAIT_OBJECT_0, WaitForMultipleObjects(2, ahOld, TRUE, 0)) << "the old pair runs";
        CloseHandle(ahOld[0]);
        CloseHandle(ahOld[1]);
        const bool bClosed = gstCommPort.m_hComm.load() == INVALID_HANDLE_VALUE;
        EXPECT_EQ(stRow.pfnNext == Idm_CommClose, bClosed);
        EXPECT_TRUE(fnCommPairsEnd(3000));
        EXPECT_EQ(0, stCapture.Count());
    }
}

// The USB adapter pulled under the terminal's pair (the IO windows: the GUI fault matrix): the
// pair ends by itself and the user is told once. Put back, COM Close and COM Open work and a
// search finds the module again.
TEST_F(PairLifecycleTest, APulledAdapterEndsThePairAndThePortWorksAgainWhenPluggedBack)
{
    SimPort stPort(INDEX_115200);
    ASSERT_TRUE(stPort.IsOpen());
    MessageCapture stCapture;
    ASSERT_EQ(0, Idm_Terminal(NULL));
    Sleep(600);
    ASSERT_TRUE(m_stBus.Unplug());
    for (DWORD dwStart = GetTickCount(); fnCommPairRunning(gstCommTRCTerminal); Sleep(20))
        ASSERT_LT(GetTickCount() - dwStart, 4000u) << "the pair runs on a vanished line";
    ASSERT_EQ(1, stCapture.Count()) << "the user is told once";
    EXPECT_EQ(L"INF:CommThread_Terminal_Rx()_02 COM Read Error! the GetLastError() return 109",
              stCapture.Last().wsText);
    ASSERT_TRUE(m_stBus.Plug());
    EXPECT_EQ(0, Idm_CommClose(NULL));
    EXPECT_EQ(0, Idm_CommOpen(NULL));
    ASSERT_TRUE(m_stBus.Reset("FE,4652,ascii,115200"));
    gstSearchStartDlg.m_chStartAddress = 0xFE;
    ASSERT_EQ(0, Idm_ModuleSearch(NULL));
    // The scan's end ends the transmit thread; the receive thread ends with the dialog.
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(gstCommTRCModuleSearch.m_stTx.m_hThread, 5000));
    EXPECT_EQ(1u, gstModuleList.m_dwCount.load());
    EXPECT_EQ(1, stCapture.Count());
}
