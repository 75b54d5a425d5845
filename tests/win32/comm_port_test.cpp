// The port connection and the COM Set dialog against the real Win32 calls under Wine: the
// line configuration the driver ends up with, every open failure that can be provoked for
// real, what the connection holds afterwards, and the dialog built from template 125.
#include "res/resource.h"
#include "serial/CommPort.h"
#include "serial/CommSettings.h"
#include "tests/win32/MessageCapture.h"
#include "tests/win32/SimBus.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

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

// Writes a frame to the open port and collects the answer up to CR or until dwTimeoutMs,
// with the same overlapped calls the workers use.
std::string fnExchange(HANDLE hComm, const std::string& sFrame, DWORD dwTimeoutMs)
{
    OVERLAPPED stOL = {};
    stOL.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD dwDone = 0;
    PurgeComm(hComm, PURGE_RXCLEAR);
    if (!WriteFile(hComm, sFrame.data(), static_cast<DWORD>(sFrame.size()), &dwDone, &stOL) &&
        GetLastError() == ERROR_IO_PENDING)
        GetOverlappedResult(hComm, &stOL, &dwDone, TRUE);
    std::string sReply;
    DWORD dwStart = GetTickCount();
    while (sReply.find('\r') == std::string::npos && GetTickCount() - dwStart < dwTimeoutMs)
    {
        char achBuf[128];
        ResetEvent(stOL.hEvent);
        DWORD dwRead = 0;
        if (!ReadFile(hComm, achBuf, sizeof(achBuf), &dwRead, &stOL))
        {
            if (GetLastError() != ERROR_IO_PENDING)
                break;
            DWORD dwLeft = dwTimeoutMs - (GetTickCount() - dwStart);
            if (WaitForSingleObject(stOL.hEvent, dwLeft) != WAIT_OBJECT_0)
                CancelIo(hComm);
            GetOverlappedResult(hComm, &stOL, &dwRead, TRUE);
        }
        sReply.append(achBuf, dwRead);
    }
    CloseHandle(stOL.hEvent);
    return sReply;
}

class CommPortTest : public testing::Test
{
  protected:
    void SetUp() override { fnResetGlobals(); }
    void TearDown() override
    {
        HANDLE h = gstCommPort.m_hComm.load();
        if (h != INVALID_HANDLE_VALUE && gstCommPort.m_bOpen.load() == 1)
            CloseHandle(h);
        fnResetGlobals();
    }

    // Opens the simulator's port with the given baud index, expecting success.
    bool OpenSimPort(uint32_t dwBaudIndex)
    {
        gstCommSettings.m_dwPortIndex = static_cast<uint32_t>(m_stBus.ComNumber() - 1);
        gstCommSettings.m_dwBaudIndex = dwBaudIndex;
        return Idm_CommOpen(nullptr) == 0;
    }

    SimBus m_stBus;
};

#define REQUIRE_SIM()                                                                              \
    do                                                                                             \
    {                                                                                              \
        if (!m_stBus.Available())                                                                  \
            GTEST_SKIP() << "no bus simulator (run scripts/win32-tests)";                          \
    } while (0)

// ---------------------------------------------------------------------------------------------
// Building the configuration from the committed choice.

struct BuildRow
{
    uint32_t dwPortIndex;
    uint32_t dwBaudIndex;
    const char* pchPath;
    const char* pchName;
    DWORD dwBaud;
};

