// The main window built in-process and kept hidden: a hidden toolbar staying hidden, what each
// button sends and shows as its tip, the menu and status texts (from res/texts.tsv, whatever the
// code page), the list's clear command and the IO control preconditions. The window is created once
// for the whole suite (its class and panels are global, as in the program).
#include "res/resource.h"
#include "search/ModuleList.h"
#include "shell/ListPanel.h"
#include "shell/MainWindow.h"
#include "shell/StatusPanel.h"
#include "shell/ToolbarPanel.h"
#include "tests/win32/MessageCapture.h"
#include "tests/win32/SearchTestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <string>
#include <vector>

namespace
{
// While set as the main window's procedure: records the commands instead of running them.
std::vector<WPARAM> g_vwCommands;
LRESULT CALLBACK fnRecordingProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_COMMAND)
    {
        g_vwCommands.push_back(wParam);
        return 0;
    }
    return MainWndProc(hWnd, uMsg, wParam, lParam);
}

class MainWindowTest : public testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        if (gstMainWindow.m_hWnd != nullptr)
            return;
        ASSERT_TRUE(gstMainWindow.fnRegisterClass(GetModuleHandleW(nullptr)));
        ASSERT_NE(gstMainWindow.fnCreate(SW_HIDE), nullptr);
        // A hidden window may get its first WM_SIZE only when shown; size it once so the
        // layout runs as it does in the shown program.
        SetWindowPos(gstMainWindow.m_hWnd, nullptr, 0, 0, 641, 480, SWP_NOMOVE | SWP_NOZORDER);
        SetWindowPos(gstMainWindow.m_hWnd, nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
    }

    void SetUp() override
    {
        ASSERT_NE(gstMainWindow.m_hWnd, nullptr);
        fnClearModuleList();
        fnSetCommUIState(0);
        if (!gstMainWindow.m_bToolbarVisible)
            SendMessageW(gstMainWindow.m_hWnd, WM_COMMAND, IDM_TOOLBAR, 0);
    }

    void TearDown() override
    {
        fnClearModuleList();
        fnSetCommUIState(0);
    }
};

// A resize keeps a hidden toolbar hidden (no height, unchecked in the menu), and the list
// panel moves up into its place and back down when it is shown again.
TEST_F(MainWindowTest, AResizeKeepsAHiddenToolbarHidden)
{
    LONG anTop[2] = {};
    for (const bool bToolbar : {false, true})
    {
        SCOPED_TRACE(bToolbar);
        if ((gstMainWindow.m_bToolbarVisible != 0) != bToolbar)
            SendMessageW(gstMainWindow.m_hWnd, WM_COMMAND, IDM_TOOLBAR, 0);
        for (const int nWidth : {900, 640})
            SetWindowPos(gstMainWindow.m_hWnd, nullptr, 0, 0, nWidth, 480,
                         SWP_NOMOVE | SWP_NOZORDER);
        const RECT stToolbar = fnRectInParent(gstToolBarPanel.m_hPanel);
        EXPECT_EQ(bToolbar, stToolbar.bottom > stToolbar.top);
        UINT uState = GetMenuState(gstMainWindow.m_hMenu, IDM_TOOLBAR, MF_BYCOMMAND);
        EXPECT_EQ((uState & MF_CHECKED) != 0, bToolbar);
        anTop[bToolbar] = fnRectInParent(gstListPanel.m_hPanel).top;
    }
    EXPECT_LT(anTop[0], anTop[1]);
}

// The tools of every tooltip window the main window owns: button -> text.
std::multimap<HWND, std::wstring> fnToolTips()
{
    std::multimap<HWND, std::wstring> vFound;
    HWND hTip = nullptr;
    while ((hTip = FindWindowExW(nullptr, hTip, TOOLTIPS_CLASSW, nullptr)) != nullptr)
    {
        // A child cannot own a window: the tooltip's owner becomes the main window, and the
        // panel is the tool's window.
        if (GetWindow(hTip, GW_OWNER) != gstMainWindow.m_hWnd)
            continue;
        wchar_t awch[80] = {};
        TOOLINFOW stTool = {};
        stTool.cbSize = sizeof(stTool);
        stTool.lpszText = awch;
        for (int i = 0; SendMessageW(hTip, TTM_ENUMTOOLSW, i, reinterpret_cast<LPARAM>(&stTool));
             ++i)
            vFound.emplace(reinterpret_cast<HWND>(stTool.uId), awch);
    }
    return vFound;
}

