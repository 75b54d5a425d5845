// Shared pieces of the Win32 tests: the fixture of the tests that need the simulator, the
// simulator's port opened the way the program opens it, a hidden listbox in place of the list
// panel's, a modal-loop timer that drives a dialog, and the expected texts from res/texts.tsv. The
// simulator client and its log reader are the tools' (tools/driver/SimControl.h).
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/win32/SimBus.h"

// BaudIndex values of the rates the tests run the line at.
const uint32_t INDEX_9600 = 3, INDEX_19200 = 4, INDEX_115200 = 7;

// Opens COM$VQ_TEST_COM through Idm_CommOpen at the given BaudIndex; closes it at the end.
class SimPort
{
  public:
    explicit SimPort(uint32_t dwBaudIndex);
    ~SimPort();
    SimPort(const SimPort&) = delete;
    SimPort& operator=(const SimPort&) = delete;
    bool IsOpen() const { return m_bOpen; }

  private:
    bool m_bOpen;
};

// A hidden top-level listbox that keeps lines in the order they were added.
class TestListBox
{
  public:
    TestListBox();
    ~TestListBox();
    HWND Handle() const { return m_hList; }
    std::vector<std::string> Lines() const;

  private:
    HWND m_hList;
};

// Calls pfnAction once, dwDelayMs after Start, from the test thread's message loop (a modal
// dialog's loop runs it). Only one at a time.
class LoopTimer
{
  public:
    typedef void (*Action)();
    static void Start(DWORD dwDelayMs, Action pfnAction);
    static void Cancel();
};

// Runs the dialog of nTemplate modally, without owner, as the program opens its dialogs; when
// pfnAction is given, a LoopTimer calls it dwDelayMs after the start. Returns the dialog's result.
INT_PTR fnRunModal(int nTemplate, DLGPROC pfnProc, DWORD dwDelayMs = 0,
                   LoopTimer::Action pfnAction = nullptr);
// Appends a record with its list line to gstModuleList and the line to the listbox.
void fnAddRecord(HWND hList, uint32_t dwModuleType, uint8_t chAddress, const char* pchLine);
// The child's rectangle in its parent's client coordinates.
RECT fnRectInParent(HWND hChild);

// On the port the program opened: writes the frame and waits for the write; then collects
// what comes back up to CR or until dwTimeoutMs, with the overlapped calls the workers use.
bool fnPortWrite(const std::string& sFrame);
std::string fnPortExchange(const std::string& sFrame, DWORD dwTimeoutMs);

// UTF-8 (test sources and paths) as UTF-16.
std::wstring fnUtf8ToWide(const std::string& sUtf8);
// A run-time text as res/texts.tsv gives it (UTF-8, \r \n \t escapes), formatted with printf
// arguments when there are any, as UTF-16. A name not in the table fails the test.
std::wstring fnTableText(const char* pchName, ...);
// A window's text read back through WM_GETTEXT as UTF-16.
std::wstring fnWindowTextW(HWND hWnd);

// True once pred() holds, polled every 10 ms; false after dwMs.
template <class Pred> bool fnWaitUntil(Pred pred, DWORD dwMs)
{
    for (const DWORD dwStart = GetTickCount(); !pred(); Sleep(10))
        if (GetTickCount() - dwStart > dwMs)
            return false;
    return true;
}

// The tests that need the bus simulator: skipped when scripts/win32-tests did not start one.
class SimTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        if (!m_stBus.Available() || m_stBus.ComNumber() <= 0)
            GTEST_SKIP() << "no bus simulator (run scripts/win32-tests)";
    }
    SimBus m_stBus;
};