TEST_F(CommPortTest, BuildDcbFormsNamesAndFixedLineFormatKeepingDriverFields)
{
    const BuildRow astRows[] = {
        {0, 3, "\\\\.\\COM1", "COM1", 9600},     {2, 0, "\\\\.\\COM3", "COM3", 1200},
        {9, 7, "\\\\.\\COM10", "COM10", 115200}, {255, 6, "\\\\.\\COM256", "COM256", 57600},
        {99, 8, "\\\\.\\COM100", "COM100", 0}, // an index outside the table gives no rate
    };
    for (const BuildRow& stRow : astRows)
    {
        SCOPED_TRACE(stRow.pchName);
        CommPort stPort;
        memset(&stPort.m_stDCB, 0xFF, sizeof(stPort.m_stDCB)); // as if the driver set everything
        memset(stPort.m_achDevicePath, 'x', sizeof(stPort.m_achDevicePath));
        CommSettings stSet;
        stSet.m_dwPortIndex = stRow.dwPortIndex;
        stSet.m_dwBaudIndex = stRow.dwBaudIndex;

        fnCommBuildDCB(stPort, stSet);

        EXPECT_STREQ(stRow.pchPath, stPort.m_achDevicePath);
        EXPECT_STREQ(stRow.pchName, stPort.m_achPortName);
        const DCB& d = stPort.m_stDCB;
        EXPECT_EQ(stRow.dwBaud, d.BaudRate);
        EXPECT_EQ(8, d.ByteSize);
        EXPECT_EQ(0, d.Parity);
        EXPECT_EQ(0, d.StopBits); // 0 is one stop bit; 1 would be 1.5
        EXPECT_EQ(0u, d.fOutxCtsFlow);
        EXPECT_EQ(0u, d.fOutxDsrFlow);
        EXPECT_EQ(0u, d.fDsrSensitivity);
        EXPECT_EQ(1u, d.fDtrControl);
        EXPECT_EQ(1u, d.fRtsControl);
        EXPECT_EQ(0u, d.fOutX);
        EXPECT_EQ(0u, d.fInX);
        EXPECT_EQ(0u, d.fTXContinueOnXoff);
        EXPECT_EQ(0u, d.fAbortOnError);
        EXPECT_EQ(0, d.XonLim);
        EXPECT_EQ(0, d.XoffLim);
        EXPECT_EQ(0x11, d.XonChar);
        EXPECT_EQ(0x13, d.XoffChar);
        // What the driver reported stays.
        EXPECT_EQ(0xFFFFFFFFu, d.DCBlength);
        EXPECT_EQ(1u, d.fBinary);
        EXPECT_EQ(1u, d.fParity);
        EXPECT_EQ(1u, d.fErrorChar);
        EXPECT_EQ(1u, d.fNull);
        EXPECT_EQ(static_cast<char>(0xFF), d.ErrorChar);
        EXPECT_EQ(static_cast<char>(0xFF), d.EofChar);
        EXPECT_EQ(static_cast<char>(0xFF), d.EvtChar);

        const COMMTIMEOUTS& t = stPort.m_stTimeouts;
        EXPECT_EQ(1u, t.ReadIntervalTimeout);
        EXPECT_EQ(0u, t.ReadTotalTimeoutMultiplier);
        EXPECT_EQ(0u, t.ReadTotalTimeoutConstant);
        EXPECT_EQ(0u, t.WriteTotalTimeoutMultiplier);
        EXPECT_EQ(0u, t.WriteTotalTimeoutConstant);
    }
}

// ---------------------------------------------------------------------------------------------
// Opening.

TEST_F(CommPortTest, AbsentPortGivesResult1WithThePortNamedAndStaysClosed)
{
    MessageCapture stCapture;
    gstCommSettings.m_dwPortIndex = 255; // \\.\COM256: no such device in the test prefix

    EXPECT_EQ(1, Idm_CommOpen(nullptr));

    ASSERT_EQ(1, stCapture.Count());
    CapturedMessage stMsg = stCapture.Last();
    EXPECT_EQ(std::wstring(L"打开串口"), stMsg.wsCaption);
    EXPECT_EQ(std::wstring(L"串口 COM256 打开错误"), stMsg.wsText);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), stMsg.uIcon);
    EXPECT_EQ(static_cast<UINT>(MB_OK), stMsg.uButtons);
    EXPECT_STREQ("\\\\.\\COM256", gstCommPort.m_achDevicePath);
    EXPECT_EQ(0u, gstCommPort.m_bOpen.load());
    EXPECT_EQ(INVALID_HANDLE_VALUE, gstCommPort.m_hComm.load());
    EXPECT_NE(0u, gstCommPort.m_dwLastError);
}