TEST_F(MainWindowTest, EveryButtonSendsItsMenuCommandAndHasAnIconAndItsTooltip)
{
    const struct
    {
        int nButton;
        WPARAM wCommand;
        const char* pchTip;
    } astRows[] = {{IDC_TB_COM_OPEN, IDM_COM_OPEN, "TXT_COM_OPEN"},
                   {IDC_TB_COM_CLOSE, IDM_COM_CLOSE, "TXT_COM_CLOSE"},
                   {IDC_TB_COM_SET, IDM_COM_SET, "TXT_COMSET_CAPTION"},
                   {IDC_TB_SEARCH, IDM_MODULE_SEARCH, "TXT_MODULE_SEARCH"},
                   {IDC_TB_LOAD, IDM_LIST_LOAD, "TXT_SLI_LOAD"},
                   {IDC_TB_SAVE, IDM_LIST_SAVE, "TXT_SLI_SAVE"},
                   {IDC_TB_IO, IDM_IO_CONTROL, "TXT_IO_CONTROL"},
                   {IDC_TB_MODULE_SET, IDM_MODULE_SET, "TXT_MODULE_SET"},
                   {IDC_TB_TERMINAL, IDM_TERMINAL, "TXT_TERMINAL"}};
    const std::multimap<HWND, std::wstring> vTips = fnToolTips();
    EXPECT_EQ(vTips.size(), 9u);
    const LONG_PTR pfnOld = SetWindowLongPtrW(gstMainWindow.m_hWnd, GWLP_WNDPROC,
                                              reinterpret_cast<LONG_PTR>(fnRecordingProc));
    for (const auto& stRow : astRows)
    {
        SCOPED_TRACE(stRow.nButton);
        HWND hButton = GetDlgItem(gstToolBarPanel.m_hPanel, stRow.nButton);
        g_vwCommands.clear();
        SendMessageW(gstToolBarPanel.m_hPanel, WM_COMMAND, MAKEWPARAM(stRow.nButton, BN_CLICKED),
                     reinterpret_cast<LPARAM>(hButton));
        EXPECT_EQ(g_vwCommands, std::vector<WPARAM>{stRow.wCommand});
        EXPECT_NE(SendMessageW(hButton, BM_GETIMAGE, IMAGE_ICON, 0), 0);
        const auto it = vTips.find(hButton);
        EXPECT_EQ(it != vTips.end() ? it->second : L"(no tip)", fnTableText(stRow.pchTip));
    }
    // Other notifications are not commands; a double click on a list entry is IO Control.
    g_vwCommands.clear();
    SendMessageW(gstToolBarPanel.m_hPanel, WM_COMMAND, MAKEWPARAM(IDC_TB_COM_OPEN, BN_SETFOCUS), 0);
    SendMessageW(gstListPanel.m_hPanel, WM_COMMAND, MAKEWPARAM(IDC_MODULE_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(gstListPanel.m_hList));
    SendMessageW(gstListPanel.m_hPanel, WM_COMMAND, MAKEWPARAM(IDC_MODULE_LIST, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(gstListPanel.m_hList));
    SetWindowLongPtrW(gstMainWindow.m_hWnd, GWLP_WNDPROC, pfnOld);
    EXPECT_EQ(g_vwCommands, std::vector<WPARAM>{IDM_IO_CONTROL});
}

// The menu texts by position and the status line, read back as UTF-16 and compared with the
// table.
TEST_F(MainWindowTest, MenuAndStatusTextsAreTheTableTexts)
{
    const struct
    {
        int nSubMenu; // -1 the menu bar
        UINT uPosition;
        const char* pchName;
    } astMenu[] = {
        {-1, 0, "TXT_MENU_COM"},       {-1, 1, "TXT_MENU_MODULE"}, {-1, 2, "TXT_MENU_WINDOWS"},
        {-1, 3, "TXT_MENU_HELP"},      {0, 0, "TXT_COM_OPEN"},     {0, 1, "TXT_COM_CLOSE"},
        {0, 3, "TXT_COMSET_CAPTION"},  {0, 5, "TXT_MENU_EXIT"},    {1, 0, "TXT_MODULE_SEARCH"},
        {1, 1, "TXT_SLI_LOAD"},        {1, 2, "TXT_SLI_SAVE"},     {1, 4, "TXT_IO_CONTROL"},
        {1, 5, "TXT_MODULE_SET"},      {1, 7, "TXT_TERMINAL"},     {2, 0, "TXT_MENU_TOOLBAR"},
        {2, 2, "TXT_MENU_CLEAR_LIST"}, {3, 0, "TXT_ABOUT"},
    };
    EXPECT_TRUE(IsWindowUnicode(gstMainWindow.m_hWnd));
    for (const auto& stRow : astMenu)
    {
        HMENU hMenu = stRow.nSubMenu < 0 ? gstMainWindow.m_hMenu
                                         : GetSubMenu(gstMainWindow.m_hMenu, stRow.nSubMenu);
        wchar_t awch[64] = {};
        GetMenuStringW(hMenu, stRow.uPosition, awch, 64, MF_BYPOSITION);
        EXPECT_EQ(awch, fnTableText(stRow.pchName)) << stRow.pchName;
    }
    gstStatusPanel.fnShow(true, "COM5", 9600);
    EXPECT_EQ(fnWindowTextW(gstStatusPanel.m_hText),
              fnTableText("TXT_STATUS_OPEN_FMT", "COM5", 9600));
}

// Cancels the feature dialog a command opens: run by a LoopTimer inside the dialog's modal
// loop. Counts the dialogs it cancelled.
int g_nDialogsCancelled = 0;

void fnCancelFeatureDialog()
{
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hWnd, LPARAM) -> BOOL
        {
            if (GetWindow(hWnd, GW_OWNER) != gstMainWindow.m_hWnd || !IsWindowVisible(hWnd))
                return TRUE;
            ++g_nDialogsCancelled;
            PostMessageW(hWnd, WM_COMMAND, IDCANCEL, 0);
            return FALSE;
        },
        0);
}

