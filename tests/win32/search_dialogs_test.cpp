// The two search dialogs built from their templates in-process: which start addresses are
// accepted, the exact refusal, and the progress dialog's end when the scan was over before it
// came up.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "res/resource.h"
#include "search/ModuleSearch.h"
#include "search/SearchProgressDlg.h"
#include "search/SearchStartDlg.h"
#include "tests/win32/MessageCapture.h"
#include "tests/win32/SearchTestSupport.h"

namespace
{
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

INT_PTR fnRunStartDialog()
{
    return DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_SEARCH_START), NULL,
                           SearchStartDlgProc, 0);
}
} // namespace

TEST(SearchStartDlgTest, AcceptsOneHexByteAndRefusesAnythingElseWithTheMessage)
{
    struct Row
    {
        const char* pchTyped;
        INT_PTR nResult;
        uint8_t chCommitted;
    };
    const Row astRows[] = {
        {"  1f  ", 1, 0x1F},             // which texts convert to what is the codec's own test
        {"1F 20", 0, 0x5A},              // two bytes
        {"                1F", 0, 0x5A}, // the pair lies beyond the first 16 positions
    };
    for (const Row& stRow : astRows)
    {
        SCOPED_TRACE(std::string("typed '") + stRow.pchTyped + "'");
        MessageCapture stCapture;
        g_pCapture = &stCapture;
        gstSearchStartDlg.m_chStartAddress = 0x5A;
        g_pchTyped = stRow.pchTyped;
        LoopTimer::Start(10, fnTypeAndOk);
        EXPECT_EQ(stRow.nResult, fnRunStartDialog());
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
    EXPECT_EQ(1, DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_SEARCH_PROGRESS),
                                 NULL, SearchProgressDlgProc, 0));
    EXPECT_LE(GetTickCount() - dwStart, 1000u);
    gstModuleSearch.m_bScanOver = 0;
}
