// Message box capture for the Win32 tests. The hook may run on worker threads, so the record
// is kept under a critical section.
#include "tests/win32/MessageCapture.h"

#include "res/GbkText.h"

#include <atomic>
#include <cwchar>

namespace
{
std::atomic<MessageCapture*> g_pstActive{nullptr};

std::wstring fnWide(const char* pchGbk)
{
    static const int MAX_CHARS = 4096;
    wchar_t awch[MAX_CHARS];
    fnGbkToWide(pchGbk != nullptr ? pchGbk : "", awch, MAX_CHARS);
    return awch;
}
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
    MessageCapture* pstCapture = g_pstActive.load();
    if (pstCapture != nullptr)
        pstCapture->Record(hOwner, pchText, pchCaption, uType);
    return IDOK;
}

void MessageCapture::Record(HWND hOwner, const char* pchText, const char* pchCaption, UINT uType)
{
    CapturedMessage stMessage{hOwner, fnWide(pchCaption), fnWide(pchText), uType & MB_ICONMASK};
    EnterCriticalSection(&m_csLock);
    if (m_nCount < MAX_MESSAGES)
        m_astMessages[m_nCount] = stMessage;
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
