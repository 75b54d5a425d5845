// The main window: registration, creation, layout of the three child panels and the command
// dispatch of the menu and toolbar. It keeps almost no state of its own; the port lives in
// gstCommPort, the found modules in gstModuleList and each feature's state in its own object.
// Main thread only: the worker threads update their own dialogs, never this window.
#include "shell/MainWindow.h"

#include "res/GbkText.h"
#include "res/Texts.h"
#include "res/Version.h"
#include "res/resource.h"
#include "search/ModuleList.h"
#include "search/ModuleSearch.h"
#include "search/SearchProgressDlg.h"
#include "search/SearchStartDlg.h"
#include "serial/CommLife.h"
#include "serial/CommPort.h"
#include "serial/CommSettings.h"
#include "serial/CommTRC.h"
#include "shell/CreditDlg.h"
#include "shell/FeatureCommands.h"
#include "shell/ListPanel.h"
#include "shell/StatusPanel.h"
#include "shell/ToolbarPanel.h"

MainWindow gstMainWindow;

namespace
{
const wchar_t CLASS_NAME[] = L"ProgName";
const wchar_t WINDOW_TITLE[] = L"" VQ_VERSION_TITLE;
const char APP_CAPTION[] = "VQ4600Utility";
const int PANEL_X = 2;
const int TOOLBAR_HEIGHT = 33;
const int STATUS_HEIGHT = 27;

struct MenuTextDef
{
    int m_nSubMenu; // -1 the menu bar itself
    UINT m_uPosition;
    const char* m_pchText;
};

const MenuTextDef astMenuTexts[] = {
    {-1, 0, TXT_MENU_COM},       {-1, 1, TXT_MENU_MODULE}, {-1, 2, TXT_MENU_WINDOWS},
    {-1, 3, TXT_MENU_HELP},      {0, 0, TXT_COM_OPEN},     {0, 1, TXT_COM_CLOSE},
    {0, 3, TXT_COMSET_CAPTION},  {0, 5, TXT_MENU_EXIT},    {1, 0, TXT_MODULE_SEARCH},
    {1, 1, TXT_SLI_LOAD},        {1, 2, TXT_SLI_SAVE},     {1, 4, TXT_IO_CONTROL},
    {1, 5, TXT_MODULE_SET},      {1, 7, TXT_TERMINAL},     {2, 0, TXT_MENU_TOOLBAR},
    {2, 2, TXT_MENU_CLEAR_LIST}, {3, 0, TXT_ABOUT},
};

// Menu items that need an open port; COM Open is the one that needs a closed port.
const UINT auOpenPortCommands[] = {IDM_COM_CLOSE, IDM_MODULE_SEARCH, IDM_LIST_LOAD,
                                   IDM_LIST_SAVE, IDM_IO_CONTROL,    IDM_MODULE_SET,
                                   IDM_TERMINAL,  IDM_CLEAR_LIST,    IDM_COM_SET};

void fnInfoMessage(HWND hOwner, const char* pchText, UINT uIcon)
{
    fnMessageBoxGbk(hOwner, pchText, APP_CAPTION, MB_OK | uIcon);
}

void Cmd_CommOpen(HWND hWnd)
{
    if (fnShowDialog(IDD_COMSET, hWnd, ComSetDlgProc) != 1)
        return;
    int nResult = Idm_CommOpen(hWnd);
    if (nResult == 0)
    {
        fnSetCommUIState(gstCommPort.m_bOpen);
    }
    else if (nResult == 5)
    {
        // Idm_CommOpen has released the handle already; this only makes sure of it.
        HANDLE hComm = gstCommPort.m_hComm.exchange(INVALID_HANDLE_VALUE);
        if (hComm != INVALID_HANDLE_VALUE)
            CloseHandle(hComm);
    }
}

void Cmd_CommClose(HWND hWnd)
{
    if (Idm_CommClose(hWnd) != 0)
        return;
    fnClearModuleList();
    fnSetCommUIState(gstCommPort.m_bOpen);
}

void Cmd_CommSet(HWND hWnd)
{
    if (fnShowDialog(IDD_COMSET, hWnd, ComSetDlgProc) == 1 && Idm_CommSet(hWnd) == 0)
        fnSetCommUIState(gstCommPort.m_bOpen);
}

void Cmd_Exit(HWND hWnd)
{
    SendMessageW(hWnd, WM_CLOSE, 0, 0);
}

void Cmd_ModuleSearch(HWND hWnd)
{
    if (fnShowDialog(IDD_SEARCH_START, hWnd, SearchStartDlgProc) != 1)
        return;
    if (Idm_ModuleSearch(hWnd) != 0)
        return; // the handler has emptied the list itself, before its pair started
    // Whatever ends the progress dialog, the pair is stopped and waited for (bounded), so the
    // list the user sees now is the list the records hold.
    fnShowDialog(IDD_SEARCH_PROGRESS, hWnd, SearchProgressDlgProc);
    fnCommPairWait(gstCommTRCModuleSearch, COMM_PAIR_WAIT_MS);
}

void Cmd_ListLoad(HWND hWnd)
{
    fnCommandListLoad(hWnd);
}

void Cmd_ListSave(HWND hWnd)
{
    fnCommandListSave(hWnd);
}

// The selected listbox entry into m_dwSelected; false, after the message, when there is none.
bool fnTakeSelection(HWND hWnd)
{
    LRESULT nSel = SendMessageW(gstListPanel.m_hList, LB_GETCURSEL, 0, 0);
    if (nSel == LB_ERR || nSel < 0 || static_cast<uint32_t>(nSel) >= gstModuleList.m_dwCount)
    {
        fnInfoMessage(hWnd, TXT_NO_SELECTION, MB_ICONINFORMATION);
        return false;
    }
    gstModuleList.m_dwSelected = static_cast<uint32_t>(nSel);
    return true;
}

void Cmd_IOControl(HWND hWnd)
{
    if (!fnTakeSelection(hWnd))
        return;
    const ModuleRecord* pstRecord = gstModuleList.fnSelected();
    if (pstRecord == nullptr)
        return;
    if (pstRecord->m_dwModuleType == ModuleTypeUnknown)
    {
        fnInfoMessage(gstListPanel.m_hPanel, TXT_MODEL_UNSUPPORTED, MB_ICONQUESTION);
        return;
    }
    if (const char* pchFailure = fnCommandModuleIO(hWnd, pstRecord->m_dwModuleType))
        fnInfoMessage(gstListPanel.m_hPanel, pchFailure, MB_ICONERROR);
}

void Cmd_ModuleSet(HWND hWnd)
{
    if (fnTakeSelection(hWnd))
        fnCommandModuleSet(hWnd);
}

void Cmd_Terminal(HWND hWnd)
{
    fnCommandTerminal(hWnd);
}

void Cmd_Toolbar(HWND hWnd)
{
    (void)hWnd;
    gstMainWindow.m_bToolbarVisible = gstMainWindow.m_bToolbarVisible ? 0 : 1;
    gstMainWindow.fnLayout(gstMainWindow.m_dwLastSize);
}

void Cmd_ClearList(HWND hWnd)
{
    // A stopped search pair still ending could add a line after the list was emptied.
    if (fnCommPairsQuiet(hWnd))
        fnClearModuleList();
}

void Cmd_About(HWND hWnd)
{
    gstCreditWindow.m_dwAboutCount += 1;
    if (gstCreditWindow.m_dwAboutCount == ABOUT_CREDIT_COUNT)
        fnCommandCreditWindow(hWnd);
    else
        fnCommandAboutBox(hWnd);
}

struct CommandDef
{
    WPARAM m_wId;
    void (*m_pfnHandler)(HWND);
};

const CommandDef astCommands[] = {
    {IDM_COM_OPEN, Cmd_CommOpen},
    {IDM_COM_CLOSE, Cmd_CommClose},
    {IDM_COM_SET, Cmd_CommSet},
    {IDM_EXIT, Cmd_Exit},
    {IDM_MODULE_SEARCH, Cmd_ModuleSearch},
    {IDM_LIST_LOAD, Cmd_ListLoad},
    {IDM_LIST_SAVE, Cmd_ListSave},
    {IDM_IO_CONTROL, Cmd_IOControl},
    {IDM_MODULE_SET, Cmd_ModuleSet},
    {IDM_TERMINAL, Cmd_Terminal},
    {IDM_TOOLBAR, Cmd_Toolbar},
    {IDM_CLEAR_LIST, Cmd_ClearList},
    {IDM_ABOUT, Cmd_About},
};
} // namespace