TEST_F(CommPortTest, OpenConfiguresTheDriverAndTheModuleAnswers)
{
    REQUIRE_SIM();
    ASSERT_TRUE(m_stBus.Reset("01,4652,ascii,9600"));
    MessageCapture stCapture;

    ASSERT_TRUE(OpenSimPort(3));

    EXPECT_EQ(0, stCapture.Count());
    EXPECT_EQ(1u, gstCommPort.m_bOpen.load());
    HANDLE hComm = gstCommPort.m_hComm.load();
    DCB stDcb = {};
    stDcb.DCBlength = sizeof(stDcb);
    ASSERT_TRUE(GetCommState(hComm, &stDcb)); // read back from the tty, not our copy
    EXPECT_EQ(9600u, stDcb.BaudRate);
    EXPECT_EQ(8, stDcb.ByteSize);
    EXPECT_EQ(NOPARITY, stDcb.Parity);
    EXPECT_EQ(ONESTOPBIT, stDcb.StopBits);
    EXPECT_EQ(0u, stDcb.fOutxCtsFlow);
    EXPECT_EQ(0u, stDcb.fOutX);
    EXPECT_EQ(0u, stDcb.fInX);
    COMMTIMEOUTS stTo = {};
    ASSERT_TRUE(GetCommTimeouts(hComm, &stTo));
    EXPECT_EQ(1u, stTo.ReadIntervalTimeout);
    EXPECT_EQ(0u, stTo.ReadTotalTimeoutConstant);

    EXPECT_EQ("!014652\r", fnExchange(hComm, "$01M\r", 1000));
}

TEST_F(CommPortTest, CloseReleasesThePortAndReopenWorks)
{
    REQUIRE_SIM();
    MessageCapture stCapture;
    HANDLE hFree = fnNextHandleValue();
    for (int nRound = 0; nRound < 3; ++nRound)
    {
        SCOPED_TRACE(nRound);
        ASSERT_TRUE(OpenSimPort(3));
        EXPECT_EQ(hFree, gstCommPort.m_hComm.load());
        EXPECT_NE(hFree, fnNextHandleValue());
        ASSERT_EQ(0, Idm_CommClose(nullptr));
        EXPECT_EQ(0u, gstCommPort.m_bOpen.load());
        EXPECT_EQ(INVALID_HANDLE_VALUE, gstCommPort.m_hComm.load());
        EXPECT_EQ(hFree, fnNextHandleValue()) << "the closed port still holds its handle";
    }
    EXPECT_EQ(0, stCapture.Count());
}

// A link to something that is not a serial line opens but refuses the line state: the step
// fails, the message names it, and the port is given up so that COM Open works again.
TEST_F(CommPortTest, FailedConfigurationStepReleasesThePort)
{
    REQUIRE_SIM();
    const char* pchNotTty = getenv("VQ_TEST_COM_NOTTY");
    if (pchNotTty == nullptr)
        GTEST_SKIP() << "VQ_TEST_COM_NOTTY not set";
    int nNotTty = atoi(pchNotTty);
    MessageCapture stCapture;
    gstCommSettings.m_dwPortIndex = static_cast<uint32_t>(nNotTty - 1);
    HANDLE hFree = fnNextHandleValue();

    // /dev/null opens but has no line state: the first read of it fails.
    EXPECT_EQ(2, Idm_CommOpen(nullptr));

    ASSERT_EQ(1, stCapture.Count());
    EXPECT_EQ(std::wstring(L"INF:Idm_CommOpen()_01 GetCommState() Error!"),
              stCapture.Last().wsText);
    EXPECT_EQ(std::wstring(CAPTION_APP), stCapture.Last().wsCaption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), stCapture.Last().uIcon);
    EXPECT_EQ(0u, gstCommPort.m_bOpen.load());
    EXPECT_EQ(INVALID_HANDLE_VALUE, gstCommPort.m_hComm.load());
    EXPECT_EQ(hFree, fnNextHandleValue()) << "the failed open kept its handle";

    EXPECT_TRUE(OpenSimPort(3));
}

