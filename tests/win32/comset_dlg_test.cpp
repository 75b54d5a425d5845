// The COM Set dialog run modally from template 125, driven from a thread timer inside its own
// message loop: the texts it shows, the lists it fills, and what each way of leaving it does to
// the committed choice. A watchdog tick ends a dialog that would not close, so nothing hangs.
#include "res/resource.h"
#include "serial/CommPort.h"
#include "serial/CommSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
enum class Leave
{
    Ok,
    Cancel,
    Escape,
    CloseBox,
};

struct Seen
{
    std::wstring wsCaption;
    std::wstring awsLabels[5];
    std::wstring wsOk, wsCancel;
    std::vector<std::wstring> vsStatic; // the fixed texts beside the lower labels
    int nPortCount, nBaudCount;
    std::wstring wsPort0, wsPort255, wsBaud0, wsBaud7;
    int nPortSel, nBaudSel;
    BOOL bPortEnabled, bBaudEnabled;
};

struct Drive
{
    Leave eLeave;
    int nSelectPort; // -1: leave the selection alone
    int nSelectBaud;
    Seen stSeen;
    int nTicks;
    bool bDone;
};

Drive* g_pstDrive = nullptr;

std::wstring fnText(HWND hWnd)
{
    wchar_t awch[256] = {};
    GetWindowTextW(hWnd, awch, 256);
    return awch;
}

std::wstring fnItem(HWND hCombo, int nIndex)
{
    wchar_t awch[64] = {};
    if (SendMessageW(hCombo, CB_GETLBTEXTLEN, nIndex, 0) >= 64)
        return L"(too long)";
    SendMessageW(hCombo, CB_GETLBTEXT, nIndex, reinterpret_cast<LPARAM>(awch));
    return awch;
}

BOOL CALLBACK fnCollectStatic(HWND hChild, LPARAM lParam)
{
    if (GetDlgCtrlID(hChild) == 0xFFFF || GetDlgCtrlID(hChild) == -1)
        reinterpret_cast<std::vector<std::wstring>*>(lParam)->push_back(fnText(hChild));
    return TRUE;
}

void fnLook(HWND hDlg, Seen& stSeen)
{
    static const int s_anLabels[5] = {IDC_COMSET_LBL_PORT, IDC_COMSET_LBL_BAUD,
                                      IDC_COMSET_LBL_DATABITS, IDC_COMSET_LBL_PARITY,
                                      IDC_COMSET_LBL_STOPBITS};
    stSeen.wsCaption = fnText(hDlg);
    for (int i = 0; i < 5; ++i)
        stSeen.awsLabels[i] = fnText(GetDlgItem(hDlg, s_anLabels[i]));
    stSeen.wsOk = fnText(GetDlgItem(hDlg, IDOK));
    stSeen.wsCancel = fnText(GetDlgItem(hDlg, IDCANCEL));
    EnumChildWindows(hDlg, fnCollectStatic, reinterpret_cast<LPARAM>(&stSeen.vsStatic));
    HWND hPort = GetDlgItem(hDlg, IDC_COMSET_PORT);
    HWND hBaud = GetDlgItem(hDlg, IDC_COMSET_BAUD);
    stSeen.nPortCount = static_cast<int>(SendMessageW(hPort, CB_GETCOUNT, 0, 0));
    stSeen.nBaudCount = static_cast<int>(SendMessageW(hBaud, CB_GETCOUNT, 0, 0));
    stSeen.wsPort0 = fnItem(hPort, 0);
    stSeen.wsPort255 = fnItem(hPort, 255);
    stSeen.wsBaud0 = fnItem(hBaud, 0);
    stSeen.wsBaud7 = fnItem(hBaud, 7);
    stSeen.nPortSel = static_cast<int>(SendMessageW(hPort, CB_GETCURSEL, 0, 0));
    stSeen.nBaudSel = static_cast<int>(SendMessageW(hBaud, CB_GETCURSEL, 0, 0));
    stSeen.bPortEnabled = IsWindowEnabled(hPort);
    stSeen.bBaudEnabled = IsWindowEnabled(hBaud);
}

void fnLeave(HWND hDlg, Leave eLeave)
{
    switch (eLeave)
    {
    case Leave::Ok:
        PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(hDlg, IDOK)));
        break;
    case Leave::Cancel:
        PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(hDlg, IDCANCEL)));
        break;
    case Leave::Escape: // the modal loop turns Esc on a control into IDCANCEL
        PostMessageW(GetDlgItem(hDlg, IDC_COMSET_BAUD), WM_KEYDOWN, VK_ESCAPE, 0);
        break;
    case Leave::CloseBox:
        PostMessageW(hDlg, WM_SYSCOMMAND, SC_CLOSE, 0);
        break;
    }
}

const INT_PTR WATCHDOG_RESULT = 77;

void CALLBACK fnTick(HWND, UINT, UINT_PTR, DWORD)
{
    Drive& stDrive = *g_pstDrive;
    HWND hDlg = gstCommSettings.m_hDlg;
    ++stDrive.nTicks;
    if (stDrive.nTicks > 300) // 3 s: the dialog did not close as asked
    {
        HWND hAny = hDlg != nullptr ? hDlg : GetActiveWindow();
        if (hAny != nullptr)
            EndDialog(hAny, WATCHDOG_RESULT);
        return;
    }
    if (stDrive.bDone || hDlg == nullptr)
        return;
    stDrive.bDone = true;
    fnLook(hDlg, stDrive.stSeen);
    if (stDrive.nSelectPort >= 0)
        SendMessageW(GetDlgItem(hDlg, IDC_COMSET_PORT), CB_SETCURSEL, stDrive.nSelectPort, 0);
    if (stDrive.nSelectBaud >= 0)
        SendMessageW(GetDlgItem(hDlg, IDC_COMSET_BAUD), CB_SETCURSEL, stDrive.nSelectBaud, 0);
    fnLeave(hDlg, stDrive.eLeave);
}

