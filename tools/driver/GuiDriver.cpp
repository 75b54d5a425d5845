// Window search goes through EnumWindows and EnumChildWindows and keeps only windows of the
// program's process id; texts are read with WM_GETTEXT, LB_GETTEXT and CB_GETLBTEXT sent with a
// time-out, so a busy or hung program fails a test instead of hanging the driver. The driver
// runs on one thread; it never sends a message that could start a modal loop in the program.
#include "tools/driver/GuiDriver.h"

#include <cwchar>

namespace
{

const UINT kSendTimeoutMs = 5000;

bool fnSend(HWND hWnd, UINT msg, WPARAM w, LPARAM l, LRESULT* pResult)
{
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutW(hWnd, msg, w, l, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result))
    {
        return false;
    }
    if (pResult)
    {
        *pResult = static_cast<LRESULT>(result);
    }
    return true;
}

struct EnumTop
{
    DWORD pid;
    std::vector<HWND>* out;
};

BOOL CALLBACK fnEnumTop(HWND hWnd, LPARAM lParam)
{
    EnumTop* e = reinterpret_cast<EnumTop*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hWnd, &pid);
    if (pid == e->pid)
    {
        e->out->push_back(hWnd);
    }
    return TRUE;
}

BOOL CALLBACK fnEnumChildren(HWND hWnd, LPARAM lParam)
{
    reinterpret_cast<std::vector<HWND>*>(lParam)->push_back(hWnd);
    return TRUE;
}

std::vector<HWND> fnChildren(HWND hWnd)
{
    std::vector<HWND> out;
    EnumChildWindows(hWnd, fnEnumChildren, reinterpret_cast<LPARAM>(&out));
    return out;
}

std::wstring fnHex(const void* p)
{
    wchar_t buf[32];
    swprintf(buf, 32, L"%p", p);
    return buf;
}

} // namespace

std::wstring fnWinPath(const std::wstring& path)
{
    if (path.empty() || path[0] != L'/')
    {
        return path;
    }
    std::wstring out = L"Z:" + path;
    for (wchar_t& c : out)
    {
        if (c == L'/')
        {
            c = L'\\';
        }
    }
    return out;
}

std::wstring fnEnv(const wchar_t* name)
{
    wchar_t buf[1024];
    DWORD n = GetEnvironmentVariableW(name, buf, 1024);
    return (n == 0 || n >= 1024) ? std::wstring() : std::wstring(buf, n);
}

std::string fnReadFile(const std::wstring& path, size_t offset)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string out;
    if (h == INVALID_HANDLE_VALUE)
        return out;
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    char buf[4096];
    DWORD n = 0;
    if (SetFilePointerEx(h, at, nullptr, FILE_BEGIN))
        while (ReadFile(h, buf, sizeof buf, &n, nullptr) && n > 0)
            out.append(buf, n);
    CloseHandle(h);
    return out;
}

std::string fnNarrow(const std::wstring& text)
{
    if (text.empty())
    {
        return std::string();
    }
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr,
                        nullptr);
    return out;
}

GuiDriver::~GuiDriver()
{
    Kill();
}

bool GuiDriver::Start(const std::wstring& exePath)
{
    Kill();
    m_lastError.clear();
    std::wstring exe = fnWinPath(exePath);
    if (exe.empty() || GetFileAttributesW(exe.c_str()) == INVALID_FILE_ATTRIBUTES)
    {
        m_lastError = L"program not found: '" + exe + L"' (set VQ_APP_EXE)";
        return false;
    }
    // Wine starts the desktop process on the first use of the window system; a driver and a
    // program that both start it at once race, and the loser's main window is never created.
    // Asking for the desktop here starts it, and waits for it, before the program runs.
    if (!GetDesktopWindow())
    {
        m_lastError = L"no desktop window";
        return false;
    }
    std::wstring dir = exe.substr(0, exe.find_last_of(L"\\/") + 1);
    std::wstring cmd = L"\"" + exe + L"\"";
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    if (!CreateProcessW(exe.c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                        dir.empty() ? nullptr : dir.c_str(), &si, &m_stProc))
    {
        m_lastError = L"CreateProcess failed for " + exe;
        return false;
    }
    m_dwPid = m_stProc.dwProcessId;
    WaitForInputIdle(m_stProc.hProcess, 10000);
    bool found = WaitUntil(
        [this]
        {
            for (HWND h : TopWindows())
            {
                if (ClassOf(h) == L"ProgName" && IsWindowVisible(h))
                {
                    m_hMain = h;
                    return true;
                }
            }
            return false;
        },
        15000);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(m_stProc.hProcess, &code);
    if (!found && code != STILL_ACTIVE)
    {
        m_lastError = L"the program ended at start with code " + std::to_wstring(code);
    }
    else if (!found)
    {
        Fail(L"no visible main window of class ProgName");
    }
    return found;
}

