// Each scene starts from the main window with the port as the previous scene left it, so the
// order of the scenes matters: the error message first (port closed), then the open port and
// the search dialogs. A scene that cannot be reached is reported and the run goes on.
#include "tools/shots/ShotRun.h"

#include "tools/driver/GuiSteps.h"
#include "tools/driver/GuiTexts.h"
#include "tools/driver/SimControl.h"

#include <cstdio>

namespace
{

const DWORD kShotWaitMs = 10000;

bool fnTouch(const std::wstring& path)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                           nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
    {
        return false;
    }
    CloseHandle(h);
    return true;
}

} // namespace

ShotRun::ShotRun(const std::wstring& dir) : m_dir(fnWinPath(dir)) {}

bool ShotRun::Fail(const std::wstring& what)
{
    fprintf(stderr, "shots: %s\n", fnNarrow(what).c_str());
    ++m_nMissed;
    return false;
}

bool ShotRun::Shoot(const wchar_t* name)
{
    Sleep(300); // let the window paint before the picture
    std::wstring done = m_dir + L"\\done-" + name;
    DeleteFileW(done.c_str());
    if (!fnTouch(m_dir + L"\\request-" + name))
    {
        return Fail(L"cannot write the request for " + std::wstring(name) + L" in " + m_dir);
    }
    bool answered = GuiDriver::WaitUntil(
        [&] { return GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, kShotWaitMs);
    if (!answered)
    {
        return Fail(L"no done-" + std::wstring(name) + L" within 10 s");
    }
    ++m_nShots;
    printf("shots: %s\n", fnNarrow(name).c_str());
    return true;
}

bool ShotRun::ShowMain()
{
    return Shoot(L"main");
}

bool ShotRun::ShowComSet()
{
    std::wstring error;
    HWND dlg = gui::fnShowComSet(m_app, IDM_COM_OPEN, error);
    if (!dlg)
    {
        return Fail(error);
    }
    Shoot(L"comset");
    GuiDriver::Click(dlg, IDCANCEL);
    return m_app.WaitGone(dlg) || Fail(m_app.LastError());
}

bool ShotRun::ShowOpenError()
{
    std::wstring error;
    HWND dlg = gui::fnShowComSet(m_app, IDM_COM_OPEN, error);
    if (!dlg)
    {
        return Fail(error);
    }
    GuiDriver::ComboSelect(GuiDriver::Item(dlg, IDC_COMSET_PORT), 255);
    GuiDriver::Click(dlg, IDOK);
    HWND box = m_app.WaitMessageBox();
    if (!box)
    {
        return Fail(m_app.LastError());
    }
    Shoot(L"msg-open-error");
    GuiDriver::Click(box, IDOK);
    return m_app.WaitGone(box) || Fail(m_app.LastError());
}

bool ShotRun::ShowSearch()
{
    std::wstring error;
    int com = gui::fnTestCom();
    if (com <= 0)
    {
        return Fail(L"VQ_TEST_COM is not set: no port to open for the search scenes");
    }
    if (!gui::fnOpenPort(m_app, com, 3, error))
    {
        return Fail(error);
    }
    Shoot(L"main-open");
    m_app.PostCommand(IDM_MODULE_SEARCH);
    HWND dlg = m_app.WaitDialog(gui::fnText(TXT_MODULE_SEARCH));
    if (!dlg)
    {
        return Fail(m_app.LastError());
    }
    Shoot(L"search-start");
    GuiDriver::SetText(GuiDriver::Item(dlg, IDC_SEARCH_START), L"0x10");
    GuiDriver::Click(dlg, IDOK);
    HWND box = m_app.WaitMessageBox(GuiDriver::kWaitMs, gui::fnText(TXT_MODULE_SEARCH));
    if (!box)
    {
        return Fail(m_app.LastError());
    }
    Shoot(L"msg-search-address");
    GuiDriver::Click(box, IDOK);
    m_app.WaitGone(box);
    GuiDriver::SetText(GuiDriver::Item(dlg, IDC_SEARCH_START), L"00");
    GuiDriver::Click(dlg, IDOK);
    HWND progress = m_app.WaitDialog(gui::fnText(TXT_SEARCH_PROGRESS_CAPTION));
    if (!progress)
    {
        return Fail(m_app.LastError());
    }
    if (!gui::fnWaitSearchAddress(m_app, progress, L"05", 20000, error))
    {
        Fail(error);
    }
    Shoot(L"search-progress");
    GuiDriver::Click(progress, IDOK);
    if (!m_app.WaitGone(progress))
    {
        return Fail(m_app.LastError());
    }
    return Shoot(L"main-list");
}

void ShotRun::ShowFeature(const wchar_t* name, int command, int listEntry)
{
    if (listEntry >= 0 &&
        !GuiDriver::ListSelect(m_app.FindControl(IDC_MODULE_LIST, L"ListBox"), listEntry))
    {
        printf("shots: %s not available (no list entry %d)\n", fnNarrow(name).c_str(), listEntry);
        return;
    }
    m_app.PostCommand(static_cast<WORD>(command));
    HWND dlg = m_app.WaitAnyDialog(3000);
    if (!dlg)
    {
        HWND box = m_app.WaitMessageBox(500);
        printf("shots: %s not available\n", fnNarrow(name).c_str());
        if (box)
        {
            GuiDriver::Click(box, IDOK);
            m_app.WaitGone(box);
        }
        return;
    }
    if (command == IDM_IO_CONTROL)
    {
        ShowIoLive(dlg);
    }
    Shoot(name);
    if (!m_app.CloseDialog(dlg))
    {
        Fail(m_app.LastError());
    }
}

void ShotRun::ShowModuleSet()
{
    if (!GuiDriver::ListSelect(m_app.FindControl(IDC_MODULE_LIST, L"ListBox"), 0))
    {
        printf("shots: module-set not available (no list entry 0)\n");
        return;
    }
    m_app.PostCommand(static_cast<WORD>(IDM_MODULE_SET));
    HWND dlg = m_app.WaitAnyDialog(3000);
    if (!dlg)
    {
        Fail(L"module-set: " + m_app.LastError());
        return;
    }
    Shoot(L"module-set");
    // The preselection is the module's own address, protocol and the port's rate.
    GuiDriver::Click(dlg, 1053);
    HWND box = m_app.WaitMessageBox(3000, gui::kProgramCaption);
    if (box)
    {
        Shoot(L"module-set-report");
        GuiDriver::Click(box, IDOK);
        m_app.WaitGone(box);
    }
    else
    {
        Fail(L"module-set-report: " + m_app.LastError());
    }
    if (!m_app.CloseDialog(dlg))
    {
        Fail(m_app.LastError());
    }
}

void ShotRun::ShowIoLive(HWND dlg)
{
    const int kOut1 = 1049, kOut2 = 1048; // VQ-4652
    const int kPlot4624 = 1087, kPlot4637 = 1078;
    if (GuiDriver::Item(dlg, kOut1))
    {
        GuiDriver::Click(dlg, kOut1);
        GuiDriver::Click(dlg, kOut2);
        Sleep(1500);
    }
    else if (GuiDriver::Item(dlg, kPlot4624) || GuiDriver::Item(dlg, kPlot4637))
    {
        Sleep(40000); // one sample a 0.8 s at 9600 bit/s: about 50 pixels of trace
    }
    else
    {
        Sleep(1500);
    }
}

// One IO window per model found by the search, then settings, terminal, About, the credit
// window and the list-file open dialog.
void ShotRun::ShowFeatures()
{
    SimControl sim;
    if (sim.Available())
    {
        sim.Command("inputs 01 05"); // IN0 and IN2 lit on the VQ-4652GD
        sim.Command("inputs 02 A5");
    }
    std::vector<std::wstring> lines = gui::fnModuleList(m_app);
    for (size_t i = 0; i < lines.size(); ++i)
    {
        // "[01H] 4652GD (VQASCII)": the model name stands between the blank and the "(".
        size_t from = lines[i].find(L"] ");
        size_t to = lines[i].find(L" (");
        if (from == std::wstring::npos || to == std::wstring::npos || to < from + 2)
        {
            continue;
        }
        std::wstring name = L"io-" + lines[i].substr(from + 2, to - from - 2);
        ShowFeature(name.c_str(), IDM_IO_CONTROL, static_cast<int>(i));
    }
    ShowTerminal();
    ShowModuleSet();
    ShowFeature(L"about", IDM_ABOUT, -1);
    // The tenth About of a run shows the credit window.
    for (int n = 2; n < 10; ++n)
    {
        m_app.PostCommand(IDM_ABOUT);
        HWND dlg = m_app.WaitAnyDialog(3000);
        if (!dlg || !m_app.CloseDialog(dlg))
            Fail(m_app.LastError());
    }
    ShowFeature(L"credit", IDM_ABOUT, -1);
    ShowFeature(L"sli_open", IDM_LIST_LOAD, -1);
}

int ShotRun::Run()
{
    if (!m_app.Start(gui::fnAppExe()))
    {
        Fail(m_app.LastError());
        return 2;
    }
    ShowMain();
    ShowComSet();
    ShowOpenError();
    if (ShowSearch())
    {
        ShowFeatures();
    }
    m_app.PostCommand(IDM_EXIT);
    m_app.WaitExit(GuiDriver::kWaitMs, nullptr);
    m_app.Kill();
    printf("shots: %d taken, %d missed\n", m_nShots, m_nMissed);
    return m_nMissed == 0 ? 0 : 1;
}

namespace
{
int fnLineCount(const std::wstring& text)
{
    int lines = 0;
    for (size_t at = text.find(L"\r\n"); at != std::wstring::npos; at = text.find(L"\r\n", at + 2))
    {
        ++lines;
    }
    return lines;
}
} // namespace

// The terminal after two commands in text (VQASCII), then after two in hex (Modbus RTU to the
// VQ-4624 at 03, the CRC appended by the program).
void ShotRun::ShowTerminal()
{
    std::wstring why;
    HWND dlg = gui::fnOpenTerminal(m_app, 0, why);
    if (!dlg)
    {
        printf("shots: terminal not available\n");
        return;
    }
    HWND box = GuiDriver::Item(dlg, IDC_TERM_RETURN);
    auto send = [&](const wchar_t* command, int lines)
    {
        gui::fnTermSend(dlg, command);
        GuiDriver::WaitUntil([&] { return fnLineCount(GuiDriver::Text(box)) >= lines; }, 3000);
    };
    send(L"$01M", 1);
    send(L"$016", 2);
    Shoot(L"terminal_text");
    gui::fnChooseTermProtocol(dlg, 2);
    GuiDriver::Click(dlg, IDC_TERM_CLEAR);
    GuiDriver::WaitUntil([&] { return GuiDriver::Text(box).empty(); }, 2000);
    send(L"03 46 00", 1);
    send(L"03 04 00 00 00 08", 2);
    Shoot(L"terminal_hex");
    if (!m_app.CloseDialog(dlg))
    {
        Fail(m_app.LastError());
    }
}
