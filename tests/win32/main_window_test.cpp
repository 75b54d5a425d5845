// The main window built in-process and kept hidden: menu texts by position, the enabled states
// of both port states, the layout with and without the toolbar, the toolbar's forwarding and
// tooltips, the module list panel and the IO control preconditions. The window is created once
// for the whole suite (its class and panels are global, as in the program).
#include "res/resource.h"
#include "search/ModuleList.h"
#include "serial/CommPort.h"
#include "shell/ListPanel.h"
#include "shell/MainWindow.h"
#include "shell/StatusPanel.h"
#include "shell/ToolbarPanel.h"
#include "tests/win32/MessageCapture.h"
#include "tests/win32/SearchTestSupport.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
std::wstring fnText(HWND hWnd)
{
    wchar_t awch[8192] = {};
    GetWindowTextW(hWnd, awch, 8192);
    return awch;
}

RECT fnChildRect(HWND hChild)
{
    RECT stRect = {};
    GetWindowRect(hChild, &stRect);
    MapWindowPoints(HWND_DESKTOP, GetParent(hChild), reinterpret_cast<POINT*>(&stRect), 2);
    return stRect;
}

SIZE fnClientSize(HWND hWnd)
{
    RECT stRect = {};
    GetClientRect(hWnd, &stRect);
    return {stRect.right, stRect.bottom};
}

bool fnMenuEnabled(UINT uId)
{
    UINT uState = GetMenuState(gstMainWindow.m_hMenu, uId, MF_BYCOMMAND);
    return (uState & (MF_GRAYED | MF_DISABLED)) == 0;
}

bool fnButtonEnabled(int nId)
{
    return IsWindowEnabled(GetDlgItem(gstToolBarPanel.m_hPanel, nId)) != FALSE;
}

// Records the commands the main window receives instead of running them.
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

class CommandRecorder
{
  public:
    CommandRecorder()
    {
        g_vwCommands.clear();
        m_pfnOld = SetWindowLongPtrA(gstMainWindow.m_hWnd, GWLP_WNDPROC,
                                     reinterpret_cast<LONG_PTR>(fnRecordingProc));
    }
    ~CommandRecorder() { SetWindowLongPtrA(gstMainWindow.m_hWnd, GWLP_WNDPROC, m_pfnOld); }

  private:
    LONG_PTR m_pfnOld;
};

void fnAddRecord(uint32_t dwModuleType, const char* pchLine)
{
    uint32_t dwIndex = gstModuleList.m_dwCount;
    ModuleRecord& stRecord = gstModuleList.m_astModule[dwIndex];
    stRecord = ModuleRecord{};
    stRecord.m_dwModuleType = dwModuleType;
    strncpy(stRecord.m_achListText, pchLine, sizeof(stRecord.m_achListText) - 1);
    SendMessageA(gstListPanel.m_hList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pchLine));
    gstModuleList.m_dwCount = dwIndex + 1;
}

void fnSetPort(const char* pchName, DWORD dwBaud)
{
    strncpy(gstCommPort.m_achPortName, pchName, sizeof(gstCommPort.m_achPortName) - 1);
    gstCommPort.m_stDCB.BaudRate = dwBaud;
}

