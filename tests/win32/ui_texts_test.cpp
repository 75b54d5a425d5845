// Every dialog opened from its template through the program's one way of opening them, and every caption and control
// text read back through W messages and compared with res/texts.tsv, the one table the texts
// come from; then a real message box and the file dialogs' titles. Run it under a Western code
// page too (README: VQ_TEST_LOCALE=C.UTF-8), where a text that passes through an ANSI window or
// an A call comes back as question marks.
#include "io/IoDlg4618.h"
#include "io/IoDlg4652.h"
#include "io/IoDlgAnalog.h"
#include "res/GbkText.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "search/ModuleList.h"
#include "search/ModuleSearch.h"
#include "search/SearchListFile.h"
#include "search/SearchProgressDlg.h"
#include "search/SearchStartDlg.h"
#include "serial/CommSettings.h"
#include "settings/ModuleSetDlg.h"
#include "shell/AboutDlg.h"
#include "shell/FeatureCommands.h"
#include "terminal/TerminalDlg.h"
#include "tests/win32/SearchTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <vector>

namespace
{
const UINT WM_READ_TEXTS = WM_APP + 0x3A1;
const char MODEL[] = "VQ-4652GD"; // the selected record the IO titles name
const char ADDRESS[] = "01";

struct ItemText
{
    int nId; // 0: the caption
    const char* pchName;
};

struct DialogRow
{
    int nTemplate;
    DLGPROC pfnProc;
    int nClose; // the command that closes it as the user would
    std::vector<ItemText> vItems;
};

DLGPROC g_pfnReal = nullptr;
const DialogRow* g_pstRow = nullptr;
std::map<int, std::wstring> g_mSeen;

// Stands in front of the dialog's own procedure: once the dialog is up, reads every text the
// row names, then closes it with its own command.
INT_PTR CALLBACK fnReadingProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    INT_PTR nResult = g_pfnReal(hDlg, uMsg, wParam, lParam);
    if (uMsg == WM_INITDIALOG)
        PostMessageW(hDlg, WM_READ_TEXTS, 0, 0);
    if (uMsg != WM_READ_TEXTS)
        return nResult;
    EXPECT_TRUE(IsWindowUnicode(hDlg));
    for (const ItemText& stItem : g_pstRow->vItems)
        g_mSeen[stItem.nId] = fnWindowTextW(stItem.nId == 0 ? hDlg : GetDlgItem(hDlg, stItem.nId));
    SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(g_pstRow->nClose, BN_CLICKED), 0);
    EndDialog(hDlg, 0); // in case the close was refused
    return TRUE;
}

void fnSelectRecord()
{
    ModuleRecord& stRecord = gstModuleList.m_astModule[0];
    stRecord = ModuleRecord{};
    strcpy(stRecord.m_achModName, MODEL);
    strcpy(stRecord.m_achAddressHex2, ADDRESS);
    gstModuleList.m_dwCount = 1;
    gstModuleList.m_dwSelected = 0;
}

// The open box of this thread (a message box has class "#32770" like a dialog).
HWND g_hBox = NULL;
BOOL CALLBACK fnFindBox(HWND hWnd, LPARAM)
{
    wchar_t awchClass[16] = {};
    GetClassNameW(hWnd, awchClass, 16);
    if (!IsWindowVisible(hWnd) || wcscmp(awchClass, L"#32770") != 0)
        return TRUE;
    g_hBox = hWnd;
    return FALSE;
}

std::wstring g_wsBoxCaption, g_wsBoxText;
int g_nBoxTries = 0;
void fnReadBox()
{
    g_hBox = NULL;
    EnumThreadWindows(GetCurrentThreadId(), fnFindBox, 0);
    if (g_hBox == NULL)
    {
        if (++g_nBoxTries < 100)
            LoopTimer::Start(20, fnReadBox);
        return;
    }
    g_wsBoxCaption = fnWindowTextW(g_hBox);
    g_wsBoxText = fnWindowTextW(GetDlgItem(g_hBox, 0xFFFF));
    PostMessageW(g_hBox, WM_COMMAND, IDOK, 0);
}

