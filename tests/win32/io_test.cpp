// The IO windows end to end under Wine: each model's handler, its two workers and its window
// (run modally on a thread of its own, as the main window runs it) against the simulated bus.
// Checks what reaches the wire, what the window shows, and how fast and how cleanly it stops.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <sstream>
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
const wchar_t NO_CONNECTION[] = L"\u65E0\u6CD5\u4E0E\u6A21\u5757\u8FDE\u63A5\uFF01";

struct ModelDef
{
    uint32_t dwModuleType;
    const char* pchModel; // simulator model and list name
    int (*pfnIdm)(HWND);
    int nTemplate;
    DLGPROC pfnProc;
    CommTRC* pstTRC;
    std::atomic<HWND>* phDlg;
    IOViewAnalog* pstAnalog; // nullptr for the digital models
};

// The fields every model's entry spells the same way, from its model number.
#define IO_MODEL(N)                                                                                \
    ModuleType##N, #N, Idm_ModuleIO_##N, IDD_IO_##N, DlgProc_ModuleIO_##N, &gstCommTRCIO_##N,      \
        &gstIOView_##N.m_hDlg
const ModelDef M4652 = {IO_MODEL(4652), nullptr};
const ModelDef M4618 = {IO_MODEL(4618), nullptr};
const ModelDef M4624 = {IO_MODEL(4624), &gstIOView_4624};
const ModelDef M4637 = {IO_MODEL(4637), &gstIOView_4637};
#undef IO_MODEL

const uint32_t ASC = ProtocolVqAscii, CHK = ProtocolVqAsciiChk, RTU = ProtocolModbusRtu;
const uint32_t MBA = ProtocolModbusAscii;
// The simulator's protocol by ProtocolId; a Modbus ASCII record stands for a VQASCII module.
const char* const APCHSIMPROTO[] = {"", "ascii", "chk", "rtu", "ascii"};

std::string fnName(const ModelDef& stModel, uint32_t dwProtocol, const char* pchMore = "")
{
    return std::string(stModel.pchModel) + " " + APCHSIMPROTO[dwProtocol] + " " + pchMore;
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

DWORD WINAPI fnDialogThread(LPVOID pvParam)
{
    const ModelDef* pstModel = static_cast<const ModelDef*>(pvParam);
    DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(pstModel->nTemplate), NULL,
                    pstModel->pfnProc, 0);
    return 0;
}

// Bit k set where control k answers uMsg with lOn.
uint32_t fnBits(const HWND* ahWnd, uint32_t dwCount, UINT uMsg, WPARAM wParam, LRESULT lOn)
{
    uint32_t dwBits = 0;
    for (uint32_t k = 0; k < dwCount; ++k)
        dwBits |= SendMessageA(ahWnd[k], uMsg, wParam, 0) == lOn ? 1u << k : 0;
    return dwBits;
}

// The inputs the lamps of a digital window show, bit k for INk.
uint32_t fnLamps(const ModelDef& stModel)
{
    if (&stModel == &M4652)
        return fnBits(gstIOView_4652.m_ahLamp, IO52_CHANNELS, STM_GETIMAGE, IMAGE_BITMAP,
                      reinterpret_cast<LRESULT>(gstIOView_4652.m_stLamps.fnOn()));
    return fnBits(gstIOView_4618.m_ahLamp, IO18_CHANNELS, STM_GETIMAGE, IMAGE_BITMAP,
                  reinterpret_cast<LRESULT>(gstIOView_4618.m_stLamps.fnOn()));
}

uint32_t fnBoxes4652()
{
    return fnBits(gstIOView_4652.m_ahOut, IO52_CHANNELS, BM_GETCHECK, 0, BST_CHECKED);
}

std::string fnText(HWND hWnd)
{
    char achText[32] = {};
    GetWindowTextA(hWnd, achText, sizeof(achText));
    return achText;
}

// The eight value fields of an analog window, each followed by a blank.
std::string fnValues(const IOViewAnalog& stView)
{
    std::string sValues;
    for (HWND hValue : stView.m_ahValue)
        sValues += fnText(hValue) + " ";
    return sValues;
}

