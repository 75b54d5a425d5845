// The COM Set dialog run modally from its template, driven from a timer inside its own message
// loop: what each way of leaving it does to the committed choice, and what it offers when it
// opens again.
#include "res/resource.h"
#include "serial/CommPort.h"
#include "serial/CommSettings.h"
#include "tests/win32/SearchTestSupport.h"

#include <gtest/gtest.h>

namespace
{
// A way of leaving: the message posted to the dialog, or to one of its controls.
struct Leave
{
    UINT uMsg;
    WPARAM wParam;
    int nControl; // 0: the dialog itself
};
const Leave OK_BUTTON = {WM_COMMAND, IDOK, 0};
const Leave CANCEL_BUTTON = {WM_COMMAND, IDCANCEL, 0};
const Leave ESCAPE_KEY = {WM_KEYDOWN, VK_ESCAPE, IDC_COMSET_BAUD}; // the modal loop's IDCANCEL
const Leave CLOSE_BOX = {WM_SYSCOMMAND, SC_CLOSE, 0};

// What a row does and what the dialog showed when it came up.
struct Drive
{
    Leave stLeave;
    int nSelectPort, nSelectBaud; // -1: leave the selection alone
    int nPortSel, nBaudSel;
    BOOL bPortEnabled;
};
Drive g_stDrive;

// Ends a dialog that did not close as asked, so that nothing hangs.
void fnWatchdog()
{
    if (gstCommSettings.m_hDlg != nullptr)
        EndDialog(gstCommSettings.m_hDlg, 77);
}

void fnAct()
{
    Drive& st = g_stDrive;
    HWND hDlg = gstCommSettings.m_hDlg;
    if (hDlg == nullptr)
        return LoopTimer::Start(10, fnAct);
    HWND hPort = GetDlgItem(hDlg, IDC_COMSET_PORT), hBaud = GetDlgItem(hDlg, IDC_COMSET_BAUD);
    st.nPortSel = static_cast<int>(SendMessageW(hPort, CB_GETCURSEL, 0, 0));
    st.nBaudSel = static_cast<int>(SendMessageW(hBaud, CB_GETCURSEL, 0, 0));
    st.bPortEnabled = IsWindowEnabled(hPort);
    if (st.nSelectPort >= 0)
        SendMessageW(hPort, CB_SETCURSEL, st.nSelectPort, 0);
    if (st.nSelectBaud >= 0)
        SendMessageW(hBaud, CB_SETCURSEL, st.nSelectBaud, 0);
    HWND hTarget = st.stLeave.nControl != 0 ? GetDlgItem(hDlg, st.stLeave.nControl) : hDlg;
    PostMessageW(hTarget, st.stLeave.uMsg, st.stLeave.wParam, 0);
    LoopTimer::Start(3000, fnWatchdog);
}

INT_PTR fnRunDialog(const Drive& stDrive)
{
    g_stDrive = stDrive;
    LoopTimer::Start(10, fnAct);
    INT_PTR nResult = DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_COMSET),
                                      nullptr, ComSetDlgProc, 0);
    LoopTimer::Cancel();
    return nResult;
}

// One technician's session, row after row: each opening shows what was committed last, and
// only OK commits the edited choice. An open port's list is disabled; its baud still changes.
TEST(ComSetDlgTest, EachOpeningShowsTheCommittedChoiceAndOnlyOkCommits)
{
    const struct
    {
        const char* pchName;
        Leave stLeave;
        uint32_t bOpen;
        int nSelectPort, nSelectBaud;
        INT_PTR nResult;
        uint32_t dwPort, dwBaud; // committed afterwards
    } astRows[] = {
        {"ok commits both", OK_BUTTON, 0, 4, 6, 1, 4, 6},
        {"cancel", CANCEL_BUTTON, 0, 2, 1, 0, 4, 6},
        {"escape", ESCAPE_KEY, 0, 10, 0, 0, 4, 6},
        {"close box", CLOSE_BOX, 0, 10, 0, 0, 4, 6},
        {"ok untouched", OK_BUTTON, 0, -1, -1, 1, 4, 6},
        {"ok on the last entries", OK_BUTTON, 0, 255, 7, 1, 255, 7},
        {"open port, ok", OK_BUTTON, 1, -1, 0, 1, 255, 0},
        {"open port, cancel", CANCEL_BUTTON, 1, -1, 5, 0, 255, 0},
    };
    gstCommSettings.SetDefaults();
    uint32_t dwShownPort = 0, dwShownBaud = 3;
    for (const auto& stRow : astRows)
    {
        SCOPED_TRACE(stRow.pchName);
        gstCommPort.m_bOpen = stRow.bOpen;
        EXPECT_EQ(stRow.nResult,
                  fnRunDialog({stRow.stLeave, stRow.nSelectPort, stRow.nSelectBaud, -2, -2, 0}));
        const Drive& stDrive = g_stDrive;

        EXPECT_EQ(stRow.dwPort, gstCommSettings.m_dwPortIndex);
        EXPECT_EQ(stRow.dwBaud, gstCommSettings.m_dwBaudIndex.load());
        EXPECT_EQ(stRow.bOpen == 0, stDrive.bPortEnabled != FALSE);
        EXPECT_EQ(dwShownPort, static_cast<uint32_t>(stDrive.nPortSel));
        EXPECT_EQ(dwShownBaud, static_cast<uint32_t>(stDrive.nBaudSel));
        EXPECT_EQ(nullptr, gstCommSettings.m_hDlg);
        dwShownPort = stRow.dwPort;
        dwShownBaud = stRow.dwBaud;
    }
    gstCommSettings.SetDefaults();
    gstCommPort.m_bOpen = 0;
}

} // namespace
