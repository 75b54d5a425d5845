// The module settings end to end under Wine: Idm_ModuleSet, its two threads and the Module
// Settings dialog (run modally, as the main window runs it) against the simulated bus. An
// operator thread types into the dialog and presses its buttons by posted messages, the way a
// user's clicks arrive; reports are captured instead of shown. Golden frames were worked out
// with an independent CRC-16/Modbus and byte sum in Python, and match the worked example
// (01 -> 02, 9600, VQASCII-CHK) of the command tables.
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "protocol/Protocol.h"
#include "res/resource.h"
#include "search/ModuleList.h"
#include "search/ModuleSearch.h"
#include "search/SearchProgressDlg.h"
#include "search/SearchStartDlg.h"
#include "serial/CommIo.h"
#include "serial/CommPort.h"
#include "serial/CommTRC.h"
#include "settings/ModuleSet.h"
#include "settings/ModuleSetDlg.h"
#include "tests/win32/MessageCapture.h"
#include "tests/win32/SearchTestSupport.h"
#include "tests/win32/SimBus.h"

namespace
{
const uint32_t INDEX_9600 = 3;
const uint32_t INDEX_115200 = 7;

// What the operator does in one opening of the dialog.
struct Plan
{
    const char* pchAddress = nullptr; // typed into 1058; nullptr leaves the preselection
    int nBaudIndex = -1;              // selected in 1059; -1 leaves it
    int nProtocolIndex = -1;          // selected in 1060; -1 leaves it
    int nWrites = 1;                  // presses of "写入模块", each waits for its report
    DWORD dwCancelAfterMs = 0;        // 0: Cancel after the last report; else this long after
                                      // the last press, without waiting for a report
    DWORD dwLingerMs = 0;             // kept open this long after the last report, so a late
                                      // reply is drained by this pair and not the next one
};

// What the operator saw.
struct Seen
{
    HWND hDlg = NULL;
    DWORD dwPress = 0;          // tick of the last press
    DWORD dwReport = 0;         // tick the last report was captured
    DWORD dwCancel = 0;         // tick Cancel was posted
    bool bEnabledAfter = false; // the write button after the last report (or before Cancel)
    bool bTimedOut = false;
};

struct Operator
{
    Plan stPlan;
    Seen stSeen;
    const MessageCapture* pstCapture = nullptr;
    HANDLE hThread = NULL;
};

bool fnWaitFor(bool (*pfnPred)(), DWORD dwMs)
{
    DWORD dwStart = GetTickCount();
    while (!pfnPred())
    {
        if (GetTickCount() - dwStart > dwMs)
            return false;
        Sleep(10);
    }
    return true;
}

bool fnDialogUp()
{
    return gstModuleSetDlg.m_hDlg.load() != NULL;
}

bool fnWriteEnabled()
{
    HWND hWrite = gstModuleSetDlg.m_hWrite.load();
    return hWrite != NULL && IsWindowEnabled(hWrite);
}

DWORD WINAPI fnOperate(LPVOID pvParam)
{
    Operator& stOp = *static_cast<Operator*>(pvParam);
    if (!fnWaitFor(fnDialogUp, 3000))
    {
        stOp.stSeen.bTimedOut = true;
        return 0;
    }
    HWND hDlg = gstModuleSetDlg.m_hDlg.load();
    stOp.stSeen.hDlg = hDlg;
    if (stOp.stPlan.pchAddress != nullptr)
        SendMessageA(GetDlgItem(hDlg, IDC_SET_NEW_ADDRESS), WM_SETTEXT, 0,
                     reinterpret_cast<LPARAM>(stOp.stPlan.pchAddress));
    if (stOp.stPlan.nBaudIndex >= 0)
        SendMessageA(GetDlgItem(hDlg, IDC_SET_NEW_BAUD), CB_SETCURSEL, stOp.stPlan.nBaudIndex, 0);
    if (stOp.stPlan.nProtocolIndex >= 0)
        SendMessageA(GetDlgItem(hDlg, IDC_SET_NEW_PROTOCOL), CB_SETCURSEL,
                     stOp.stPlan.nProtocolIndex, 0);
    for (int i = 0; i < stOp.stPlan.nWrites; ++i)
    {
        int nBefore = stOp.pstCapture->Count();
        stOp.stSeen.dwPress = GetTickCount();
        PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_SET_WRITE, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(hDlg, IDC_SET_WRITE)));
        if (stOp.stPlan.dwCancelAfterMs != 0)
            break;
        if (!stOp.pstCapture->WaitFor(nBefore + 1, 6000))
        {
            stOp.stSeen.bTimedOut = true;
            break;
        }
        stOp.stSeen.dwReport = GetTickCount();
        stOp.stSeen.bEnabledAfter = fnWaitFor(fnWriteEnabled, 1000);
    }
    Sleep(stOp.stPlan.dwLingerMs);
    if (stOp.stPlan.dwCancelAfterMs != 0)
    {
        Sleep(stOp.stPlan.dwCancelAfterMs);
        stOp.stSeen.bEnabledAfter = fnWriteEnabled();
    }
    stOp.stSeen.dwCancel = GetTickCount();
    PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return 0;
}