void GuiDriver::Kill()
{
    if (m_stProc.hProcess)
    {
        if (WaitForSingleObject(m_stProc.hProcess, 0) == WAIT_TIMEOUT)
        {
            TerminateProcess(m_stProc.hProcess, 99);
            WaitForSingleObject(m_stProc.hProcess, 5000);
        }
        CloseHandle(m_stProc.hProcess);
        CloseHandle(m_stProc.hThread);
    }
    m_stProc = PROCESS_INFORMATION();
    m_dwPid = 0;
    m_hMain = nullptr;
}

bool GuiDriver::WaitExit(DWORD ms, DWORD* pExitCode)
{
    if (!m_stProc.hProcess || WaitForSingleObject(m_stProc.hProcess, ms) != WAIT_OBJECT_0)
    {
        Fail(L"the program did not end");
        return false;
    }
    DWORD code = 0;
    GetExitCodeProcess(m_stProc.hProcess, &code);
    if (pExitCode)
    {
        *pExitCode = code;
    }
    return true;
}

std::vector<HWND> GuiDriver::TopWindows()
{
    std::vector<HWND> out;
    if (m_dwPid != 0)
    {
        EnumTop e = {m_dwPid, &out};
        EnumWindows(fnEnumTop, reinterpret_cast<LPARAM>(&e));
    }
    return out;
}

// A message box is a dialog whose only children are buttons, its text (static 0xFFFF) and its
// icon (static 0x0440). A dialog of the program can look the same (a label without an id and
// an OK button), so one more mark is needed: the icon, or the no-idle style of the system's
// message box template.
bool GuiDriver::IsMessageBox(HWND hWnd)
{
    if (ClassOf(hWnd) != L"#32770")
    {
        return false;
    }
    bool hasText = false;
    bool hasMark = (GetWindowLongW(hWnd, GWL_STYLE) & DS_NOIDLEMSG) != 0;
    for (HWND c : fnChildren(hWnd))
    {
        int id = GetDlgCtrlID(c) & 0xFFFF;
        std::wstring cls = ClassOf(c);
        if (cls == L"Static" && id == 0xFFFF)
        {
            hasText = true;
        }
        else if (cls == L"Static" && id == 0x0440)
        {
            hasMark = true;
        }
        else if (cls != L"Button")
        {
            return false;
        }
    }
    return hasText && hasMark;
}

HWND GuiDriver::WaitDialog(const std::wstring& caption, DWORD ms)
{
    HWND found = nullptr;
    WaitUntil(
        [&]
        {
            for (HWND h : TopWindows())
            {
                if (IsWindowVisible(h) && ClassOf(h) == L"#32770" && Text(h) == caption &&
                    !IsMessageBox(h))
                {
                    found = h;
                    return true;
                }
            }
            return false;
        },
        ms);
    if (!found)
    {
        Fail(L"no dialog with the caption '" + caption + L"'");
    }
    return found;
}

HWND GuiDriver::WaitAnyDialog(DWORD ms)
{
    HWND found = nullptr;
    WaitUntil(
        [&]
        {
            for (HWND h : TopWindows())
            {
                if (IsWindowVisible(h) && ClassOf(h) == L"#32770" && !IsMessageBox(h))
                {
                    found = h;
                    return true;
                }
            }
            return false;
        },
        ms);
    if (!found)
    {
        Fail(L"no dialog came up");
    }
    return found;
}

