// gui_bench.exe: benchmarks of the running program through its own windows on the simulated
// default bus. It prints one line per figure, "ROW|item|goal|measured|verdict", which bench/run
// turns into docs/performance.md:
//   - CPU of the program while each IO window is open on an idle module (analog channels held,
//     digital inputs unchanged), over --seconds, against the main window alone;
//   - stop latency of every worker pair: from the close (WM_CLOSE, as the close box) until the
//     program is back to its idle thread count, i.e. both workers have ended;
//   - reply-to-display latency: from the control line that changes the simulated module until
//     the window shows it (a digital lamp, an analog value);
//   - GDI objects, windows, handles and private memory before and after --cycles open/close
//     cycles of an IO window;
//   - the search pair's stop through the progress dialog's Stop button.
// --only idle|stop|display|cycles|search measures one group alone (VQ_BENCH_GUI_ONLY of bench/run).
// The thread count comes from a Toolhelp snapshot, the CPU time from GetProcessTimes and the
// resources from the probe hook inside the program (tools/driver/ResourceProbe.h).
#include "tools/driver/GuiSteps.h"
#include "tools/driver/GuiTexts.h"
#include "tools/driver/SimControl.h"
#include "tools/driver/SoakSteps.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace
{

struct Options
{
    double dSeconds = 60;
    int nCycles = 200;
    int nRepeats = 5;
    std::string only; // one group of figures: idle, stop, display, cycles or search
};

Options fnParse(int argc, char** argv)
{
    Options o;
    for (int i = 1; i + 1 < argc; ++i)
    {
        if (strcmp(argv[i], "--seconds") == 0)
            o.dSeconds = atof(argv[++i]);
        else if (strcmp(argv[i], "--cycles") == 0)
            o.nCycles = atoi(argv[++i]);
        else if (strcmp(argv[i], "--repeats") == 0)
            o.nRepeats = atoi(argv[++i]);
        else if (strcmp(argv[i], "--only") == 0)
            o.only = argv[++i];
    }
    return o;
}

void fnRow(const std::string& item, const std::string& goal, const std::string& measured,
           const char* verdict)
{
    printf("ROW|%s|%s|%s|%s\n", item.c_str(), goal.c_str(), measured.c_str(), verdict);
}

std::string fnFmt(const char* format, double a, double b = 0, double c = 0)
{
    char buf[160];
    snprintf(buf, sizeof buf, format, a, b, c);
    return buf;
}

// A row of min / mean / max of some times in ms; met when the longest is within `goalMs`.
void fnSpreadRow(const std::string& item, const std::string& goal, const std::vector<double>& ms,
                 const char* what, double goalMs)
{
    double sum = 0;
    for (double v : ms)
        sum += v;
    double mn = *std::min_element(ms.begin(), ms.end());
    double mx = *std::max_element(ms.begin(), ms.end());
    fnRow(item, goal,
          fnFmt("%.0f / %.0f / %.0f ms (min / mean / max)", mn, sum / ms.size(), mx) + " of " +
              std::to_string(ms.size()) + " " + what,
          mx <= goalMs ? "met" : "NOT MET");
}

const FeatureWindow* fnFeature(const char* name)
{
    for (const FeatureWindow& f : fnFeatureWindows())
        if (strcmp(f.name, name) == 0)
            return &f;
    return nullptr;
}

// Goal of a pair's stop latency in ms: digital one 500 ms wait and the 200 ms pause; analog
// the 800 ms reply wait at 9600 baud and one 500 ms wait; the others one 500 ms wait.
double fnStopGoal(const FeatureWindow& f)
{
    if (strstr(f.name, "4652") || strstr(f.name, "4618"))
        return 700;
    if (strstr(f.name, "4624") || strstr(f.name, "4637"))
        return 1300;
    return 500;
}

// CPU % of one core used by the program over `seconds`.
double fnCpuPercent(SoakSession& s, double seconds)
{
    double c0 = s.Probe().CpuSeconds();
    double t0 = fnNowMs();
    Sleep(static_cast<DWORD>(seconds * 1000));
    double c1 = s.Probe().CpuSeconds();
    return (c1 - c0) * 100000.0 / (fnNowMs() - t0);
}

bool fnHoldModules(SimControl& sim)
{
    bool ok = sim.Command("inputs 01 00") && sim.Command("inputs 02 00");
    for (int ch = 0; ch < 8 && ok; ++ch)
    {
        ok = sim.Command("analog 03 " + std::to_string(ch) + " 4.000") &&
             sim.Command("analog 04 " + std::to_string(ch) + " 4.000");
    }
    return ok;
}

void fnIdleCpu(SoakSession& s, const Options& o)
{
    double idle = fnCpuPercent(s, o.dSeconds);
    fnRow("CPU, main window idle, port open, no window", "< 0.5 % of one core",
          fnFmt("%.2f %% over %.0f s", idle, o.dSeconds), idle < 0.5 ? "met" : "NOT MET");
    for (const FeatureWindow& f : fnFeatureWindows())
    {
        if (!strstr(f.name, "IO "))
            continue;
        std::wstring why;
        HWND h = s.Open(f, why);
        if (!h)
        {
            fnRow(std::string("CPU, ") + f.name + " window open, idle module", "< 0.5 %",
                  "no window: " + fnNarrow(why), "FAIL");
            continue;
        }
        Sleep(2000);
        printf("gui_bench: %s open: %lu threads (idle %lu)\n", f.name, s.Probe().Threads(),
               s.IdleThreads());
        double pct = fnCpuPercent(s, o.dSeconds);
        fnRow(std::string("CPU, ") + f.name + " window open, idle module", "< 0.5 % of one core",
              fnFmt("%.2f %% over %.0f s", pct, o.dSeconds), pct < 0.5 ? "met" : "NOT MET");
        s.Close(h, f, why);
    }
}

void fnStopLatencies(SoakSession& s, const Options& o)
{
    for (const FeatureWindow& f : fnFeatureWindows())
    {
        if (!f.bWorkers)
            continue;
        std::vector<double> ms;
        std::string problem;
        for (int i = 0; i < o.nRepeats && problem.empty(); ++i)
        {
            std::wstring why;
            HWND h = s.Open(f, why);
            std::wstring box = s.TakeMessageBox();
            if (!h)
            {
                problem = "no window: " + fnNarrow(why) + " " + fnNarrow(box);
                break;
            }
            Sleep(1000 + 137 * i); // close at different points of the worker loop
            long t = s.Close(h, f, why);
            if (t < 0)
                problem = fnNarrow(why);
            else
                ms.push_back(t);
        }
        std::string item = std::string("stop latency, ") + f.name + " pair (close to both ended)";
        std::string goal = fnFmt("<= %.0f ms, + 10 ms polling of the measurement", fnStopGoal(f));
        if (!problem.empty() && ms.empty())
        {
            bool absent = problem.find("no window appeared") != std::string::npos;
            fnRow(item, goal, absent ? "not built yet (no window opens)" : problem,
                  absent ? "n/a" : "FAIL");
            continue;
        }
        fnSpreadRow(item, goal, ms, "closes", fnStopGoal(f) + 10);
    }
}

// One search stopped by its Stop button `delayMs` after the progress shows 02, so that repeats
// hit different points of the pass; ms from the click until both threads have ended, or -1.
double fnOneSearchStop(SoakSession& s, DWORD delayMs, std::string& problem)
{
    std::wstring why;
    HWND progress = gui::fnStartSearch(s.App(), L"00", why);
    if (!progress || !gui::fnWaitSearchAddress(s.App(), progress, L"02", 10000, why))
    {
        problem = "the search did not run: " + fnNarrow(why);
        return -1;
    }
    Sleep(delayMs);
    double t0 = fnNowMs();
    GuiDriver::Click(progress, IDOK);
    if (s.Probe().WaitThreadsAtMost(s.IdleThreads(), 5000) < 0)
    {
        problem = "still running after 5 s";
        return -1;
    }
    return fnNowMs() - t0;
}

// The worst stop comes just after a query went out: the reply wait of 350 ms at 9600 baud, then
// the transmit thread's closing pause of 500 ms. The measurement adds the click's delivery and
// its own 10 ms polling.
void fnSearchStop(SoakSession& s, const Options& o)
{
    const char item[] = "stop latency, search pair through the GUI (Stop to both ended)";
    const char goal[] = "<= 850 ms (reply wait 350 ms at 9600 + the closing pause 500 ms), "
                        "+ 10 ms polling of the measurement";
    std::vector<double> ms;
    std::string problem;
    for (int i = 0; i < o.nRepeats; ++i)
    {
        double t = fnOneSearchStop(s, static_cast<DWORD>(i * 350 / o.nRepeats), problem);
        if (t < 0)
            return fnRow(item, goal, problem, "FAIL");
        ms.push_back(t);
    }
    fnSpreadRow(item, goal, ms, "stops", 860);
}

// Lamp IN0 of the VQ-4652 window: the image handle it shows.
LRESULT fnLamp(HWND dlg)
{
    return GuiDriver::Send(GuiDriver::Item(dlg, 1042), STM_GETIMAGE, IMAGE_BITMAP, 0);
}

void fnLatencyRow(const char* item, const char* goal, double goalMs, std::vector<double>& ms,
                  int tries)
{
    if (ms.empty())
        return fnRow(item, goal, "never shown", "FAIL");
    double sum = 0;
    for (double v : ms)
        sum += v;
    double mx = *std::max_element(ms.begin(), ms.end());
    fnRow(item, goal,
          fnFmt("%.0f / %.0f ms (mean / max)", sum / ms.size(), mx) +
              fnFmt(", %.0f of %.0f changes shown", static_cast<double>(ms.size()), tries),
          mx <= goalMs && static_cast<int>(ms.size()) == tries ? "met" : "NOT MET");
}

void fnDisplayLatency(SoakSession& s, SimControl& sim, const Options& o)
{
    std::wstring why;
    const FeatureWindow* dig = fnFeature("IO 4652GD");
    HWND dlg = dig ? s.Open(*dig, why) : nullptr;
    std::vector<double> ms;
    if (dlg)
    {
        Sleep(800);
        LRESULT off = fnLamp(dlg);
        for (int i = 0; i < o.nRepeats; ++i)
        {
            bool on = (i % 2) == 0;
            double t0 = fnNowMs();
            sim.Command(on ? "inputs 01 01" : "inputs 01 00");
            if (GuiDriver::WaitUntil([&] { return (fnLamp(dlg) != off) == on; }, 3000))
                ms.push_back(fnNowMs() - t0);
            Sleep(300);
        }
        s.Close(dlg, *dig, why);
    }
    fnLatencyRow("reply-to-display, VQ-4652 input to lamp (VQASCII, 9600)",
                 "<= 2 poll periods (about 450 ms)", 450, ms, o.nRepeats);

    ms.clear();
    const FeatureWindow* ana = fnFeature("IO 4624");
    dlg = ana ? s.Open(*ana, why) : nullptr;
    if (dlg)
    {
        Sleep(2000);
        for (int i = 0; i < o.nRepeats; ++i)
        {
            const char* value = (i % 2) == 0 ? "15.000" : "12.500";
            double t0 = fnNowMs();
            sim.Command(std::string("analog 03 0 ") + value);
            if (GuiDriver::WaitUntil(
                    [&] { return fnNarrow(GuiDriver::Text(GuiDriver::Item(dlg, 1018))) == value; },
                    4000))
                ms.push_back(fnNowMs() - t0);
        }
        s.Close(dlg, *ana, why);
    }
    fnLatencyRow("reply-to-display, VQ-4624 channel to value field (Modbus RTU, 9600)",
                 "<= 2 poll periods (2 x 0.8 s reply wait + reply time, 1.7 s)", 1700, ms,
                 o.nRepeats);
}

std::string fnResources(const ResourceSample& r)
{
    return "GDI " + std::to_string(r.probe.dwGdiObjects) + ", windows " +
           std::to_string(r.probe.dwWindows) + ", handles " +
           std::to_string(r.probe.dwHandlesProbed) + ", private " +
           std::to_string(r.probe.qwPrivateCommitted / 1024) + " KiB";
}

void fnCycles(SoakSession& s, const Options& o)
{
    for (const char* name : {"IO 4652GD", "IO 4624"})
    {
        const FeatureWindow* f = fnFeature(name);
        std::wstring why;
        ResourceSample before, after;
        HWND h = s.Open(*f, why);
        if (h)
            s.Close(h, *f, why);
        Sleep(1000); // stacks of ended threads are given back a little later
        if (!h || !s.Probe().Read(s.App().MainWindow(), before, why))
        {
            fnRow(std::string("resources, ") + name + " open/close cycles", "flat",
                  "no window or no probe: " + fnNarrow(why), "FAIL");
            continue;
        }
        int done = 0;
        double t0 = fnNowMs();
        for (; done < o.nCycles; ++done)
        {
            h = s.Open(*f, why);
            if (!h || s.Close(h, *f, why) < 0)
                break;
        }
        Sleep(1000);
        s.Probe().Read(s.App().MainWindow(), after, why);
        long gdi = static_cast<long>(after.probe.dwGdiObjects) - before.probe.dwGdiObjects;
        long win = static_cast<long>(after.probe.dwWindows) - before.probe.dwWindows;
        long long mem = static_cast<long long>(after.probe.qwPrivateCommitted / 1024) -
                        static_cast<long long>(before.probe.qwPrivateCommitted / 1024);
        bool flat = done == o.nCycles && gdi <= 2 && win <= 0 && mem <= 512;
        fnRow(std::string("resources before / after ") + std::to_string(o.nCycles) + " " + name +
                  " open/close cycles",
              "flat (GDI +2, windows +0, private +512 KiB at most)",
              "before: " + fnResources(before) + "; after " + std::to_string(done) +
                  fnFmt(" cycles (%.0f s): ", (fnNowMs() - t0) / 1000) + fnResources(after),
              flat ? "met" : "NOT MET");
    }
}

} // namespace

int main(int argc, char** argv)
{
    setvbuf(stdout, nullptr, _IONBF, 0);
    Options o = fnParse(argc, argv);
    SoakSession s;
    SimControl sim;
    std::wstring why;
    if (!sim.Available() || !s.Start(why))
    {
        printf("gui_bench: the program did not come up on the bus: %s\n", fnNarrow(why).c_str());
        return 1;
    }
    if (!fnHoldModules(sim))
        printf("gui_bench: the simulator did not take the idle values\n");
    auto wanted = [&](const char* group) { return o.only.empty() || o.only == group; };
    if (wanted("idle"))
        fnIdleCpu(s, o);
    if (wanted("stop"))
        fnStopLatencies(s, o);
    if (wanted("display"))
        fnDisplayLatency(s, sim, o);
    if (wanted("cycles"))
        fnCycles(s, o);
    if (wanted("search"))
        fnSearchStop(s, o);
    printf("gui_bench: done\n");
    return 0;
}
