// Every step here posts its input and then polls for the window or text it expects; none of
// them sends a message that the program could answer only after a modal loop ends.
#include "tests/gui/GuiSteps.h"

#include "tests/gui/GuiTexts.h"

#include <cwchar>
#include <cstdlib>

namespace gui
{

int fnTestCom()
{
    return _wtoi(fnEnv(L"VQ_TEST_COM").c_str());
}

std::wstring fnAppExe()
{
    std::wstring exe = fnEnv(L"VQ_APP_EXE");
    if (!exe.empty())
    {
        return exe;
    }
    wchar_t buf[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
    std::wstring self(buf, n);
    return self.substr(0, self.find_last_of(L"\\/") + 1) + L"VQ4600Utility.exe";
}

std::wstring fnStatusText(GuiDriver& app)
{
    HWND h = app.FindControl(kIdStatusText, L"Static");
    return h ? GuiDriver::Text(h) : L"<no status text control>";
}

std::vector<std::wstring> fnModuleList(GuiDriver& app)
{
    return GuiDriver::ListLines(app.FindControl(kIdModuleList, L"ListBox"));
}

HWND fnShowComSet(GuiDriver& app, int command, std::wstring& error)
{
    app.PostCommand(static_cast<WORD>(command));
    HWND dlg = app.WaitDialog(kComSetCaption);
    if (!dlg)
    {
        error = app.LastError();
    }
    return dlg;
}

bool fnOpenPort(GuiDriver& app, int com, int baudIndex, std::wstring& error)
{
    HWND dlg = fnShowComSet(app, kIdmComOpen, error);
    if (!dlg)
    {
        return false;
    }
    if (!GuiDriver::ComboSelect(GuiDriver::Item(dlg, kIdComSetPort), com - 1) ||
        !GuiDriver::ComboSelect(GuiDriver::Item(dlg, kIdComSetBaud), baudIndex))
    {
        error = L"cannot select COM" + std::to_wstring(com) + L" in the COM Set lists";
        return false;
    }
    GuiDriver::Click(dlg, IDOK);
    std::wstring want = L"已打开COM" + std::to_wstring(com) + L",";
    if (!GuiDriver::WaitUntil([&] { return fnStatusText(app).compare(0, want.size(), want) == 0; },
                              GuiDriver::kWaitMs))
    {
        error = L"the status line shows '" + fnStatusText(app) + L"' after COM Open;\n" +
                app.Describe();
        return false;
    }
    return true;
}

HWND fnStartSearch(GuiDriver& app, const std::wstring& start, std::wstring& error)
{
    app.PostCommand(kIdmModuleSearch);
    HWND dlg = app.WaitDialog(kSearchCaption);
    if (!dlg)
    {
        error = app.LastError();
        return nullptr;
    }
    GuiDriver::SetText(GuiDriver::Item(dlg, kIdSearchStart), start);
    GuiDriver::Click(dlg, IDOK);
    HWND progress = app.WaitDialog(kProgressCaption);
    if (!progress)
    {
        error = app.LastError();
    }
    return progress;
}

bool fnWaitSearchAddress(GuiDriver& app, HWND progress, const std::wstring& address, DWORD ms,
                         std::wstring& error)
{
    HWND text = GuiDriver::Item(progress, kIdSearchAddress);
    if (GuiDriver::WaitUntil([&] { return GuiDriver::Text(text) == address; }, ms))
    {
        return true;
    }
    error = L"the progress dialog never showed address " + address + L" (now '" +
            GuiDriver::Text(text) + L"');\n" + app.Describe();
    return false;
}

void fnWaitSearchPairEnd()
{
    Sleep(1000);
}

} // namespace gui
