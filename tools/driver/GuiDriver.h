// Drives VQ4600Utility.exe from another process, as a technician would with the mouse: it
// starts the program, finds its windows by class and caption, posts commands and button clicks
// (posted, so that a modal loop in the program never blocks the driver) and reads texts back
// with the wide messages. Every wait is bounded; a wait that fails keeps a list of the
// program's windows in LastError() so that the test report shows what was on the screen.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct MessageBoxInfo
{
    HWND hWnd = nullptr;
    std::wstring caption;
    std::wstring text;
};

class GuiDriver
{
  public:
    static const DWORD kWaitMs = 5000;

    GuiDriver() = default;
    ~GuiDriver();
    GuiDriver(const GuiDriver&) = delete;
    GuiDriver& operator=(const GuiDriver&) = delete;

    // Starts the program (a Windows path or a Unix path, which is reached through Z:) and waits
    // for its main window of class "ProgName".
    bool Start(const std::wstring& exePath);
    // Ends the program if it still runs. Safe to call twice.
    void Kill();
    // Waits for the program to end by itself; gives its exit code.
    bool WaitExit(DWORD ms, DWORD* pExitCode);

    DWORD Pid() const { return m_dwPid; }
    HWND MainWindow() const { return m_hMain; }
    const std::wstring& LastError() const { return m_lastError; }

    // A visible dialog (class "#32770", not a message box) of the program with this caption.
    HWND WaitDialog(const std::wstring& caption, DWORD ms = kWaitMs);
    // Any visible dialog of the program that is not a message box (a feature's window).
    HWND WaitAnyDialog(DWORD ms = kWaitMs);
    // Closes a dialog as its close box would (WM_CLOSE, then IDCANCEL); true when it is gone.
    bool CloseDialog(HWND hDlg);
    // A visible message box of the program; with a caption, only one with that caption.
    HWND WaitMessageBox(DWORD ms = kWaitMs, const std::wstring& caption = L"");
    MessageBoxInfo ReadMessageBox(HWND hBox);
    // Waits until the window is gone or hidden.
    bool WaitGone(HWND hWnd, DWORD ms = kWaitMs);
    // True when no message box of the program is up now.
    bool NoMessageBox();
    // The program's top-level windows and the children of its dialogs, one per line.
    std::wstring Describe();

    // Posts WM_COMMAND with a menu id to the main window, as the menu would.
    void PostCommand(WORD id);

    // A descendant of the main window by control id and class (class "" matches any).
    HWND FindControl(int id, const wchar_t* cls);

    // Control helpers; they work on any window of the program.
    static HWND Item(HWND hDlg, int id) { return GetDlgItem(hDlg, id); }
    static void Click(HWND hDlg, int id);
    static bool SetText(HWND hCtl, const std::wstring& text);
    static std::wstring Text(HWND hWnd);
    static std::wstring ClassOf(HWND hWnd);
    static std::vector<std::wstring> ListLines(HWND hList);
    // Selects a listbox line as a click would and tells the listbox's parent (LBN_SELCHANGE).
    static bool ListSelect(HWND hList, int index);
    static bool ComboSelect(HWND hCombo, int index);
    // A message answered within the send time-out; -1 when the program did not answer.
    static LRESULT Send(HWND hWnd, UINT msg, WPARAM w, LPARAM l);

    // Polls pred every 20 ms until it holds or ms have passed.
    template <class Pred> static bool WaitUntil(Pred pred, DWORD ms)
    {
        ULONGLONG end = GetTickCount64() + ms;
        for (;;)
        {
            if (pred())
            {
                return true;
            }
            if (GetTickCount64() >= end)
            {
                return false;
            }
            Sleep(20);
        }
    }

    // Every top-level window of the program.
    std::vector<HWND> TopWindows();

  private:
    bool IsMessageBox(HWND hWnd);
    void Fail(const std::wstring& what);

    PROCESS_INFORMATION m_stProc = {};
    DWORD m_dwPid = 0;
    HWND m_hMain = nullptr;
    std::wstring m_lastError;
};

// Turns a Unix path into the Z: path Wine gives it; leaves Windows paths alone.
std::wstring fnWinPath(const std::wstring& path);
// An environment variable as UTF-16, or "" when unset.
std::wstring fnEnv(const wchar_t* name);
// A file from `offset` to its end (the whole file by default), read with full sharing (a file
// another process rewrites); "" when unreadable.
std::string fnReadFile(const std::wstring& path, size_t offset = 0);
// UTF-16 to UTF-8 for test messages.
std::string fnNarrow(const std::wstring& text);
