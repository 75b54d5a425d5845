// The hook stays installed only for one read; the mapping is created by the driver before the
// probe message is sent and is named after the program's process id, so two drivers in one
// Wine prefix do not share it.
#include "tests/gui/MenuProbe.h"

#include <cwchar>

namespace
{

const DWORD kMappingBytes = 32768 * sizeof(wchar_t);

std::wstring fnHookPath()
{
    wchar_t buf[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
    std::wstring path(buf, n);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"vq_gui_hook.dll";
}

bool fnParse(const wchar_t* text, std::vector<MenuEntry>& out)
{
    out.clear();
    const wchar_t* p = text;
    while (*p)
    {
        const wchar_t* end = wcschr(p, L'\n');
        if (!end)
        {
            return false;
        }
        std::wstring line(p, end);
        MenuEntry e;
        int consumed = 0;
        if (swscanf(line.c_str(), L"%d\t%d\t%u\t%u\t%u\t%n", &e.sub, &e.pos, &e.id, &e.type,
                    &e.state, &consumed) != 5)
        {
            return false;
        }
        e.text = line.substr(static_cast<size_t>(consumed));
        out.push_back(e);
        p = end + 1;
    }
    return !out.empty();
}

} // namespace

bool MenuProbe::Read(HWND hMain, std::vector<MenuEntry>& out, std::wstring& error)
{
    DWORD pid = 0;
    DWORD tid = GetWindowThreadProcessId(hMain, &pid);
    if (tid == 0)
    {
        error = L"menu probe: no main window";
        return false;
    }
    HMODULE hDll = LoadLibraryW(fnHookPath().c_str());
    HOOKPROC proc = hDll ? reinterpret_cast<HOOKPROC>(
                               reinterpret_cast<void*>(GetProcAddress(hDll, "VqMenuProbeHook")))
                         : nullptr;
    if (!proc)
    {
        error = L"menu probe: cannot load " + fnHookPath();
        return false;
    }
    wchar_t name[64];
    swprintf(name, 64, L"VQGuiMenuDump_%lu", pid);
    HANDLE hMap =
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kMappingBytes, name);
    wchar_t* view =
        hMap ? static_cast<wchar_t*>(MapViewOfFile(hMap, FILE_MAP_ALL_ACCESS, 0, 0, 0)) : nullptr;
    bool ok = false;
    if (view)
    {
        view[0] = 0;
        HHOOK hHook = SetWindowsHookExW(WH_CALLWNDPROC, proc, hDll, tid);
        DWORD_PTR result = 0;
        if (hHook && SendMessageTimeoutW(hMain, RegisterWindowMessageW(L"VQGuiMenuProbe"), 0, 0,
                                         SMTO_ABORTIFHUNG, 3000, &result))
        {
            ok = fnParse(view, out);
        }
        if (hHook)
        {
            UnhookWindowsHookEx(hHook);
        }
        error = ok ? L"" : L"menu probe: the program did not report its menu";
        UnmapViewOfFile(view);
    }
    else
    {
        error = L"menu probe: no shared mapping";
    }
    if (hMap)
    {
        CloseHandle(hMap);
    }
    FreeLibrary(hDll);
    return ok;
}

const MenuEntry* MenuProbe::ById(const std::vector<MenuEntry>& items, UINT id)
{
    for (const MenuEntry& e : items)
    {
        if (e.sub >= 0 && !e.IsSeparator() && e.id == id)
        {
            return &e;
        }
    }
    return nullptr;
}

const MenuEntry* MenuProbe::At(const std::vector<MenuEntry>& items, int sub, int pos)
{
    for (const MenuEntry& e : items)
    {
        if (e.sub == sub && e.pos == pos)
        {
            return &e;
        }
    }
    return nullptr;
}