// The CPU time a thread has used, in ms.
ULONGLONG fnCpuMs(HANDLE hThread)
{
    FILETIME stCreate, stExit, stKernel, stUser;
    if (!GetThreadTimes(hThread, &stCreate, &stExit, &stKernel, &stUser))
        return ULLONG_MAX;
    return ((ULONGLONG(stKernel.dwHighDateTime) << 32 | stKernel.dwLowDateTime) +
            (ULONGLONG(stUser.dwHighDateTime) << 32 | stUser.dwLowDateTime)) /
           10000;
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
        for (const ModelDef* pstModel : {&M4652, &M4618, &M4624, &M4637})
            EXPECT_TRUE(fnCommPairWait(*pstModel->pstTRC, 3000)) << "a pair still runs";
        gstModuleList.m_dwCount = 0;
        gstModuleList.m_dwSelected = 0;
        m_pstPort.reset();
        if (m_stBus.Available())
            m_stBus.Reset("01,4652,ascii,9600");
    }

    // Record k of the list is this module, and the list selects it.
    static void Record(uint32_t k, const ModelDef& stModel, uint32_t dwProtocol, uint8_t chAddress)
    {
        ModuleRecord& stRecord = gstModuleList.m_astModule[k];
        stRecord = ModuleRecord{};
        stRecord.m_chAddress = chAddress;
        snprintf(stRecord.m_achAddressHex2, sizeof(stRecord.m_achAddressHex2), "%02X", chAddress);
        snprintf(stRecord.m_achModName, sizeof(stRecord.m_achModName), "%s", stModel.pchModel);
        stRecord.m_dwModuleType = stModel.dwModuleType;
        stRecord.m_dwProtocol = dwProtocol;
        gstModuleList.m_dwCount = k + 1;
        gstModuleList.m_dwSelected = k;
    }

    // The bus holds this one module at 115200, the list selects it and the port is open.
    void Module(const ModelDef& stModel, uint32_t dwProtocol, uint8_t chAddress = 0x01)
    {
        char achBus[64];
        snprintf(achBus, sizeof(achBus), "%02X,%s,%s,115200", chAddress, stModel.pchModel,
                 APCHSIMPROTO[dwProtocol]);
        ASSERT_TRUE(m_stBus.Reset(achBus));
        Record(0, stModel, dwProtocol, chAddress);
        if (!m_pstPort)
            m_pstPort.reset(new SimPort(INDEX_115200));
        ASSERT_TRUE(m_pstPort->IsOpen());
    }

    // Handler, then the window, as the main window does it; returns once the window is up.
    HWND Open(const ModelDef& stModel)
    {
        m_pstModel = &stModel;
        m_nLogMark = fnSimLogSize();
        if (stModel.pfnIdm(NULL) != 0)
            return NULL;
        m_hDialog = CreateThread(NULL, 0, fnDialogThread, const_cast<ModelDef*>(&stModel), 0, NULL);
        fnWaitUntil([&] { return stModel.phDlg->load() != NULL; }, 3000);
        return stModel.phDlg->load();
    }

    // Presses Close; returns ms until the window is gone and both workers have ended.
    DWORD Close()
    {
        const DWORD dwStart = GetTickCount();
        if (HWND hDlg = m_pstModel->phDlg->load())
            PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
        WaitWindowEnded(5000);
        PairStops(5000);
        return GetTickCount() - dwStart;
    }

    // True when the window ended (by itself or by a message posted before) within dwMs.
    bool WaitWindowEnded(DWORD dwMs)
    {
        if (WaitForSingleObject(m_hDialog, dwMs) != WAIT_OBJECT_0)
            return false;
        CloseHandle(m_hDialog);
        m_hDialog = NULL;
        return true;
    }

    bool PairStops(DWORD dwMs)
    {
        return fnWaitUntil([&] { return !fnCommPairRunning(*m_pstModel->pstTRC); }, dwMs);
    }

    std::vector<std::string> Sent() const { return fnSimLogFramesSince(m_nLogMark); }

    SimBus m_stBus;
    std::unique_ptr<SimPort> m_pstPort;
    const ModelDef* m_pstModel = nullptr;
    HANDLE m_hDialog = NULL;
    size_t m_nLogMark = 0;
};
} // namespace

