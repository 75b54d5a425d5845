// vq_soak.exe: opens and closes every dialog and IO window of the running program N times and
// closes and reopens the COM port M times, sampling the program's GDI objects, user objects,
// handles and private memory. It prints first (after one warm-up round), last and maximum of
// each and fails when a figure ends above its first value by more than its tolerance.
//   vq_soak.exe [--cycles N] [--com-cycles M] [--seconds S]
// With --seconds the rounds stop when the time is up (half of it for each kind of round).
#include "tools/driver/SoakSteps.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{

struct Options
{
    int nCycles = 500;
    int nComCycles = 1000;
    double dSeconds = 0; // 0: no time bound
};

struct Figure
{
    const char* name;
    double tolerance;
    double (*read)(const ResourceSample& r);
    bool memory; // private memory, which Wine grows with every dialog (fnAllowForWine)
    double first = 0, last = 0, max = 0;
    bool seen = false;

    void Add(const ResourceSample& r)
    {
        double v = read(r);
        first = seen ? first : v;
        max = seen && max > v ? max : v;
        last = v;
        seen = true;
    }
};

Figure g_figures[] = {
    {"GDI objects (GR_GDIOBJECTS, else GDI table)", 8,
     [](const ResourceSample& r) { return double(r.probe.dwGdiObjects); }, false},
    {"user objects (GR_USEROBJECTS)", 8,
     [](const ResourceSample& r) { return double(r.probe.dwUserObjects); }, false},
    {"windows of the process", 2, [](const ResourceSample& r) { return double(r.probe.dwWindows); },
     false},
    {"handle count (GetProcessHandleCount)", 12,
     [](const ResourceSample& r) { return double(r.probe.dwHandles); }, false},
    {"open handles (probed)", 12,
     [](const ResourceSample& r) { return double(r.probe.dwHandlesProbed); }, false},
    {"private memory, PrivateUsage (KiB)", 2048,
     [](const ResourceSample& r) { return double(r.probe.qwPrivateUsage / 1024); }, true},
    {"private memory, committed private regions (KiB)", 2048,
     [](const ResourceSample& r) { return double(r.probe.qwPrivateCommitted / 1024); }, true},
    {"threads", 0, [](const ResourceSample& r) { return double(r.dwThreads); }, false},
};

Options fnParse(int argc, char** argv)
{
    Options o;
    for (int i = 1; i + 1 < argc; ++i)
    {
        if (strcmp(argv[i], "--cycles") == 0)
            o.nCycles = atoi(argv[++i]);
        else if (strcmp(argv[i], "--com-cycles") == 0)
            o.nComCycles = atoi(argv[++i]);
        else if (strcmp(argv[i], "--seconds") == 0)
            o.dSeconds = atof(argv[++i]);
    }
    return o;
}

bool fnSample(SoakSession& s)
{
    ResourceSample r;
    std::wstring why;
    if (!s.Probe().Read(s.App().MainWindow(), r, why))
    {
        printf("soak: %s\n", fnNarrow(why).c_str());
        return false;
    }
    for (Figure& f : g_figures)
        f.Add(r);
    return true;
}

// With VQ_SOAK_TRACE set: the handles and GDI objects after each window, to find a leak.
void fnTrace(SoakSession& s, const char* name)
{
    if (!getenv("VQ_SOAK_TRACE"))
        return;
    ResourceSample r;
    std::wstring why;
    if (s.Probe().Read(s.App().MainWindow(), r, why))
        printf("soak: after %-16s handles %u, GDI %u, windows %u, private %llu KiB\n", name,
               r.probe.dwHandlesProbed, r.probe.dwGdiObjects, r.probe.dwWindows,
               static_cast<unsigned long long>(r.probe.qwPrivateCommitted / 1024));
}

