// Every dialog opened through the program's one way of opening them, its caption and every
// control text read back through W messages and compared with res/texts.tsv, the one table the
// texts come from; then a real message box and the file dialogs' titles. Run it under a Western
// code page too (README: VQ_TEST_LOCALE=C.UTF-8), where a text that passes through an ANSI window
// or an A call comes back as question marks.
#include "io/IoDlgDigital.h"
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

#include <algorithm>
#include <cstring>
#include <sstream>
#include <string>
#include <vector>

namespace
{
const UINT WM_READ_TEXTS = WM_APP + 0x3A1;
const char MODEL[] = "VQ-4652GD"; // the selected record the IO titles name
const char ADDRESS[] = "01";

DLGPROC g_pfnReal = nullptr;
int g_nClose = 0;
std::vector<std::wstring> g_vsSeen; // caption first, then every control

// Stands in front of the dialog's own procedure: once the dialog is up, reads its texts, then
// closes it with its own command.
INT_PTR CALLBACK fnReadingProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    INT_PTR nResult = g_pfnReal(hDlg, uMsg, wParam, lParam);
    if (uMsg == WM_INITDIALOG)
        PostMessageW(hDlg, WM_READ_TEXTS, 0, 0);
    if (uMsg != WM_READ_TEXTS)
        return nResult;
    g_vsSeen = {fnWindowTextW(hDlg)};
    EnumChildWindows(
        hDlg, [](HWND hChild, LPARAM) { return g_vsSeen.push_back(fnWindowTextW(hChild)), TRUE; },
        0);
    SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(g_nClose, BN_CLICKED), 0);
    EndDialog(hDlg, 0); // in case nothing else ends it
    return TRUE;
}

// The message box this thread shows: caption and text, then OK.
std::wstring g_wsBoxCaption, g_wsBoxText;
int g_nBoxTries = 0;
BOOL CALLBACK fnReadBox(HWND hWnd, LPARAM)
{
    wchar_t awchClass[16] = {};
    GetClassNameW(hWnd, awchClass, 16);
    if (!IsWindowVisible(hWnd) || wcscmp(awchClass, L"#32770") != 0)
        return TRUE;
    g_wsBoxCaption = fnWindowTextW(hWnd);
    g_wsBoxText = fnWindowTextW(GetDlgItem(hWnd, 0xFFFF));
    PostMessageW(hWnd, WM_COMMAND, IDOK, 0);
    return FALSE;
}
void fnFindBox()
{
    if (EnumThreadWindows(GetCurrentThreadId(), fnReadBox, 0) && ++g_nBoxTries < 100)
        LoopTimer::Start(20, fnFindBox);
}