void fnClickSearchStop()
{
    PostMessageA(gstSearchProgressDlg.m_hDlg.load(), WM_COMMAND, IDOK, 0);
}

// One module in the list, selected, as a search would have left it.
void fnSelectModule(uint8_t chAddress, const char* pchModel, uint32_t dwProtocol)
{
    ModuleRecord& stRecord = gstModuleList.m_astModule[0];
    stRecord = ModuleRecord{};
    stRecord.m_chAddress = chAddress;
    snprintf(stRecord.m_achAddressHex2, sizeof(stRecord.m_achAddressHex2), "%02X", chAddress);
    snprintf(stRecord.m_achModName, sizeof(stRecord.m_achModName), "%s", pchModel);
    snprintf(stRecord.m_achTypeDec4, sizeof(stRecord.m_achTypeDec4), "%.4s", pchModel);
    stRecord.m_dwProtocol = dwProtocol;
    gstModuleList.m_dwCount = 1;
    gstModuleList.m_dwSelected = 0;
}

// "F1,4652,chk,115200 outputs=00" -> "F1,4652,chk,115200".
std::string fnStateHead(const std::string& sLine)
{
    return sLine.substr(0, sLine.find(' '));
}

std::wstring fnWide(const char* pchUtf8)
{
    wchar_t awch[512];
    int n = MultiByteToWideChar(CP_UTF8, 0, pchUtf8, -1, awch, 512);
    return n > 0 ? std::wstring(awch) : std::wstring();
}

const char REPORT_OK[] = "模块设置成功！";
const char REPORT_COMM_ERROR[] = "与模块通讯发生错误！";
const char REPORT_NO_REPLY[] = "无法与模块建立连接，模块未返回任何信息！";
const char REPORT_REFUSED[] = "设置信息无法写入模块！";
const char RTU1_OK[] = "模块的新地址设置成功！";
const char RTU1_CRC[] = "发生CRC错误！无法判断新地址是否成功设置到模块！";
const char RTU1_EXC01[] = "模块新地址设置失败！模块返回异常码0x01。";
const char RTU1_EXC03[] = "模块新地址设置失败，模块新地址非法！模块返回异常码0x03。";
const char RTU1_UNKNOWN[] = "无法判断新地址是否成功设置到模块，模块返回未知信息！";
const char RTU1_NO_REPLY[] = "模块新地址设置失败！模块未返回任何信息！";
const char RTU2_OK[] = "\r\n模块波特率和协议设置成功！";
const char RTU2_CRC[] = "\r\n发生CRC错误！无法判断波特率和协议是否成功设置到模块！";
const char RTU2_EXC01[] = "\r\n模块波特率和协议设置出错！模块返回异常代码0x01。";
const char RTU2_EXC03[] = "\r\n模块波特率和协议设置出错！模块返回异常代码0x03。";
const char RTU2_EXC04[] = "\r\n模块波特率和协议设置出错！模块返回异常代码0x04。";
const char RTU2_UNKNOWN[] = "\r\n无法判断模块波特路和协议是否设置成功！模块返回信息未知！";
const char RTU2_NO_REPLY[] = "\r\n模块波特率和协议设置出错！模块未返回任何信息！";
const char RTU_OK[] = "模块的新地址设置成功！\r\n模块波特率和协议设置成功！";