// One open and close of every window that exists; false on a failure (printed).
bool fnDialogRound(SoakSession& s, std::vector<bool>& present, int round)
{
    const std::vector<FeatureWindow>& windows = fnFeatureWindows();
    for (size_t i = 0; i < windows.size(); ++i)
    {
        if (!present[i])
            continue;
        std::wstring why;
        HWND h = s.Open(windows[i], why);
        std::wstring box = s.TakeMessageBox();
        if (!h && round == 0 && box.empty())
        {
            printf("soak: %s: no window opens (not built yet?); left out\n", windows[i].name);
            present[i] = false;
            continue;
        }
        if (!h || !box.empty() || s.Close(h, windows[i], why) < 0)
        {
            printf("soak: round %d, %s: %s %s\n", round, windows[i].name, fnNarrow(why).c_str(),
                   fnNarrow(box).c_str());
            return false;
        }
        fnTrace(s, windows[i].name);
    }
    return true;
}

// Wine's common controls 6 keep some private memory of every dialog that is created and
// destroyed, about 0.4 KiB for the COM Set dialog and 0.8 KiB for an IO window: the same
// templates in a bare test program grow alike with a common-controls-6 manifest and stay flat
// without one. Every COM cycle opens the COM Set dialog. So the memory tolerances grow by
// 1 KiB for each dialog opened.
void fnAllowForWine(int nDialogs)
{
    const double dPerDialog = 1.0;
    for (Figure& f : g_figures)
        f.tolerance += f.memory ? dPerDialog * nDialogs : 0;
    printf("  (memory tolerance: 2048 KiB + %.1f KiB for each of %d dialogs opened)\n", dPerDialog,
           nDialogs);
}

bool fnReport()
{
    bool ok = true;
    for (const Figure& f : g_figures)
    {
        if (!f.seen || f.max == 0)
        {
            printf("  %-50s not available\n", f.name);
            continue;
        }
        double growth = f.last - f.first;
        bool pass = f.tolerance == 0 || growth <= f.tolerance;
        printf("  %-50s first %10.0f  last %10.0f  max %10.0f  (%+.0f, tolerance %.0f) %s\n",
               f.name, f.first, f.last, f.max, growth, f.tolerance, pass ? "ok" : "GROWS");
        ok = ok && pass;
    }
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    Options o = fnParse(argc, argv);
    printf("soak: started: %d rounds of every window, %d COM cycles, %.0f s bound (0: none)\n",
           o.nCycles, o.nComCycles, o.dSeconds);
    SoakSession s;
    std::wstring why;
    if (!s.Start(why))
    {
        printf("soak: the program did not come up on the bus: %s\n", fnNarrow(why).c_str());
        printf("0 passed, 1 failed\n");
        return 1;
    }
    std::vector<bool> present(fnFeatureWindows().size(), true);
    // Warm-up: one COM cycle and one round of every window, so that what the program creates
    // once and keeps (fonts, bitmaps, the dialogs' first allocations) is in the first sample.
    bool ok = s.ReopenPort(why) && s.Search(why);
    if (!ok)
        printf("soak: first COM cycle: %s\n", fnNarrow(why).c_str());
    ok = ok && fnDialogRound(s, present, 0) && fnSample(s);
    double t0 = fnNowMs();
    double half = o.dSeconds * 500.0;
    int rounds = 0, coms = 0;
    for (; ok && rounds < o.nCycles && (half == 0 || fnNowMs() - t0 < half); ++rounds)
    {
        ok = fnDialogRound(s, present, rounds + 1) && s.Responsive(1000);
        if (ok && rounds % 10 == 9)
            ok = fnSample(s);
    }
    double t1 = fnNowMs();
    for (; ok && coms < o.nComCycles && (half == 0 || fnNowMs() - t1 < half); ++coms)
    {
        ok = s.ReopenPort(why);
        if (!ok)
            printf("soak: COM cycle %d: %s\n", coms + 1, fnNarrow(why).c_str());
        if (ok && coms % 25 == 24)
            ok = fnSample(s);
    }
    ok = ok && fnSample(s);
    printf("soak: %d rounds of every window (%.0f s), %d COM Close/Open cycles (%.0f s)\n", rounds,
           (t1 - t0) / 1000, coms, (fnNowMs() - t1) / 1000);
    fnAllowForWine(rounds * static_cast<int>(std::count(present.begin(), present.end(), true)) +
                   coms);
    bool flat = fnReport();
    bool pass = ok && flat;
    printf("%d passed, %d failed\n", pass ? 1 : 0, pass ? 0 : 1);
    return pass ? 0 : 1;
}
