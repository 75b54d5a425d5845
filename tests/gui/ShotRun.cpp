// Each scene starts from the main window with the port as the previous scene left it, so the
// order of the scenes matters: the error message first (port closed), then the open port and
// the search dialogs. A scene that cannot be reached is reported and the run goes on.
#include "tests/gui/ShotRun.h"

#include "tests/gui/GuiSteps.h"
#include "tests/gui/GuiTexts.h"

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

bool ShotRun::ShowMain() { return Shoot(L"main"); }

bool ShotRun::ShowComSet()
{
    std::wstring error;
    HWND dlg = gui::fnShowComSet(m_app, gui::kIdmComOpen, error);
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
    HWND dlg = gui::fnShowComSet(m_app, gui::kIdmComOpen, error);
    if (!dlg)
    {
        return Fail(error);
    }
    GuiDriver::ComboSelect(GuiDriver::Item(dlg, gui::kIdComSetPort), 255);
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
    m_app.PostCommand(gui::kIdmModuleSearch);
    HWND dlg = m_app.WaitDialog(gui::kSearchCaption);
    if (!dlg)
    {
        return Fail(m_app.LastError());
    }
    Shoot(L"search-start");
    GuiDriver::SetText(GuiDriver::Item(dlg, gui::kIdSearchStart), L"0x10");
    GuiDriver::Click(dlg, IDOK);
    HWND box = m_app.WaitMessageBox(GuiDriver::kWaitMs, gui::kSearchCaption);
    if (!box)
    {
        return Fail(m_app.LastError());
    }
    Shoot(L"msg-search-address");
    GuiDriver::Click(box, IDOK);
    m_app.WaitGone(box);
    GuiDriver::SetText(GuiDriver::Item(dlg, gui::kIdSearchStart), L"00");
    GuiDriver::Click(dlg, IDOK);
    HWND progress = m_app.WaitDialog(gui::kProgressCaption);
    if (!progress)
    {
        return Fail(m_app.LastError());
    }
    if (!gui::fnWaitSearchAddress(m_app, progress, L"03", 15000, error))
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
    ShowSearch();
    m_app.PostCommand(gui::kIdmExit);
    m_app.WaitExit(GuiDriver::kWaitMs, nullptr);
    m_app.Kill();
    printf("shots: %d taken, %d missed\n", m_nShots, m_nMissed);
    return m_nMissed == 0 ? 0 : 1;
}