// Reads the dialog's fields from inside its modal loop.
struct Probe
{
    static void Read()
    {
        HWND hDlg = gstModuleSetDlg.m_hDlg.load();
        char ach[64];
        for (int nId :
             {IDC_SET_MODEL, IDC_SET_ADDRESS, IDC_SET_BAUD, IDC_SET_PROTOCOL, IDC_SET_NEW_ADDRESS})
        {
            GetDlgItemTextA(hDlg, nId, ach, sizeof(ach));
            s_asTexts.push_back(ach);
        }
        s_anSel[0] =
            static_cast<int>(SendDlgItemMessageA(hDlg, IDC_SET_NEW_BAUD, CB_GETCURSEL, 0, 0));
        s_anSel[1] =
            static_cast<int>(SendDlgItemMessageA(hDlg, IDC_SET_NEW_PROTOCOL, CB_GETCURSEL, 0, 0));
        s_anCount[0] =
            static_cast<int>(SendDlgItemMessageA(hDlg, IDC_SET_NEW_BAUD, CB_GETCOUNT, 0, 0));
        s_anCount[1] =
            static_cast<int>(SendDlgItemMessageA(hDlg, IDC_SET_NEW_PROTOCOL, CB_GETCOUNT, 0, 0));
    }
    static std::vector<std::string> s_asTexts;
    static int s_anSel[2];
    static int s_anCount[2];
};
std::vector<std::string> Probe::s_asTexts;
int Probe::s_anSel[2];
int Probe::s_anCount[2];

class ModuleSetTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        if (!m_stBus.Available())
            GTEST_SKIP() << "no bus simulator (run scripts/win32-tests)";
    }
    void TearDown() override
    {
        LoopTimer::Cancel();
        EXPECT_TRUE(fnCommPairWait(gstCommTRCModuleSet, 3000));
        gstModuleSearch.m_hListBox = NULL;
        if (m_stBus.Available())
            m_stBus.Reset("01,4652,ascii,9600");
    }

    // Opens the dialog as the main window does and lets the operator work it; returns the
    // dialog's result (-1 when the pair did not start).
    INT_PTR Open(const Plan& stPlan, const MessageCapture& stCapture)
    {
        m_stOp = Operator();
        m_stOp.stPlan = stPlan;
        m_stOp.pstCapture = &stCapture;
        if (Idm_ModuleSet(NULL) != 0)
            return -1;
        m_stOp.hThread = CreateThread(NULL, 0, fnOperate, &m_stOp, 0, NULL);
        INT_PTR nResult = DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_MODULE_SET),
                                          NULL, ModuleSetDlgProc, 0);
        m_dwClosed = GetTickCount();
        WaitForSingleObject(m_stOp.hThread, 10000);
        CloseHandle(m_stOp.hThread);
        EXPECT_FALSE(m_stOp.stSeen.bTimedOut) << "the operator gave up waiting";
        return nResult;
    }

    // Waits, handling sent messages, until the pair has ended; the tick it ended.
    DWORD PairEnded()
    {
        EXPECT_TRUE(fnCommPairWait(gstCommTRCModuleSet, 4000));
        return GetTickCount();
    }

    // A search from chStart, stopped after dwStopMs; the lines it listed.
    std::vector<std::string> SearchFrom(uint8_t chStart, DWORD dwStopMs, bool bWaitEnd = true)
    {
        TestListBox stList;
        gstModuleSearch.m_hListBox = stList.Handle();
        gstSearchStartDlg.m_chStartAddress = chStart;
        if (Idm_ModuleSearch(NULL) != 0)
            return {};
        stList.Clear();
        LoopTimer::Start(dwStopMs, fnClickSearchStop);
        DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_SEARCH_PROGRESS), NULL,
                        SearchProgressDlgProc, 0);
        if (bWaitEnd)
        {
            EXPECT_TRUE(fnWaitSearchPairEnded(3000));
        }
        gstModuleSearch.m_hListBox = NULL;
        return stList.Lines();
    }

    SimBus m_stBus;
    Operator m_stOp;
    DWORD m_dwClosed = 0;
};
} // namespace

