// The IO windows end to end under Wine: each model's handler, its two workers and its window
// (run modally on a thread of its own, as the main window runs it) against the simulated bus.
// Checks what reaches the wire, what the window shows, and how fast and how cleanly it stops.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "io/IoDlg4618.h"
#include "io/IoDlg4652.h"
#include "io/IoDlgAnalog.h"
#include "io/ModuleIO.h"
#include "protocol/Protocol.h"
#include "res/resource.h"
#include "search/ModuleList.h"
#include "serial/CommIo.h"
#include "serial/CommPort.h"
#include "serial/CommTRC.h"
#include "tests/win32/MessageCapture.h"
#include "tests/win32/SearchTestSupport.h"
#include "tests/win32/SimBus.h"

namespace
{
const uint32_t INDEX_115200 = 7;

struct ModelDef
{
    const char* pchModel; // sim model and list name
    uint32_t dwModuleType;
    int (*pfnIdm)(HWND);
    int nTemplate;
    DLGPROC pfnProc;
    CommTRC* pstTRC;
    std::atomic<HWND>* phDlg;
};

const ModelDef MODEL_4652 = {"4652",
                             ModuleType4652,
                             Idm_ModuleIO_4652,
                             IDD_IO_4652,
                             DlgProc_ModuleIO_4652,
                             &gstCommTRCIO_4652,
                             &gstIOView_4652.m_hDlg};
const ModelDef MODEL_4618 = {"4618",
                             ModuleType4618,
                             Idm_ModuleIO_4618,
                             IDD_IO_4618,
                             DlgProc_ModuleIO_4618,
                             &gstCommTRCIO_4618,
                             &gstIOView_4618.m_hDlg};
const ModelDef MODEL_4624 = {"4624",
                             ModuleType4624,
                             Idm_ModuleIO_4624,
                             IDD_IO_4624,
                             DlgProc_ModuleIO_4624,
                             &gstCommTRCIO_4624,
                             &gstIOView_4624.m_hDlg};
const ModelDef MODEL_4637 = {"4637",
                             ModuleType4637,
                             Idm_ModuleIO_4637,
                             IDD_IO_4637,
                             DlgProc_ModuleIO_4637,
                             &gstCommTRCIO_4637,
                             &gstIOView_4637.m_hDlg};

const char* fnSimProto(uint32_t dwProtocol)
{
    return dwProtocol == ProtocolVqAscii      ? "ascii"
           : dwProtocol == ProtocolVqAsciiChk ? "chk"
                                              : "rtu";
}

template <class Pred> bool fnWaitUntil(Pred pred, DWORD dwMs)
{
    const DWORD dwStart = GetTickCount();
    while (!pred())
    {
        if (GetTickCount() - dwStart > dwMs)
            return false;
        Sleep(10);
    }
    return true;
}

struct DialogRun
{
    const ModelDef* pstModel;
};

DWORD WINAPI fnDialogThread(LPVOID pvParam)
{
    const ModelDef* pstModel = static_cast<DialogRun*>(pvParam)->pstModel;
    DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(pstModel->nTemplate), NULL,
                    pstModel->pfnProc, 0);
    return 0;
}

class IoTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        if (!m_stBus.Available())
            GTEST_SKIP() << "no bus simulator (run scripts/win32-tests)";
    }
    void TearDown() override
    {
        if (m_hDialog != NULL)
            Close();
        for (const ModelDef* pstModel : {&MODEL_4652, &MODEL_4618, &MODEL_4624, &MODEL_4637})
            EXPECT_TRUE(fnCommPairWait(*pstModel->pstTRC, 3000)) << "a pair still runs";
        gstModuleList.m_dwCount = 0;
        delete m_pstPort;
        m_pstPort = nullptr;
        if (m_stBus.Available())
            m_stBus.Reset("01,4652,ascii,9600");
    }

    // The bus holds this one module at 115200 and the list selects it.
    void Module(const ModelDef& stModel, uint32_t dwProtocol, uint8_t chAddress)
    {
        char achBus[64];
        snprintf(achBus, sizeof(achBus), "%02X,%s,%s,115200", chAddress, stModel.pchModel,
                 fnSimProto(dwProtocol));
        ASSERT_TRUE(m_stBus.Reset(achBus));
        ModuleRecord& stRecord = gstModuleList.m_astModule[0];
        memset(&stRecord, 0, sizeof(stRecord));
        stRecord.m_chAddress = chAddress;
        snprintf(stRecord.m_achAddressHex2, sizeof(stRecord.m_achAddressHex2), "%02X", chAddress);
        snprintf(stRecord.m_achModName, sizeof(stRecord.m_achModName), "%s", stModel.pchModel);
        stRecord.m_dwModuleType = stModel.dwModuleType;
        stRecord.m_dwProtocol = dwProtocol;
        gstModuleList.m_dwCount = 1;
        gstModuleList.m_dwSelected = 0;
        if (m_pstPort == nullptr)
            m_pstPort = new SimPort(INDEX_115200);
        ASSERT_TRUE(m_pstPort->IsOpen());
    }

    // Handler, then the window, as the main window does it; returns once the window is up.
    HWND Open(const ModelDef& stModel)
    {
        m_pstModel = &stModel;
        m_nLogMark = fnSimLogSize();
        if (stModel.pfnIdm(NULL) != 0)
            return NULL;
        m_stRun.pstModel = &stModel;
        m_hDialog = CreateThread(NULL, 0, fnDialogThread, &m_stRun, 0, NULL);
        fnWaitUntil([&] { return stModel.phDlg->load() != NULL; }, 3000);
        return stModel.phDlg->load();
    }

    // Presses Close; returns ms until the window is gone and both workers have ended.
    DWORD Close()
    {
        const DWORD dwStart = GetTickCount();
        HWND hDlg = m_pstModel->phDlg->load();
        if (hDlg != NULL)
            PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        WaitForSingleObject(m_hDialog, 5000);
        CloseHandle(m_hDialog);
        m_hDialog = NULL;
        fnWaitUntil([&] { return !fnCommPairRunning(*m_pstModel->pstTRC); }, 5000);
        return GetTickCount() - dwStart;
    }

    // True when the window closed by itself within dwMs.
    bool WaitWindowEnded(DWORD dwMs)
    {
        if (WaitForSingleObject(m_hDialog, dwMs) != WAIT_OBJECT_0)
            return false;
        CloseHandle(m_hDialog);
        m_hDialog = NULL;
        return true;
    }

    std::vector<std::string> Sent() const { return fnSimLogFramesSince(m_nLogMark); }

    SimBus m_stBus;
    SimPort* m_pstPort = nullptr;
    const ModelDef* m_pstModel = nullptr;
    HANDLE m_hDialog = NULL;
    DialogRun m_stRun = {nullptr};
    size_t m_nLogMark = 0;
};