MainWindow::MainWindow()
    : m_hWnd(nullptr), m_stWndClass{}, m_stMsg{}, m_nScreenWidth(0), m_nScreenHeight(0),
      m_nWindowX(0), m_nWindowY(0), m_bToolbarVisible(1), m_dwLastSize(0), m_hInstance(nullptr),
      m_hMenu(nullptr), m_ahSubMenu{}
{
}

bool MainWindow::fnRegisterClass(HINSTANCE hInstance)
{
    m_hInstance = hInstance;
    m_stWndClass.style = CS_HREDRAW | CS_VREDRAW;
    m_stWndClass.lpfnWndProc = MainWndProc;
    m_stWndClass.cbClsExtra = 0;
    m_stWndClass.cbWndExtra = 0;
    m_stWndClass.hInstance = hInstance;
    m_stWndClass.hIcon = LoadIconW(hInstance, MAKEINTRESOURCEW(IDI_PROGRAM));
    m_stWndClass.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512)); // IDC_ARROW
    m_stWndClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    m_stWndClass.lpszMenuName = MAKEINTRESOURCEW(IDR_MAINMENU);
    m_stWndClass.lpszClassName = CLASS_NAME;
    return RegisterClassW(&m_stWndClass) != 0;
}

HWND MainWindow::fnCreate(int nCmdShow)
{
    HDC hScreen = GetDC(nullptr);
    m_nScreenWidth = GetDeviceCaps(hScreen, HORZRES);
    m_nScreenHeight = GetDeviceCaps(hScreen, VERTRES);
    ReleaseDC(nullptr, hScreen);
    m_nWindowX = m_nScreenWidth / 2 - MAIN_WINDOW_WIDTH / 2;
    m_nWindowY = m_nScreenHeight / 2 - MAIN_WINDOW_HEIGHT / 2;
    HWND hWnd = CreateWindowExW(0, CLASS_NAME, WINDOW_TITLE, WS_OVERLAPPEDWINDOW, m_nWindowX,
                                m_nWindowY, MAIN_WINDOW_WIDTH, MAIN_WINDOW_HEIGHT, nullptr, nullptr,
                                m_hInstance, nullptr);
    if (hWnd == nullptr)
        return nullptr;
    ShowWindow(hWnd, nCmdShow);
    UpdateWindow(hWnd);
    return hWnd;
}