// Polls on the wire, lamps following the inputs, and the stop within one wait and the pace.
TEST_F(IoTest, DigitalPollsLightTheLampsAndStopWithinOneWaitAndThePace)
{
    struct Row
    {
        const ModelDef* pstModel;
        uint32_t dwProtocol;
        uint8_t abyInputs[2];     // two settings in turn
        const char* apchPolls[2]; // the polls as sent, in turn (the first repeats when alone)
    } const ROWS[] = {
        {&M4652, ASC, {0x05, 0x0A}, {"24 30 31 36 0D"}},
        {&M4652, CHK, {0x0F, 0x02}, {"24 30 31 36 42 42 0D"}},
        // Read Coils, then Read Discrete Inputs (CRC 0xC93D and 0xC979, low byte first).
        {&M4652, RTU, {0x09, 0x06}, {"01 01 00 00 00 04 3D C9", "01 02 00 00 00 04 79 C9"}},
        {&M4618, ASC, {0xFF, 0x5A}, {"24 30 31 36 0D"}},
        {&M4618, CHK, {0x81, 0x3C}, {"24 30 31 36 42 42 0D"}},
        {&M4618, RTU, {0xA5, 0x01}, {"01 02 00 00 00 08 79 CC"}},
    };
    for (const Row& stRow : ROWS)
    {
        const ModelDef& stModel = *stRow.pstModel;
        SCOPED_TRACE(fnName(stModel, stRow.dwProtocol));
        Module(stModel, stRow.dwProtocol);
        ASSERT_TRUE(m_stBus.Inputs(0x01, stRow.abyInputs[0]));
        ASSERT_NE(nullptr, Open(stModel));
        const uint32_t dwMask = &stModel == &M4652 ? 0x0F : 0xFF;
        // The inputs are read every frame, or every second one (VQ-4652 under Modbus RTU); a
        // change must show within two such periods (frame: 200 ms pace plus the line time).
        const bool bEveryOther = &stModel == &M4652 && stRow.dwProtocol == RTU;
        const DWORD dwPeriodMs = bEveryOther ? 2 * 220 : 220;
        for (int i = 0; i < 2; ++i)
        {
            const uint32_t dwInputs = stRow.abyInputs[i];
            ASSERT_TRUE(m_stBus.Inputs(0x01, static_cast<uint8_t>(dwInputs)));
            const DWORD dwStart = GetTickCount();
            EXPECT_TRUE(fnWaitUntil([&] { return fnLamps(stModel) == (dwInputs & dwMask); }, 2000))
                << "lamps " << fnLamps(stModel) << " for inputs " << dwInputs;
            EXPECT_TRUE(i == 0 || GetTickCount() - dwStart <= 2 * dwPeriodMs + 100) << dwInputs;
        }
        EXPECT_TRUE(fnWaitUntil([&] { return Sent().size() >= 4; }, 2000));
        const std::vector<std::string> asSent = Sent();
        ASSERT_GE(asSent.size(), 4u);
        for (size_t i = 0; i < 4; ++i)
            EXPECT_EQ(stRow.apchPolls[i % 2] ? stRow.apchPolls[i % 2] : stRow.apchPolls[0],
                      asSent[i])
                << "frame " << i;
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
        {ASC, "23 30 31 30 30 30 35 0D", "24 30 31 36 0D"},
        // "#010005": 0x23+0x30+0x31+0x30+0x30+0x30+0x35 = 0x149 -> "49".
        {CHK, "23 30 31 30 30 30 35 34 39 0D", "24 30 31 36 42 42 0D"},
        {RTU, "01 0F 00 00 00 04 01 05 FE 95", "01 01 00 00 00 04 3D C9"},
    };
    for (const Row& stRow : ROWS)
    {
        SCOPED_TRACE(APCHSIMPROTO[stRow.dwProtocol]);
        Module(M4652, stRow.dwProtocol);
        HWND hDlg = Open(M4652);
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
        const auto itWrite = std::find(asSent.begin(), asSent.end(), stRow.pchWrite);
        ASSERT_TRUE(itWrite != asSent.end() && itWrite + 1 != asSent.end())
            << "no write frame " << stRow.pchWrite;
        EXPECT_EQ(stRow.pchAfter, *(itWrite + 1));
        Close();
    }
}