// The lamp INk shows "on"; -1 when it shows neither of the window's bitmaps.
int fnLampOn(HWND hLamp, const IoLamps& stLamps)
{
    HANDLE hImage = reinterpret_cast<HANDLE>(SendMessageA(hLamp, STM_GETIMAGE, IMAGE_BITMAP, 0));
    if (hImage == stLamps.fnOn())
        return 1;
    return hImage == stLamps.fnOff() ? 0 : -1;
}

uint32_t fnLamps4652()
{
    uint32_t dwBits = 0;
    for (uint32_t k = 0; k < IO52_CHANNELS; ++k)
    {
        if (fnLampOn(gstIOView_4652.m_ahLamp[k], gstIOView_4652.m_stLamps) != 1)
            continue;
        dwBits |= 1u << k;
    }
    return dwBits;
}

uint32_t fnLamps4618()
{
    uint32_t dwBits = 0;
    for (uint32_t k = 0; k < IO18_CHANNELS; ++k)
    {
        if (fnLampOn(gstIOView_4618.m_ahLamp[k], gstIOView_4618.m_stLamps) == 1)
            dwBits |= 1u << k;
    }
    return dwBits;
}

uint32_t fnBoxes4652()
{
    uint32_t dwBits = 0;
    for (uint32_t k = 0; k < IO52_CHANNELS; ++k)
    {
        if (SendMessageA(gstIOView_4652.m_ahOut[k], BM_GETCHECK, 0, 0) == BST_CHECKED)
            dwBits |= 1u << k;
    }
    return dwBits;
}

// The frames the program sent since nMark, each with its time of day in ms from the log's
// "HH:MM:SS.mmm pc>bus ..." lines.
struct TimedFrame
{
    long lMs;
    std::string sFrame;
};

std::vector<TimedFrame> fnTimedFramesSince(size_t nMark)
{
    std::vector<TimedFrame> astFrames;
    const char* pchLog = getenv("VQ_SIM_LOG");
    if (pchLog == nullptr)
        return astFrames;
    FILE* pFile = fopen(fnUnixToWinePath(pchLog).c_str(), "rb");
    if (pFile == nullptr)
        return astFrames;
    fseek(pFile, static_cast<long>(nMark), SEEK_SET);
    char achLine[512];
    while (fgets(achLine, sizeof(achLine), pFile) != nullptr)
    {
        int nH = 0, nM = 0, nS = 0, nMs = 0;
        const char* pchMark = strstr(achLine, "pc>bus ");
        if (pchMark == nullptr || sscanf(achLine, "%d:%d:%d.%d", &nH, &nM, &nS, &nMs) != 4)
            continue;
        std::string sFrame(pchMark + 7);
        while (!sFrame.empty() && (sFrame.back() == '\n' || sFrame.back() == '\r'))
            sFrame.pop_back();
        astFrames.push_back({((nH * 60L + nM) * 60L + nS) * 1000L + nMs, sFrame});
    }
    fclose(pFile);
    return astFrames;
}

// The smallest gap between two frames sent one after the other; LONG_MAX for fewer than two.
long fnMinGapMs(const std::vector<TimedFrame>& astFrames)
{
    long lMin = LONG_MAX;
    for (size_t i = 1; i < astFrames.size(); ++i)
        lMin = std::min(lMin, astFrames[i].lMs - astFrames[i - 1].lMs);
    return lMin;
}

} // namespace