// The commands on the module list: IO Control and Module Settings check the selection and the
// model before their dialog opens; only Clear List (without a notification code) empties list
// and records; an unknown command does nothing.
TEST_F(MainWindowTest, ListCommandsCheckSelectionAndModelAndOnlyClearEmptiesTheList)
{
    const HWND hMain = gstMainWindow.m_hWnd, hPanel = gstListPanel.m_hPanel;
    const struct Row
    {
        const char* pchName;
        uint32_t dwModuleType;
        int nSelect; // -1 no selection
        WPARAM wCommand;
        bool bDialog;             // the feature's dialog opens (and is cancelled)
        LRESULT nLinesAfter;      // of the two
        const char* pchText = ""; // the one message's table name, when no dialog opens
        UINT uIcon = 0;
        HWND hOwner = NULL;
    } astRows[] = {
        {"settings without selection", ModuleType4652, -1, IDM_MODULE_SET, false, 2,
         "TXT_NO_SELECTION", MB_ICONINFORMATION, hMain},
        {"io on unknown model", ModuleTypeUnknown, 1, IDM_IO_CONTROL, false, 2,
         "TXT_MODEL_UNSUPPORTED", MB_ICONQUESTION, hPanel},
        {"io on model code 5 does nothing", 5, 1, IDM_IO_CONTROL, false, 2},
        {"io on a known model", ModuleType4652GD, 1, IDM_IO_CONTROL, true, 2},
        {"settings on unknown model", ModuleTypeUnknown, 1, IDM_MODULE_SET, true, 2},
        {"unassigned command id", ModuleType4652, -1, IDM_CLEAR_LIST + 1, false, 2},
        {"clear list, notified", ModuleType4652, -1, MAKEWPARAM(IDM_CLEAR_LIST, 1), false, 2},
        {"clear list", ModuleType4652, -1, IDM_CLEAR_LIST, false, 0},
    };
    for (const auto& stRow : astRows)
    {
        SCOPED_TRACE(stRow.pchName);
        fnClearModuleList();
        fnSetCommUIState(1);
        fnAddRecord(gstListPanel.m_hList, ModuleType4618, 1, "[01] VQ-4618 VQASCII");
        fnAddRecord(gstListPanel.m_hList, stRow.dwModuleType, 2, "[02] VQ-46xx VQASCII");
        gstModuleList.m_dwSelected = 0;
        SendMessageW(gstListPanel.m_hList, LB_SETCURSEL, stRow.nSelect, 0);
        MessageCapture stCapture;
        g_nDialogsCancelled = 0;
        LoopTimer::Start(200, fnCancelFeatureDialog);
        SendMessageW(hMain, WM_COMMAND, stRow.wCommand, 0);
        LoopTimer::Cancel();
        EXPECT_EQ(g_nDialogsCancelled, stRow.bDialog ? 1 : 0);
        EXPECT_EQ(gstModuleList.m_dwSelected.load(), stRow.nSelect < 0 ? 0u : 1u);
        EXPECT_EQ(SendMessageW(gstListPanel.m_hList, LB_GETCOUNT, 0, 0), stRow.nLinesAfter);
        EXPECT_EQ(gstModuleList.m_dwCount.load(), static_cast<uint32_t>(stRow.nLinesAfter));
        if (stRow.bDialog) // what the feature's workers say is theirs
            continue;
        EXPECT_EQ(stCapture.Seen(),
                  *stRow.pchText == '\0'
                      ? L""
                      : fnMessageLine(L"VQ4600Utility", fnTableText(stRow.pchText), stRow.uIcon,
                                      stRow.hOwner));
    }
}

} // namespace