// The eight values as the simulator holds them reach the fields and the trend history.
TEST_F(IoTest, AnalogValuesMatchTheModuleAndFeedTheTrend)
{
    // Zero, the ends of the current and voltage ranges, and the largest value a register or a
    // field can carry (65.535, drawn at the top of the area).
    const double ADVALUE[ANALOG_CHANNELS] = {4.0, 12.345, 20.0, 65.535, 0.0, 7.777, 0.001, 10.0};
    const char* const TEXTS = "4.000 12.345 20.000 65.535 0.000 7.777 0.001 10.000 ";
    const int32_t ANHEIGHT[ANALOG_CHANNELS] = {32, 98, 160, 210, 0, 62, 0, 80};
    struct Row
    {
        const ModelDef* pstModel;
        uint32_t dwProtocol;
        uint8_t chAddress;
        const char* pchPoll;
    } const ROWS[] = {
        {&M4624, ASC, 0x03, "23 30 33 0D"},
        // "#03": 0x23+0x30+0x33 = 0x86.
        {&M4624, CHK, 0x03, "23 30 33 38 36 0D"},
        {&M4624, RTU, 0x01, "01 04 00 00 00 08 F1 CC"},
        {&M4637, ASC, 0x03, "23 30 33 0D"},
        {&M4637, RTU, 0x01, "01 04 00 00 00 08 F1 CC"},
    };
    for (const Row& stRow : ROWS)
    {
        SCOPED_TRACE(fnName(*stRow.pstModel, stRow.dwProtocol));
        const IOViewAnalog& stView = *stRow.pstModel->pstAnalog;
        Module(*stRow.pstModel, stRow.dwProtocol, stRow.chAddress);
        for (int k = 0; k < int(ANALOG_CHANNELS); ++k)
            ASSERT_TRUE(m_stBus.Analog(stRow.chAddress, k, ADVALUE[k]));
        ASSERT_NE(nullptr, Open(*stRow.pstModel));
        EXPECT_EQ("00.000", fnText(stView.m_ahValue[0])) << "before the first reply";
        EXPECT_TRUE(fnWaitUntil([&] { return fnValues(stView) == TEXTS; }, 3000))
            << fnValues(stView);
        // 8 pixels a unit, truncated (12.345 mA: 98.76 -> 98), capped at 210.
        for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
            EXPECT_EQ(ANHEIGHT[k], stView.m_stTrend.fnHeight(k, 0)) << "CH" << k;
        EXPECT_GE(stView.m_stTrend.fnPointCount(0), 1);
        const std::vector<std::string> asSent = Sent();
        ASSERT_FALSE(asSent.empty());
        for (const std::string& sFrame : asSent)
            EXPECT_EQ(stRow.pchPoll, sFrame);
        // Close waits for the receive worker: at most its sleep, the read and one wait.
        const DWORD dwStopMs = Close();
        EXPECT_LT(dwStopMs, 500u + 500u + 500u) << "stop took " << dwStopMs << " ms";
        EXPECT_EQ(nullptr, stView.m_hDlg.load());
    }
}