TEST(UiTextsTest, EveryCaptionLabelMessageAndFileTitleIsTheTableText)
{
    const std::vector<ItemText> vIoDigital = {{0, "TXT_IO_CONTROL"}, {IDOK, "TXT_IO_CLOSE"}};
    const DialogRow astRows[] = {
        {IDD_COMSET, ComSetDlgProc, IDCANCEL,
         {{0, "TXT_COMSET_CAPTION"},
          {IDC_COMSET_LBL_PORT, "TXT_COMSET_PORT"},
          {IDC_COMSET_LBL_BAUD, "TXT_COMSET_BAUD"},
          {IDC_COMSET_LBL_DATABITS, "TXT_COMSET_DATABITS"},
          {IDC_COMSET_LBL_PARITY, "TXT_COMSET_PARITY"},
          {IDC_COMSET_LBL_STOPBITS, "TXT_COMSET_STOPBITS"},
          {IDOK, "TXT_OK"},
          {IDCANCEL, "TXT_CANCEL"}}},
        {IDD_ABOUT, AboutDlgProc, IDOK, {{0, "TXT_ABOUT"}, {IDOK, "TXT_OK"}}},
        {IDD_SEARCH_START, SearchStartDlgProc, IDCANCEL,
         {{0, "TXT_MODULE_SEARCH"},
          {IDC_SEARCH_PROMPT, "TXT_SEARCH_START_PROMPT"},
          {IDOK, "TXT_OK"},
          {IDCANCEL, "TXT_CANCEL"}}},
        {IDD_SEARCH_PROGRESS, SearchProgressDlgProc, IDOK,
         {{0, "TXT_SEARCH_PROGRESS_CAPTION"},
          {IDC_SEARCH_LABEL, "TXT_SEARCH_CURRENT_ADDRESS"},
          {IDOK, "TXT_STOP"}}},
        {IDD_MODULE_SET, ModuleSetDlgProc, IDCANCEL,
         {{0, "TXT_MODULE_SET"},
          {IDC_SET_WRITE, "TXT_SET_WRITE"},
          {IDCANCEL, "TXT_CANCEL"},
          {IDC_SET_LBL_MODEL, "TXT_SET_LABEL_MODEL"},
          {IDC_SET_LBL_ADDRESS, "TXT_SET_LABEL_ADDRESS"},
          {IDC_SET_LBL_BAUD, "TXT_SET_LABEL_BAUD"},
          {IDC_SET_LBL_PROTOCOL, "TXT_SET_LABEL_PROTOCOL"},
          {IDC_SET_LBL_NEW_ADDRESS, "TXT_SET_LABEL_NEW_ADDRESS"},
          {IDC_SET_LBL_NEW_BAUD, "TXT_SET_LABEL_NEW_BAUD"},
          {IDC_SET_LBL_NEW_PROTOCOL, "TXT_SET_LABEL_NEW_PROTOCOL"}}},
        {IDD_TERMINAL, TerminalDlgProc, IDC_TERM_EXIT,
         {{0, "TXT_TERM_CAPTION"},
          {IDC_TERM_LBL_PROTOCOL, "TXT_TERM_LABEL_PROTOCOL"},
          {IDC_TERM_LBL_COMMAND, "TXT_TERM_LABEL_COMMAND"},
          {IDC_TERM_APPEND_CHK, "TXT_TERM_APPEND_CHK"},
          {IDC_TERM_APPEND_CR, "TXT_TERM_APPEND_CR"},
          {IDC_TERM_APPEND_CRC, "TXT_TERM_APPEND_CRC"},
          {IDC_TERM_CALC_CRC, "TXT_TERM_CALC_CRC"},
          {IDC_TERM_SEND, "TXT_TERM_SEND"},
          {IDC_TERM_CONTINUOUS, "TXT_TERM_CONTINUOUS"},
          {IDC_TERM_STOP, "TXT_TERM_STOP"},
          {IDC_TERM_LBL_INTERVAL, "TXT_TERM_LABEL_INTERVAL"},
          {IDC_TERM_LBL_RETURN, "TXT_TERM_LABEL_RETURN"},
          {IDC_TERM_CLEAR, "TXT_TERM_CLEAR"},
          {IDC_TERM_EXIT, "TXT_TERM_EXIT"}}},
        {IDD_IO_4652, DlgProc_ModuleIO_4652, IDOK,
         {{0, "TXT_IO_CONTROL"},
          {IDOK, "TXT_IO_CLOSE"},
          {IDC_IO52_TITLE, "TXT_IO_TITLE_FMT"},
          {IDC_IO52_GROUP_INPUT, "TXT_IO_GROUP_INPUT"},
          {IDC_IO52_GROUP_OUTPUT, "TXT_IO_GROUP_OUTPUT"}}},
        {IDD_IO_4618, DlgProc_ModuleIO_4618, IDOK,
         {{0, "TXT_IO_CONTROL"},
          {IDOK, "TXT_IO_CLOSE"},
          {IDC_IO18_TITLE, "TXT_IO_TITLE_FMT"},
          {IDC_IO18_GROUP_INPUT, "TXT_IO_GROUP_INPUT"}}},
        {IDD_IO_4624, DlgProc_ModuleIO_4624, IDOK,
         {{0, "TXT_IO_CONTROL"},
          {IDOK, "TXT_IO_CLOSE"},
          {IDC_IO24_TITLE, "TXT_IO_TITLE_FMT"},
          {IDC_IO24_GROUP_CURRENT, "TXT_IO_GROUP_CURRENT"},
          {IDC_IO24_GROUP_VOLTAGE, "TXT_IO_GROUP_VOLTAGE"}}},
        {IDD_IO_4637, DlgProc_ModuleIO_4637, IDOK,
         {{0, "TXT_IO_CONTROL"},
          {IDOK, "TXT_IO_CLOSE"},
          {IDC_IO37_TITLE, "TXT_IO_TITLE_FMT"},
          {IDC_IO37_GROUP_CURRENT, "TXT_IO_GROUP_CURRENT"}}},
    };
    fnSelectRecord();
    gstModuleSearch.m_bScanOver = 0;
    for (const DialogRow& stRow : astRows)
    {
        SCOPED_TRACE(stRow.nTemplate);
        g_pfnReal = stRow.pfnProc;
        g_pstRow = &stRow;
        g_mSeen.clear();
        fnShowDialog(stRow.nTemplate, NULL, fnReadingProc);
        for (const ItemText& stItem : stRow.vItems)
            EXPECT_EQ(g_mSeen[stItem.nId], fnTableText(stItem.pchName, MODEL, ADDRESS))
                << stItem.pchName;
    }
    gstModuleList.m_dwCount = 0;
    // Without a receive worker to end them, the analog windows were ended here: forget them.
    gstIOView_4624.m_hDlg = NULL;
    gstIOView_4637.m_hDlg = NULL;

    // A real box, no test hook: its caption and its text.
    g_nBoxTries = 0;
    LoopTimer::Start(50, fnReadBox);
    fnMessageBoxGbk(NULL, TXT_NO_SELECTION, TXT_MODULE_SEARCH, MB_OK | MB_ICONINFORMATION);
    LoopTimer::Cancel();
    EXPECT_EQ(g_wsBoxCaption, fnTableText("TXT_MODULE_SEARCH"));
    EXPECT_EQ(g_wsBoxText, fnTableText("TXT_NO_SELECTION"));

    gstSearchListFile.fnFileInit(NULL);
    EXPECT_EQ(std::wstring(gstSearchListFile.m_stOpen.lpstrTitle),
              fnTableText("TXT_SLI_OPEN_TITLE"));
    EXPECT_EQ(std::wstring(gstSearchListFile.m_stSave.lpstrTitle),
              fnTableText("TXT_SLI_SAVE_TITLE"));
}
} // namespace
