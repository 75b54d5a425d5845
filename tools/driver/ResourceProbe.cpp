// The hook module is loaded here and installed on the main window's thread for one message;
// the program answers that message only once its main thread is free, so a sample taken while
// a modal dialog runs is still served (the dialog's loop dispatches sent messages).
#include "tools/driver/ResourceProbe.h"

#include <tlhelp32.h>

#include <cwchar>

namespace
{

std::wstring fnHookPath()
{
    wchar_t buf[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
    std::wstring path(buf, n);
    return path.substr(0, path.find_last_of(L"\\/") + 1) + L"vq_probe_hook.dll";
}

} // namespace

double fnNowMs()
{
    static LARGE_INTEGER freq = {};
    if (freq.QuadPart == 0)
    {
        QueryPerformanceFrequency(&freq);
    }
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(freq.QuadPart);
}

ResourceProbe::ResourceProbe(DWORD pid) : m_dwPid(pid)
{
    m_hProcess = OpenProcess(PROCESS_QUERY_INFORMATION | SYNCHRONIZE, FALSE, pid);
}

ResourceProbe::~ResourceProbe()
{
    if (m_hProcess)
    {
        CloseHandle(m_hProcess);
    }
}

bool ResourceProbe::Read(HWND hMain, ResourceSample& out, std::wstring& error)
{
    DWORD pid = 0;
    DWORD tid = GetWindowThreadProcessId(hMain, &pid);
    if (tid == 0 || pid != m_dwPid)
    {
        error = L"probe: no main window";
        return false;
    }
    HMODULE hDll = LoadLibraryW(fnHookPath().c_str());
    HOOKPROC proc = hDll ? reinterpret_cast<HOOKPROC>(
                               reinterpret_cast<void*>(GetProcAddress(hDll, "VqProbeHook")))
                         : nullptr;
    if (!proc)
    {
        error = L"probe: cannot load " + fnHookPath();
        if (hDll)
        {
            FreeLibrary(hDll);
        }
        return false;
    }
    wchar_t name[64];
    swprintf(name, 64, L"%ls%lu", kSoakProbeMapping, pid);
    HANDLE hMap = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                     sizeof(ProbeMapping), name);
    ProbeMapping* view =
        hMap ? static_cast<ProbeMapping*>(MapViewOfFile(hMap, FILE_MAP_ALL_ACCESS, 0, 0, 0))
             : nullptr;
    bool ok = false;
    error = L"probe: no shared mapping";
    if (view)
    {
        view->figures = SoakProbeData();
        view->achMenu[0] = 0;
        HHOOK hHook = SetWindowsHookExW(WH_CALLWNDPROC, proc, hDll, tid);
        DWORD_PTR result = 0;
        if (hHook && SendMessageTimeoutW(hMain, RegisterWindowMessageW(kSoakProbeMessage), 0, 0,
                                         SMTO_ABORTIFHUNG, 10000, &result))
        {
            ok = view->figures.dwValid == 1;
            out.probe = view->figures;
            view->achMenu[kProbeMenuChars - 1] = 0;
            out.menu = view->achMenu;
        }
        if (hHook)
        {
            UnhookWindowsHookEx(hHook);
        }
        error = ok ? L"" : L"probe: the program did not report";
        UnmapViewOfFile(view);
    }
    if (hMap)
    {
        CloseHandle(hMap);
    }
    FreeLibrary(hDll);
    out.dwThreads = Threads();
    return ok;
}

DWORD ResourceProbe::Threads() const
{
    HANDLE hSnap = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (hSnap == INVALID_HANDLE_VALUE)
    {
        return 0;
    }
    THREADENTRY32 te = {};
    te.dwSize = sizeof te;
    DWORD n = 0;
    if (Thread32First(hSnap, &te))
    {
        do
        {
            if (te.th32OwnerProcessID == m_dwPid)
            {
                ++n;
            }
        } while (Thread32Next(hSnap, &te));
    }
    CloseHandle(hSnap);
    return n;
}

double ResourceProbe::CpuSeconds() const
{
    FILETIME c, e, k, u;
    if (!m_hProcess || !GetProcessTimes(m_hProcess, &c, &e, &k, &u))
    {
        return 0.0;
    }
    auto sec = [](const FILETIME& f)
    {
        ULARGE_INTEGER v;
        v.LowPart = f.dwLowDateTime;
        v.HighPart = f.dwHighDateTime;
        return static_cast<double>(v.QuadPart) / 1e7;
    };
    return sec(k) + sec(u);
}

long ResourceProbe::WaitThreadsAtMost(DWORD count, DWORD ms) const
{
    double t0 = fnNowMs();
    for (;;)
    {
        double t = fnNowMs() - t0;
        DWORD n = Threads();
        if (n != 0 && n <= count)
        {
            return static_cast<long>(t);
        }
        if (t > ms)
        {
            return -1;
        }
        Sleep(5);
    }
}
