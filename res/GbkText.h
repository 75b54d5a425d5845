// Every Chinese text of the program is kept as GBK bytes (res/Texts.h). These helpers turn
// them into UTF-16 through code page 936 and use the W functions, so the texts read right
// whatever the system locale. All message boxes of the program go through fnMessageBoxGbk,
// which tests can redirect with fnSetMessageBoxHook so that no modal box blocks them.
#pragma once

#include <windows.h>

#include <cstddef>

const int GBK_TEXT_MAX = 8192; // longest text converted in one call, in characters (stack)

// Converts NUL-terminated GBK into UTF-16 (at most nOutChars including the NUL).
void fnGbkToWide(const char* pchGbk, wchar_t* pwchOut, int nOutChars);

BOOL fnSetWindowTextGbk(HWND hWnd, const char* pchGbk);
BOOL fnSetDlgItemTextGbk(HWND hDlg, int nId, const char* pchGbk);

// One control of a dialog and its GBK text; fnSetDlgTextsGbk sets the caption and every item.
struct GbkItemText
{
    int m_nId;
    const char* m_pchText;
};
void fnSetDlgTextsGbk(HWND hDlg, const char* pchCaption, const GbkItemText* pstItems,
                      size_t nItems);

// Sends a message whose lParam is a text and wParam 0 (LB_ADDSTRING, CB_ADDSTRING, WM_SETTEXT)
// as UTF-16; returns what the window returns.
LRESULT fnSendTextGbk(HWND hWnd, UINT uMsg, const char* pchGbk);

// Replaces a menu item's text by position, keeping its flags, command and submenu.
BOOL fnSetMenuTextGbk(HMENU hMenu, UINT uPosition, const char* pchGbk);

// Text and caption are GBK (ASCII is a subset). Returns the button pressed.
int fnMessageBoxGbk(HWND hOwner, const char* pchText, const char* pchCaption, UINT uType);

// A hook sees every message box instead of the user; it returns the button "pressed".
typedef int (*MessageBoxHook)(HWND hOwner, const char* pchText, const char* pchCaption, UINT uType);
void fnSetMessageBoxHook(MessageBoxHook pfnHook);
