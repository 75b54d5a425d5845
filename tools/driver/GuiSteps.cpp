// Every step here posts its input and then polls for the window or text it expects; none of
// them sends a message that the program could answer only after a modal loop ends.
#include "tools/driver/GuiSteps.h"

#include <cwchar>
#include <cstdlib>

namespace gui
{

std::wstring fnText(const char* gbk)
{
    wchar_t buf[512];
    int n = MultiByteToWideChar(936, 0, gbk, -1, buf, 512);
    return n > 0 ? std::wstring(buf, static_cast<size_t>(n - 1)) : L"";
}

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
    HWND h = app.FindControl(IDC_STATUS_TEXT, L"Static");
    return h ? GuiDriver::Text(h) : L"<no status text control>";
}

std::vector<std::wstring> fnModuleList(GuiDriver& app)
{
    return GuiDriver::ListLines(app.FindControl(IDC_MODULE_LIST, L"ListBox"));
}

HWND fnShowComSet(GuiDriver& app, int command, std::wstring& error)
{
    app.PostCommand(static_cast<WORD>(command));
    HWND dlg = app.WaitDialog(fnText(TXT_COMSET_CAPTION));
    if (!dlg)
    {
        error = app.LastError();
    }
    return dlg;
}

bool fnOpenPort(GuiDriver& app, int com, int baudIndex, std::wstring& error)
{
    HWND dlg = fnShowComSet(app, IDM_COM_OPEN, error);
    if (!dlg)
    {
        return false;
    }
    if (!GuiDriver::ComboSelect(GuiDriver::Item(dlg, IDC_COMSET_PORT), com - 1) ||
        !GuiDriver::ComboSelect(GuiDriver::Item(dlg, IDC_COMSET_BAUD), baudIndex))
    {
        error = L"cannot select COM" + std::to_wstring(com) + L" in the COM Set lists";
        return false;
    }
    GuiDriver::Click(dlg, IDOK);
    std::wstring want = fnText(TXT_STATUS_OPEN_FMT);
    want = want.substr(0, want.find(L'%')) + L"COM" + std::to_wstring(com) + L",";
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
    app.PostCommand(IDM_MODULE_SEARCH);
    HWND dlg = app.WaitDialog(fnText(TXT_MODULE_SEARCH));
    if (!dlg)
    {
        error = app.LastError();
        return nullptr;
    }
    GuiDriver::SetText(GuiDriver::Item(dlg, IDC_SEARCH_START), start);
    GuiDriver::Click(dlg, IDOK);
    HWND progress = app.WaitDialog(fnText(TXT_SEARCH_PROGRESS_CAPTION));
    if (!progress)
    {
        error = app.LastError();
    }
    return progress;
}

bool fnWaitSearchAddress(GuiDriver& app, HWND progress, const std::wstring& address, DWORD ms,
                         std::wstring& error)
{
    HWND text = GuiDriver::Item(progress, IDC_SEARCH_ADDRESS);
    if (GuiDriver::WaitUntil([&] { return GuiDriver::Text(text) == address; }, ms))
    {
        return true;
    }
    error = L"the progress dialog never showed address " + address + L" (now '" +
            GuiDriver::Text(text) + L"');\n" + app.Describe();
    return false;
}

bool fnSearch(GuiDriver& app, const std::wstring& start, const std::wstring& stopAt,
              std::wstring& error)
{
    HWND progress = fnStartSearch(app, start, error);
    if (!progress || !fnWaitSearchAddress(app, progress, stopAt, 20000, error))
        return false;
    GuiDriver::Click(progress, IDOK);
    if (app.WaitGone(progress))
        return true;
    error = L"the search did not stop";
    return false;
}

bool fnChooseFile(GuiDriver& app, const std::wstring& title, const std::wstring& path,
                  std::wstring& error)
{
    HWND dlg = app.WaitDialog(title);
    HWND name = dlg ? GuiDriver::Item(dlg, 0x47C) : nullptr; // cmb13, else edt1
    name = name ? name : (dlg ? GuiDriver::Item(dlg, 0x480) : nullptr);
    if (!name || !GuiDriver::SetText(name, path))
    {
        error = L"no file dialog '" + title + L"' with a name field\n" + app.Describe();
        return false;
    }
    PostMessageW(dlg, WM_COMMAND, IDOK, 0);
    if (app.WaitGone(dlg))
        return true;
    error = L"the file dialog did not take " + path + L"\n" + app.LastError();
    return false;
}

std::wstring fnTakeBoxes(GuiDriver& app, DWORD firstMs, int* pCount)
{
    std::wstring texts;
    for (HWND box; (box = app.WaitMessageBox(texts.empty() ? firstMs : 0)) != nullptr;)
    {
        MessageBoxInfo info = app.ReadMessageBox(box);
        texts += (texts.empty() ? L"" : L" / ") + info.caption + L": " + info.text;
        app.CloseDialog(box);
        if (pCount)
        {
            ++*pCount;
        }
    }
    return texts;
}

void fnChooseTermProtocol(HWND hTerminal, int index)
{
    HWND combo = GuiDriver::Item(hTerminal, IDC_TERM_PROTOCOL);
    GuiDriver::ComboSelect(combo, index);
    PostMessageW(hTerminal, WM_COMMAND, MAKEWPARAM(IDC_TERM_PROTOCOL, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

HWND fnOpenTerminal(GuiDriver& app, int protocol, std::wstring& error)
{
    app.PostCommand(IDM_TERMINAL);
    HWND dlg = app.WaitDialog(fnText(TXT_TERM_CAPTION));
    if (!dlg)
    {
        error = app.LastError();
        return nullptr;
    }
    fnChooseTermProtocol(dlg, protocol);
    const wchar_t* mode = protocol == 2 ? L"(HEX)" : L"(ASCII)";
    GuiDriver::WaitUntil(
        [&] { return GuiDriver::Text(GuiDriver::Item(dlg, IDC_TERM_CMD_MODE)) == mode; }, 2000);
    Sleep(600);
    return dlg;
}

void fnTermSend(HWND hTerminal, const wchar_t* command, bool continuous, const wchar_t* interval)
{
    GuiDriver::SetText(GuiDriver::Item(hTerminal, IDC_TERM_COMMAND), command);
    if (interval)
    {
        GuiDriver::SetText(GuiDriver::Item(hTerminal, IDC_TERM_INTERVAL), interval);
    }
    GuiDriver::Click(hTerminal, continuous ? IDC_TERM_CONTINUOUS : IDC_TERM_SEND);
}

void fnWaitSearchPairEnd()
{
    Sleep(1000);
}

} // namespace gui