// Polls on the wire, lamps following the inputs, and the stop within one wait and the pace.
TEST_F(IoTest, DigitalPollsLightTheLampsAndStopWithinOneWaitAndThePace)
{
    struct Row
    {
        const ModelDef* pstModel;
        uint32_t dwProtocol;
        uint8_t abyInputs[2];     // two settings in turn
        const char* apchPolls[2]; // the polls as sent, in turn (one repeated when alone)
    } const ROWS[] = {
        {&MODEL_4652, ProtocolVqAscii, {0x05, 0x0A}, {"24 30 31 36 0D", "24 30 31 36 0D"}},
        {&MODEL_4652,
         ProtocolVqAsciiChk,
         {0x0F, 0x02},
         {"24 30 31 36 42 42 0D", "24 30 31 36 42 42 0D"}},
        // Read Coils, then Read Discrete Inputs (CRC 0xC93D and 0xC979, low byte first).
        {&MODEL_4652,
         ProtocolModbusRtu,
         {0x09, 0x06},
         {"01 01 00 00 00 04 3D C9", "01 02 00 00 00 04 79 C9"}},
        {&MODEL_4618, ProtocolVqAscii, {0xFF, 0x5A}, {"24 30 31 36 0D", "24 30 31 36 0D"}},
        {&MODEL_4618,
         ProtocolVqAsciiChk,
         {0x81, 0x3C},
         {"24 30 31 36 42 42 0D", "24 30 31 36 42 42 0D"}},
        {&MODEL_4618,
         ProtocolModbusRtu,
         {0xA5, 0x01},
         {"01 02 00 00 00 08 79 CC", "01 02 00 00 00 08 79 CC"}},
    };
    for (const Row& stRow : ROWS)
    {
        SCOPED_TRACE(std::string(stRow.pstModel->pchModel) + " " + fnSimProto(stRow.dwProtocol));
        Module(*stRow.pstModel, stRow.dwProtocol, 0x01);
        ASSERT_TRUE(m_stBus.Inputs(0x01, stRow.abyInputs[0]));
        ASSERT_NE(nullptr, Open(*stRow.pstModel));
        const bool b4652 = stRow.pstModel == &MODEL_4652;
        const uint32_t dwMask = b4652 ? 0x0F : 0xFF;
        // The inputs are read every frame, or every second one (VQ-4652 under Modbus RTU); a
        // change must show within two such periods (frame: 200 ms pace plus the line time).
        const DWORD dwPeriodMs = (b4652 && stRow.dwProtocol == ProtocolModbusRtu) ? 2 * 220 : 220;
        for (int i = 0; i < 2; ++i)
        {
            const uint8_t byInputs = stRow.abyInputs[i];
            ASSERT_TRUE(m_stBus.Inputs(0x01, byInputs));
            const DWORD dwStart = GetTickCount();
            EXPECT_TRUE(fnWaitUntil(
                [&] { return (b4652 ? fnLamps4652() : fnLamps4618()) == (byInputs & dwMask); },
                2000))
                << "lamps " << (b4652 ? fnLamps4652() : fnLamps4618()) << " for inputs "
                << int(byInputs);
            if (i > 0)
            {
                EXPECT_LE(GetTickCount() - dwStart, 2 * dwPeriodMs + 100)
                    << "inputs " << int(byInputs);
            }
        }
        EXPECT_TRUE(fnWaitUntil([&] { return Sent().size() >= 4; }, 2000));
        const std::vector<std::string> asSent = Sent();
        ASSERT_GE(asSent.size(), 4u);
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ(stRow.apchPolls[i % 2], asSent[i]) << "frame " << i;
        const DWORD dwStopMs = Close();
        EXPECT_LT(dwStopMs, 500u + 200u + 300u) << "stop took " << dwStopMs << " ms";
    }
}

// A click on the boxes writes all four outputs once, in the module's protocol; the next
// poll shows them back, and under Modbus RTU the sequence resumes with Read Coils.
TEST_F(IoTest, RelayClickWritesTheExactFrame)
{
    struct Row
    {
        uint32_t dwProtocol;
        const char* pchWrite;
        const char* pchAfter; // the frame after the write
    } const ROWS[] = {
        {ProtocolVqAscii, "23 30 31 30 30 30 35 0D", "24 30 31 36 0D"},
        // "#010005": 0x23+0x30+0x31+0x30+0x30+0x30+0x35 = 0x149 -> "49".
        {ProtocolVqAsciiChk, "23 30 31 30 30 30 35 34 39 0D", "24 30 31 36 42 42 0D"},
        {ProtocolModbusRtu, "01 0F 00 00 00 04 01 05 FE 95", "01 01 00 00 00 04 3D C9"},
    };
    for (const Row& stRow : ROWS)
    {
        SCOPED_TRACE(fnSimProto(stRow.dwProtocol));
        Module(MODEL_4652, stRow.dwProtocol, 0x01);
        HWND hDlg = Open(MODEL_4652);
        ASSERT_NE(nullptr, hDlg);
        ASSERT_TRUE(fnWaitUntil([] { return fnBoxes4652() == 0; }, 2000));
        bool bWritten = false;
        for (int nTry = 0; nTry < 3 && !bWritten; ++nTry)
        {
            // OUT0 and OUT2 ticked, then the click notification of OUT2 (a poll reply that
            // lands between the two can untick OUT0; then the write carries 04 and we retry).
            SendMessageA(gstIOView_4652.m_ahOut[0], BM_SETCHECK, BST_CHECKED, 0);
            SendMessageA(gstIOView_4652.m_ahOut[2], BM_SETCHECK, BST_CHECKED, 0);
            SendMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_IO52_OUT0 - 2, BN_CLICKED),
                         reinterpret_cast<LPARAM>(gstIOView_4652.m_ahOut[2]));
            bWritten = fnWaitUntil(
                [&] { return m_stBus.StateOf(0x01).find("outputs=05") != std::string::npos; },
                1500);
        }
        ASSERT_TRUE(bWritten) << m_stBus.StateOf(0x01);
        EXPECT_TRUE(fnWaitUntil([] { return fnBoxes4652() == 0x05; }, 2000)) << fnBoxes4652();
        Sleep(300);
        const std::vector<std::string> asSent = Sent();
        size_t nWrite = asSent.size();
        for (size_t i = 0; i < asSent.size(); ++i)
        {
            if (asSent[i] == stRow.pchWrite)
            {
                nWrite = i;
                break;
            }
        }
        ASSERT_LT(nWrite + 1, asSent.size()) << "no write frame " << stRow.pchWrite;
        EXPECT_EQ(stRow.pchAfter, asSent[nWrite + 1]);
        Close();
    }
}

