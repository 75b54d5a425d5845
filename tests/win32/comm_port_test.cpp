// The port connection against the real Win32 calls under Wine: the line configuration the
// driver ends up with, the open failures that can be provoked for real, the handle given back,
// and what a refused command reports.
#include "serial/CommPort.h"
#include "serial/CommSettings.h"
#include "tests/win32/MessageCapture.h"
#include "tests/win32/SearchTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace
{
const wchar_t CAPTION_APP[] = L"VQ4600Utility";

void fnResetGlobals()
{
    gstCommSettings.SetDefaults();
    gstCommSettings.m_dwNewPortIndex = 0;
    gstCommSettings.m_dwNewBaudIndex = 3;
    gstCommPort.m_bOpen = 0;
    gstCommPort.m_hComm = INVALID_HANDLE_VALUE;
}

// The value the next new handle gets. Handles are handed out lowest free slot first, so a
// handle our code leaks shows up as a different value here; Wine shares serial devices
// freely, so a second exclusive open cannot tell whether the port was released.
HANDLE fnNextHandleValue()
{
    HANDLE h = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    CloseHandle(h);
    return h;
}

class CommPortTest : public SimTest
{
  protected:
    void SetUp() override
    {
        SimTest::SetUp();
        fnResetGlobals();
    }
    void TearDown() override
    {
        HANDLE h = gstCommPort.m_hComm.load();
        if (h != INVALID_HANDLE_VALUE && gstCommPort.m_bOpen.load() == 1)
            CloseHandle(h);
        fnResetGlobals();
    }
};

// The simulator's port, an absent port, and a link to something that is not a serial line (it
// opens but refuses the line state): the result tells which, the message names the port or the
// step, and every handle is given back by the failed open or the close, so that COM Open works
// again.
TEST_F(CommPortTest, OpensAndClosesSayWhatFailedAndGiveThePortBack)
{
    const char* pchNotTty = getenv("VQ_TEST_COM_NOTTY");
    const struct
    {
        int nCom;
        int nResult;
        std::wstring wsMessage;
    } astRows[] = {
        {m_stBus.ComNumber(), 0, L""},
        // no such device in the test prefix
        {256, 1,
         fnMessageLine(fnTableText("TXT_COM_OPEN"), fnTableText("TXT_COM_OPEN_ERROR_FMT", "COM256"),
                       MB_ICONERROR)},
        {pchNotTty != nullptr ? atoi(pchNotTty) : 0, 2,
         fnMessageLine(CAPTION_APP, L"INF:Idm_CommOpen()_01 GetCommState() Error!", MB_ICONERROR)},
        {m_stBus.ComNumber(), 0, L""},
    };
    for (const auto& stRow : astRows)
    {
        SCOPED_TRACE(stRow.nCom);
        ASSERT_NE(0, stRow.nCom) << "VQ_TEST_COM_NOTTY not set";
        MessageCapture stCapture;
        gstCommSettings.m_dwPortIndex = static_cast<uint32_t>(stRow.nCom - 1);
        HANDLE hFree = fnNextHandleValue();

        EXPECT_EQ(stRow.nResult, Idm_CommOpen(nullptr));
        // COM10 and up open only by their device path on Windows (Wine takes either).
        EXPECT_EQ("\\\\.\\COM" + std::to_string(stRow.nCom), gstCommPort.m_achDevicePath);
        EXPECT_EQ(stRow.wsMessage, stCapture.Seen());
        if (stRow.nResult == 0)
        {
            EXPECT_EQ(hFree, gstCommPort.m_hComm.load());
            ASSERT_EQ(0, Idm_CommClose(nullptr));
        }
        EXPECT_EQ(0u, gstCommPort.m_bOpen.load());
        EXPECT_EQ(INVALID_HANDLE_VALUE, gstCommPort.m_hComm.load());
        EXPECT_EQ(hFree, fnNextHandleValue()) << "the port still holds its handle";
    }
}

// The line format read back from the tty after the open at 9600, where a module at another
// rate does not hear us; after the baud change of the open port it does.
TEST_F(CommPortTest, OpenConfiguresTheLineAndANewBaudRateReachesIt)
{
    const struct
    {
        uint32_t dwIndex;
        DWORD dwRate;
        const char* pchModules;
    } astRows[] = {
        {0, 1200, "01,4652,ascii,1200"},
        {7, 115200, "01,4652,ascii,115200"},
    };
    MessageCapture stCapture;
    for (const auto& stRow : astRows)
    {
        SCOPED_TRACE(stRow.pchModules);
        ASSERT_TRUE(m_stBus.Reset(stRow.pchModules));
        gstCommSettings.m_dwPortIndex = static_cast<uint32_t>(m_stBus.ComNumber() - 1);
        gstCommSettings.m_dwBaudIndex = 3;
        ASSERT_EQ(0, Idm_CommOpen(nullptr));
        HANDLE hComm = gstCommPort.m_hComm.load();
        // The line format as the tty took it.
        DCB d = {};
        ASSERT_TRUE(GetCommState(hComm, &d));
        typedef std::vector<unsigned> Fields;
        EXPECT_EQ((Fields{9600, 8, NOPARITY, ONESTOPBIT, 0, 0, 0}),
                  (Fields{d.BaudRate, d.ByteSize, d.Parity, d.StopBits, d.fOutxCtsFlow, d.fOutX,
                          d.fInX}));
        EXPECT_EQ("", fnPortExchange("$01M\r", 300));

        gstCommSettings.m_dwBaudIndex = stRow.dwIndex;
        ASSERT_EQ(0, Idm_CommSet(nullptr));

        EXPECT_EQ(1u, gstCommPort.m_bOpen.load());
        ASSERT_TRUE(GetCommState(hComm, &d));
        EXPECT_EQ(stRow.dwRate, d.BaudRate);
        EXPECT_EQ("!014652\r", fnPortExchange("$01M\r", 1000));
        ASSERT_EQ(0, Idm_CommClose(nullptr));
    }
    EXPECT_EQ(0, stCapture.Count());
}

// A baud change or a close the driver refuses: the exact message, the port stays open, and
// the baud change keeps its new choice.
TEST_F(CommPortTest, RefusedSetAndCloseReportAndLeaveThePortOpen)
{
    const struct
    {
        int (*pfnCommand)(HWND);
        HANDLE hComm; // a dead handle, and one that is not ours
        std::wstring wsMessage;
        DWORD dwBaud; // the rate the connection holds afterwards
    } astRows[] = {
        {Idm_CommSet, INVALID_HANDLE_VALUE,
         fnMessageLine(CAPTION_APP, L"INF:Idm_CommSet()_00 SetCommState() Error!", MB_ICONERROR),
         38400},
        {Idm_CommClose, reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7FF0)),
         fnMessageLine(L"COM3",
                       L"INF:Idm_CommClose()_00 Close COM Port Error! CloseHandle() return NULL!",
                       MB_ICONERROR),
         9600},
    };
    for (const auto& stRow : astRows)
    {
        SCOPED_TRACE(stRow.dwBaud);
        MessageCapture stCapture;
        gstCommSettings.m_dwPortIndex = 2;
        fnCommBuildDCB(gstCommPort, gstCommSettings);
        gstCommSettings.m_dwBaudIndex = 5;
        gstCommPort.m_hComm = stRow.hComm;
        gstCommPort.m_bOpen = 1;

        EXPECT_EQ(1, stRow.pfnCommand(nullptr));

        EXPECT_EQ(stRow.wsMessage, stCapture.Seen());
        EXPECT_EQ(1u, gstCommPort.m_bOpen.load());
        EXPECT_EQ(5u, gstCommSettings.m_dwBaudIndex.load());
        EXPECT_EQ(stRow.dwBaud, gstCommPort.m_stDCB.BaudRate);
        fnResetGlobals();
    }
}

} // namespace
