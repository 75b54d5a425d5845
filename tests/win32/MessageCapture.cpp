// Message box capture for the Win32 tests. The hook may run on worker threads, so the record
// is kept under a critical section.
#include "tests/win32/MessageCapture.h"

#include "res/GbkText.h"

#include <atomic>
#include <cwchar>

namespace
{
std::atomic<MessageCapture*> g_pstActive{nullptr};
std::atomic<int> g_nInHook{0}; // hook calls under way; the capture ends only after them
} // namespace

MessageCapture::MessageCapture() : m_astMessages{}, m_nCount(0)
{
    InitializeCriticalSection(&m_csLock);
    g_pstActive = this;
    fnSetMessageBoxHook(&MessageCapture::Hook);
}

MessageCapture::~MessageCapture()
{
    fnSetMessageBoxHook(nullptr);
    g_pstActive = nullptr;
    while (g_nInHook.load() != 0) // a worker's box recorded just now: let it leave the lock
        Sleep(1);
    DeleteCriticalSection(&m_csLock);
}

int MessageCapture::Hook(HWND hOwner, const char* pchText, const char* pchCaption, UINT uType)
{
    ++g_nInHook;
    MessageCapture* pst = g_pstActive.load();
    if (pst != nullptr)
        pst->Record(hOwner, pchText, pchCaption, uType);
    --g_nInHook;
    return IDOK;
}

void MessageCapture::Record(HWND hOwner, const char* pchText, const char* pchCaption, UINT uType)
{
    static const int MAX_CHARS = 4096;
    wchar_t awchCaption[MAX_CHARS], awchText[MAX_CHARS];
    fnGbkToWide(pchCaption != nullptr ? pchCaption : "", awchCaption, MAX_CHARS);
    fnGbkToWide(pchText != nullptr ? pchText : "", awchText, MAX_CHARS);
    EnterCriticalSection(&m_csLock);
    if (m_nCount < MAX_MESSAGES)
        m_astMessages[m_nCount] = {hOwner, awchCaption, awchText, uType & MB_ICONMASK};
    ++m_nCount;
    LeaveCriticalSection(&m_csLock);
}

int MessageCapture::Count() const
{
    EnterCriticalSection(&m_csLock);
    int n = m_nCount;
    LeaveCriticalSection(&m_csLock);
    return n;
}

CapturedMessage MessageCapture::At(int nIndex) const
{
    CapturedMessage stMessage{nullptr, L"", L"", 0};
    EnterCriticalSection(&m_csLock);
    if (nIndex >= 0 && nIndex < m_nCount && nIndex < MAX_MESSAGES)
        stMessage = m_astMessages[nIndex];
    LeaveCriticalSection(&m_csLock);
    return stMessage;
}

std::wstring fnMessageLine(const std::wstring& wsCaption, const std::wstring& wsText, UINT uIcon,
                           HWND hOwner)
{
    wchar_t awchTail[48];
    swprintf(awchTail, 48, L" | icon %X | owner %p\n", uIcon, static_cast<void*>(hOwner));
    return wsCaption + L" | " + wsText + awchTail;
}

std::wstring MessageCapture::Seen() const
{
    std::wstring ws;
    for (int i = 0; i < Count(); ++i)
    {
        const CapturedMessage st = At(i);
        ws += fnMessageLine(st.wsCaption, st.wsText, st.uIcon, st.hOwner);
    }
    return ws;
}