// The eight values as the simulator holds them reach the fields and the trend history.
TEST_F(IoTest, AnalogValuesMatchTheModuleAndFeedTheTrend)
{
    // Zero, the ends of the current and voltage ranges, and the largest value a register or a
    // field can carry (65.535, drawn at the top of the area).
    const double ADVALUE[ANALOG_CHANNELS] = {4.0, 12.345, 20.0, 65.535, 0.0, 7.777, 0.001, 10.0};
    const char* const APCHTEXT[ANALOG_CHANNELS] = {"4.000", "12.345", "20.000", "65.535",
                                                   "0.000", "7.777",  "0.001",  "10.000"};
    const int32_t ANHEIGHT[ANALOG_CHANNELS] = {32, 98, 160, 210, 0, 62, 0, 80};
    struct Row
    {
        const ModelDef* pstModel;
        IOViewAnalog* pstView;
        uint32_t dwProtocol;
        uint8_t chAddress;
        const char* pchPoll;
    } const ROWS[] = {
        {&MODEL_4624, &gstIOView_4624, ProtocolVqAscii, 0x03, "23 30 33 0D"},
        // "#03": 0x23+0x30+0x33 = 0x86.
        {&MODEL_4624, &gstIOView_4624, ProtocolVqAsciiChk, 0x03, "23 30 33 38 36 0D"},
        {&MODEL_4624, &gstIOView_4624, ProtocolModbusRtu, 0x01, "01 04 00 00 00 08 F1 CC"},
        {&MODEL_4637, &gstIOView_4637, ProtocolVqAscii, 0x03, "23 30 33 0D"},
        {&MODEL_4637, &gstIOView_4637, ProtocolModbusRtu, 0x01, "01 04 00 00 00 08 F1 CC"},
    };
    for (const Row& stRow : ROWS)
    {
        SCOPED_TRACE(std::string(stRow.pstModel->pchModel) + " " + fnSimProto(stRow.dwProtocol));
        Module(*stRow.pstModel, stRow.dwProtocol, stRow.chAddress);
        for (int k = 0; k < int(ANALOG_CHANNELS); ++k)
            ASSERT_TRUE(m_stBus.Analog(stRow.chAddress, k, ADVALUE[k]));
        HWND hDlg = Open(*stRow.pstModel);
        ASSERT_NE(nullptr, hDlg);
        char achText[32] = {};
        GetWindowTextA(stRow.pstView->m_ahValue[0], achText, sizeof(achText));
        EXPECT_STREQ("00.000", achText) << "before the first reply";
        auto fnAllMatch = [&]
        {
            for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
            {
                char achValue[32] = {};
                GetWindowTextA(stRow.pstView->m_ahValue[k], achValue, sizeof(achValue));
                if (strcmp(achValue, APCHTEXT[k]) != 0)
                    return false;
            }
            return true;
        };
        EXPECT_TRUE(fnWaitUntil(fnAllMatch, 3000));
        // 8 pixels a unit, truncated (12.345 mA: 98.76 -> 98), capped at 210.
        for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
            EXPECT_EQ(ANHEIGHT[k], stRow.pstView->m_stTrend.fnHeight(k, 0)) << "CH" << k;
        EXPECT_GE(stRow.pstView->m_stTrend.fnPointCount(0), 1);
        const std::vector<std::string> asSent = Sent();
        ASSERT_FALSE(asSent.empty());
        for (const std::string& sFrame : asSent)
            EXPECT_EQ(stRow.pchPoll, sFrame);
        // Close waits for the receive worker: at most its sleep, the read and one wait.
        const DWORD dwStopMs = Close();
        EXPECT_LT(dwStopMs, 500u + 500u + 500u) << "stop took " << dwStopMs << " ms";
        EXPECT_TRUE(fnWaitUntil([&] { return stRow.pstView->m_hDlg.load() == NULL; }, 10));
    }
}

// A silent module ends every window with the connection message, after three empty waits
// (digital) or four failures (analog); a module that answers garbage does not.
TEST_F(IoTest, SilentModuleEndsTheWindowGarbageDoesNot)
{
    struct Row
    {
        const ModelDef* pstModel;
        uint32_t dwProtocol;
        const char* pchFault;
        bool bEnds;
        DWORD dwMinMs, dwMaxMs;
    } const ROWS[] = {
        {&MODEL_4652, ProtocolVqAscii, "01:silent", true, 1300, 2600},
        {&MODEL_4618, ProtocolModbusRtu, "01:silent", true, 1300, 2600},
        // 500 ms reply wait, then four 500 ms waits.
        {&MODEL_4624, ProtocolVqAsciiChk, "01:silent", true, 2200, 3800},
        {&MODEL_4652, ProtocolVqAsciiChk, "01:badsum", false, 0, 3000},
        {&MODEL_4618, ProtocolVqAscii, "01:extra=1", false, 0, 3000},
    };
    for (const Row& stRow : ROWS)
    {
        SCOPED_TRACE(std::string(stRow.pstModel->pchModel) + " " + stRow.pchFault);
        Module(*stRow.pstModel, stRow.dwProtocol, 0x01);
        ASSERT_TRUE(m_stBus.Fault(stRow.pchFault));
        MessageCapture stCapture;
        const DWORD dwStart = GetTickCount();
        HWND hDlg = Open(*stRow.pstModel);
        ASSERT_NE(nullptr, hDlg);
        const bool bEnded = WaitWindowEnded(stRow.dwMaxMs);
        const DWORD dwMs = GetTickCount() - dwStart;
        EXPECT_EQ(stRow.bEnds, bEnded) << "after " << dwMs << " ms";
        if (stRow.bEnds)
        {
            EXPECT_GE(dwMs, stRow.dwMinMs);
            ASSERT_EQ(1, stCapture.Count());
            const CapturedMessage stMsg = stCapture.Last();
            EXPECT_EQ(L"\u65E0\u6CD5\u4E0E\u6A21\u5757\u8FDE\u63A5\uFF01", stMsg.wsText);
            EXPECT_EQ(L"IO\u63A7\u5236", stMsg.wsCaption);
            EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), stMsg.uIcon);
            EXPECT_EQ(hDlg, stMsg.hOwner);
        }
        else
        {
            EXPECT_EQ(0, stCapture.Count());
            Close();
        }
        EXPECT_TRUE(fnWaitUntil([&] { return !fnCommPairRunning(*stRow.pstModel->pstTRC); }, 2000));
        m_stBus.Clear(0x01);
    }
}

