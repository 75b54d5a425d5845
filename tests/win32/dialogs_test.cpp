// The small dialogs run modally from their templates, as the main window runs them, and driven
// from a timer inside their own message loop: the About box's brand font, COM Set's committed
// choice, which start addresses the search accepts with its exact refusal, and the progress
// dialog's end when the scan was over before it came up.
#include "res/resource.h"
#include "search/ModuleSearch.h"
#include "search/SearchProgressDlg.h"
#include "search/SearchStartDlg.h"
#include "serial/CommPort.h"
#include "serial/CommSettings.h"
#include "shell/AboutDlg.h"
#include "tests/win32/MessageCapture.h"
#include "tests/win32/SearchTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace
{
HFONT g_hFont = NULL;
WORD g_wButton = IDOK;

void fnTakeFontAndClose()
{
    HWND hDlg = gstAboutBox.m_hDlg;
    if (hDlg == NULL)
        return;
    g_hFont = reinterpret_cast<HFONT>(SendDlgItemMessageA(hDlg, IDC_ABOUT_BRAND, WM_GETFONT, 0, 0));
    PostMessageA(hDlg, WM_COMMAND, g_wButton, 0);
}

// The font must be gone once the box closes, whichever way.
TEST(AboutBoxTest, TheBrandFontIsReleasedEveryTime)
{
    for (WORD wButton : {IDOK, IDCANCEL})
    {
        SCOPED_TRACE(wButton);
        g_hFont = NULL;
        g_wButton = wButton;
        EXPECT_EQ(wButton == IDOK ? 1 : 0,
                  fnRunModal(IDD_ABOUT, AboutDlgProc, 300, fnTakeFontAndClose));
        ASSERT_NE(g_hFont, static_cast<HFONT>(NULL));
        EXPECT_EQ(GetObjectType(g_hFont), 0u) << "the brand font outlived its box";
        EXPECT_EQ(gstAboutBox.m_hBrandFont, static_cast<HFONT>(NULL));
    }
}

// A way of leaving COM Set: the message posted to the dialog, or to one of its controls.
struct Leave
{
    UINT uMsg;
    WPARAM wParam;
    int nControl; // 0: the dialog itself
};
const Leave OK = {WM_COMMAND, IDOK, 0}, CANCEL = {WM_COMMAND, IDCANCEL, 0};

struct ComSetRow
{
    const char* pchName;
    Leave stLeave;
    uint32_t bOpen;
    int nSelectPort, nSelectBaud; // -1: leave the selection alone
    INT_PTR nResult;
    uint32_t dwPort, dwBaud; // committed afterwards
};
const ComSetRow* g_pstRow = nullptr;
int g_nPortShown, g_nBaudShown; // the selections the dialog came up with
BOOL g_bPortEnabled;

// Ends a dialog that did not close as asked, so that nothing hangs.
void fnWatchdog()
{
    if (gstCommSettings.m_hDlg != nullptr)
        EndDialog(gstCommSettings.m_hDlg, 77);
}

void fnAct()
{
    HWND hDlg = gstCommSettings.m_hDlg;
    if (hDlg == nullptr)
        return LoopTimer::Start(10, fnAct);
    HWND hPort = GetDlgItem(hDlg, IDC_COMSET_PORT), hBaud = GetDlgItem(hDlg, IDC_COMSET_BAUD);
    g_nPortShown = static_cast<int>(SendMessageW(hPort, CB_GETCURSEL, 0, 0));
    g_nBaudShown = static_cast<int>(SendMessageW(hBaud, CB_GETCURSEL, 0, 0));
    g_bPortEnabled = IsWindowEnabled(hPort);
    if (g_pstRow->nSelectPort >= 0)
        SendMessageW(hPort, CB_SETCURSEL, g_pstRow->nSelectPort, 0);
    if (g_pstRow->nSelectBaud >= 0)
        SendMessageW(hBaud, CB_SETCURSEL, g_pstRow->nSelectBaud, 0);
    const Leave& st = g_pstRow->stLeave;
    PostMessageW(st.nControl != 0 ? GetDlgItem(hDlg, st.nControl) : hDlg, st.uMsg, st.wParam, 0);
    LoopTimer::Start(3000, fnWatchdog);
}

// One technician's session, row after row: each opening shows what was committed last, and
// only OK commits the edited choice. An open port's list is disabled; its baud still changes.
TEST(ComSetDlgTest, EachOpeningShowsTheCommittedChoiceAndOnlyOkCommits)
{
    const ComSetRow astRows[] = {
        {"ok commits both", OK, 0, 4, 6, 1, 4, 6},
        {"cancel", CANCEL, 0, 2, 1, 0, 4, 6},
        // the modal loop turns the key into IDCANCEL
        {"escape", {WM_KEYDOWN, VK_ESCAPE, IDC_COMSET_BAUD}, 0, 10, 0, 0, 4, 6},
        {"close box", {WM_SYSCOMMAND, SC_CLOSE, 0}, 0, 10, 0, 0, 4, 6},
        {"ok untouched", OK, 0, -1, -1, 1, 4, 6},
        {"ok on the last entries", OK, 0, 255, 7, 1, 255, 7},
        {"open port, ok", OK, 1, -1, 0, 1, 255, 0},
        {"open port, cancel", CANCEL, 1, -1, 5, 0, 255, 0},
    };
    gstCommSettings.SetDefaults();
    int nShownPort = 0, nShownBaud = 3;
    for (const ComSetRow& stRow : astRows)
    {
        SCOPED_TRACE(stRow.pchName);
        gstCommPort.m_bOpen = stRow.bOpen;
        g_pstRow = &stRow;
        g_nPortShown = g_nBaudShown = -2;
        EXPECT_EQ(stRow.nResult, fnRunModal(IDD_COMSET, ComSetDlgProc, 10, fnAct));
        EXPECT_EQ(stRow.dwPort, gstCommSettings.m_dwPortIndex);
        EXPECT_EQ(stRow.dwBaud, gstCommSettings.m_dwBaudIndex.load());
        EXPECT_EQ(stRow.bOpen == 0, g_bPortEnabled != FALSE);
        EXPECT_EQ(nShownPort, g_nPortShown);
        EXPECT_EQ(nShownBaud, g_nBaudShown);
        EXPECT_EQ(nullptr, gstCommSettings.m_hDlg);
        nShownPort = static_cast<int>(stRow.dwPort);
        nShownBaud = static_cast<int>(stRow.dwBaud);
    }
    gstCommSettings.SetDefaults();
    gstCommPort.m_bOpen = 0;
}

const char* g_pchTyped = "";
MessageCapture* g_pCapture = nullptr;

// Types the text into the address box and presses OK; a refusal leaves the dialog open, so
// then Cancel ends it and the result tells which happened.
void fnTypeAndOk()
{
    HWND hDlg = gstSearchStartDlg.m_hDlg;
    SetDlgItemTextA(hDlg, IDC_SEARCH_START, g_pchTyped);
    SendMessageA(hDlg, WM_COMMAND, IDOK, 0);
    if (IsWindow(hDlg) && g_pCapture->Count() > 0)
        PostMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
}

TEST(SearchStartDlgTest, AcceptsOneHexByteAndRefusesAnythingElseWithTheMessage)
{
    const struct
    {
        const char* pchTyped;
        INT_PTR nResult;
        uint8_t chCommitted;
    } astRows[] = {
        {"  1f  ", 1, 0x1F},             // which texts convert to what is the codec's own test
        {"1F 20", 0, 0x5A},              // two bytes
        {"                1F", 0, 0x5A}, // the pair lies beyond the first 16 positions
    };
    for (const auto& stRow : astRows)
    {
        SCOPED_TRACE(std::string("typed '") + stRow.pchTyped + "'");
        MessageCapture stCapture;
        g_pCapture = &stCapture;
        gstSearchStartDlg.m_chStartAddress = 0x5A;
        g_pchTyped = stRow.pchTyped;
        EXPECT_EQ(stRow.nResult, fnRunModal(IDD_SEARCH_START, SearchStartDlgProc, 10, fnTypeAndOk));
        EXPECT_EQ(stRow.chCommitted, gstSearchStartDlg.m_chStartAddress);
        EXPECT_EQ(stRow.nResult == 1 ? L""
                                     : fnMessageLine(fnTableText("TXT_MODULE_SEARCH"),
                                                     fnTableText("TXT_SEARCH_START_ERROR"),
                                                     MB_ICONINFORMATION, gstSearchStartDlg.m_hDlg),
                  stCapture.Seen());
    }
    g_pCapture = nullptr;
}

// The scan may be over before the progress dialog comes up: the dialog must still close.
TEST(SearchProgressDlgTest, AScanThatEndedBeforeTheDialogCameUpStillClosesIt)
{
    gstModuleSearch.m_chStartAddress = 0xFF;
    gstModuleSearch.m_bScanOver = 1;
    DWORD dwStart = GetTickCount();
    EXPECT_EQ(1, fnRunModal(IDD_SEARCH_PROGRESS, SearchProgressDlgProc));
    EXPECT_LE(GetTickCount() - dwStart, 1000u);
    gstModuleSearch.m_bScanOver = 0;
}
} // namespace
