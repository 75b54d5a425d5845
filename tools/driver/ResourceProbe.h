// Reads what a running VQ4600Utility uses: GDI and user objects, handles and private memory,
// and its menu tree through the probe hook (tools/hook/ProbeHook.cpp), and its thread count and
// CPU time from outside. The GUI driver, the soak tool and the benchmarks share it. Every call is
// bounded by a send time-out.
#pragma once

#include "tools/driver/SoakProbeData.h"

#include <windows.h>

#include <string>

struct ResourceSample
{
    SoakProbeData probe = {};
    DWORD dwThreads = 0;
    std::wstring menu; // as ProbeMapping::achMenu
};

class ResourceProbe
{
  public:
    explicit ResourceProbe(DWORD pid);
    ~ResourceProbe();
    ResourceProbe(const ResourceProbe&) = delete;
    ResourceProbe& operator=(const ResourceProbe&) = delete;

    // One sample through the hook on the main window's thread; false with a reason on failure.
    bool Read(HWND hMain, ResourceSample& out, std::wstring& error);
    // Threads of the process now (Toolhelp snapshot), 0 when it cannot be read.
    DWORD Threads() const;
    // User plus kernel CPU time of the process so far, in seconds.
    double CpuSeconds() const;
    // Waits until the thread count is at most `count`; gives the time it took in ms, or -1.
    long WaitThreadsAtMost(DWORD count, DWORD ms) const;

  private:
    DWORD m_dwPid;
    HANDLE m_hProcess = nullptr;
};

// Milliseconds of a high-resolution clock.
double fnNowMs();