// Reopening at once waits for the old pair: the bus never sees two pairs polling, which would
// put two polls closer together than one pair ever sends them.
TEST_F(IoTest, ReopenAtOnceNeverRunsTwoPairsOnOneRecord)
{
    struct Row
    {
        const ModelDef* pstModel;
        uint32_t dwProtocol;
        long lMinGapMs; // one pair: the 200 ms pace, or the 500 ms reply wait at 115200
    } const ROWS[] = {
        {&MODEL_4652, ProtocolVqAscii, 170},
        {&MODEL_4618, ProtocolModbusRtu, 170},
        {&MODEL_4624, ProtocolVqAsciiChk, 450},
        {&MODEL_4637, ProtocolModbusRtu, 450},
    };
    for (const Row& stRow : ROWS)
    {
        SCOPED_TRACE(std::string(stRow.pstModel->pchModel) + " " + fnSimProto(stRow.dwProtocol));
        Module(*stRow.pstModel, stRow.dwProtocol, 0x01);
        const size_t nMark = fnSimLogSize();
        for (int nRound = 0; nRound < 3; ++nRound)
        {
            ASSERT_NE(nullptr, Open(*stRow.pstModel));
            Sleep(nRound == 0 ? 1200 : 300);
            PostMessageA(stRow.pstModel->phDlg->load(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                         0);
            // The window of an analog model ends only once its receive worker has stopped.
            ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(m_hDialog, 3000));
            CloseHandle(m_hDialog);
            m_hDialog = NULL;
        }
        ASSERT_NE(nullptr, Open(*stRow.pstModel));
        Sleep(1500);
        Close();
        const std::vector<TimedFrame> astFrames = fnTimedFramesSince(nMark);
        EXPECT_GE(astFrames.size(), 6u);
        EXPECT_GE(fnMinGapMs(astFrames), stRow.lMinGapMs);
    }
}

// A digital window ends at once on Close while its receive worker may still hold a read; the
// next window, of another model, must not lose its first reply to that read.
TEST_F(IoTest, NextWindowOfAnotherModelGetsItsFirstReply)
{
    struct Row
    {
        const ModelDef* pstFirst;
        const ModelDef* pstNext;
        IOViewAnalog* pstView;
    } const ROWS[] = {
        {&MODEL_4652, &MODEL_4624, &gstIOView_4624},
        {&MODEL_4618, &MODEL_4637, &gstIOView_4637},
    };
    for (const Row& stRow : ROWS)
    {
        SCOPED_TRACE(std::string(stRow.pstFirst->pchModel) + " then " + stRow.pstNext->pchModel);
        Module(*stRow.pstFirst, ProtocolVqAscii, 0x01);
        char achBus[64];
        snprintf(achBus, sizeof(achBus), "01,%s,ascii,115200 02,%s,rtu,115200",
                 stRow.pstFirst->pchModel, stRow.pstNext->pchModel);
        ASSERT_TRUE(m_stBus.Reset(achBus));
        ModuleRecord& stNext = gstModuleList.m_astModule[1];
        stNext = gstModuleList.m_astModule[0];
        stNext.m_chAddress = 0x02;
        snprintf(stNext.m_achAddressHex2, sizeof(stNext.m_achAddressHex2), "02");
        snprintf(stNext.m_achModName, sizeof(stNext.m_achModName), "%s", stRow.pstNext->pchModel);
        stNext.m_dwModuleType = stRow.pstNext->dwModuleType;
        stNext.m_dwProtocol = ProtocolModbusRtu;
        gstModuleList.m_dwCount = 2;
        ASSERT_NE(nullptr, Open(*stRow.pstFirst));
        Sleep(700);
        PostMessageA(stRow.pstFirst->phDlg->load(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        ASSERT_EQ(WAIT_OBJECT_0, WaitForSingleObject(m_hDialog, 1000));
        CloseHandle(m_hDialog);
        m_hDialog = NULL;
        gstModuleList.m_dwSelected = 1;
        const size_t nMark = fnSimLogSize();
        ASSERT_TRUE(m_stBus.Analog(0x02, 0, 12.345));
        ASSERT_NE(nullptr, Open(*stRow.pstNext));
        EXPECT_TRUE(fnWaitUntil(
            [&]
            {
                char achValue[32] = {};
                GetWindowTextA(stRow.pstView->m_ahValue[0], achValue, sizeof(achValue));
                return strcmp(achValue, "12.345") == 0;
            },
            3000));
        Sleep(600);
        // One poll per reply wait: a lost first reply shows as a failure and a second poll
        // right behind the first.
        std::vector<TimedFrame> astPolls;
        for (const TimedFrame& stFrame : fnTimedFramesSince(nMark))
        {
            if (stFrame.sFrame.compare(0, 5, "02 04") == 0)
                astPolls.push_back(stFrame);
        }
        ASSERT_GE(astPolls.size(), 2u);
        EXPECT_GE(fnMinGapMs(astPolls), 450);
        Close();
        gstModuleList.m_dwSelected = 0;
    }
}

// Esc (the cancel command) and the caption's close box end every IO window as Close does, and
// its pair stops with it.
TEST_F(IoTest, EscAndTheCloseBoxActLikeClose)
{
    struct Row
    {
        const ModelDef* pstModel;
        UINT uMsg;
        WPARAM wParam;
    } const ROWS[] = {
        {&MODEL_4652, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)},
        {&MODEL_4618, WM_CLOSE, 0},
        {&MODEL_4624, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)},
        {&MODEL_4637, WM_CLOSE, 0},
    };
    for (const Row& stRow : ROWS)
    {
        SCOPED_TRACE(std::string(stRow.pstModel->pchModel) +
                     (stRow.uMsg == WM_CLOSE ? " close box" : " Esc"));
        Module(*stRow.pstModel, ProtocolVqAscii, 0x01);
        HWND hDlg = Open(*stRow.pstModel);
        ASSERT_NE(nullptr, hDlg);
        Sleep(600);
        PostMessageA(hDlg, stRow.uMsg, stRow.wParam, 0);
        EXPECT_TRUE(WaitWindowEnded(2000));
        EXPECT_TRUE(fnWaitUntil([&] { return !fnCommPairRunning(*stRow.pstModel->pstTRC); }, 1500));
    }
}

