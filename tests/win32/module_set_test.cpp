// The module settings end to end under Wine: Idm_ModuleSet, its two threads and the Module
// Settings dialog (run modally, as the main window runs it) against the simulated bus. An
// operator thread types into the dialog and presses its buttons by posted messages, the way a
// user's clicks arrive; reports are captured instead of shown. Golden frames were worked out
// with an independent CRC-16/Modbus and byte sum in Python (the worked example of the command
// tables is the core tests' to walk).
#include <gtest/gtest.h>

#include <cstring>

#include "res/resource.h"
#include "serial/CommPort.h"
#include "settings/ModuleSet.h"
#include "settings/ModuleSetDlg.h"
#include "tests/win32/PairTest.h"

namespace
{
const uint32_t ASC = ProtocolVqAscii, CHK = ProtocolVqAsciiChk, RTU = ProtocolModbusRtu;
const uint32_t MBA = ProtocolModbusAscii;

// What the operator does in one opening of the dialog, and what it saw.
struct Operator
{
    const char* pchAddress = nullptr; // typed as the new address; nullptr leaves the preselection
    int nBaudIndex = -1;              // selected as the new rate; -1 leaves it
    int nProtocolIndex = -1;          // selected as the new protocol; -1 leaves it
    int nWrites = 1;                  // presses of "写入模块", each waits for its report
    DWORD dwCancelAfterMs = 0;        // 0: Cancel after the last report; else this long after
                                      // the last press, without waiting for a report
    DWORD dwLingerMs = 0;             // kept open this long after the last report, so a late
                                      // reply is drained by this pair and not the next one
    const MessageCapture* pstCapture = nullptr;
    HWND hDlg = NULL;
    DWORD dwPress = 0, dwReport = 0, dwCancel = 0; // ticks of the last press, report, Cancel
    bool bEnabledAfter = false; // the write button after the last report (or before Cancel)
    bool bTimedOut = false;
    std::string sPresent; // the present rate and protocol and the two preselections
    size_t nLog = 0;      // the bus log before the dialog opened
};

bool fnWriteEnabled()
{
    HWND hWrite = gstModuleSetDlg.m_hWrite.load();
    return hWrite != NULL && IsWindowEnabled(hWrite);
}

std::string fnField(HWND hDlg, int nId)
{
    char achText[64] = {};
    GetDlgItemTextA(hDlg, nId, achText, sizeof(achText));
    return achText;
}

DWORD WINAPI fnOperate(LPVOID pvParam)
{
    Operator& stOp = *static_cast<Operator*>(pvParam);
    stOp.bTimedOut = !fnWaitUntil([] { return gstModuleSetDlg.m_hDlg.load() != NULL; }, 3000);
    if (stOp.bTimedOut)
        return 0;
    HWND hDlg = stOp.hDlg = gstModuleSetDlg.m_hDlg.load();
    stOp.sPresent = fnField(hDlg, IDC_SET_BAUD) + " " + fnField(hDlg, IDC_SET_PROTOCOL);
    for (int nId : {IDC_SET_NEW_BAUD, IDC_SET_NEW_PROTOCOL})
        stOp.sPresent += " " + std::to_string(SendDlgItemMessageA(hDlg, nId, CB_GETCURSEL, 0, 0));
    if (stOp.pchAddress != nullptr)
        SetDlgItemTextA(hDlg, IDC_SET_NEW_ADDRESS, stOp.pchAddress);
    if (stOp.nBaudIndex >= 0)
        SendDlgItemMessageA(hDlg, IDC_SET_NEW_BAUD, CB_SETCURSEL, stOp.nBaudIndex, 0);
    if (stOp.nProtocolIndex >= 0)
        SendDlgItemMessageA(hDlg, IDC_SET_NEW_PROTOCOL, CB_SETCURSEL, stOp.nProtocolIndex, 0);
    for (int i = 0; i < stOp.nWrites && !stOp.bTimedOut; ++i)
    {
        const int nBefore = stOp.pstCapture->Count();
        stOp.dwPress = GetTickCount();
        PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDC_SET_WRITE, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(hDlg, IDC_SET_WRITE)));
        if (stOp.dwCancelAfterMs != 0)
            break;
        stOp.bTimedOut = !stOp.pstCapture->WaitFor(nBefore + 1, 6000);
        stOp.dwReport = GetTickCount();
        stOp.bEnabledAfter = fnWaitUntil(fnWriteEnabled, 1000);
    }
    Sleep(stOp.dwLingerMs + stOp.dwCancelAfterMs);
    if (stOp.dwCancelAfterMs != 0)
        stOp.bEnabledAfter = fnWriteEnabled();
    stOp.dwCancel = GetTickCount();
    PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return 0;
}

