// The IO windows end to end under Wine: each model's handler, its two workers and its window
// (run modally on a thread of its own, as the main window runs it) against the simulated bus.
// Checks what reaches the wire, what the window shows, and how fast and how cleanly it stops.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

#include "io/IoDlgAnalog.h"
#include "io/IoDlgDigital.h"
#include "io/ModuleIO.h"
#include "res/resource.h"
#include "serial/CommPort.h"
#include "tests/win32/PairTest.h"

namespace
{

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

DWORD WINAPI fnDialogThread(LPVOID pvParam)
{
    const ModelDef* pstModel = static_cast<const ModelDef*>(pvParam);
    DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(pstModel->nTemplate), NULL,
                    pstModel->pfnProc, 0);
    return 0;
}

// The inputs the lamps of a digital window show, bit k for INk.
uint32_t fnLamps(const ModelDef& stModel)
{
    const IOViewDigital& stView = &stModel == &M4652 ? gstIOView_4652 : gstIOView_4618;
    const LRESULT lOn = reinterpret_cast<LRESULT>(stView.m_stLamps.fnOn());
    uint32_t dwBits = 0;
    for (uint32_t k = 0; k < stView.m_pstData->m_stModel.wInputs; ++k)
        dwBits |=
            SendMessageA(stView.m_ahLamp[k], STM_GETIMAGE, IMAGE_BITMAP, 0) == lOn ? 1u << k : 0;
    return dwBits;
}