// Replies of the right length that are no reply (noise, a wrong checksum or CRC) and replies
// of the wrong length are failures of an analog module: the fourth ends the window with the
// connection message, and no field or trace ever takes a value from them.
TEST_F(IoTest, AnalogMalformedRepliesCountAsFailuresAndChangeNothing)
{
    struct Row
    {
        const ModelDef* pstModel;
        IOViewAnalog* pstView;
        uint32_t dwProtocol;
        const char* pchFault;
    } const ROWS[] = {
        {&MODEL_4624, &gstIOView_4624, ProtocolVqAscii, "01:flood=58"}, // 58 bytes, no CR
        {&MODEL_4624, &gstIOView_4624, ProtocolVqAscii, "01:extra=1"},  // 59 bytes
        {&MODEL_4637, &gstIOView_4637, ProtocolVqAsciiChk, "01:badsum"},
        {&MODEL_4637, &gstIOView_4637, ProtocolVqAsciiChk, "01:flood=60"},
        {&MODEL_4624, &gstIOView_4624, ProtocolModbusRtu, "01:badsum"},
        {&MODEL_4637, &gstIOView_4637, ProtocolModbusRtu, "01:flood=21"},
    };
    for (const Row& stRow : ROWS)
    {
        SCOPED_TRACE(std::string(stRow.pstModel->pchModel) + " " + stRow.pchFault);
        Module(*stRow.pstModel, stRow.dwProtocol, 0x01);
        for (int k = 0; k < int(ANALOG_CHANNELS); ++k)
            ASSERT_TRUE(m_stBus.Analog(0x01, k, 5.0));
        ASSERT_TRUE(m_stBus.Fault(stRow.pchFault));
        MessageCapture stCapture;
        HWND hDlg = Open(*stRow.pstModel);
        ASSERT_NE(nullptr, hDlg);
        // Four cycles of the 500 ms reply wait, each read complete at once.
        EXPECT_TRUE(WaitWindowEnded(4000)) << "the window stayed open";
        ASSERT_EQ(1, stCapture.Count());
        EXPECT_EQ(L"\u65E0\u6CD5\u4E0E\u6A21\u5757\u8FDE\u63A5\uFF01", stCapture.Last().wsText);
        EXPECT_EQ(0, stRow.pstView->m_stTrend.fnPointCount(0)) << "a sample was taken";
        const size_t nPolls = Sent().size();
        EXPECT_GE(nPolls, 4u);
        EXPECT_LE(nPolls, 5u);
        EXPECT_TRUE(fnWaitUntil([&] { return !fnCommPairRunning(*stRow.pstModel->pstTRC); }, 2000));
        m_stBus.Clear(0x01);
    }
}

