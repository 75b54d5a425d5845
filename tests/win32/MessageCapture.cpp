// Message box capture for the Win32 tests. The hook may run on worker threads, so the record
// is kept under a critical section.
#include "tests/win32/MessageCapture.h"

#include "res/GbkText.h"

#include <atomic>
#include <cwchar>

namespace
{
std::atomic<MessageCapture*> g_pstActive{nullptr};
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
    DeleteCriticalSection(&m_csLock);
}

int MessageCapture::Hook(HWND hOwner, const char* pchText, const char* pchCaption, UINT uType)
{
    MessageCapture* pst = g_pstActive.load();
    if (pst == nullptr)
        return IDOK;
    static const int MAX_CHARS = 4096;
    wchar_t awchCaption[MAX_CHARS], awchText[MAX_CHARS];
    fnGbkToWide(pchCaption != nullptr ? pchCaption : "", awchCaption, MAX_CHARS);
    fnGbkToWide(pchText != nullptr ? pchText : "", awchText, MAX_CHARS);
    EnterCriticalSection(&pst->m_csLock);
    if (pst->m_nCount < MAX_MESSAGES)
        pst->m_astMessages[pst->m_nCount] = {hOwner, awchCaption, awchText, uType & MB_ICONMASK};
    ++pst->m_nCount;
    LeaveCriticalSection(&pst->m_csLock);
    return IDOK;
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
