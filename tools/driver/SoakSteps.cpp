// The windows a command opens are told apart from those already up by listing the program's
// dialogs before the command; a command that opens nothing within two seconds is reported.
#include "tools/driver/SoakSteps.h"

#include "tools/driver/GuiSteps.h"
#include "tools/driver/GuiTexts.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

namespace
{

// The program's visible dialogs, message boxes left out.
std::vector<HWND> fnDialogs(GuiDriver& app)
{
    std::vector<HWND> out;
    for (HWND h : app.TopWindows())
    {
        if (IsWindowVisible(h) && GuiDriver::ClassOf(h) == L"#32770" &&
            GetDlgItem(h, 0xFFFF) == nullptr)
            out.push_back(h);
    }
    return out;
}

} // namespace

const std::vector<FeatureWindow>& fnFeatureWindows()
{
    static const std::vector<FeatureWindow> windows = {
        {"About", IDM_ABOUT, -1, false},
        {"Search start", IDM_MODULE_SEARCH, -1, false},
        {"Module settings", IDM_MODULE_SET, 0, true},
        {"Terminal", IDM_TERMINAL, -1, true},
        {"IO 4652GD", IDM_IO_CONTROL, 0, true},
        {"IO 4618", IDM_IO_CONTROL, 1, true},
        {"IO 4624", IDM_IO_CONTROL, 2, true},
        {"IO 4637", IDM_IO_CONTROL, 3, true},
    };
    // The common file dialogs of List Load and List Save add one handle inside Wine's own
    // dialog code each time they open; they join the rounds only when asked for.
    static const std::vector<FeatureWindow> withFiles = []
    {
        std::vector<FeatureWindow> all = windows;
        all.insert(all.begin() + 2, {"List load", IDM_LIST_LOAD, -1, false});
        all.insert(all.begin() + 3, {"List save", IDM_LIST_SAVE, -1, false});
        return all;
    }();
    // VQ_SOAK_ONLY="About,IO 4624" keeps only the windows named, to find which one leaks.
    static const std::vector<FeatureWindow> chosen = []
    {
        const char* only = getenv("VQ_SOAK_ONLY");
        std::vector<FeatureWindow> some;
        for (const FeatureWindow& w : getenv("VQ_SOAK_FILE_DIALOGS") ? withFiles : windows)
            if (!only || strstr((std::string(",") + only + ",").c_str(),
                                (std::string(",") + w.name + ",").c_str()))
                some.push_back(w);
        return some;
    }();
    return chosen;
}

SoakSession::~SoakSession()
{
    delete m_pProbe;
    m_app.Kill();
}

bool SoakSession::Start(std::wstring& error)
{
    int com = gui::fnTestCom();
    if (com <= 0)
    {
        error = L"VQ_TEST_COM is not set";
        return false;
    }
    if (!m_app.Start(gui::fnAppExe()))
    {
        error = m_app.LastError();
        return false;
    }
    delete m_pProbe;
    m_pProbe = new ResourceProbe(m_app.Pid());
    if (!gui::fnOpenPort(m_app, com, 3, error) || !Search(error))
    {
        return false;
    }
    // The search pair ends within a reply wait and its closing pause after the Stop.
    Sleep(1500);
    m_dwIdleThreads = m_pProbe->Threads();
    return true;
}

bool SoakSession::Search(std::wstring& error)
{
    if (!gui::fnSearch(m_app, L"00", L"05", error))
    {
        return false;
    }
    if (gui::fnModuleList(m_app).size() != 4)
    {
        error = L"the search did not find the four modules of the default bus";
        return false;
    }
    return true;
}

HWND SoakSession::Open(const FeatureWindow& f, std::wstring& error)
{
    if (f.entry >= 0 &&
        !GuiDriver::ListSelect(m_app.FindControl(IDC_MODULE_LIST, L"ListBox"), f.entry))
    {
        error = L"cannot select list entry " + std::to_wstring(f.entry);
        return nullptr;
    }
    m_before = fnDialogs(m_app);
    m_app.PostCommand(f.command);
    HWND found = nullptr;
    GuiDriver::WaitUntil(
        [&]
        {
            for (HWND h : fnDialogs(m_app))
            {
                if (std::find(m_before.begin(), m_before.end(), h) == m_before.end())
                {
                    found = h;
                    return true;
                }
            }
            return false;
        },
        2000);
    if (!found)
    {
        error = L"no window appeared";
    }
    return found;
}

long SoakSession::Close(HWND hDlg, const FeatureWindow& f, std::wstring& error)
{
    double t0 = fnNowMs();
    PostMessageW(hDlg, WM_CLOSE, 0, 0);
    if (!m_app.WaitGone(hDlg, 3000))
    {
        PostMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
        if (!m_app.WaitGone(hDlg, 2000))
        {
            error = L"the window did not close";
            return -1;
        }
    }
    if (!f.bWorkers)
    {
        // A common file dialog leaves threads of the system behind: they are idle threads now.
        Sleep(200);
        DWORD n = m_pProbe->Threads();
        m_dwIdleThreads = n > m_dwIdleThreads ? n : m_dwIdleThreads;
        return 0;
    }
    long waited = m_pProbe->WaitThreadsAtMost(m_dwIdleThreads, 5000);
    if (waited < 0)
    {
        error = L"the worker pair still runs 5 s after the close";
        return -1;
    }
    return static_cast<long>(fnNowMs() - t0);
}

bool SoakSession::ReopenPort(std::wstring& error)
{
    m_app.PostCommand(IDM_COM_CLOSE);
    if (!GuiDriver::WaitUntil([&] { return gui::fnStatusText(m_app).find(L"已打开") != 0; },
                              GuiDriver::kWaitMs))
    {
        error = L"COM Close did not change the status line: " + gui::fnStatusText(m_app);
        return false;
    }
    return gui::fnOpenPort(m_app, gui::fnTestCom(), 3, error);
}

std::wstring SoakSession::TakeMessageBox()
{
    return gui::fnTakeBoxes(m_app);
}

bool SoakSession::Responsive(DWORD ms)
{
    DWORD_PTR result = 0;
    return SendMessageTimeoutW(m_app.MainWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, ms, &result) !=
           0;
}