// One module in each protocol changed as a technician would, one setting at a time: the address,
// then the baud rate, then the protocol. Each change has its literal frames on the wire, and a
// new search (at the port rate the module now uses) finds it there; the next change works on
// what that search listed.
TEST_F(ModuleSetTest, AddressThenBaudThenProtocolEachFoundByANewSearch)
{
    const uint32_t INDEX_19200 = 4;
    struct Step
    {
        const char* pchNewAddress;
        int nBaudIndex;
        int nProtocolIndex;
        std::vector<std::string> asFrames;
        const char* pchLine; // what the search after the change lists
    };
    struct Row
    {
        const char* pchModule;
        const char* pchFound; // the first search
        const char* pchReport;
        Step astSteps[3];
    };
    const Row astRows[] = {
        {"A0,4652,ascii,9600",
         "[A0H] 4652 (VQASCII)",
         REPORT_OK,
         {{"A1", INDEX_9600, 0, {"25 41 30 41 31 34 30 30 36 30 30 0D"}, "[A1H] 4652 (VQASCII)"},
          {"A1", INDEX_19200, 0, {"25 41 31 41 31 34 30 30 37 30 30 0D"}, "[A1H] 4652 (VQASCII)"},
          {"A1",
           INDEX_19200,
           1,
           {"25 41 31 41 31 34 30 30 37 34 30 0D"},
           "[A1H] 4652 (VQASCII-CHK)"}}},
        // "%A0A1400640" sums to 0x36, "%A1A1400740" to 0x38, "%A1A1400704" to 0x38.
        {"A0,4652,chk,9600",
         "[A0H] 4652 (VQASCII-CHK)",
         REPORT_OK,
         {{"A1",
           INDEX_9600,
           1,
           {"25 41 30 41 31 34 30 30 36 34 30 33 36 0D"},
           "[A1H] 4652 (VQASCII-CHK)"},
          {"A1",
           INDEX_19200,
           1,
           {"25 41 31 41 31 34 30 30 37 34 30 33 38 0D"},
           "[A1H] 4652 (VQASCII-CHK)"},
          {"A1",
           INDEX_19200,
           2,
           {"25 41 31 41 31 34 30 30 37 30 34 33 38 0D"},
           "[A1H] 4652 (Modbus RTU)"}}},
        {"A0,4652,rtu,9600",
         "[A0H] 4652 (Modbus RTU)",
         RTU_OK,
         {{"A1",
           INDEX_9600,
           2,
           {"A0 46 04 A1 00 00 00 67 90", "A1 46 06 00 06 00 00 00 01 00 00 FE B1"},
           "[A1H] 4652 (Modbus RTU)"},
          {"A1",
           INDEX_19200,
           2,
           {"A1 46 04 A1 00 00 00 77 50", "A1 46 06 00 07 00 00 00 01 00 00 EE 71"},
           "[A1H] 4652 (Modbus RTU)"},
          {"A1",
           INDEX_19200,
           0,
           {"A1 46 04 A1 00 00 00 77 50", "A1 46 06 00 07 00 00 00 00 00 00 BF B1"},
           "[A1H] 4652 (VQASCII)"}}},
    };
    for (const Row& stRow : astRows)
    {
        SCOPED_TRACE(stRow.pchModule);
        ASSERT_TRUE(m_stBus.Reset(stRow.pchModule));
        uint32_t dwPortIndex = INDEX_9600;
        {
            SimPort stPort(dwPortIndex);
            ASSERT_TRUE(stPort.IsOpen());
            ASSERT_EQ(std::vector<std::string>{stRow.pchFound}, SearchFrom(0xA0, 2500));
        }
        for (const Step& stStep : stRow.astSteps)
        {
            SCOPED_TRACE(stStep.pchLine);
            {
                SimPort stPort(dwPortIndex);
                ASSERT_TRUE(stPort.IsOpen());
                gstModuleList.m_dwSelected = 0; // the entry the last search listed
                MessageCapture stCapture;
                size_t nLog = fnSimLogSize();
                Plan stPlan;
                stPlan.pchAddress = stStep.pchNewAddress;
                stPlan.nBaudIndex = stStep.nBaudIndex;
                stPlan.nProtocolIndex = stStep.nProtocolIndex;
                ASSERT_EQ(0, Open(stPlan, stCapture));
                Sleep(100);
                EXPECT_EQ(stStep.asFrames, fnSimLogFramesSince(nLog));
                ASSERT_EQ(1, stCapture.Count());
                EXPECT_EQ(fnWide(stRow.pchReport), stCapture.Last().wsText);
                PairEnded();
            }
            dwPortIndex = static_cast<uint32_t>(stStep.nBaudIndex);
            SimPort stPort(dwPortIndex);
            ASSERT_TRUE(stPort.IsOpen());
            ASSERT_EQ(std::vector<std::string>{stStep.pchLine}, SearchFrom(0xA1, 2500));
        }
    }
}