// A silent module ends every window with the connection message, after three empty waits
// (digital) or four failures (analog). Replies that are no reply (noise of the right length, a
// wrong checksum or CRC, the wrong length) are failures of an analog module, four polls end its
// window, and no field or trace takes a value from them; a digital window ignores them. A
// Modbus ASCII module has no frames here: nothing is sent, the workers sleep instead of
// spinning, and the same rule ends the window.
TEST_F(IoTest, FailuresEndTheWindowWithTheConnectionMessage)
{
    struct Row
    {
        const ModelDef* pstModel;
        uint32_t dwProtocol;
        const char* pchFault;
        DWORD dwMinMs, dwMaxMs; // dwMaxMs 0: Close at dwMinMs, and no message ever
    } const ROWS[] = {
        {&M4652, ASC, "01:silent", 1300, 2600},
        {&M4618, RTU, "01:silent", 1300, 2600},
        // Close during the third empty wait: no message, neither ownerless nor over the next.
        {&M4652, ASC, "01:silent", 1250, 0},
        {&M4618, ASC, "01:silent", 1250, 0},
        // 500 ms reply wait, then four 500 ms waits.
        {&M4624, CHK, "01:silent", 2200, 3800},
        // Four cycles of the 500 ms reply wait, each read complete at once; the lengths are
        // those of a good reply (VQASCII 58, VQASCII-CHK 60, Modbus RTU 21 bytes).
        {&M4624, ASC, "01:flood=58", 0, 4000},
        {&M4637, CHK, "01:badsum", 0, 4000},
        {&M4637, CHK, "01:flood=60", 0, 4000},
        {&M4637, RTU, "01:flood=21", 0, 4000},
        {&M4652, MBA, "", 0, 2600},
        {&M4618, MBA, "", 0, 2600},
        {&M4624, MBA, "", 0, 5500},
        {&M4637, MBA, "", 0, 5500},
    };
    for (const Row& stRow : ROWS)
    {
        SCOPED_TRACE(fnName(*stRow.pstModel, stRow.dwProtocol, stRow.pchFault));
        const IOViewAnalog* pstView = stRow.pstModel->pstAnalog;
        Module(*stRow.pstModel, stRow.dwProtocol);
        for (int k = 0; pstView != nullptr && k < int(ANALOG_CHANNELS); ++k)
            ASSERT_TRUE(m_stBus.Analog(0x01, k, 5.0));
        ASSERT_TRUE(*stRow.pchFault == '\0' || m_stBus.Fault(stRow.pchFault));
        MessageCapture stCapture;
        const DWORD dwStart = GetTickCount();
        HWND hDlg = Open(*stRow.pstModel);
        ASSERT_NE(nullptr, hDlg);
        if (stRow.dwMaxMs == 0)
        {
            Sleep(stRow.dwMinMs);
            Close();
            Sleep(600); // past the end of that wait
            EXPECT_EQ(0, stCapture.Count()) << "a message after Close";
            continue;
        }
        HANDLE hTx = NULL;
        DuplicateHandle(GetCurrentProcess(), stRow.pstModel->pstTRC->m_stTx.m_hThread,
                        GetCurrentProcess(), &hTx, 0, FALSE, DUPLICATE_SAME_ACCESS);
        EXPECT_TRUE(WaitWindowEnded(stRow.dwMaxMs)) << "the window stayed open";
        EXPECT_GE(GetTickCount() - dwStart, stRow.dwMinMs);
        ASSERT_EQ(1, stCapture.Count());
        const CapturedMessage stMsg = stCapture.Last();
        EXPECT_EQ(NO_CONNECTION, stMsg.wsText);
        EXPECT_EQ(L"IO\u63A7\u5236", stMsg.wsCaption);
        EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), stMsg.uIcon);
        EXPECT_EQ(hDlg, stMsg.hOwner);
        EXPECT_TRUE(pstView == nullptr || pstView->m_stTrend.fnPointCount(0) == 0) << "a sample";
        const size_t nPolls = Sent().size();
        if (stRow.dwProtocol == MBA)
        {
            EXPECT_EQ(0u, nPolls);
            EXPECT_LT(fnCpuMs(hTx), 100u) << "the transmit worker spun";
        }
        const bool bCounted = pstView != nullptr && *stRow.pchFault != '\0' &&
                              strstr(stRow.pchFault, "silent") == nullptr;
        EXPECT_TRUE(!bCounted || (nPolls >= 4 && nPolls <= 5)) << nPolls << " polls";
        CloseHandle(hTx);
        EXPECT_TRUE(PairStops(2000));
        m_stBus.Clear(0x01);
    }
}

// A miss count is forgiven by the next good reply: two silent spells, each shorter than what
// ends the window but together longer, leave it open, and the values come back after each. A
// digital window takes replies that are no reply (a wrong checksum, the wrong length) for
// nothing at all, for longer than three misses.
TEST_F(IoTest, ShortTroubleIsForgivenAndDigitalGarbageIgnored)
{
    struct Row
    {
        const ModelDef* pstModel;
        uint32_t dwProtocol;
        const char* pchFault;
        DWORD dwTroubleMs; // about two of the three misses / four failures, or longer than all
        DWORD dwGoodMs;
    } const ROWS[] = {
        {&M4652, ASC, "01:silent", 1000, 600},    {&M4618, RTU, "01:silent", 1000, 600},
        {&M4637, ASC, "01:flood=58", 1100, 1300}, {&M4652, CHK, "01:badsum", 2600, 600},
        {&M4618, ASC, "01:extra=1", 2600, 600},
    };
    for (const Row& stRow : ROWS)
    {
        SCOPED_TRACE(fnName(*stRow.pstModel, stRow.dwProtocol, stRow.pchFault));
        Module(*stRow.pstModel, stRow.dwProtocol);
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
        if (stRow.pstModel == &M4652)
        {
            ASSERT_TRUE(m_stBus.Inputs(0x01, 0x06));
            EXPECT_TRUE(fnWaitUntil([] { return fnLamps(M4652) == 0x06; }, 1000));
        }
        Close();
    }
}