TEST(UiTextsTest, EveryCaptionLabelMessageAndFileTitleIsTheTableText)
{
    const struct
    {
        int nTemplate;
        DLGPROC pfnProc;
        int nClose;           // the command that closes it as the user would
        const char* pchNames; // the caption's first
    } astRows[] = {
        {IDD_COMSET, ComSetDlgProc, IDCANCEL,
         "TXT_COMSET_CAPTION TXT_COMSET_PORT TXT_COMSET_BAUD TXT_COMSET_DATABITS "
         "TXT_COMSET_PARITY TXT_COMSET_STOPBITS TXT_OK TXT_CANCEL"},
        {IDD_ABOUT, AboutDlgProc, IDOK, "TXT_ABOUT TXT_OK"},
        {IDD_SEARCH_START, SearchStartDlgProc, IDCANCEL,
         "TXT_MODULE_SEARCH TXT_SEARCH_START_PROMPT TXT_OK TXT_CANCEL"},
        {IDD_SEARCH_PROGRESS, SearchProgressDlgProc, IDOK,
         "TXT_SEARCH_PROGRESS_CAPTION TXT_SEARCH_CURRENT_ADDRESS TXT_STOP"},
        {IDD_MODULE_SET, ModuleSetDlgProc, IDCANCEL,
         "TXT_MODULE_SET TXT_SET_WRITE TXT_CANCEL TXT_SET_LABEL_MODEL TXT_SET_LABEL_ADDRESS "
         "TXT_SET_LABEL_BAUD TXT_SET_LABEL_PROTOCOL TXT_SET_LABEL_NEW_ADDRESS "
         "TXT_SET_LABEL_NEW_BAUD TXT_SET_LABEL_NEW_PROTOCOL"},
        {IDD_TERMINAL, TerminalDlgProc, IDC_TERM_EXIT,
         "TXT_TERM_CAPTION TXT_TERM_LABEL_PROTOCOL TXT_TERM_LABEL_COMMAND TXT_TERM_APPEND_CHK "
         "TXT_TERM_APPEND_CR TXT_TERM_APPEND_CRC TXT_TERM_CALC_CRC TXT_TERM_SEND "
         "TXT_TERM_CONTINUOUS TXT_TERM_STOP TXT_TERM_LABEL_INTERVAL TXT_TERM_LABEL_RETURN "
         "TXT_TERM_CLEAR TXT_TERM_EXIT"},
        {IDD_IO_4652, DlgProc_ModuleIO_4652, IDOK,
         "TXT_IO_CONTROL TXT_IO_CLOSE TXT_IO_TITLE_FMT TXT_IO_GROUP_INPUT TXT_IO_GROUP_OUTPUT"},
        {IDD_IO_4618, DlgProc_ModuleIO_4618, IDOK,
         "TXT_IO_CONTROL TXT_IO_CLOSE TXT_IO_TITLE_FMT TXT_IO_GROUP_INPUT"},
        {IDD_IO_4624, DlgProc_ModuleIO_4624, IDOK,
         "TXT_IO_CONTROL TXT_IO_CLOSE TXT_IO_TITLE_FMT TXT_IO_GROUP_CURRENT TXT_IO_GROUP_VOLTAGE"},
        {IDD_IO_4637, DlgProc_ModuleIO_4637, IDOK,
         "TXT_IO_CONTROL TXT_IO_CLOSE TXT_IO_TITLE_FMT TXT_IO_GROUP_CURRENT"},
    };
    ModuleRecord& stRecord = gstModuleList.m_astModule[0];
    stRecord = ModuleRecord{};
    strcpy(stRecord.m_achModName, MODEL);
    strcpy(stRecord.m_achAddressHex2, ADDRESS);
    gstModuleList.m_dwCount = 1;
    gstModuleList.m_dwSelected = 0;
    gstModuleSearch.m_bScanOver = 0;
    for (const auto& stRow : astRows)
    {
        SCOPED_TRACE(stRow.pchNames);
        g_pfnReal = stRow.pfnProc;
        g_nClose = stRow.nClose;
        g_vsSeen.clear();
        fnShowDialog(stRow.nTemplate, NULL, fnReadingProc);
        ASSERT_FALSE(g_vsSeen.empty());
        std::istringstream stNames(stRow.pchNames);
        std::string sName;
        for (bool bCaption = true; stNames >> sName; bCaption = false)
        {
            const std::wstring wsText = fnTableText(sName.c_str(), MODEL, ADDRESS);
            EXPECT_TRUE(bCaption ? g_vsSeen[0] == wsText
                                 : std::count(g_vsSeen.begin(), g_vsSeen.end(), wsText) > 0)
                << sName;
        }
        for (const std::wstring& ws : g_vsSeen) // nothing went through code page 1252
            EXPECT_EQ(ws.find(L'?'), std::wstring::npos) << std::string(ws.begin(), ws.end());
    }
    gstModuleList.m_dwCount = 0;
    // Without a receive worker to end them, the analog windows were ended here: forget them.
    gstIOView_4624.m_hDlg = NULL;
    gstIOView_4637.m_hDlg = NULL;

    g_nBoxTries = 0; // a real box, no test hook
    LoopTimer::Start(50, fnFindBox);
    fnMessageBoxGbk(NULL, TXT_NO_SELECTION, TXT_MODULE_SEARCH, MB_OK | MB_ICONINFORMATION);
    LoopTimer::Cancel();
    EXPECT_EQ(g_wsBoxCaption, fnTableText("TXT_MODULE_SEARCH"));
    EXPECT_EQ(g_wsBoxText, fnTableText("TXT_NO_SELECTION"));

    gstSearchListFile.fnFileInit(NULL);
    EXPECT_EQ(gstSearchListFile.m_stOpen.lpstrTitle, fnTableText("TXT_SLI_OPEN_TITLE"));
    EXPECT_EQ(gstSearchListFile.m_stSave.lpstrTitle, fnTableText("TXT_SLI_SAVE_TITLE"));
}
} // namespace