class ModuleSetTest : public PairTest
{
  protected:
    // Opens the dialog as the main window does and lets the operator work it; returns the
    // dialog's result (-1 when the pair did not start).
    INT_PTR Open(Operator& stOp, const MessageCapture& stCapture)
    {
        stOp.pstCapture = &stCapture;
        stOp.nLog = fnSimLogSize();
        if (Idm_ModuleSet(NULL) != 0)
            return -1;
        HANDLE hThread = CreateThread(NULL, 0, fnOperate, &stOp, 0, NULL);
        INT_PTR nResult = DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_MODULE_SET),
                                          NULL, ModuleSetDlgProc, 0);
        m_dwClosed = GetTickCount();
        WaitForSingleObject(hThread, 10000);
        CloseHandle(hThread);
        EXPECT_FALSE(stOp.bTimedOut) << "the operator gave up waiting";
        return nResult;
    }

    // Waits, handling sent messages, until the pair has ended; the tick it ended.
    DWORD PairEnded()
    {
        EXPECT_TRUE(fnCommPairWait(gstCommTRCModuleSet, 4000));
        return GetTickCount();
    }

    DWORD m_dwClosed = 0;
};
} // namespace

// A write through the live line: each setting of each protocol has its literal frames on the
// wire and the module takes it (the baud code and the protocol codes each frame carries, the
// rate left at its preselection or chosen); a VQASCII row with two frames writes twice in one
// opening, and the second exchange still goes to the record's address, which the transaction
// never changes. The report box of each write, for the replies the GUI fault matrix does not
// give (which reply is which class is the core tests'): its text, caption, icon and owner, after
// one reply window per frame; a reply half outside the window, and RTU step 2 going to the new
// address whatever step 1 gave. A new address that is no hex byte is refused before anything
// goes out.
TEST_F(ModuleSetTest, EachChangeSendsItsLiteralFramesAndGivesItsExactReport)
{
    struct Row
    {
        const char* pchModule; // on the bus, selected in the list, the port at its rate
        const char* pchFaults; // "" none
        const char* pchNewAddress;
        int nBaudIndex; // -1: the preselection, the port's rate
        int nProtocolIndex;
        const char* pchFrames;          // as sent, " | " between two; nullptr: not written out here
        const char* aapchReports[2][2]; // each box's text, of one or two parts
        const char* pchState;           // the module afterwards; nullptr: not checked
    };
    const char* const OK = "TXT_SET_ASCII_OK";
    const char* const RTU_OK[2] = {"TXT_SET_RTU_ADDR_OK", "TXT_SET_RTU_BAUD_OK"};
    // clang-format off
    const Row astRows[] = {
        // Blanks around the typed pair and lower case are taken.
        {"A1,4652,ascii,9600", "", " a1 ", INDEX_19200, 0, "25 41 31 41 31 34 30 30 37 30 30 0D",
         {{OK}}, "A1,4652,ascii,19200"},
        // "%A1A1400704" sums to 0x38.
        {"A1,4652,chk,19200", "", "A1", INDEX_19200, 2, "25 41 31 41 31 34 30 30 37 30 34 33 38 0D",
         {{OK}}, "A1,4652,rtu,19200"},
        {"A0,4652,rtu,9600", "", "A1", INDEX_9600, 2,
         "A0 46 04 A1 00 00 00 67 90 | A1 46 06 00 06 00 00 00 01 00 00 FE B1",
         {{RTU_OK[0], RTU_OK[1]}}, "A1,4652,rtu,9600"},
        {"A1,4652,rtu,9600", "", "A1", INDEX_19200, 2,
         "A1 46 04 A1 00 00 00 77 50 | A1 46 06 00 07 00 00 00 01 00 00 EE 71",
         {{RTU_OK[0], RTU_OK[1]}}, "A1,4652,rtu,19200"},
        {"A1,4652,rtu,19200", "", "A1", INDEX_19200, 0,
         "A1 46 04 A1 00 00 00 77 50 | A1 46 06 00 07 00 00 00 00 00 00 BF B1",
         {{RTU_OK[0], RTU_OK[1]}}, "A1,4652,ascii,19200"},
        {"C0,4652,ascii,115200", "", "C1", -1, 0,
         "25 43 30 43 31 34 30 30 41 30 30 0D | 25 43 30 43 31 34 30 30 41 30 30 0D",
         {{OK}, {"TXT_SET_ASCII_NO_REPLY"}}, "C1,4652,ascii,115200"}, // nobody at the old address
        {"E0,4652,ascii,115200", "E0:refuse=01", "E1", -1, -1, nullptr, {{"TXT_SET_ASCII_REFUSED"}}, nullptr},
        // Half the reply in time.
        {"E2,4618,chk,115200", "E2:split=1300", "E3", -1, -1, nullptr, {{"TXT_SET_ASCII_COMM_ERROR"}}, nullptr},
        {"E4,4624,rtu,115200", "E4:refuse=01 E5:refuse=03", "E5", -1, -1, nullptr,
         {{"TXT_SET_RTU_ADDR_EXC01", "TXT_SET_RTU_BAUD_EXC03"}}, nullptr},
        {"E4,4624,rtu,115200", "E4:refuse=03 E5:refuse=01", "E5", -1, -1, nullptr,
         {{"TXT_SET_RTU_ADDR_EXC03", "TXT_SET_RTU_BAUD_EXC01"}}, nullptr},
        {"E4,4624,rtu,115200", "E5:refuse=04", "E5", -1, -1, nullptr, {{RTU_OK[0], "TXT_SET_RTU_BAUD_EXC04"}}, nullptr},
        {"E4,4624,rtu,115200", "", "G1", -1, -1, "", {{"TXT_SET_ADDRESS_ERROR"}}, nullptr},
    };
    // clang-format on
    const DWORD ADWMINMS[] = {0, 950, 1950}, ADWMAXMS[] = {500, 1700, 2800}; // by frame count
    for (const Row& stRow : astRows)
    {
        SCOPED_TRACE(std::string(stRow.pchModule) + " " + stRow.pchFaults + " " +
                     stRow.aapchReports[0][0]);
        Select(stRow.pchModule);
        SimPort stPort(strstr(stRow.pchModule, "115200") != nullptr  ? INDEX_115200
                       : strstr(stRow.pchModule, "19200") != nullptr ? INDEX_19200
                                                                     : INDEX_9600);
        ASSERT_TRUE(stPort.IsOpen());
        Operator stOp;
        char achFault[32];
        for (const char* pch = stRow.pchFaults; sscanf(pch, "%31s", achFault) == 1;
             pch = strstr(pch, achFault) + strlen(achFault))
            ASSERT_TRUE(m_stBus.Fault(achFault));
        stOp.dwLingerMs = strstr(stRow.pchFaults, "split") != nullptr ? 800 : 0;
        const bool bRtu = gstModuleList.m_astModule[0].m_dwProtocol == RTU;
        const bool bRefused = stRow.pchFrames != nullptr && *stRow.pchFrames == '\0';
        const size_t nFrames = bRefused ? 0 : bRtu ? 2 : 1; // of one press
        stOp.nWrites = stRow.aapchReports[1][0] != nullptr ? 2 : 1;
        stOp.pchAddress = stRow.pchNewAddress;
        stOp.nBaudIndex = stRow.nBaudIndex;
        stOp.nProtocolIndex = stRow.nProtocolIndex;
        MessageCapture stCapture;
        ASSERT_EQ(0, Open(stOp, stCapture));
        std::wstring wsWant;
        for (const auto& apchReport : stRow.aapchReports)
            wsWant +=
                apchReport[0] == nullptr
                    ? L""
                    : fnMessageLine(bRefused ? fnTableText("TXT_MODULE_SET") : L"VQ4600Utility",
                                    fnTableText(apchReport[0]) +
                                        (apchReport[1] ? fnTableText(apchReport[1]) : L""),
                                    MB_ICONINFORMATION, stOp.hDlg);
        EXPECT_EQ(wsWant, stCapture.Seen());
        EXPECT_TRUE(stOp.bEnabledAfter) << "the button comes back after the report";
        // One reply window per frame, no end-of-reply detection.
        EXPECT_GE(stOp.dwReport - stOp.dwPress, ADWMINMS[nFrames]);
        EXPECT_LE(stOp.dwReport - stOp.dwPress, ADWMAXMS[nFrames]);
        Sleep(100);
        const std::vector<std::string> asFrames = fnSimLogFramesSince(stOp.nLog);
        std::string sFrames;
        for (const std::string& sFrame : asFrames)
            sFrames += (sFrames.empty() ? "" : " | ") + sFrame;
        EXPECT_TRUE(stRow.pchFrames == nullptr || sFrames == stRow.pchFrames) << sFrames;
        ASSERT_EQ(nFrames * stOp.nWrites, asFrames.size());
        // Step 2 always goes to the new address, whatever step 1 gave.
        EXPECT_TRUE(nFrames < 2 || asFrames[1].substr(0, 2) == stRow.pchNewAddress) << asFrames[1];
        if (stRow.pchState != nullptr)
        {
            const uint8_t chNew = static_cast<uint8_t>(strtoul(stRow.pchState, nullptr, 16));
            const std::string sState = m_stBus.StateOf(chNew); // "A1,4652,rtu,19200 outputs=00"
            EXPECT_EQ(stRow.pchState, sState.substr(0, sState.find(' ')));
        }
        PairEnded();
    }
}