int MainWindow::fnMessageLoop()
{
    while (GetMessageW(&m_stMsg, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&m_stMsg);
        DispatchMessageW(&m_stMsg);
    }
    return static_cast<int>(m_stMsg.wParam);
}

void MainWindow::fnOnCreate(HWND hWnd)
{
    m_hWnd = hWnd;
    m_hMenu = GetMenu(hWnd);
    CreateDialogParamW(m_hInstance, MAKEINTRESOURCEW(IDD_TOOLBAR), hWnd, ToolBarDlgProc, 0);
    CreateDialogParamW(m_hInstance, MAKEINTRESOURCEW(IDD_LIST_PANEL), hWnd, ListPanelDlgProc, 0);
    CreateDialogParamW(m_hInstance, MAKEINTRESOURCEW(IDD_STATUS), hWnd, StatusDlgProc, 0);
    for (uint32_t i = 0; i < SUBMENU_COUNT; ++i)
        m_ahSubMenu[i] = GetSubMenu(m_hMenu, static_cast<int>(i));
    fnReplaceMenuTexts();
    gstModuleSearch.m_hListBox = gstListPanel.m_hList; // where the search thread adds its lines
    fnSetCommUIState(gstCommPort.m_bOpen);
    fnCommandFileInit(hWnd);
}