// A miss count is forgiven by the next good reply: two silent spells, each shorter than what
// ends the window but together longer, leave it open, and the values come back after each.
TEST_F(IoTest, ShortTroubleIsForgivenByTheNextGoodReply)
{
    struct Row
    {
        const ModelDef* pstModel;
        uint32_t dwProtocol;
        const char* pchFault;
        DWORD dwTroubleMs; // about two of the three misses / four failures
        DWORD dwGoodMs;
    } const ROWS[] = {
        {&MODEL_4652, ProtocolVqAscii, "01:silent", 1000, 600},
        {&MODEL_4618, ProtocolModbusRtu, "01:silent", 1000, 600},
        {&MODEL_4637, ProtocolVqAscii, "01:flood=58", 1100, 1300},
    };
    for (const Row& stRow : ROWS)
    {
        SCOPED_TRACE(std::string(stRow.pstModel->pchModel) + " " + stRow.pchFault);
        Module(*stRow.pstModel, stRow.dwProtocol, 0x01);
        MessageCapture stCapture;
        ASSERT_NE(nullptr, Open(*stRow.pstModel));
        Sleep(stRow.dwGoodMs);
        for (int nSpell = 0; nSpell < 2; ++nSpell)
        {
            ASSERT_TRUE(m_stBus.Fault(stRow.pchFault));
            Sleep(stRow.dwTroubleMs);
            ASSERT_TRUE(m_stBus.Clear(0x01));
            Sleep(stRow.dwGoodMs);
        }
        EXPECT_EQ(0, stCapture.Count());
        EXPECT_NE(nullptr, stRow.pstModel->phDlg->load()) << "the window closed";
        if (stRow.pstModel == &MODEL_4652)
        {
            ASSERT_TRUE(m_stBus.Inputs(0x01, 0x06));
            EXPECT_TRUE(fnWaitUntil([] { return fnLamps4652() == 0x06; }, 1000));
        }
        Close();
    }
}

// A Modbus ASCII module has no frames here: nothing goes on the wire, the workers sleep
// instead of spinning, and the window ends by the connection rule.
TEST_F(IoTest, ModbusAsciiModuleIdlesWithoutSendingOrSpinning)
{
    struct Row
    {
        const ModelDef* pstModel;
        DWORD dwMaxMs; // three empty waits, or four after the 500 ms reply waits
    } const ROWS[] = {
        {&MODEL_4652, 2600},
        {&MODEL_4618, 2600},
        {&MODEL_4624, 5500},
        {&MODEL_4637, 5500},
    };
    for (const Row& stRow : ROWS)
    {
        SCOPED_TRACE(stRow.pstModel->pchModel);
        Module(*stRow.pstModel, ProtocolVqAscii, 0x01);
        gstModuleList.m_astModule[0].m_dwProtocol = 4; // Modbus ASCII
        MessageCapture stCapture;
        ASSERT_NE(nullptr, Open(*stRow.pstModel));
        HANDLE hTx = NULL;
        DuplicateHandle(GetCurrentProcess(), stRow.pstModel->pstTRC->m_stTx.m_hThread,
                        GetCurrentProcess(), &hTx, 0, FALSE, DUPLICATE_SAME_ACCESS);
        EXPECT_TRUE(WaitWindowEnded(stRow.dwMaxMs));
        EXPECT_EQ(1, stCapture.Count());
        EXPECT_TRUE(fnWaitUntil([&] { return !fnCommPairRunning(*stRow.pstModel->pstTRC); }, 2000));
        EXPECT_TRUE(Sent().empty()) << Sent().front();
        FILETIME stCreate, stExit, stKernel, stUser;
        ASSERT_TRUE(GetThreadTimes(hTx, &stCreate, &stExit, &stKernel, &stUser));
        const ULONGLONG qwCpu100ns =
            (ULONGLONG(stKernel.dwHighDateTime) << 32 | stKernel.dwLowDateTime) +
            (ULONGLONG(stUser.dwHighDateTime) << 32 | stUser.dwLowDateTime);
        EXPECT_LT(qwCpu100ns, 100u * 10000u)
            << "the transmit worker used " << qwCpu100ns / 10000 << " ms of CPU";
        CloseHandle(hTx);
    }
}

// A receive worker that ended on a fatal read error no longer runs the window: Close must
// still end it at once. The port handle is taken away behind the workers' backs (the one way
// to make a read fail for real is to pull the cable, which a pseudo-terminal cannot do).
TEST_F(IoTest, WindowStillClosesAfterAFatalReadError)
{
    struct Row
    {
        const ModelDef* pstModel;
        uint32_t dwProtocol;
        const char* pchMessage; // the analog receive worker says why it ended; digital: silent
    } const ROWS[] = {
        {&MODEL_4652, ProtocolVqAscii, nullptr},
        {&MODEL_4618, ProtocolVqAsciiChk, nullptr},
        {&MODEL_4624, ProtocolModbusRtu,
         "INF:CommThread_ModuleIO_4624_Rx()_02 COM Read Error! the GetLastError() return 6"},
        {&MODEL_4637, ProtocolVqAscii,
         "INF:CommThread_ModuleIO_4637_Rx()_02 COM Read Error! the GetLastError() return 6"},
    };
    for (const Row& stRow : ROWS)
    {
        SCOPED_TRACE(std::string(stRow.pstModel->pchModel) + " " + fnSimProto(stRow.dwProtocol));
        Module(*stRow.pstModel, stRow.dwProtocol, 0x01);
        MessageCapture stCapture;
        HWND hDlg = Open(*stRow.pstModel);
        ASSERT_NE(nullptr, hDlg);
        Sleep(900);
        // The handle goes first, so no worker can start an I/O on a closed (and perhaps
        // reused) handle value; closing it then ends the read that was pending on it.
        const HANDLE hReal = gstCommPort.m_hComm.exchange(reinterpret_cast<HANDLE>(0x7FF0));
        CloseHandle(hReal);
        const bool bFatal = fnWaitUntil(
            [&] {
                return WaitForSingleObject(stRow.pstModel->pstTRC->m_stRx.m_hThread, 0) ==
                       WAIT_OBJECT_0;
            },
            3000);
        EXPECT_TRUE(bFatal) << "the receive worker did not end";
        bool bSaid = stRow.pchMessage == nullptr;
        for (int i = 0; i < stCapture.Count(); ++i)
            bSaid = bSaid ||
                    stCapture.At(i).wsText ==
                        std::wstring(stRow.pchMessage, stRow.pchMessage + strlen(stRow.pchMessage));
        EXPECT_TRUE(bSaid) << stRow.pchMessage;
        EXPECT_EQ(hDlg, stRow.pstModel->phDlg->load()) << "the window ended by itself";
        const DWORD dwMs = Close();
        EXPECT_EQ(nullptr, stRow.pstModel->phDlg->load());
        EXPECT_LT(dwMs, 1000u);
        // The port counts as closed now; the next row opens it afresh.
        gstCommPort.m_hComm = INVALID_HANDLE_VALUE;
        gstCommPort.m_bOpen = 0;
        delete m_pstPort;
        m_pstPort = nullptr;
    }
}

