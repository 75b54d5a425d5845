// GBK to UTF-16 display helpers. Every conversion buffer is an array on the calling thread's
// stack, bounded by GBK_TEXT_MAX: no heap and no per-thread storage, so the worker threads may
// show their messages at the same time as the main thread.
#include "res/GbkText.h"

#include <atomic>

namespace
{
const UINT GBK_CODE_PAGE = 936;
std::atomic<MessageBoxHook> g_pfnMessageBoxHook{nullptr};
} // namespace

void fnGbkToWide(const char* pchGbk, wchar_t* pwchOut, int nOutChars)
{
    if (nOutChars <= 0)
        return;
    int n = MultiByteToWideChar(GBK_CODE_PAGE, 0, pchGbk, -1, pwchOut, nOutChars);
    if (n == 0)
        pwchOut[nOutChars - 1] = L'\0'; // too long: keep what fitted
}

BOOL fnSetWindowTextGbk(HWND hWnd, const char* pchGbk)
{
    wchar_t awchText[GBK_TEXT_MAX];
    fnGbkToWide(pchGbk, awchText, GBK_TEXT_MAX);
    return SetWindowTextW(hWnd, awchText);
}

BOOL fnSetDlgItemTextGbk(HWND hDlg, int nId, const char* pchGbk)
{
    return fnSetWindowTextGbk(GetDlgItem(hDlg, nId), pchGbk);
}

LRESULT fnSendTextGbk(HWND hWnd, UINT uMsg, const char* pchGbk)
{
    wchar_t awchText[GBK_TEXT_MAX];
    fnGbkToWide(pchGbk, awchText, GBK_TEXT_MAX);
    return SendMessageW(hWnd, uMsg, 0, reinterpret_cast<LPARAM>(awchText));
}

BOOL fnSetMenuTextGbk(HMENU hMenu, UINT uPosition, const char* pchGbk)
{
    wchar_t awchText[256];
    fnGbkToWide(pchGbk, awchText, 256);
    MENUITEMINFOW stItem = {};
    stItem.cbSize = sizeof(stItem);
    stItem.fMask = MIIM_STRING;
    stItem.dwTypeData = awchText;
    return SetMenuItemInfoW(hMenu, uPosition, TRUE, &stItem);
}

int fnMessageBoxGbk(HWND hOwner, const char* pchText, const char* pchCaption, UINT uType)
{
    MessageBoxHook pfnHook = g_pfnMessageBoxHook.load();
    if (pfnHook != nullptr)
        return pfnHook(hOwner, pchText, pchCaption, uType);
    wchar_t awchText[GBK_TEXT_MAX];
    wchar_t awchCaption[256];
    fnGbkToWide(pchText, awchText, GBK_TEXT_MAX);
    fnGbkToWide(pchCaption, awchCaption, 256);
    return MessageBoxW(hOwner, awchText, awchCaption, uType);
}

void fnSetMessageBoxHook(MessageBoxHook pfnHook)
{
    g_pfnMessageBoxHook.store(pfnHook);
}

void fnSetDlgTextsGbk(HWND hDlg, const char* pchCaption, const GbkItemText* pstItems, size_t nItems)
{
    fnSetWindowTextGbk(hDlg, pchCaption);
    for (size_t i = 0; i < nItems; ++i)
        fnSetDlgItemTextGbk(hDlg, pstItems[i].m_nId, pstItems[i].m_pchText);
}