INT_PTR fnRunDialog(Drive& stDrive)
{
    g_pstDrive = &stDrive;
    UINT_PTR uTimer = SetTimer(nullptr, 0, 10, fnTick);
    INT_PTR nResult = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_COMSET),
                                      nullptr, ComSetDlgProc, 0);
    KillTimer(nullptr, uTimer);
    g_pstDrive = nullptr;
    return nResult;
}

class ComSetDlgTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        gstCommSettings.SetDefaults();
        gstCommPort.m_bOpen = 0;
    }
    void TearDown() override
    {
        gstCommSettings.SetDefaults();
        gstCommPort.m_bOpen = 0;
    }
};

TEST_F(ComSetDlgTest, ShowsChineseTextsFullListsAndTheCommittedChoice)
{
    gstCommSettings.m_dwPortIndex = 255;
    gstCommSettings.m_dwBaudIndex = 7;
    Drive stDrive{Leave::Cancel, -1, -1, {}, 0, false};

    ASSERT_EQ(0, fnRunDialog(stDrive));

    const Seen& s = stDrive.stSeen;
    EXPECT_EQ(std::wstring(L"串口设置"), s.wsCaption);
    EXPECT_EQ(std::wstring(L"端    口:"), s.awsLabels[0]);
    EXPECT_EQ(std::wstring(L"波特率:"), s.awsLabels[1]);
    EXPECT_EQ(std::wstring(L"数据位:"), s.awsLabels[2]);
    EXPECT_EQ(std::wstring(L"校    验:"), s.awsLabels[3]);
    EXPECT_EQ(std::wstring(L"停止位:"), s.awsLabels[4]);
    EXPECT_EQ(std::wstring(L"确定"), s.wsOk);
    EXPECT_EQ(std::wstring(L"取消"), s.wsCancel);
    EXPECT_EQ((std::vector<std::wstring>{L"8", L"None", L"1"}), s.vsStatic);
    EXPECT_EQ(256, s.nPortCount);
    EXPECT_EQ(8, s.nBaudCount);
    EXPECT_EQ(std::wstring(L"COM1"), s.wsPort0);
    EXPECT_EQ(std::wstring(L"COM256"), s.wsPort255);
    EXPECT_EQ(std::wstring(L"1200"), s.wsBaud0);
    EXPECT_EQ(std::wstring(L"115200"), s.wsBaud7);
    EXPECT_EQ(255, s.nPortSel);
    EXPECT_EQ(7, s.nBaudSel);
    EXPECT_TRUE(s.bPortEnabled);
    EXPECT_TRUE(s.bBaudEnabled);
}

struct LeaveRow
{
    const char* pchName;
    Leave eLeave;
    uint32_t bOpen;
    int nSelectPort, nSelectBaud;
    INT_PTR nResult;
    uint32_t dwPort, dwBaud; // committed afterwards
    BOOL bPortEnabled;
};

TEST_F(ComSetDlgTest, OnlyOkCommitsTheEditedChoice)
{
    const LeaveRow astRows[] = {
        {"ok commits both", Leave::Ok, 0, 4, 6, 1, 4, 6, TRUE},
        {"ok untouched keeps defaults", Leave::Ok, 0, -1, -1, 1, 0, 3, TRUE},
        {"cancel", Leave::Cancel, 0, 4, 6, 0, 0, 3, TRUE},
        {"escape", Leave::Escape, 0, 10, 0, 0, 0, 3, TRUE},
        {"close box", Leave::CloseBox, 0, 10, 0, 0, 0, 3, TRUE},
        // Open port: the port list is disabled and shows the current port; the baud changes.
        {"open port, ok", Leave::Ok, 1, -1, 7, 1, 0, 7, FALSE},
        {"open port, cancel", Leave::Cancel, 1, -1, 7, 0, 0, 3, FALSE},
    };
    for (const LeaveRow& stRow : astRows)
    {
        SCOPED_TRACE(stRow.pchName);
        gstCommSettings.SetDefaults();
        gstCommPort.m_bOpen = stRow.bOpen;
        Drive stDrive{stRow.eLeave, stRow.nSelectPort, stRow.nSelectBaud, {}, 0, false};

        EXPECT_EQ(stRow.nResult, fnRunDialog(stDrive));

        EXPECT_EQ(stRow.dwPort, gstCommSettings.m_dwPortIndex);
        EXPECT_EQ(stRow.dwBaud, gstCommSettings.m_dwBaudIndex.load());
        EXPECT_EQ(stRow.bPortEnabled, stDrive.stSeen.bPortEnabled);
        EXPECT_EQ(0, stDrive.stSeen.nPortSel);
        EXPECT_EQ(nullptr, gstCommSettings.m_hDlg);
    }
}

// Reopening after a commit shows the new choice, not the defaults.
TEST_F(ComSetDlgTest, ReopenShowsWhatWasCommitted)
{
    Drive stFirst{Leave::Ok, 2, 1, {}, 0, false};
    ASSERT_EQ(1, fnRunDialog(stFirst));
    Drive stSecond{Leave::Cancel, -1, -1, {}, 0, false};
    ASSERT_EQ(0, fnRunDialog(stSecond));
    EXPECT_EQ(2, stSecond.stSeen.nPortSel);
    EXPECT_EQ(1, stSecond.stSeen.nBaudSel);
}

} // namespace