// ---------------------------------------------------------------------------------------------
// Changing the baud rate of the open port.

TEST_F(CommPortTest, NewBaudRateReachesTheLine)
{
    REQUIRE_SIM();
    struct Row
    {
        uint32_t dwIndex;
        DWORD dwRate;
        const char* pchModules;
    };
    const Row astRows[] = {
        {0, 1200, "01,4652,ascii,1200"},
        {4, 19200, "01,4652,ascii,19200"},
        {7, 115200, "01,4652,ascii,115200"},
    };
    MessageCapture stCapture;
    for (const Row& stRow : astRows)
    {
        SCOPED_TRACE(stRow.pchModules);
        ASSERT_TRUE(m_stBus.Reset(stRow.pchModules));
        ASSERT_TRUE(OpenSimPort(3)); // 9600: the module does not hear us
        HANDLE hComm = gstCommPort.m_hComm.load();
        EXPECT_EQ("", fnExchange(hComm, "$01M\r", 300));

        gstCommSettings.m_dwBaudIndex = stRow.dwIndex;
        ASSERT_EQ(0, Idm_CommSet(nullptr));

        EXPECT_EQ(1u, gstCommPort.m_bOpen.load());
        EXPECT_EQ(stRow.dwRate, gstCommPort.m_stDCB.BaudRate);
        DCB stDcb = {};
        stDcb.DCBlength = sizeof(stDcb);
        ASSERT_TRUE(GetCommState(hComm, &stDcb));
        EXPECT_EQ(stRow.dwRate, stDcb.BaudRate);
        EXPECT_EQ("!014652\r", fnExchange(hComm, "$01M\r", 1000));
        ASSERT_EQ(0, Idm_CommClose(nullptr));
    }
    EXPECT_EQ(0, stCapture.Count());
}

TEST_F(CommPortTest, CommSetFailureReportsAndKeepsTheNewIndex)
{
    MessageCapture stCapture;
    gstCommPort.m_hComm = INVALID_HANDLE_VALUE; // the driver refuses a dead handle
    gstCommPort.m_bOpen = 1;
    gstCommSettings.m_dwBaudIndex = 5;

    EXPECT_EQ(1, Idm_CommSet(nullptr));

    ASSERT_EQ(1, stCapture.Count());
    EXPECT_EQ(std::wstring(L"INF:Idm_CommSet()_00 SetCommState() Error!"), stCapture.Last().wsText);
    EXPECT_EQ(std::wstring(CAPTION_APP), stCapture.Last().wsCaption);
    EXPECT_EQ(static_cast<UINT>(MB_ICONERROR), stCapture.Last().uIcon);
    EXPECT_EQ(5u, gstCommSettings.m_dwBaudIndex.load());
    EXPECT_EQ(38400u, gstCommPort.m_stDCB.BaudRate);
}

TEST_F(CommPortTest, CloseFailureNamesThePortAndKeepsItOpen)
{
    MessageCapture stCapture;
    gstCommSettings.m_dwPortIndex = 2;
    fnCommBuildDCB(gstCommPort, gstCommSettings);
    gstCommPort.m_hComm = reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x7FF0)); // not ours
    gstCommPort.m_bOpen = 1;

    EXPECT_EQ(1, Idm_CommClose(nullptr));

    ASSERT_EQ(1, stCapture.Count());
    EXPECT_EQ(std::wstring(L"COM3"), stCapture.Last().wsCaption);
    EXPECT_EQ(
        std::wstring(L"INF:Idm_CommClose()_00 Close COM Port Error! CloseHandle() return NULL!"),
        stCapture.Last().wsText);
    EXPECT_EQ(1u, gstCommPort.m_bOpen.load());
    gstCommPort.m_bOpen = 0;
    gstCommPort.m_hComm = INVALID_HANDLE_VALUE;
}

} // namespace
