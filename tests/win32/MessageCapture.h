// Captures the message boxes the code under test shows, instead of showing them. While one
// MessageCapture lives, every fnMessageBoxGbk call (from any thread) is recorded with its
// owner, caption, UTF-16 text and icon and answered at once with OK.
#pragma once

#include <windows.h>

#include <string>

#include "tests/win32/SearchTestSupport.h"

struct CapturedMessage
{
    HWND hOwner;
    std::wstring wsCaption;
    std::wstring wsText;
    UINT uIcon; // uType & MB_ICONMASK
};

// One message as MessageCapture::Seen lists it: caption, text, icon and owner on one line.
std::wstring fnMessageLine(const std::wstring& wsCaption, const std::wstring& wsText, UINT uIcon,
                           HWND hOwner = NULL);

class MessageCapture
{
  public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture&) = delete;
    MessageCapture& operator=(const MessageCapture&) = delete;

    int Count() const;
    CapturedMessage At(int nIndex) const; // a copy; taken under the lock
    CapturedMessage Last() const { return At(Count() - 1); }
    // Every message seen, one fnMessageLine each; "" when there was none.
    std::wstring Seen() const;
    // Waits until at least nCount messages were seen; false after dwTimeoutMs.
    bool WaitFor(int nCount, DWORD dwTimeoutMs) const
    {
        return fnWaitUntil([&] { return Count() >= nCount; }, dwTimeoutMs);
    }

  private:
    static int Hook(HWND hOwner, const char* pchText, const char* pchCaption, UINT uType);
    void Record(HWND hOwner, const char* pchText, const char* pchCaption, UINT uType);

    static const int MAX_MESSAGES = 64;
    mutable CRITICAL_SECTION m_csLock;
    CapturedMessage m_astMessages[MAX_MESSAGES];
    int m_nCount; // all seen; the first MAX_MESSAGES are kept
};
