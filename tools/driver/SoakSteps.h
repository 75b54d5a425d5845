// Steps the soak tool and the GUI benchmarks repeat: bring the program up on the simulated
// default bus with its module list, and open and close each feature window by its menu command.
// Windows are found by command and by "a dialog that was not there before", so a feature whose
// texts change still works here; a feature that opens no window is reported as missing.
#pragma once

#include "tools/driver/GuiDriver.h"
#include "tools/driver/ResourceProbe.h"

#include <string>
#include <vector>

struct FeatureWindow
{
    const char* name;
    WORD command;  // menu command that opens it
    int entry;     // line of the module list to select first, -1 for none
    bool bWorkers; // a worker pair runs while it is open
};

// Every dialog and IO window the program has, in the order of the default bus list.
const std::vector<FeatureWindow>& fnFeatureWindows();

class SoakSession
{
  public:
    SoakSession() = default;
    ~SoakSession();
    SoakSession(const SoakSession&) = delete;
    SoakSession& operator=(const SoakSession&) = delete;

    // Starts the program, opens COM$VQ_TEST_COM at 9600 and searches the default bus (00..04).
    bool Start(std::wstring& error);
    // Searches 00..04 again (COM Close empties the list) and stops at 05.
    bool Search(std::wstring& error);
    GuiDriver& App() { return m_app; }
    ResourceProbe& Probe() { return *m_pProbe; }
    // Threads of the program with no feature open (taken after Start).
    DWORD IdleThreads() const { return m_dwIdleThreads; }

    // Opens the feature window; nullptr with a reason when none appeared.
    HWND Open(const FeatureWindow& f, std::wstring& error);
    // Closes it as its close box does; then waits until the worker pair has ended. Gives the
    // time from the close to both workers gone in ms (0 without workers), -1 on failure.
    long Close(HWND hDlg, const FeatureWindow& f, std::wstring& error);
    // COM Close, then COM Open again through the COM Set dialog.
    bool ReopenPort(std::wstring& error);
    // A message box the program shows now, read and dismissed; "" when there is none.
    std::wstring TakeMessageBox();
    // True when the main window answers a message within `ms`.
    bool Responsive(DWORD ms);

  private:
    GuiDriver m_app;
    ResourceProbe* m_pProbe = nullptr;
    DWORD m_dwIdleThreads = 0;
    std::vector<HWND> m_before;
};