// The worked example of the command tables at 9600: 01 becomes 02, 9600, VQASCII-CHK.
TEST_F(ModuleSetTest, TheWorkedExampleSendsTheLiteralFramesInEachProtocol)
{
    struct Row
    {
        const char* pchModule;
        uint32_t dwProtocol;
        std::vector<std::string> asFrames;
        const char* pchReport;
    };
    const Row astRows[] = {
        {"01,4652,ascii,9600", ProtocolVqAscii, {"25 30 31 30 32 34 30 30 36 34 30 0D"}, REPORT_OK},
        {"01,4652,chk,9600",
         ProtocolVqAsciiChk,
         {"25 30 31 30 32 34 30 30 36 34 30 31 36 0D"},
         REPORT_OK},
        {"01,4652,rtu,9600",
         ProtocolModbusRtu,
         {"01 46 04 02 00 00 00 F5 1E", "02 46 06 00 06 00 00 00 00 01 00 A3 A7"},
         RTU_OK},
    };
    SimPort stPort(INDEX_9600);
    ASSERT_TRUE(stPort.IsOpen());
    for (const Row& stRow : astRows)
    {
        SCOPED_TRACE(stRow.pchModule);
        ASSERT_TRUE(m_stBus.Reset(stRow.pchModule));
        MessageCapture stCapture;
        fnSelectModule(0x01, "4652", stRow.dwProtocol);
        size_t nLog = fnSimLogSize();
        Plan stPlan;
        stPlan.pchAddress = "02";
        stPlan.nProtocolIndex = 1; // the baud rate stays at its preselection, the port's 9600
        ASSERT_EQ(0, Open(stPlan, stCapture));
        Sleep(100);
        EXPECT_EQ(stRow.asFrames, fnSimLogFramesSince(nLog));
        ASSERT_EQ(1, stCapture.Count());
        EXPECT_EQ(fnWide(stRow.pchReport), stCapture.Last().wsText);
        EXPECT_EQ("02,4652,chk,9600", fnStateHead(m_stBus.StateOf(0x02)));
        PairEnded();
    }
}

