// Support of the Win32 tests; see SearchTestSupport.h.
#include "tests/win32/SearchTestSupport.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "search/ModuleList.h"
#include "serial/CommPort.h"
#include "serial/CommSettings.h"
#include "shell/FeatureCommands.h"
#include "tests/win32/MessageCapture.h"
#include "tools/driver/GuiDriver.h"

SimPort::SimPort(uint32_t dwBaudIndex) : m_bOpen(false)
{
    SimBus stBus;
    if (stBus.ComNumber() <= 0)
        return;
    gstCommSettings.m_dwPortIndex = static_cast<uint32_t>(stBus.ComNumber() - 1);
    gstCommSettings.m_dwBaudIndex = dwBaudIndex;
    MessageCapture stCapture;
    m_bOpen = Idm_CommOpen(NULL) == 0;
}

SimPort::~SimPort()
{
    if (m_bOpen && gstCommPort.m_bOpen.load() == 1)
    {
        MessageCapture stCapture;
        Idm_CommClose(NULL);
    }
    gstCommPort.m_bOpen = 0;
    gstCommSettings.SetDefaults();
}

TestListBox::TestListBox()
{
    m_hList = CreateWindowExA(0, "LISTBOX", "", WS_POPUP | LBS_HASSTRINGS, 0, 0, 200, 200, NULL,
                              NULL, GetModuleHandleA(NULL), NULL);
}

TestListBox::~TestListBox()
{
    DestroyWindow(m_hList);
}

std::vector<std::string> TestListBox::Lines() const
{
    std::vector<std::string> asLines;
    for (const std::wstring& wsLine : GuiDriver::ListLines(m_hList))
        asLines.push_back(fnNarrow(wsLine));
    return asLines;
}

namespace
{
UINT_PTR g_uTimer = 0;
LoopTimer::Action g_pfnAction = nullptr;

void CALLBACK fnTimerProc(HWND, UINT, UINT_PTR, DWORD)
{
    LoopTimer::Action pfnAction = g_pfnAction;
    LoopTimer::Cancel();
    if (pfnAction != nullptr)
        pfnAction();
}
} // namespace

void LoopTimer::Start(DWORD dwDelayMs, Action pfnAction)
{
    Cancel();
    g_pfnAction = pfnAction;
    g_uTimer = SetTimer(NULL, 0, dwDelayMs, fnTimerProc);
}

void LoopTimer::Cancel()
{
    if (g_uTimer != 0)
        KillTimer(NULL, g_uTimer);
    g_uTimer = 0;
    g_pfnAction = nullptr;
}

INT_PTR fnRunModal(int nTemplate, DLGPROC pfnProc, DWORD dwDelayMs, LoopTimer::Action pfnAction)
{
    if (pfnAction != nullptr)
        LoopTimer::Start(dwDelayMs, pfnAction);
    const INT_PTR nResult = fnShowDialog(nTemplate, NULL, pfnProc);
    LoopTimer::Cancel();
    return nResult;
}

void fnAddRecord(HWND hList, uint32_t dwModuleType, uint8_t chAddress, const char* pchLine)
{
    ModuleRecord& stRecord = gstModuleList.m_astModule[gstModuleList.m_dwCount.load()];
    stRecord = ModuleRecord{};
    stRecord.m_dwModuleType = dwModuleType;
    stRecord.m_chAddress = chAddress;
    strncpy(stRecord.m_achListText, pchLine, sizeof(stRecord.m_achListText) - 1);
    SendMessageW(hList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(fnUtf8ToWide(pchLine).c_str()));
    ++gstModuleList.m_dwCount;
}

RECT fnRectInParent(HWND hChild)
{
    RECT st = {};
    GetWindowRect(hChild, &st);
    MapWindowPoints(HWND_DESKTOP, GetParent(hChild), reinterpret_cast<POINT*>(&st), 2);
    return st;
}

bool fnPortWrite(const std::string& sFrame)
{
    HANDLE hComm = gstCommPort.m_hComm.load();
    OVERLAPPED stOL = {};
    stOL.hEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    DWORD dwDone = 0;
    const DWORD dwLen = static_cast<DWORD>(sFrame.size());
    BOOL bOk = WriteFile(hComm, sFrame.data(), dwLen, &dwDone, &stOL);
    if (!bOk && GetLastError() == ERROR_IO_PENDING)
        bOk = GetOverlappedResult(hComm, &stOL, &dwDone, TRUE);
    CloseHandle(stOL.hEvent);
    return bOk && dwDone == dwLen;
}

std::string fnPortExchange(const std::string& sFrame, DWORD dwTimeoutMs)
{
    HANDLE hComm = gstCommPort.m_hComm.load();
    PurgeComm(hComm, PURGE_RXCLEAR);
    std::string sReply;
    if (!fnPortWrite(sFrame))
        return sReply;
    OVERLAPPED stOL = {};
    stOL.hEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    const DWORD dwStart = GetTickCount();
    while (sReply.find('\r') == std::string::npos && GetTickCount() - dwStart < dwTimeoutMs)
    {
        char achBuf[128];
        ResetEvent(stOL.hEvent);
        DWORD dwRead = 0;
        if (!ReadFile(hComm, achBuf, sizeof(achBuf), &dwRead, &stOL))
        {
            if (GetLastError() != ERROR_IO_PENDING)
                break;
            const DWORD dwLeft = dwTimeoutMs - (GetTickCount() - dwStart);
            if (WaitForSingleObject(stOL.hEvent, dwLeft) != WAIT_OBJECT_0)
                CancelIo(hComm);
            GetOverlappedResult(hComm, &stOL, &dwRead, TRUE);
        }
        sReply.append(achBuf, dwRead);
    }
    CloseHandle(stOL.hEvent);
    return sReply;
}

std::wstring fnUtf8ToWide(const std::string& sUtf8)
{
    std::wstring ws(sUtf8.size() + 1, L'\0');
    int n = MultiByteToWideChar(CP_UTF8, 0, sUtf8.c_str(), -1, &ws[0], static_cast<int>(ws.size()));
    ws.resize(n > 0 ? n - 1 : 0);
    return ws;
}

std::wstring fnTableText(const char* pchName, ...)
{
    std::ifstream stFile("res/texts.tsv"); // the tests run from the source root
    const std::string sKey = std::string(pchName) + '\t';
    std::string sLine;
    while (std::getline(stFile, sLine) && sLine.compare(0, sKey.size(), sKey) != 0)
    {
    }
    if (sLine.compare(0, sKey.size(), sKey) != 0)
    {
        ADD_FAILURE() << pchName << " is not in res/texts.tsv";
        return L"";
    }
    std::string sText = sLine.substr(sKey.size());
    for (const char* pchEscape : {"\\r\r", "\\n\n", "\\t\t"})
        for (size_t i = 0; (i = sText.find(pchEscape, i, 2)) != std::string::npos;)
            sText.replace(i, 2, 1, pchEscape[2]);
    char achText[2048];
    va_list pArgs;
    va_start(pArgs, pchName);
    vsnprintf(achText, sizeof achText, sText.c_str(), pArgs);
    va_end(pArgs);
    return fnUtf8ToWide(achText);
}

std::wstring fnWindowTextW(HWND hWnd)
{
    static wchar_t s_awch[8192];
    s_awch[0] = L'\0';
    SendMessageW(hWnd, WM_GETTEXT, 8192, reinterpret_cast<LPARAM>(s_awch));
    return s_awch;
}