// The eight value fields of an analog window (the window thread's Unicode dialog, read from the
// test thread as ASCII), each followed by a blank.
std::string fnValues(const IOViewAnalog& stView)
{
    std::string sValues;
    for (HWND hValue : stView.m_ahValue)
    {
        const std::wstring ws = fnWindowTextW(hValue);
        sValues += std::string(ws.begin(), ws.end()) + " ";
    }
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

class IoTest : public PairTest
{
  protected:
    void TearDown() override
    {
        if (m_hDialog != NULL)
            Close();
        m_pstPort.reset();
        PairTest::TearDown();
    }

    // The bus holds this one module at 115200, the list selects it and the port is open.
    void Module(const ModelDef& stModel, uint32_t dwProtocol, uint8_t chAddress = 0x01)
    {
        char achBus[64];
        snprintf(achBus, sizeof(achBus), "%02X,%s,%s,115200", chAddress, stModel.pchModel,
                 APCHSIMPROTO[dwProtocol]);
        Select(achBus, stModel.dwModuleType);
        gstModuleList.m_astModule[0].m_dwProtocol = dwProtocol;
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

    std::unique_ptr<SimPort> m_pstPort;
    const ModelDef* m_pstModel = nullptr;
    HANDLE m_hDialog = NULL;
    size_t m_nLogMark = 0;
};
} // namespace

// The window shows the module: the lamps follow the inputs within two polls, the eight values
// (as the simulator holds them) reach the fields and the trend history, and the poll of each
// analog protocol goes out byte for byte (the digital frames are the core tests' to check). A
// miss count is forgiven by the next good reply: two spells of trouble (silence, noise of a
// good reply's length), each shorter than what ends the window but together longer, leave it
// open and showing. Close ends it within one wait and the pace.
TEST_F(IoTest, TheWindowFollowsTheModuleThroughShortTroubleAndStopsWithinOneWait)
{
    // Zero, the ends of the current and voltage ranges, and the largest value a register or a
    // field can carry (65.535, drawn at the top of the area).
    const double ADVALUE[ANALOG_CHANNELS] = {4.0, 12.345, 20.0, 65.535, 0.0, 7.777, 0.001, 10.0};
    const char* const TEXTS = "4.000 12.345 20.000 65.535 0.000 7.777 0.001 10.000 ";
    struct Row
    {
        const ModelDef* pstModel;
        uint32_t dwProtocol;
        uint8_t chAddress;
        const char* pchPoll;         // analog: every frame sent
        uint8_t abyInputs[2];        // digital: two settings in turn
        const char* pchFault;        // for two spells of dwTroubleMs, dwGoodMs apart; "" none
        DWORD dwTroubleMs, dwGoodMs; // about two of the three misses / four failures
    } const ROWS[] = {
        {&M4652, ASC, 0x01, nullptr, {0x05, 0x0A}, "01:silent", 1000, 600},
        {&M4652, RTU, 0x01, nullptr, {0x09, 0x06}, "", 0, 0},
        {&M4618, CHK, 0x01, nullptr, {0x81, 0x3C}, "", 0, 0},
        {&M4637, ASC, 0x03, "23 30 33 0D", {}, "03:flood=58", 1100, 1300},
        // "#03": 0x23+0x30+0x33 = 0x86.
        {&M4624, CHK, 0x03, "23 30 33 38 36 0D", {}, "", 0, 0},
        {&M4624, RTU, 0x01, "01 04 00 00 00 08 F1 CC", {}, "", 0, 0},
    };
    for (const Row& stRow : ROWS)
    {
        const ModelDef& stModel = *stRow.pstModel;
        const IOViewAnalog* pstView = stModel.pstAnalog;
        SCOPED_TRACE(fnName(stModel, stRow.dwProtocol, stRow.pchFault));
        Module(stModel, stRow.dwProtocol, stRow.chAddress);
        ASSERT_TRUE(pstView != nullptr || m_stBus.Inputs(0x01, stRow.abyInputs[0]));
        for (int k = 0; pstView != nullptr && k < int(ANALOG_CHANNELS); ++k)
            ASSERT_TRUE(m_stBus.Analog(stRow.chAddress, k, ADVALUE[k]));
        MessageCapture stCapture;
        ASSERT_NE(nullptr, Open(stModel));
        if (pstView != nullptr)
        {
            EXPECT_EQ(0u, fnValues(*pstView).find("00.000 ")) << "before the first reply";
            EXPECT_TRUE(fnWaitUntil([&] { return fnValues(*pstView) == TEXTS; }, 3000))
                << fnValues(*pstView);
            EXPECT_GE(pstView->m_stTrend.fnPointCount(0), 1);
        }
        for (int nSpell = 0; *stRow.pchFault != '\0' && nSpell < 2; ++nSpell)
        {
            Sleep(stRow.dwGoodMs);
            ASSERT_TRUE(m_stBus.Fault(stRow.pchFault));
            Sleep(stRow.dwTroubleMs);
            ASSERT_TRUE(m_stBus.Clear(stRow.chAddress));
        }
        if (pstView != nullptr)
        {
            ASSERT_TRUE(m_stBus.Analog(stRow.chAddress, 0, 5.5));
            EXPECT_TRUE(
                fnWaitUntil([&] { return fnWindowTextW(pstView->m_ahValue[0]) == L"5.500"; }, 3000))
                << fnValues(*pstView);
            const std::vector<std::string> asSent = Sent();
            EXPECT_EQ(std::vector<std::string>(std::max<size_t>(asSent.size(), 1), stRow.pchPoll),
                      asSent);
        }
        const uint32_t dwMask = &stModel == &M4652 ? 0x0F : 0xFF;
        // The inputs are read every frame, or every second one (VQ-4652 under Modbus RTU); a
        // change must show within two such periods (frame: 200 ms pace plus the line time).
        const DWORD dwPeriodMs = &stModel == &M4652 && stRow.dwProtocol == RTU ? 2 * 220 : 220;
        for (int i = 0; pstView == nullptr && i < 2; ++i)
        {
            const uint32_t dwInputs = stRow.abyInputs[i];
            ASSERT_TRUE(m_stBus.Inputs(0x01, static_cast<uint8_t>(dwInputs)));
            const DWORD dwStart = GetTickCount();
            EXPECT_TRUE(fnWaitUntil([&] { return fnLamps(stModel) == (dwInputs & dwMask); }, 2000))
                << "lamps " << fnLamps(stModel) << " for inputs " << dwInputs;
            EXPECT_TRUE(i == 0 || GetTickCount() - dwStart <= 2 * dwPeriodMs + 100) << dwInputs;
        }
        EXPECT_EQ(0, stCapture.Count());
        // Close waits for the receive worker: digital at most one wait and the pace, analog its
        // sleep, the read and one wait.
        const DWORD dwStopMs = Close();
        EXPECT_LT(dwStopMs, pstView == nullptr ? 500u + 200u + 300u : 500u + 500u + 500u);
        EXPECT_EQ(nullptr, stModel.phDlg->load());
    }
}

// Two clicks, OUT0 then OUT1, 20 to 180 ms apart (one gap per protocol), on a module that answers
// 150 ms late (so a poll reply can land between a click and its write), in each protocol: every
// write carries the outputs as they stand after its click ("#FE0001" then "#FE0003", or the last
// one alone when both clicks come before the next frame), the module ends with both bits, and the
// boxes show them. A display before the write (as of a poll reply) sets the boxes back to the
// module's outputs. The next pair clears both the same way.
TEST_F(IoTest, QuickClicksOnALateModuleLoseNoBit)
{
    // clang-format off
    struct Row
    {
        uint32_t dwProtocol;
        DWORD dwGapMs;
        const char* apchWrite[4]; // the outputs 01, 03, 02, 00
    } const ROWS[] = {
        {ASC, 20, {"23 46 45 30 30 30 31 0D", "23 46 45 30 30 30 33 0D",
                   "23 46 45 30 30 30 32 0D", "23 46 45 30 30 30 30 0D"}},
        // "#FE0001": 0x23+0x46+0x45+0x30+0x30+0x30+0x31 = 0x16F -> "6F".
        {CHK, 180, {"23 46 45 30 30 30 31 36 46 0D", "23 46 45 30 30 30 33 37 31 0D",
                    "23 46 45 30 30 30 32 37 30 0D", "23 46 45 30 30 30 30 36 45 0D"}},
        {RTU, 100, {"FE 0F 00 00 00 04 01 01 B0 52", "FE 0F 00 00 00 04 01 03 31 93",
                    "FE 0F 00 00 00 04 01 02 F0 53", "FE 0F 00 00 00 04 01 00 71 92"}},
    };
    // clang-format on
    const uint8_t ABYSTEP[4] = {0x01, 0x03, 0x02, 0x00}; // after OUT0, OUT1, OUT0, OUT1
    for (const Row& stRow : ROWS)
    {
        Module(M4652, stRow.dwProtocol, 0xFE);
        ASSERT_TRUE(m_stBus.Fault("FE:delay=150"));
        ASSERT_NE(nullptr, Open(M4652));
        Sleep(800); // polls and their late replies are under way
        // Set both, then clear both.
        for (uint32_t n = 0; n < 4; n += 2)
        {
            SCOPED_TRACE(fnName(M4652, stRow.dwProtocol) + std::to_string(n));
            const size_t nMark = fnSimLogSize();
            SendMessageW(gstIOView_4652.m_ahOut[0], BM_CLICK, 0, 0);
            ShowDigitalState_4652(0, ABYSTEP[n] ^ 0x01);
            EXPECT_EQ(ABYSTEP[n] ^ 0x01, gstIOView_4652.ReadOutputBoxes());
            Sleep(stRow.dwGapMs);
            SendMessageW(gstIOView_4652.m_ahOut[1], BM_CLICK, 0, 0);
            Sleep(800);
            EXPECT_EQ(ABYSTEP[n + 1], gstIOView_4652.ReadOutputBoxes());
            // The writes ("#F" or "FE 0F"; no poll begins so) in order, each with a "|".
            std::string sWrites;
            for (const std::string& sFrame : fnSimLogFramesSince(nMark))
                sWrites += sFrame.compare(0, 5, stRow.apchWrite[0], 5) == 0 ? sFrame + "|" : "";
            const std::string sLast = std::string(stRow.apchWrite[n + 1]) + "|";
            EXPECT_TRUE(sWrites == stRow.apchWrite[n] + ("|" + sLast) || sWrites == sLast)
                << sWrites;
            EXPECT_NE(std::string::npos,
                      m_stBus.StateOf(0xFE).find("outputs=0" + std::to_string(ABYSTEP[n + 1])))
                << m_stBus.StateOf(0xFE);
        }
        Close();
        m_stBus.Clear(0xFE);
    }
}

// When the connection message comes: a silent module ends a digital window after three empty
// waits and an analog one after four failures, never earlier; replies that are no reply (noise
// of a good reply's length) count as failures of an analog module, four polls end its window
// and no trace takes a sample. A Modbus ASCII module has no frames here: nothing is sent, the
// workers sleep instead of spinning, and the same rule ends the window. Close during the third
// empty wait shows nothing, neither ownerless nor over the next window. (That each window
// gives the message under each fault is the GUI fault matrix's.)
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
        {&M4618, ASC, "01:silent", 1250, 0},
        // 500 ms reply wait, then four 500 ms waits.
        {&M4624, CHK, "01:silent", 2200, 3800},
        // Four cycles of the 500 ms reply wait, each read complete at once: 60 bytes, the
        // length of a good VQASCII-CHK reply.
        {&M4637, CHK, "01:flood=60", 0, 4000},
        {&M4652, MBA, "", 0, 2600},
        {&M4624, MBA, "", 0, 5500},
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
        EXPECT_EQ(fnMessageLine(fnTableText("TXT_IO_CONTROL"), fnTableText("TXT_IO_NO_CONNECTION"),
                                MB_ICONINFORMATION, hDlg),
                  stCapture.Seen());
        EXPECT_TRUE(pstView == nullptr || pstView->m_stTrend.fnPointCount(0) == 0) << "a sample";
        const size_t nPolls = Sent().size();
        if (stRow.dwProtocol == MBA)
        {
            EXPECT_EQ(0u, nPolls);
            EXPECT_LT(fnCpuMs(hTx), 100u) << "the transmit worker spun";
        }
        const bool bCounted = strstr(stRow.pchFault, "flood") != nullptr;
        EXPECT_TRUE(!bCounted || (nPolls >= 4 && nPolls <= 5)) << nPolls << " polls";
        CloseHandle(hTx);
        EXPECT_TRUE(PairStops(2000));
        m_stBus.Clear(0x01);
    }
}

// A handle closed behind the workers' backs (a fatal read error) leaves the window up until
// Close, Esc or its close box, which must still end it within one wait, and both workers with
// it. (The adapter pulled out is the GUI fault matrix's.)
TEST_F(IoTest, WindowStillClosesAfterTheLineBroke)
{
    struct Row
    {
        const ModelDef* pstModel;
        uint32_t dwProtocol;
        int nCommand; // sent to the window after a closed handle; 0: WM_CLOSE
    } const ROWS[] = {
        {&M4652, ASC, IDOK}, {&M4618, CHK, IDCANCEL}, {&M4624, RTU, 0}, {&M4637, ASC, IDOK}};
    for (const Row& stRow : ROWS)
    {
        SCOPED_TRACE(fnName(*stRow.pstModel, stRow.dwProtocol));
        Module(*stRow.pstModel, stRow.dwProtocol);
        MessageCapture stCapture;
        HWND hDlg = Open(*stRow.pstModel);
        ASSERT_NE(nullptr, hDlg);
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
        EXPECT_TRUE(stRow.pstModel->pstAnalog == nullptr ||
                    stCapture.Seen().find(L" | " + fnUtf8ToWide(sSaid) + L" | ") !=
                        std::wstring::npos)
            << sSaid;
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