// Every row of the classification tables, reached through the simulator's faults: the exact
// report text, caption, icon and owner, after the reply window(s), and nothing else.
TEST_F(ModuleSetTest, EachFaultGivesItsExactReport)
{
    struct Row
    {
        const char* pchModule;
        std::vector<const char*> apchFaults;
        const char* pchNewAddress;
        const char* pchReport; // for RTU the step 1 text, and pchSecond the step 2 text
        const char* pchSecond;
    };
    const char* const A = "E0,4652,ascii,115200"; // to E1
    const char* const C = "E2,4618,chk,115200";   // to E3
    const char* const R = "E4,4624,rtu,115200";   // to E5
    const Row astRows[] = {
        {A, {"E0:silent"}, "E1", REPORT_NO_REPLY, nullptr},
        {A, {"E0:refuse=01"}, "E1", REPORT_REFUSED, nullptr},
        {A, {"E0:extra=2"}, "E1", REPORT_COMM_ERROR, nullptr},
        {A, {"E0:from=E5"}, "E1", REPORT_COMM_ERROR, nullptr}, // "!E5" answers for E1
        {A, {"E0:cut=1"}, "E1", REPORT_COMM_ERROR, nullptr},   // no CR
        {A, {"E0:flood=5000"}, "E1", REPORT_COMM_ERROR, nullptr},
        {A, {"E0:delay=1400"}, "E1", REPORT_NO_REPLY, nullptr}, // lands after the window
        {C, {"E2:badsum"}, "E3", REPORT_COMM_ERROR, nullptr},
        {C, {"E2:refuse=01"}, "E3", REPORT_REFUSED, nullptr},
        {C, {"E2:from=E7"}, "E3", REPORT_COMM_ERROR, nullptr},
        {C, {"E2:flood=6"}, "E3", REPORT_COMM_ERROR, nullptr},
        {C, {"E2:split=1300"}, "E3", REPORT_COMM_ERROR, nullptr}, // half a reply in the window
        {C, {"E2:split=300"}, "E3", REPORT_OK, nullptr},          // both halves inside: still whole
        {C, {"E2:delay=1400"}, "E3", REPORT_NO_REPLY, nullptr},
        {R, {"E4:silent", "E5:silent"}, "E5", RTU1_NO_REPLY, RTU2_NO_REPLY},
        {R, {"E4:badsum", "E5:badsum"}, "E5", RTU1_CRC, RTU2_CRC},
        {R, {"E4:cut=4"}, "E5", RTU1_CRC, RTU2_OK}, // 5 bytes whose CRC is wrong
        {R, {"E4:refuse=01"}, "E5", RTU1_EXC01, RTU2_OK},
        {R, {}, "00", RTU1_EXC03, RTU2_NO_REPLY}, // 00 is illegal; step 2 goes to 00 anyway
        {R, {"E4:refuse=02"}, "E5", RTU1_UNKNOWN, RTU2_OK}, // an exception code not listed
        {R, {"E4:from=E6"}, "E5", RTU1_UNKNOWN, RTU2_OK},
        {R, {"E4:extra=1", "E5:extra=1"}, "E5", RTU1_UNKNOWN, RTU2_UNKNOWN},
        {R, {"E4:flood=5000", "E5:flood=5000"}, "E5", RTU1_UNKNOWN, RTU2_UNKNOWN},
        {R, {"E5:refuse=01"}, "E5", RTU1_OK, RTU2_EXC01},
        {R, {"E5:refuse=03"}, "E5", RTU1_OK, RTU2_EXC03},
        {R, {"E5:refuse=04"}, "E5", RTU1_OK, RTU2_EXC04},
        {R, {"E5:from=33"}, "E5", RTU1_OK, RTU2_OK}, // step 2's address byte is not checked
        {R, {"E5:cut=1"}, "E5", RTU1_OK, RTU2_UNKNOWN},
        // Step 1's late echo falls into step 2's window and spoils it too.
        {R, {"E4:delay=1300"}, "E5", RTU1_NO_REPLY, RTU2_UNKNOWN},
    };
    SimPort stPort(INDEX_115200);
    ASSERT_TRUE(stPort.IsOpen());
    for (const Row& stRow : astRows)
    {
        SCOPED_TRACE(std::string(stRow.pchModule) + " " +
                     (stRow.apchFaults.empty() ? "" : stRow.apchFaults[0]));
        ASSERT_TRUE(m_stBus.Reset(stRow.pchModule));
        for (const char* pchFault : stRow.apchFaults)
            ASSERT_TRUE(m_stBus.Fault(pchFault));
        MessageCapture stCapture;
        uint8_t chAddress = static_cast<uint8_t>(strtoul(stRow.pchModule, nullptr, 16));
        bool bRtu = stRow.pchSecond != nullptr;
        uint32_t dwProtocol = bRtu                   ? ProtocolModbusRtu
                              : stRow.pchModule == C ? ProtocolVqAsciiChk
                                                     : ProtocolVqAscii;
        fnSelectModule(chAddress, "4652", dwProtocol);
        size_t nLog = fnSimLogSize();
        Plan stPlan;
        stPlan.pchAddress = stRow.pchNewAddress;
        for (const char* pchFault : stRow.apchFaults)
        {
            if (strstr(pchFault, "delay") != nullptr || strstr(pchFault, "split") != nullptr)
                stPlan.dwLingerMs = 800;
        }
        ASSERT_EQ(0, Open(stPlan, stCapture));
        ASSERT_EQ(1, stCapture.Count());
        std::string sReport = std::string(stRow.pchReport) + (bRtu ? stRow.pchSecond : "");
        EXPECT_EQ(fnWide(sReport.c_str()), stCapture.Last().wsText);
        EXPECT_EQ(std::wstring(L"VQ4600Utility"), stCapture.Last().wsCaption);
        EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), stCapture.Last().uIcon);
        EXPECT_EQ(m_stOp.stSeen.hDlg, stCapture.Last().hOwner);
        EXPECT_TRUE(m_stOp.stSeen.bEnabledAfter) << "the button comes back after the report";
        // One reply window per frame, no end-of-reply detection.
        DWORD dwSpent = m_stOp.stSeen.dwReport - m_stOp.stSeen.dwPress;
        EXPECT_GE(dwSpent, bRtu ? 1950u : 950u);
        EXPECT_LE(dwSpent, bRtu ? 2800u : 1700u);
        Sleep(100);
        std::vector<std::string> asFrames = fnSimLogFramesSince(nLog);
        ASSERT_EQ(bRtu ? 2u : 1u, asFrames.size());
        if (bRtu)
        {
            // Step 2 always goes to the new address, whatever step 1 gave.
            EXPECT_EQ(std::string(stRow.pchNewAddress), asFrames[1].substr(0, 2));
        }
        PairEnded();
    }
}

// Nothing is sent for a module whose protocol has no settings frames; the button stays off.
TEST_F(ModuleSetTest, AModbusAsciiModuleGetsNoFrameNoReportAndADisabledButton)
{
    ASSERT_TRUE(m_stBus.Reset("01,4652,ascii,9600"));
    SimPort stPort(INDEX_9600);
    ASSERT_TRUE(stPort.IsOpen());
    for (uint32_t dwProtocol : {4u, 0u, 7u})
    {
        SCOPED_TRACE(dwProtocol);
        MessageCapture stCapture;
        fnSelectModule(0x01, "4652", dwProtocol);
        size_t nLog = fnSimLogSize();
        Plan stPlan;
        stPlan.dwCancelAfterMs = 1300;
        ASSERT_EQ(0, Open(stPlan, stCapture));
        EXPECT_FALSE(m_stOp.stSeen.bEnabledAfter);
        EXPECT_EQ(0, stCapture.Count());
        EXPECT_TRUE(fnSimLogFramesSince(nLog).empty());
        PairEnded();
    }
}