// Opening and closing the windows leaves no GDI object behind (bitmaps, pens, memory DCs).
TEST_F(IoTest, WindowsLeaveNoGdiObjects)
{
    if (GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS) == 0)
        GTEST_SKIP() << "GDI object count not available here";
    Module(MODEL_4652, ProtocolVqAscii, 0x01);
    ASSERT_NE(nullptr, Open(MODEL_4652));
    Sleep(500);
    Close();
    const DWORD dwBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    for (int i = 0; i < 3; ++i)
    {
        ASSERT_NE(nullptr, Open(MODEL_4652));
        Sleep(500);
        Close();
    }
    Module(MODEL_4637, ProtocolVqAscii, 0x01);
    for (int i = 0; i < 2; ++i)
    {
        ASSERT_NE(nullptr, Open(MODEL_4637));
        Sleep(1500);
        Close();
    }
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), dwBefore + 2);
}

// A line that is gone: a read-only end of a message pipe whose far end keeps sending empty
// messages, so every write is refused and every read completes at once with nothing.
struct DeadLine
{
    HANDLE hServer = INVALID_HANDLE_VALUE;
    HANDLE hClient = INVALID_HANDLE_VALUE;
    HANDLE hThread = NULL;
    std::atomic<uint32_t> bRun{1};

    static DWORD WINAPI fnFeed(LPVOID pvParam)
    {
        DeadLine& stLine = *static_cast<DeadLine*>(pvParam);
        while (stLine.bRun.load() != 0)
        {
            DWORD dwDone = 0;
            WriteFile(stLine.hServer, "", 0, &dwDone, NULL);
            Sleep(20);
        }
        return 0;
    }
    bool fnOpen()
    {
        const char PIPE[] = "\\\\.\\pipe\\vq-h25-dead-line";
        hServer = CreateNamedPipeA(PIPE, PIPE_ACCESS_OUTBOUND, PIPE_TYPE_MESSAGE | PIPE_WAIT, 1,
                                   4096, 4096, 0, NULL);
        hClient =
            CreateFileA(PIPE, GENERIC_READ, 0, NULL, OPEN_EXISTING, FILE_FLAG_OVERLAPPED, NULL);
        if (hServer == INVALID_HANDLE_VALUE || hClient == INVALID_HANDLE_VALUE)
            return false;
        hThread = CreateThread(NULL, 0, fnFeed, this, 0, NULL);
        return hThread != NULL;
    }
    ~DeadLine()
    {
        bRun = 0;
        if (hThread != NULL)
        {
            WaitForSingleObject(hThread, 2000);
            CloseHandle(hThread);
        }
        if (hClient != INVALID_HANDLE_VALUE)
            CloseHandle(hClient);
        if (hServer != INVALID_HANDLE_VALUE)
            CloseHandle(hServer);
    }
};

// The transmit worker ends with its write error, the receive worker never counts a failure. Close,
// Esc or the close box must still end the window within one wait, and both workers with it.
TEST_F(IoTest, WindowClosesAfterTheLineVanished)
{
    struct Row
    {
        const ModelDef* pstModel;
        UINT uMsg;
        WPARAM wParam;
    } const ROWS[] = {
        {&MODEL_4624, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)},
        {&MODEL_4637, WM_CLOSE, 0},
        {&MODEL_4652, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED)},
        {&MODEL_4618, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED)},
    };
    for (const Row& stRow : ROWS)
    {
        SCOPED_TRACE(stRow.pstModel->pchModel);
        Module(*stRow.pstModel, ProtocolVqAscii, 0x01);
        DeadLine stLine;
        ASSERT_TRUE(stLine.fnOpen());
        const HANDLE hReal = gstCommPort.m_hComm.exchange(stLine.hClient);
        MessageCapture stCapture;
        HWND hDlg = Open(*stRow.pstModel);
        ASSERT_NE(nullptr, hDlg);
        EXPECT_TRUE(stCapture.WaitFor(1, 3000)) << "no write error was reported";
        Sleep(1500); // the receive worker keeps reading the dead line
        EXPECT_EQ(hDlg, stRow.pstModel->phDlg->load()) << "the window ended by itself";
        const DWORD dwStart = GetTickCount();
        PostMessageA(hDlg, stRow.uMsg, stRow.wParam, 0);
        EXPECT_TRUE(WaitWindowEnded(1000)) << "the window stayed open";
        EXPECT_TRUE(fnWaitUntil([&] { return !fnCommPairRunning(*stRow.pstModel->pstTRC); },
                                1000 - std::min<DWORD>(GetTickCount() - dwStart, 1000)))
            << "a worker still runs";
        if (m_hDialog != NULL)
            Close(); // leave nothing running for the next row
        gstCommPort.m_hComm = hReal;
    }
}