void MainWindow::fnReplaceMenuTexts()
{
    for (const MenuTextDef& stDef : astMenuTexts)
    {
        HMENU hMenu = stDef.m_nSubMenu < 0 ? m_hMenu : m_ahSubMenu[stDef.m_nSubMenu];
        fnSetMenuTextGbk(hMenu, stDef.m_uPosition, stDef.m_pchText);
    }
    DrawMenuBar(m_hWnd);
}

void MainWindow::fnLayout(uint32_t dwSize)
{
    m_dwLastSize = dwSize;
    int nWidth = static_cast<int>(dwSize & 0xFFFF);
    int nHeight = static_cast<int>(dwSize >> 16);
    int nPanelWidth = nWidth - 2 * PANEL_X;
    bool bShown = m_bToolbarVisible != 0;
    MoveWindow(gstToolBarPanel.m_hPanel, PANEL_X, 2, nPanelWidth, bShown ? TOOLBAR_HEIGHT : 0,
               TRUE);
    if (bShown)
        MoveWindow(gstListPanel.m_hPanel, PANEL_X, 37, nPanelWidth, nHeight - 68, TRUE);
    else
        MoveWindow(gstListPanel.m_hPanel, PANEL_X, 2, nPanelWidth, nHeight - 33, TRUE);
    MoveWindow(gstStatusPanel.m_hPanel, PANEL_X, nHeight - 29, nPanelWidth, STATUS_HEIGHT, TRUE);
    CheckMenuItem(m_hMenu, IDM_TOOLBAR, MF_BYCOMMAND | (bShown ? MF_CHECKED : MF_UNCHECKED));
}

void MainWindow::fnOnCommand(HWND hWnd, WPARAM wParam)
{
    for (const CommandDef& stDef : astCommands)
    {
        if (stDef.m_wId == wParam)
        {
            stDef.m_pfnHandler(hWnd);
            return;
        }
    }
}

void fnClearModuleList()
{
    SendMessageW(gstListPanel.m_hList, LB_RESETCONTENT, 0, 0);
    gstModuleList.m_dwCount = 0;
}

void fnSetCommUIState(uint32_t bOpen)
{
    HMENU hMenu = gstMainWindow.m_hMenu;
    UINT uNeedOpen = MF_BYCOMMAND | (bOpen ? MF_ENABLED : MF_GRAYED);
    UINT uNeedClosed = MF_BYCOMMAND | (bOpen ? MF_GRAYED : MF_ENABLED);
    EnableMenuItem(hMenu, IDM_COM_OPEN, uNeedClosed);
    for (UINT uId : auOpenPortCommands)
        EnableMenuItem(hMenu, uId, uNeedOpen);
    for (uint32_t i = 0; i < TOOLBAR_BUTTON_COUNT; ++i)
    {
        bool bIsOpenButton = gastToolbarButtons[i].m_nButtonId == IDC_TB_COM_OPEN;
        EnableWindow(gstToolBarPanel.m_ahButton[i],
                     (bIsOpenButton ? !bOpen : bOpen) ? TRUE : FALSE);
    }
    EnableWindow(gstListPanel.m_hList, bOpen ? TRUE : FALSE);
    gstStatusPanel.fnShow(bOpen != 0, gstCommPort.m_achPortName, gstCommPort.m_stDCB.BaudRate);
    DrawMenuBar(gstMainWindow.m_hWnd);
}

LRESULT CALLBACK MainWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case WM_CREATE:
        gstMainWindow.fnOnCreate(hWnd);
        return 0;
    case WM_SIZE:
        gstMainWindow.fnLayout(static_cast<uint32_t>(lParam));
        return 0;
    case WM_GETMINMAXINFO:
        reinterpret_cast<MINMAXINFO*>(lParam)->ptMinTrackSize.y = MAIN_WINDOW_MIN_HEIGHT;
        return 0;
    case WM_PAINT:
    {
        PAINTSTRUCT stPaint;
        BeginPaint(hWnd, &stPaint);
        EndPaint(hWnd, &stPaint);
        return 0;
    }
    case WM_CHAR:
        return 0;
    case WM_COMMAND:
        gstMainWindow.fnOnCommand(hWnd, wParam);
        return 0;
    case WM_CLOSE:
        DestroyWindow(hWnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    default:
        return DefWindowProcW(hWnd, uMsg, wParam, lParam);
    }
}