class MainWindowTest : public testing::Test
{
  protected:
    static void SetUpTestSuite()
    {
        if (gstMainWindow.m_hWnd != nullptr)
            return;
        ASSERT_TRUE(gstMainWindow.fnRegisterClass(GetModuleHandleA(nullptr)));
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

TEST_F(MainWindowTest, StartsCentredAt640x480)
{
    RECT stRect = {};
    GetWindowRect(gstMainWindow.m_hWnd, &stRect);
    EXPECT_EQ(stRect.right - stRect.left, 640);
    EXPECT_EQ(stRect.bottom - stRect.top, 480);
    int nScreenW = GetSystemMetrics(SM_CXSCREEN);
    int nScreenH = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_EQ(stRect.left, nScreenW / 2 - 320);
    EXPECT_EQ(stRect.top, nScreenH / 2 - 240);
    wchar_t awchClass[32] = {};
    GetClassNameW(gstMainWindow.m_hWnd, awchClass, 32);
    EXPECT_STREQ(awchClass, L"ProgName");
    EXPECT_EQ(fnText(gstMainWindow.m_hWnd), L"VQ4600Utility V2.4.19");
}

struct MenuRow
{
    int nSubMenu; // -1 the menu bar
    int nPosition;
    const wchar_t* pwchText; // nullptr: a separator
    UINT uCommand;           // 0 for the menu-bar titles
};

TEST_F(MainWindowTest, MenuTextsAreReplacedByPositionKeepingCommands)
{
    const MenuRow astRows[] = {
        {-1, 0, L"串口操作", 0},
        {-1, 1, L"模块操作", 0},
        {-1, 2, L"窗口", 0},
        {-1, 3, L"帮助", 0},
        {0, 0, L"打开串口", 40012},
        {0, 1, L"关闭串口", 40013},
        {0, 2, nullptr, 0},
        {0, 3, L"串口设置", 40014},
        {0, 4, nullptr, 0},
        {0, 5, L"退出", 40015},
        {1, 0, L"模块搜索", 40016},
        {1, 1, L"从sli文件载入搜索列表", 40026},
        {1, 2, L"保存搜索列表到sli文件", 40027},
        {1, 3, nullptr, 0},
        {1, 4, L"IO控制", 40017},
        {1, 5, L"模块设置", 40018},
        {1, 6, nullptr, 0},
        {1, 7, L"终端", 40019},
        {2, 0, L"显示工具栏", 40020},
        {2, 1, nullptr, 0},
        {2, 2, L"清空搜索列表", 40021},
        {3, 0, L"关于", 40023},
    };
    HMENU hBar = GetMenu(gstMainWindow.m_hWnd);
    ASSERT_EQ(GetMenuItemCount(hBar), 4);
    for (const MenuRow& stRow : astRows)
    {
        SCOPED_TRACE(testing::Message()
                     << "submenu " << stRow.nSubMenu << " pos " << stRow.nPosition);
        HMENU hMenu = stRow.nSubMenu < 0 ? hBar : GetSubMenu(hBar, stRow.nSubMenu);
        ASSERT_NE(hMenu, nullptr);
        MENUITEMINFOW stItem = {};
        wchar_t awch[128] = {};
        stItem.cbSize = sizeof(stItem);
        stItem.fMask = MIIM_FTYPE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
        stItem.dwTypeData = awch;
        stItem.cch = 128;
        ASSERT_TRUE(GetMenuItemInfoW(hMenu, stRow.nPosition, TRUE, &stItem));
        if (stRow.pwchText == nullptr)
        {
            EXPECT_TRUE(stItem.fType & MFT_SEPARATOR);
            continue;
        }
        EXPECT_EQ(std::wstring(awch), stRow.pwchText);
        if (stRow.nSubMenu < 0)
            EXPECT_NE(stItem.hSubMenu, nullptr); // the title keeps its popup
        else
            EXPECT_EQ(stItem.wID, stRow.uCommand);
    }
}

struct PortStateRow
{
    uint32_t bOpen;
    const char* pchPort;
    DWORD dwBaud;
    const wchar_t* pwchStatus;
};

TEST_F(MainWindowTest, PortStateSwitchesMenusButtonsListAndStatus)
{
    const PortStateRow astRows[] = {
        {0, "COM3", 9600, L""},
        {1, "COM3", 9600, L"已打开COM3, 9600, 8, None, 1"},
        {1, "COM12", 115200, L"已打开COM12, 115200, 8, None, 1"},
        {1, "COM256", 1200, L"已打开COM256, 1200, 8, None, 1"},
        {0, "COM12", 115200, L""},
    };
    const UINT auNeedOpen[] = {40013, 40014, 40016, 40026, 40027, 40017, 40018, 40019, 40021};
    const UINT auAlways[] = {40015, 40020, 40023};
    const int anNeedOpenButtons[] = {1002, 1003, 1004, 1008, 1009, 1005, 1006, 1007};
    for (const PortStateRow& stRow : astRows)
    {
        SCOPED_TRACE(testing::Message() << "open " << stRow.bOpen << " " << stRow.pchPort);
        fnSetPort(stRow.pchPort, stRow.dwBaud);
        fnSetCommUIState(stRow.bOpen);
        bool bOpen = stRow.bOpen != 0;
        EXPECT_EQ(fnMenuEnabled(40012), !bOpen);
        for (UINT uId : auNeedOpen)
            EXPECT_EQ(fnMenuEnabled(uId), bOpen) << "menu " << uId;
        for (UINT uId : auAlways)
            EXPECT_TRUE(fnMenuEnabled(uId)) << "menu " << uId;
        EXPECT_EQ(fnButtonEnabled(1001), !bOpen);
        for (int nId : anNeedOpenButtons)
            EXPECT_EQ(fnButtonEnabled(nId), bOpen) << "button " << nId;
        EXPECT_EQ(IsWindowEnabled(gstListPanel.m_hList) != FALSE, bOpen);
        EXPECT_EQ(fnText(GetDlgItem(gstStatusPanel.m_hPanel, IDC_STATUS_TEXT)), stRow.pwchStatus);
    }
}

void fnExpectLayout(bool bToolbar)
{
    SIZE stClient = fnClientSize(gstMainWindow.m_hWnd);
    int nW = stClient.cx;
    int nH = stClient.cy;
    RECT stTool = fnChildRect(gstToolBarPanel.m_hPanel);
    RECT stList = fnChildRect(gstListPanel.m_hPanel);
    RECT stStatus = fnChildRect(gstStatusPanel.m_hPanel);
    EXPECT_EQ(stTool.left, 2);
    EXPECT_EQ(stTool.top, 2);
    EXPECT_EQ(stTool.right - stTool.left, nW - 4);
    EXPECT_EQ(stTool.bottom - stTool.top, bToolbar ? 33 : 0);
    EXPECT_EQ(stList.left, 2);
    EXPECT_EQ(stList.top, bToolbar ? 37 : 2);
    EXPECT_EQ(stList.right - stList.left, nW - 4);
    EXPECT_EQ(stList.bottom - stList.top, bToolbar ? nH - 68 : nH - 33);
    EXPECT_EQ(stStatus.top, nH - 29);
    EXPECT_EQ(stStatus.bottom - stStatus.top, 27);
    UINT uState = GetMenuState(gstMainWindow.m_hMenu, IDM_TOOLBAR, MF_BYCOMMAND);
    EXPECT_EQ((uState & MF_CHECKED) != 0, bToolbar);
}

TEST_F(MainWindowTest, ToolbarCommandTogglesLayoutAndCheckMark)
{
    fnExpectLayout(true);
    const bool abAfter[] = {false, true, false, true};
    for (bool bShown : abAfter)
    {
        SendMessageW(gstMainWindow.m_hWnd, WM_COMMAND, IDM_TOOLBAR, 0);
        EXPECT_EQ(gstMainWindow.m_bToolbarVisible != 0, bShown);
        fnExpectLayout(bShown);
    }
    // A later resize keeps the hidden toolbar hidden.
    SendMessageW(gstMainWindow.m_hWnd, WM_COMMAND, IDM_TOOLBAR, 0);
    SetWindowPos(gstMainWindow.m_hWnd, nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    fnExpectLayout(false);
    SendMessageW(gstMainWindow.m_hWnd, WM_COMMAND, IDM_TOOLBAR, 0);
    SetWindowPos(gstMainWindow.m_hWnd, nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
    fnExpectLayout(true);
}

TEST_F(MainWindowTest, WideningWidensOnlyTheInfoText)
{
    const int anWidths[] = {640, 900, 500};
    for (int nWidth : anWidths)
    {
        SetWindowPos(gstMainWindow.m_hWnd, nullptr, 0, 0, nWidth, 480, SWP_NOMOVE | SWP_NOZORDER);
        SIZE stPanel = fnClientSize(gstListPanel.m_hPanel);
        RECT stList = fnChildRect(gstListPanel.m_hList);
        RECT stInfo = fnChildRect(gstListPanel.m_hInfo);
        EXPECT_EQ(stList.left, 1);
        EXPECT_EQ(stList.top, 1);
        EXPECT_EQ(stList.right - stList.left, 160) << nWidth;
        EXPECT_EQ(stList.bottom - stList.top, stPanel.cy - 2);
        EXPECT_EQ(stInfo.left, 164);
        EXPECT_EQ(stInfo.right - stInfo.left, stPanel.cx - 164) << nWidth;
    }
    SetWindowPos(gstMainWindow.m_hWnd, nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
}

TEST_F(MainWindowTest, WindowCannotBeMadeLowerThan240)
{
    MINMAXINFO stInfo = {};
    SendMessageW(gstMainWindow.m_hWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&stInfo));
    EXPECT_EQ(stInfo.ptMinTrackSize.y, 240);
}

TEST_F(MainWindowTest, ButtonsForwardTheirMenuCommands)
{
    const struct
    {
        int nButton;
        WPARAM wCommand;
    } astRows[] = {{1001, 40012}, {1002, 40013}, {1003, 40014}, {1004, 40016}, {1008, 40026},
                   {1009, 40027}, {1005, 40017}, {1006, 40018}, {1007, 40019}};
    CommandRecorder stRecorder;
    for (const auto& stRow : astRows)
    {
        g_vwCommands.clear();
        SendMessageW(gstToolBarPanel.m_hPanel, WM_COMMAND, MAKEWPARAM(stRow.nButton, BN_CLICKED),
                     reinterpret_cast<LPARAM>(GetDlgItem(gstToolBarPanel.m_hPanel, stRow.nButton)));
        ASSERT_EQ(g_vwCommands.size(), 1u) << stRow.nButton;
        EXPECT_EQ(g_vwCommands[0], stRow.wCommand) << stRow.nButton;
    }
    // Other notifications of a button are not commands.
    g_vwCommands.clear();
    SendMessageW(gstToolBarPanel.m_hPanel, WM_COMMAND, MAKEWPARAM(1001, BN_SETFOCUS), 0);
    EXPECT_TRUE(g_vwCommands.empty());
}

TEST_F(MainWindowTest, EveryButtonHasAnIconAndItsChineseTooltip)
{
    const struct
    {
        int nButton;
        const wchar_t* pwchTip;
    } astRows[] = {{1001, L"打开串口"},
                   {1002, L"关闭串口"},
                   {1003, L"串口设置"},
                   {1004, L"模块搜索"},
                   {1008, L"从sli文件载入搜索列表"},
                   {1009, L"保存搜索列表到sli文件"},
                   {1005, L"IO控制"},
                   {1006, L"模块设置"},
                   {1007, L"终端"}};
    // Collect the tools of every tooltip window of the panel.
    struct Found
    {
        HWND hButton;
        std::wstring wsText;
    };
    std::vector<Found> vFound;
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
        {
            EXPECT_TRUE(stTool.uFlags & TTF_SUBCLASS);
            EXPECT_EQ(stTool.hwnd, gstToolBarPanel.m_hPanel);
            EXPECT_TRUE(GetWindowLongW(hTip, GWL_STYLE) & TTS_ALWAYSTIP);
            vFound.push_back({reinterpret_cast<HWND>(stTool.uId), awch});
        }
    }
    EXPECT_EQ(vFound.size(), 9u);
    for (const auto& stRow : astRows)
    {
        HWND hButton = GetDlgItem(gstToolBarPanel.m_hPanel, stRow.nButton);
        EXPECT_NE(SendMessageW(hButton, BM_GETIMAGE, IMAGE_ICON, 0), 0) << stRow.nButton;
        int nHits = 0;
        for (const Found& stFound : vFound)
            if (stFound.hButton == hButton)
            {
                ++nHits;
                EXPECT_EQ(stFound.wsText, stRow.pwchTip) << stRow.nButton;
            }
        EXPECT_EQ(nHits, 1) << stRow.nButton;
    }
}

TEST_F(MainWindowTest, InfoTextListsTheModelsWithTheirBlanks)
{
    std::wstring wsInfo = fnText(gstListPanel.m_hInfo);
    const wchar_t* apwchLines[] = {
        L"支持的模块型号如下: \r\n\r\n",
        L"\r\n  VQ-4624  :8路模拟量输入模块( 4路电流通道(0-20mA) + 4路电压通道(0-10V) )  \r\n",
        L"\r\n  VQ-4637  :8路模拟量输入模块( 8路电流通道(0-20mA) )  \r\n",
        L"\r\n  VQ-4618  :8路光偶隔离开关量输入模块 \r\n",
        L"\r\n  VQ-4652  :4路光隔离开关量输入+4路功率继电器输出模块 \r\n",
    };
    size_t nAt = 0;
    for (const wchar_t* pwchLine : apwchLines)
    {
        size_t nFound = wsInfo.find(pwchLine, nAt);
        EXPECT_NE(nFound, std::wstring::npos) << "missing or out of order: " << nAt;
        if (nFound != std::wstring::npos)
            nAt = nFound + 1;
    }
    EXPECT_EQ(wsInfo.rfind(L"输出模块 \r\n"), wsInfo.size() - 7); // the last line ends the text
    EXPECT_NE(wsInfo.find(L"\r\n" + std::wstring(79, L'-') + L"\r\n"), std::wstring::npos);
    EXPECT_EQ(wsInfo.find(std::wstring(80, L'-')), std::wstring::npos);
    EXPECT_EQ(wsInfo.find(L"VQ4600Utility"), 0u);
    EXPECT_NE(wsInfo.find(L"2.4.19"), std::wstring::npos);
    EXPECT_NE(wsInfo.find(L"2023.9.8"), std::wstring::npos);
}

TEST_F(MainWindowTest, ListKeepsTheOrderOfAddingAndClearEmptiesIt)
{
    fnSetCommUIState(1);
    const char* apchLines[] = {"[FE] VQ-4652GD VQASCII", "[01] VQ-4618 VQASCII-CHK",
                               "[01] VQ-4624 Modbus RTU", "[00] VQ-4637 VQASCII"};
    for (const char* pchLine : apchLines)
        fnAddRecord(ModuleType4652, pchLine);
    ASSERT_EQ(SendMessageW(gstListPanel.m_hList, LB_GETCOUNT, 0, 0), 4);
    for (int i = 0; i < 4; ++i)
    {
        char ach[128] = {};
        SendMessageA(gstListPanel.m_hList, LB_GETTEXT, i, reinterpret_cast<LPARAM>(ach));
        EXPECT_STREQ(ach, apchLines[i]);
    }
    SendMessageW(gstMainWindow.m_hWnd, WM_COMMAND, IDM_CLEAR_LIST, 0);
    EXPECT_EQ(SendMessageW(gstListPanel.m_hList, LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(gstModuleList.m_dwCount.load(), 0u);
}

struct IoRow
{
    const char* pchName;
    uint32_t dwModuleType;
    int nSelect; // -1 no selection
    WPARAM wCommand;
    int nMessages; // -1: the feature's dialog opens (and is closed by the test)
    const wchar_t* pwchText;
    UINT uIcon;
    bool bOwnerIsMain;   // else the module list panel
    uint32_t dwSelected; // m_dwSelected afterwards, when a message-free run selects
};

// Cancels the feature dialog a command opens: run by a LoopTimer inside the dialog's modal
// loop. Counts the dialogs it cancelled.
int g_nDialogsCancelled = 0;

BOOL CALLBACK fnCancelOwnedDialog(HWND hWnd, LPARAM)
{
    if (GetWindow(hWnd, GW_OWNER) != gstMainWindow.m_hWnd || !IsWindowVisible(hWnd))
        return TRUE;
    ++g_nDialogsCancelled;
    PostMessageW(hWnd, WM_COMMAND, IDCANCEL, 0);
    return FALSE;
}

void fnCancelFeatureDialog()
{
    EnumThreadWindows(GetCurrentThreadId(), fnCancelOwnedDialog, 0);
}

TEST_F(MainWindowTest, IoAndSettingsCommandsCheckSelectionAndModel)
{
    const IoRow astRows[] = {
        {"io without selection", ModuleType4652, -1, IDM_IO_CONTROL, 1, L"搜索列表中没有被选择的项",
         MB_ICONINFORMATION, true, 0},
        {"settings without selection", ModuleType4652, -1, IDM_MODULE_SET, 1,
         L"搜索列表中没有被选择的项", MB_ICONINFORMATION, true, 0},
        {"io on unknown model", ModuleTypeUnknown, 1, IDM_IO_CONTROL, 1, L"本软件不支持该型号",
         MB_ICONQUESTION, false, 1},
        {"io on model code 5 does nothing", 5, 1, IDM_IO_CONTROL, 0, nullptr, 0, false, 1},
        {"io on a known model", ModuleType4652GD, 1, IDM_IO_CONTROL, -1, nullptr, 0, false, 1},
        {"settings on unknown model", ModuleTypeUnknown, 1, IDM_MODULE_SET, -1, nullptr, 0, false,
         1},
    };
    for (const IoRow& stRow : astRows)
    {
        SCOPED_TRACE(stRow.pchName);
        fnClearModuleList();
        fnSetCommUIState(1);
        fnAddRecord(ModuleType4618, "[01] VQ-4618 VQASCII");
        fnAddRecord(stRow.dwModuleType, "[02] VQ-46xx VQASCII");
        gstModuleList.m_dwSelected = 0;
        SendMessageW(gstListPanel.m_hList, LB_SETCURSEL, stRow.nSelect, 0);
        MessageCapture stCapture;
        g_nDialogsCancelled = 0;
        LoopTimer::Start(200, fnCancelFeatureDialog);
        SendMessageW(gstMainWindow.m_hWnd, WM_COMMAND, stRow.wCommand, 0);
        LoopTimer::Cancel();
        if (stRow.nMessages < 0) // the feature's dialog opened; what its workers say is theirs
        {
            EXPECT_EQ(g_nDialogsCancelled, 1);
            EXPECT_EQ(gstModuleList.m_dwSelected.load(), stRow.dwSelected);
            continue;
        }
        ASSERT_EQ(stCapture.Count(), stRow.nMessages);
        if (stRow.nMessages == 0)
        {
            EXPECT_EQ(gstModuleList.m_dwSelected.load(), stRow.dwSelected);
            continue;
        }
        CapturedMessage stMsg = stCapture.Last();
        EXPECT_EQ(stMsg.wsText, stRow.pwchText);
        EXPECT_EQ(stMsg.wsCaption, L"VQ4600Utility");
        EXPECT_EQ(stMsg.uIcon, stRow.uIcon);
        EXPECT_EQ(stMsg.hOwner, stRow.bOwnerIsMain ? gstMainWindow.m_hWnd : gstListPanel.m_hPanel);
    }
}

TEST_F(MainWindowTest, DoubleClickOnAnEntryIsTheIoCommand)
{
    CommandRecorder stRecorder;
    SendMessageW(gstListPanel.m_hPanel, WM_COMMAND, MAKEWPARAM(IDC_MODULE_LIST, LBN_DBLCLK),
                 reinterpret_cast<LPARAM>(gstListPanel.m_hList));
    SendMessageW(gstListPanel.m_hPanel, WM_COMMAND, MAKEWPARAM(IDC_MODULE_LIST, LBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(gstListPanel.m_hList));
    ASSERT_EQ(g_vwCommands.size(), 1u);
    EXPECT_EQ(g_vwCommands[0], static_cast<WPARAM>(IDM_IO_CONTROL));
}

TEST_F(MainWindowTest, CharactersAndUnknownCommandsChangeNothing)
{
    fnSetCommUIState(1);
    fnAddRecord(ModuleType4652, "[01] VQ-4652 VQASCII");
    MessageCapture stCapture;
    SendMessageW(gstMainWindow.m_hWnd, WM_CHAR, L'x', 0);
    SendMessageW(gstMainWindow.m_hWnd, WM_COMMAND, 40022, 0);
    SendMessageW(gstMainWindow.m_hWnd, WM_COMMAND, MAKEWPARAM(IDM_CLEAR_LIST, 1), 0);
    EXPECT_EQ(stCapture.Count(), 0);
    EXPECT_EQ(SendMessageW(gstListPanel.m_hList, LB_GETCOUNT, 0, 0), 1);
    EXPECT_TRUE(IsWindow(gstMainWindow.m_hWnd));
}
} // namespace