bool GuiDriver::CloseDialog(HWND hDlg)
{
    PostMessageW(hDlg, WM_CLOSE, 0, 0);
    if (WaitUntil([&] { return !IsWindow(hDlg) || !IsWindowVisible(hDlg); }, 3000))
    {
        return true;
    }
    PostMessageW(hDlg, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    return WaitGone(hDlg);
}

HWND GuiDriver::WaitMessageBox(DWORD ms, const std::wstring& caption)
{
    HWND found = nullptr;
    WaitUntil(
        [&]
        {
            for (HWND h : TopWindows())
            {
                if (IsWindowVisible(h) && IsMessageBox(h) &&
                    (caption.empty() || Text(h) == caption))
                {
                    found = h;
                    return true;
                }
            }
            return false;
        },
        ms);
    if (!found)
    {
        Fail(caption.empty() ? L"no message box" : L"no message box captioned '" + caption + L"'");
    }
    return found;
}

bool GuiDriver::NoMessageBox()
{
    for (HWND h : TopWindows())
    {
        if (IsWindowVisible(h) && IsMessageBox(h))
        {
            return false;
        }
    }
    return true;
}

MessageBoxInfo GuiDriver::ReadMessageBox(HWND hBox)
{
    MessageBoxInfo info;
    info.hWnd = hBox;
    info.caption = Text(hBox);
    info.text = Text(GetDlgItem(hBox, 0xFFFF));
    return info;
}

bool GuiDriver::WaitGone(HWND hWnd, DWORD ms)
{
    bool gone = WaitUntil([&] { return !IsWindow(hWnd) || !IsWindowVisible(hWnd); }, ms);
    if (!gone)
    {
        Fail(L"window " + fnHex(hWnd) + L" '" + Text(hWnd) + L"' is still up");
    }
    return gone;
}

std::wstring GuiDriver::Describe()
{
    std::wstring out;
    for (HWND h : TopWindows())
    {
        out += L"  " + fnHex(h) + L" [" + ClassOf(h) + L"] '" + Text(h) + L"'" +
               (IsWindowVisible(h) ? L" visible" : L" hidden") +
               (IsWindowEnabled(h) ? L"" : L" disabled") +
               (IsMessageBox(h) ? L" message box" : L"") + L" owner " +
               fnHex(GetWindow(h, GW_OWNER)) + L"\n";
        if (ClassOf(h) != L"#32770" || !IsWindowVisible(h))
        {
            continue;
        }
        for (HWND c : fnChildren(h))
        {
            wchar_t id[16];
            swprintf(id, 16, L"%d", GetDlgCtrlID(c));
            out += L"      " + std::wstring(id) + L" [" + ClassOf(c) + L"] '" + Text(c) + L"'\n";
        }
    }
    return out.empty() ? L"  (the program has no windows)\n" : out;
}

void GuiDriver::Fail(const std::wstring& what)
{
    m_lastError = what + L"; the program's windows:\n" + Describe();
}

void GuiDriver::PostCommand(WORD id)
{
    PostMessageW(m_hMain, WM_COMMAND, MAKEWPARAM(id, 0), 0);
}

HWND GuiDriver::FindControl(int id, const wchar_t* cls)
{
    for (HWND c : fnChildren(m_hMain))
    {
        if (GetDlgCtrlID(c) == id && (cls[0] == 0 || ClassOf(c) == cls))
        {
            return c;
        }
    }
    return nullptr;
}

void GuiDriver::Click(HWND hDlg, int id)
{
    PostMessageW(GetDlgItem(hDlg, id), BM_CLICK, 0, 0);
}

bool GuiDriver::SetText(HWND hCtl, const std::wstring& text)
{
    return hCtl && fnSend(hCtl, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), nullptr);
}

std::wstring GuiDriver::Text(HWND hWnd)
{
    if (!hWnd)
    {
        return L"<no window>";
    }
    wchar_t buf[4096];
    buf[0] = 0;
    LRESULT n = 0;
    if (!fnSend(hWnd, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(buf), &n))
    {
        return L"<no answer>";
    }
    return std::wstring(buf, static_cast<size_t>(n < 0 ? 0 : n));
}

std::wstring GuiDriver::ClassOf(HWND hWnd)
{
    wchar_t buf[128];
    int n = GetClassNameW(hWnd, buf, 128);
    return std::wstring(buf, static_cast<size_t>(n > 0 ? n : 0));
}

std::vector<std::wstring> GuiDriver::ListLines(HWND hList)
{
    std::vector<std::wstring> out;
    LRESULT count = 0;
    if (!hList || !fnSend(hList, LB_GETCOUNT, 0, 0, &count))
    {
        return out;
    }
    for (LRESULT i = 0; i < count; ++i)
    {
        wchar_t buf[1024];
        LRESULT n = 0;
        if (!fnSend(hList, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(buf), &n))
        {
            break;
        }
        out.emplace_back(buf, static_cast<size_t>(n < 0 ? 0 : n));
    }
    return out;
}

bool GuiDriver::ListSelect(HWND hList, int index)
{
    LRESULT sel = LB_ERR;
    if (!fnSend(hList, LB_SETCURSEL, static_cast<WPARAM>(index), 0, &sel) || sel != index)
    {
        return false;
    }
    WPARAM w = MAKEWPARAM(GetDlgCtrlID(hList), LBN_SELCHANGE);
    return PostMessageW(GetParent(hList), WM_COMMAND, w, reinterpret_cast<LPARAM>(hList)) != 0;
}

LRESULT GuiDriver::Send(HWND hWnd, UINT msg, WPARAM w, LPARAM l)
{
    LRESULT result = -1;
    return fnSend(hWnd, msg, w, l, &result) ? result : -1;
}

bool GuiDriver::ComboSelect(HWND hCombo, int index)
{
    LRESULT sel = CB_ERR;
    return fnSend(hCombo, CB_SETCURSEL, static_cast<WPARAM>(index), 0, &sel) && sel == index;
}