// Cancel in the middle of a step closes the dialog at once; the step ends quietly and no
// later frame goes out: after RTU step 1, step 2 is never sent.
TEST_F(ModuleSetTest, CancelDuringAStepClosesAtOnceShowsNothingAndSendsNoMore)
{
    struct Row
    {
        const char* pchModule;
        uint32_t dwProtocol;
        DWORD dwCancelAfterMs;
    };
    const Row astRows[] = {
        {"D0,4652,rtu,115200", ProtocolModbusRtu, 300},
        {"D0,4652,ascii,115200", ProtocolVqAscii, 500},
        {"D0,4652,rtu,115200", ProtocolModbusRtu, 0xFFFF}, // idle: no press at all
    };
    SimPort stPort(INDEX_115200);
    ASSERT_TRUE(stPort.IsOpen());
    for (const Row& stRow : astRows)
    {
        SCOPED_TRACE(stRow.pchModule);
        ASSERT_TRUE(m_stBus.Reset(stRow.pchModule));
        MessageCapture stCapture;
        fnSelectModule(0xD0, "4652", stRow.dwProtocol);
        size_t nLog = fnSimLogSize();
        uint32_t dwReports = gstModuleSet.m_dwReports.load();
        Plan stPlan;
        stPlan.pchAddress = "D1";
        bool bIdle = stRow.dwCancelAfterMs == 0xFFFF;
        stPlan.nWrites = bIdle ? 0 : 1;
        stPlan.dwCancelAfterMs = bIdle ? 200 : stRow.dwCancelAfterMs;
        ASSERT_EQ(0, Open(stPlan, stCapture));
        EXPECT_LE(m_dwClosed - m_stOp.stSeen.dwCancel, 150u) << "the dialog did not close at once";
        EXPECT_EQ(nullptr, gstModuleSetDlg.m_hDlg.load());
        DWORD dwEnded = PairEnded();
        // The rest of the reply window (or one read wait) and the cancelled read's drain.
        EXPECT_LE(dwEnded - m_stOp.stSeen.dwCancel, 1300u);
        Sleep(300);
        EXPECT_EQ(bIdle ? 0u : 1u, fnSimLogFramesSince(nLog).size());
        EXPECT_EQ(0, stCapture.Count());
        EXPECT_EQ(dwReports, gstModuleSet.m_dwReports.load());
    }
}

// Writing twice in one opening after a successful address change: the second exchange still
// goes to the address of the record, which the transaction never changes.
TEST_F(ModuleSetTest, ASecondWriteInTheSameDialogStillGoesToTheRecordsAddress)
{
    ASSERT_TRUE(m_stBus.Reset("C0,4652,ascii,115200"));
    SimPort stPort(INDEX_115200);
    ASSERT_TRUE(stPort.IsOpen());
    MessageCapture stCapture;
    fnSelectModule(0xC0, "4652", ProtocolVqAscii);
    size_t nLog = fnSimLogSize();
    Plan stPlan;
    stPlan.pchAddress = "C1";
    stPlan.nProtocolIndex = 0;
    stPlan.nWrites = 2;
    ASSERT_EQ(0, Open(stPlan, stCapture));
    ASSERT_EQ(2, stCapture.Count());
    EXPECT_EQ(fnWide(REPORT_OK), stCapture.At(0).wsText);
    EXPECT_EQ(fnWide(REPORT_NO_REPLY), stCapture.At(1).wsText) << "C0 is empty now";
    Sleep(100);
    const std::vector<std::string> asFrames = {"25 43 30 43 31 34 30 30 41 30 30 0D",
                                               "25 43 30 43 31 34 30 30 41 30 30 0D"};
    EXPECT_EQ(asFrames, fnSimLogFramesSince(nLog));
}

