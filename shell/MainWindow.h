// The main window of the program: class "ProgName", the menu, the three child panels and the
// command dispatch. Everything here runs on the main thread; the worker threads of a feature
// never touch the main window.
#pragma once

#include <windows.h>

#include <cstdint>

const int MAIN_WINDOW_WIDTH = 640;
const int MAIN_WINDOW_HEIGHT = 480;
const int MAIN_WINDOW_MIN_HEIGHT = 240;
const uint32_t SUBMENU_COUNT = 4;
const uint32_t ABOUT_CREDIT_COUNT = 10; // the About command that shows the credit window

class MainWindow
{
  public:
    MainWindow();

    HWND m_hWnd;
    WNDCLASSW m_stWndClass;
    MSG m_stMsg;
    int32_t m_nScreenWidth;
    int32_t m_nScreenHeight;
    int32_t m_nWindowX;
    int32_t m_nWindowY;
    uint32_t m_bToolbarVisible; // 1 shown, 0 hidden
    uint32_t m_dwLastSize;      // client size as in WM_SIZE: low word width, high word height

    HINSTANCE m_hInstance;
    HMENU m_hMenu;
    HMENU m_ahSubMenu[SUBMENU_COUNT];
    // The About counter lives in gstCreditWindow (shell/CreditDlg.h).

    // Start-up steps of WinMain, split so that tests can build the window without a loop.
    bool fnRegisterClass(HINSTANCE hInstance);
    HWND fnCreate(int nCmdShow);
    int fnMessageLoop();

    // Handlers of MainWndProc.
    void fnOnCreate(HWND hWnd);
    void fnReplaceMenuTexts();
    void fnLayout(uint32_t dwSize);
    void fnOnCommand(HWND hWnd, WPARAM wParam);
};

extern MainWindow gstMainWindow;

LRESULT CALLBACK MainWndProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam);

// Switches menus, toolbar buttons, the module listbox and the status line between the
// open-port (bOpen nonzero) and closed-port states.
void fnSetCommUIState(uint32_t bOpen);

// Empties the module listbox and the module list (COM Close, Clear list, a new search).
void fnClearModuleList();