// The line breaks under a running window. The USB adapter pulled out (writes refused, reads
// completing at once, failed) ends the window by itself, as a silent module does, with one
// message and no spinning worker; put back, the port opens again. A handle closed behind the
// workers' backs (a fatal read error) leaves the window up until Close, Esc or its close box,
// which must still end it within one wait, and both workers with it.
TEST_F(IoTest, WindowStillClosesAfterTheLineBroke)
{
    struct Row
    {
        const ModelDef* pstModel;
        uint32_t dwProtocol;
        bool bGone;   // the adapter pulled, else the handle closed
        int nCommand; // sent to the window after a closed handle; 0: WM_CLOSE
    } const ROWS[] = {
        {&M4652, ASC, false, IDOK}, {&M4618, CHK, false, IDCANCEL}, {&M4624, RTU, false, 0},
        {&M4637, ASC, false, IDOK}, {&M4652, ASC, true, 0},         {&M4618, ASC, true, 0},
        {&M4624, ASC, true, 0},     {&M4637, ASC, true, 0},
    };
    for (const Row& stRow : ROWS)
    {
        SCOPED_TRACE(fnName(*stRow.pstModel, stRow.dwProtocol, stRow.bGone ? "gone" : "closed"));
        Module(*stRow.pstModel, stRow.dwProtocol);
        MessageCapture stCapture;
        HWND hDlg = Open(*stRow.pstModel);
        ASSERT_NE(nullptr, hDlg);
        if (stRow.bGone)
        {
            Sleep(600);
            ASSERT_TRUE(m_stBus.Unplug());
            HANDLE hRx = NULL;
            DuplicateHandle(GetCurrentProcess(), stRow.pstModel->pstTRC->m_stRx.m_hThread,
                            GetCurrentProcess(), &hRx, 0, FALSE, DUPLICATE_SAME_ACCESS);
            EXPECT_TRUE(WaitWindowEnded(4000)) << "the window stayed open on a vanished line";
            EXPECT_TRUE(PairStops(1000)) << "a worker still runs";
            EXPECT_LT(fnCpuMs(hRx), 200u) << "the receive worker spun";
            CloseHandle(hRx);
            const std::string sWrite =
                std::string("INF:CommThread_ModuleIO_") + stRow.pstModel->pchModel + "_Tx()_0";
            ASSERT_EQ(1, stCapture.Count()) << "the user is told once";
            const std::wstring wsText = stCapture.Last().wsText;
            EXPECT_TRUE(
                wsText == NO_CONNECTION ||
                wsText.compare(0, sWrite.size(), std::wstring(sWrite.begin(), sWrite.end())) == 0);
            if (m_hDialog != NULL)
                Close();
            ASSERT_TRUE(m_stBus.Plug());
            EXPECT_EQ(0, Idm_CommClose(NULL));
            m_pstPort.reset(); // the next row opens the port afresh
            continue;
        }
        Sleep(900);
        // The handle goes first, so no worker can start an I/O on a closed (and perhaps reused)
        // handle value; closing it then ends the read that was pending on it.
        CloseHandle(gstCommPort.m_hComm.exchange(reinterpret_cast<HANDLE>(0x7FF0)));
        const HANDLE hRx = stRow.pstModel->pstTRC->m_stRx.m_hThread;
        EXPECT_TRUE(fnWaitUntil([&] { return WaitForSingleObject(hRx, 0) == WAIT_OBJECT_0; }, 3000))
            << "the receive worker did not end";
        const std::string sSaid = std::string("INF:CommThread_ModuleIO_") +
                                  stRow.pstModel->pchModel +
                                  "_Rx()_02 COM Read Error! the GetLastError() return 6";
        // After a fatal read error the analog receive worker says why it ended; a digital one
        // ends silently.
        bool bSaid = stRow.pstModel->pstAnalog == nullptr;
        for (int i = 0; i < stCapture.Count(); ++i)
            bSaid = bSaid || stCapture.At(i).wsText == std::wstring(sSaid.begin(), sSaid.end());
        EXPECT_TRUE(bSaid) << sSaid;
        EXPECT_EQ(hDlg, stRow.pstModel->phDlg->load()) << "the window ended by itself";
        const DWORD dwStart = GetTickCount();
        if (stRow.nCommand != 0)
            PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(stRow.nCommand, BN_CLICKED), 0);
        else
            PostMessageA(hDlg, WM_CLOSE, 0, 0);
        EXPECT_TRUE(WaitWindowEnded(1000)) << "the window stayed open";
        EXPECT_TRUE(PairStops(1000 - std::min<DWORD>(GetTickCount() - dwStart, 1000)))
            << "a worker still runs";
        if (m_hDialog != NULL)
            Close(); // leave nothing running for the next row
        // The port counts as closed now; the next row opens it afresh.
        gstCommPort.m_hComm = INVALID_HANDLE_VALUE;
        gstCommPort.m_bOpen = 0;
        m_pstPort.reset();
    }
}