// The new-address text: one hex pair, spaces around it allowed, anything else refused with the
// dialog's own message and nothing armed.
TEST_F(ModuleSetTest, TheNewAddressTextIsCheckedBeforeAnythingIsArmed)
{
    struct Row
    {
        const char* pchText;
        int nAddress; // -1: refused
    };
    // The full table of texts is the core's; here the dialog's two ways out.
    const Row astRows[] = {{"  0a  ", 0x0A}, {"0A0B", -1}, {"", -1}};
    SimPort stPort(INDEX_9600);
    ASSERT_TRUE(stPort.IsOpen());
    for (const Row& stRow : astRows)
    {
        SCOPED_TRACE(stRow.pchText);
        MessageCapture stCapture;
        // No settings frame exists for Modbus ASCII, so an armed exchange sends nothing.
        fnSelectModule(0x33, "4652", ProtocolModbusAscii);
        Plan stPlan;
        stPlan.pchAddress = stRow.pchText;
        stPlan.dwCancelAfterMs = 300;
        ASSERT_EQ(0, Open(stPlan, stCapture));
        if (stRow.nAddress < 0)
        {
            ASSERT_EQ(1, stCapture.Count());
            EXPECT_EQ(fnWide("模块新地址输入错误！"), stCapture.Last().wsText);
            EXPECT_EQ(fnWide("模块设置"), stCapture.Last().wsCaption);
            EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), stCapture.Last().uIcon);
            EXPECT_EQ(m_stOp.stSeen.hDlg, stCapture.Last().hOwner);
            EXPECT_TRUE(m_stOp.stSeen.bEnabledAfter) << "nothing armed, the button stays on";
            EXPECT_EQ(0x33, gstModuleSetDlg.m_stSetting.m_chAddress);
        }
        else
        {
            EXPECT_EQ(0, stCapture.Count());
            EXPECT_FALSE(m_stOp.stSeen.bEnabledAfter);
            EXPECT_EQ(stRow.nAddress, gstModuleSetDlg.m_stSetting.m_chAddress);
        }
        PairEnded();
    }
}

// The dialog opens with the module's values and the port's rate preselected.
TEST_F(ModuleSetTest, TheDialogOpensWithThePresentValuesPreselected)
{
    struct Row
    {
        uint32_t dwPortIndex;
        DWORD dwRateOverride; // 0: the port's own
        uint32_t dwProtocol;
        const char* pchBaudField;
        const char* pchProtocolField;
        int nBaudSel;
        int nProtocolSel;
    };
    const Row astRows[] = {
        {INDEX_115200, 0, ProtocolModbusRtu, "115200", "Modbus RTU", 7, 2},
        // No name for Modbus ASCII, and a rate outside the table preselects 9600.
        {INDEX_9600, 14400, ProtocolModbusAscii, "14400", "0", 3, 0},
    };
    for (const Row& stRow : astRows)
    {
        SCOPED_TRACE(stRow.pchBaudField);
        SimPort stPort(stRow.dwPortIndex);
        ASSERT_TRUE(stPort.IsOpen());
        DWORD dwRate = gstCommPort.m_stDCB.BaudRate;
        if (stRow.dwRateOverride != 0)
            gstCommPort.m_stDCB.BaudRate = stRow.dwRateOverride;
        MessageCapture stCapture;
        fnSelectModule(0xA7, "4652GD", stRow.dwProtocol);
        Probe::s_asTexts.clear();
        LoopTimer::Start(150, Probe::Read);
        Plan stPlan;
        stPlan.nWrites = 0;
        stPlan.dwCancelAfterMs = 400;
        ASSERT_EQ(0, Open(stPlan, stCapture));
        gstCommPort.m_stDCB.BaudRate = dwRate;
        const std::vector<std::string> asExpected = {"4652GD", "A7", stRow.pchBaudField,
                                                     stRow.pchProtocolField, "A7"};
        EXPECT_EQ(asExpected, Probe::s_asTexts);
        EXPECT_EQ(stRow.nBaudSel, Probe::s_anSel[0]);
        EXPECT_EQ(stRow.nProtocolSel, Probe::s_anSel[1]);
        EXPECT_EQ(8, Probe::s_anCount[0]);
        EXPECT_EQ(3, Probe::s_anCount[1]);
        PairEnded();
    }
}

// Settings started right after a search was stopped: the search's receive thread, still
// reading the port for a moment, must not take the module's reply away.
TEST_F(ModuleSetTest, SettingsRightAfterAStoppedSearchStillGetTheReply)
{
    ASSERT_TRUE(m_stBus.Reset("B0,4652,ascii,115200"));
    SimPort stPort(INDEX_115200);
    ASSERT_TRUE(stPort.IsOpen());
    MessageCapture stCapture;
    ASSERT_EQ(std::vector<std::string>{"[B0H] 4652 (VQASCII)"}, SearchFrom(0xB0, 350, false));
    gstModuleList.m_dwSelected = 0;
    Plan stPlan;
    stPlan.pchAddress = "B1";
    ASSERT_EQ(0, Open(stPlan, stCapture));
    ASSERT_EQ(1, stCapture.Count());
    EXPECT_EQ(fnWide(REPORT_OK), stCapture.Last().wsText);
    EXPECT_EQ("B1,4652,ascii,115200", fnStateHead(m_stBus.StateOf(0xB1)));
    EXPECT_TRUE(fnWaitSearchPairEnded(3000));
}