// Cancel in the middle of a step closes the dialog at once; the step ends quietly and no
// later frame goes out: after RTU step 1, step 2 is never sent. For a module whose protocol has
// no settings frames (which protocols have none is the core tests') the button stays off and a
// press sends nothing; the dialog shows the present values as they are: a protocol without a
// name as "0" and a port rate outside the table as the number, with 9600 preselected.
TEST_F(ModuleSetTest, CancelDuringAStepClosesAtOnceShowsNothingAndSendsNoMore)
{
    struct Row
    {
        uint32_t dwProtocol;
        DWORD dwCancelAfterMs; // 0: idle, no press at all
    };
    const Row astRows[] = {{RTU, 300}, {ASC, 500}, {RTU, 0}, {MBA, 1300}};
    SimPort stPort(INDEX_115200);
    ASSERT_TRUE(stPort.IsOpen());
    const DWORD dwRate = gstCommPort.m_stDCB.BaudRate;
    for (const Row& stRow : astRows)
    {
        SCOPED_TRACE(std::to_string(stRow.dwProtocol) + " " +
                     std::to_string(stRow.dwCancelAfterMs));
        Select(stRow.dwProtocol == RTU ? "D0,4652,rtu,115200" : "D0,4652,ascii,115200");
        gstModuleList.m_astModule[0].m_dwProtocol = stRow.dwProtocol;
        gstCommPort.m_stDCB.BaudRate = stRow.dwProtocol == MBA ? 14400 : dwRate;
        uint32_t dwReports = gstModuleSet.m_dwReports.load();
        const bool bIdle = stRow.dwCancelAfterMs == 0;
        Operator stOp;
        stOp.pchAddress = "D1";
        stOp.nWrites = bIdle ? 0 : 1;
        stOp.dwCancelAfterMs = bIdle ? 200 : stRow.dwCancelAfterMs;
        MessageCapture stCapture;
        ASSERT_EQ(0, Open(stOp, stCapture));
        gstCommPort.m_stDCB.BaudRate = dwRate;
        EXPECT_LE(m_dwClosed - stOp.dwCancel, 150u) << "the dialog did not close at once";
        EXPECT_EQ(nullptr, gstModuleSetDlg.m_hDlg.load());
        EXPECT_EQ(bIdle, stOp.bEnabledAfter) << "the button before Cancel";
        // The rest of the reply window (or one read wait) and the cancelled read's drain.
        EXPECT_LE(PairEnded() - stOp.dwCancel, 1300u);
        Sleep(300);
        EXPECT_EQ(bIdle || stRow.dwProtocol == MBA ? 0u : 1u,
                  fnSimLogFramesSince(stOp.nLog).size());
        EXPECT_EQ(L"", stCapture.Seen());
        EXPECT_EQ(dwReports, gstModuleSet.m_dwReports.load());
        EXPECT_TRUE(stRow.dwProtocol != MBA || stOp.sPresent == "14400 0 3 0") << stOp.sPresent;
    }
}
