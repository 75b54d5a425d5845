// The fault matrix: every feature window that polls a module (each IO window) and the search,
// under each fault the simulator can put on one module's replies, and under the line vanishing
// because the simulator ends mid-exchange. In every cell the program must show what a
// technician is told for that fault (or keep working when the fault must be ignored), answer
// the main window within 1 s the whole time, keep its module list, and not crash; after the
// line vanished the next COM Open must work again. The matrix is printed as a table.
//
// The vanishing line needs a simulator this test may end: it starts a private one, a native
// program started through Wine, on COM(VQ_TEST_COM + 100) with its own control directory, and
// ends it with its quit command, so the simulator of the test run is never touched.
#include "tests/gui/GuiFixture.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace
{

const wchar_t kIoCaption[] = L"IO控制";
const wchar_t kNoConnection[] = L"无法与模块连接！";

enum class Expect
{
    Message,   // "无法与模块连接！" under "IO控制", then the window closes by itself
    StaysOpen, // the replies are ignored: no message, the window stays open
    Listed,    // search: the module is in the list
    NotListed, // search: the module is not in the list, and no other line replaces it
    Survives,  // the line vanished: any message, but responsive and no crash
};

struct Cell
{
    const char* feature; // column of the printed matrix
    int entry;           // IO window: line of the default bus list; -1: the search
    const char* address; // module the fault is put on
    const char* fault;   // column of the printed matrix
    const char* rule;    // simulator fault rule after "ADDR:"; "" for the vanishing line
    Expect expect;
};

// Faults outer, windows inner, so that a model's window is not reopened right after it closed.
// Delays go past every wait (digital 3 x 500 ms, analog 800 ms + 4 x 500 ms); a split reply
// arrives within them; VQASCII has no checksum, so "badsum" leaves its replies valid.
const Cell kCells[] = {
    {"IO 4652GD", 0, "01", "silent", "silent", Expect::Message},
    {"IO 4618", 1, "02", "silent", "silent", Expect::Message},
    {"IO 4624", 2, "03", "silent", "silent", Expect::Message},
    {"IO 4637", 3, "04", "silent", "silent", Expect::Message},
    {"IO 4652GD", 0, "01", "badsum", "badsum", Expect::StaysOpen},
    {"IO 4618", 1, "02", "badsum", "badsum", Expect::StaysOpen},
    {"IO 4624", 2, "03", "badsum", "badsum", Expect::Message},
    {"IO 4637", 3, "04", "badsum", "badsum", Expect::StaysOpen},
    {"IO 4652GD", 0, "01", "split", "split=100", Expect::StaysOpen},
    {"IO 4618", 1, "02", "split", "split=100", Expect::StaysOpen},
    {"IO 4624", 2, "03", "split", "split=100", Expect::StaysOpen},
    {"IO 4637", 3, "04", "split", "split=100", Expect::StaysOpen},
    {"IO 4652GD", 0, "01", "extra", "extra=3", Expect::StaysOpen},
    {"IO 4618", 1, "02", "extra", "extra=3", Expect::StaysOpen},
    {"IO 4624", 2, "03", "extra", "extra=3", Expect::Message},
    {"IO 4637", 3, "04", "extra", "extra=3", Expect::Message},
    {"IO 4652GD", 0, "01", "delay", "delay=5000", Expect::Message},
    {"IO 4618", 1, "02", "delay", "delay=5000", Expect::Message},
    {"IO 4624", 2, "03", "delay", "delay=5000", Expect::Message},
    {"IO 4637", 3, "04", "delay", "delay=5000", Expect::Message},
    {"IO 4652GD", 0, "01", "flood", "flood=5000", Expect::StaysOpen},
    {"IO 4618", 1, "02", "flood", "flood=5000", Expect::StaysOpen},
    {"IO 4624", 2, "03", "flood", "flood=5000", Expect::Message},
    {"IO 4637", 3, "04", "flood", "flood=5000", Expect::Message},
    // The search of 01..03 with the fault on 02 (VQASCII-CHK); the late reply arrives while
    // 03 is asked and must not be taken for 03.
    {"Search", -1, "02", "silent", "silent", Expect::NotListed},
    {"Search", -1, "02", "badsum", "badsum", Expect::NotListed},
    {"Search", -1, "02", "split", "split=100", Expect::Listed},
    {"Search", -1, "02", "extra", "extra=3", Expect::NotListed},
    {"Search", -1, "02", "delay", "delay=500", Expect::NotListed},
    {"Search", -1, "02", "flood", "flood=5000", Expect::NotListed},
    {"Search", -1, "", "line gone", "", Expect::Survives},
    {"IO 4652GD", 0, "", "line gone", "", Expect::Survives},
    {"IO 4624", 2, "", "line gone", "", Expect::Survives},
};

// A simulator of this test on its own COM port and control directory, ended when it goes.
class PrivateSim
{
  public:
    PrivateSim() = default;
    PrivateSim(const PrivateSim&) = delete;
    PrivateSim& operator=(const PrivateSim&) = delete;
    ~PrivateSim() { Quit(); }

    static int Com() { return gui::fnTestCom() + 100; }

    bool Start(std::wstring& error)
    {
        std::wstring exe = SimExe();
        std::wstring prefix = fnEnv(L"WINEPREFIX");
        if (exe.empty() || prefix.empty())
        {
            error = L"no simulator program found (VQ_SIM_EXE) or WINEPREFIX unset";
            return false;
        }
        m_dir = L"/tmp/vq-fault-matrix-" + std::to_wstring(GetCurrentProcessId());
        std::wstring cmd = L"\"" + exe + L"\" --link " + prefix + L"/dosdevices/com" +
                           std::to_wstring(Com()) + L" --control " + m_dir + L" " +
                           L"01,4652GD,ascii,9600 02,4618,chk,9600 03,4624,rtu,9600";
        STARTUPINFOW si = {};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi = {};
        if (!CreateProcessW(fnWinPath(exe).c_str(), &cmd[0], nullptr, nullptr, FALSE, 0, nullptr,
                            nullptr, &si, &pi))
        {
            error = L"cannot start " + exe;
            return false;
        }
        CloseHandle(pi.hThread);
        CloseHandle(pi.hProcess);
        std::wstring ready = fnWinPath(m_dir + L"/ready");
        if (!GuiDriver::WaitUntil(
                [&] { return GetFileAttributesW(ready.c_str()) != INVALID_FILE_ATTRIBUTES; },
                10000))
        {
            error = L"the private simulator did not get ready";
            return false;
        }
        SetEnvironmentVariableW(L"VQ_SIM_CONTROL", fnWinPath(m_dir).c_str());
        m_control = new SimControl();
        SetEnvironmentVariableW(L"VQ_SIM_CONTROL", m_saved.c_str());
        return true;
    }

    // Ends the simulator: its pseudo-terminal closes and the COM link goes, as when the
    // cable is pulled.
    void Quit()
    {
        if (m_control)
        {
            m_control->Command("quit");
            std::wstring ready = fnWinPath(m_dir + L"/ready");
            GuiDriver::WaitUntil(
                [&] { return GetFileAttributesW(ready.c_str()) == INVALID_FILE_ATTRIBUTES; }, 3000);
            delete m_control;
            m_control = nullptr;
            for (const wchar_t* name : {L"/commands", L"/ack", L"/state"})
                DeleteFileW(fnWinPath(m_dir + name).c_str());
            RemoveDirectoryW(fnWinPath(m_dir).c_str());
        }
    }

  private:
    // VQ_SIM_EXE, else vqbus-sim of the native build beside this one (build/win-X ->
    // build/native-X).
    static std::wstring SimExe()
    {
        std::wstring exe = fnEnv(L"VQ_SIM_EXE");
        if (!exe.empty())
            return exe;
        std::wstring native = fnEnv(L"VQ_BUILD_NATIVE");
        if (!native.empty())
            return native + L"/vqbus-sim";
        wchar_t buf[MAX_PATH];
        DWORD n = GetModuleFileNameW(nullptr, buf, MAX_PATH);
        std::wstring self(buf, n);
        size_t slash = self.find_last_of(L"\\/");
        size_t parent = self.find_last_of(L"\\/", slash - 1);
        std::wstring dir = self.substr(parent + 1, slash - parent - 1);
        if (dir.compare(0, 3, L"win") != 0 || self.compare(0, 2, L"Z:") != 0)
            return L"";
        std::wstring unix = self.substr(2, parent - 2) + L"/native" + dir.substr(3) + L"/vqbus-sim";
        for (wchar_t& c : unix)
            if (c == L'\\')
                c = L'/';
        return unix;
    }

    std::wstring m_dir;
    std::wstring m_saved = fnEnv(L"VQ_SIM_CONTROL");
    SimControl* m_control = nullptr;
};

} // namespace

class FaultMatrixTest : public GuiTest
{
  protected:
    // Checks that the main window answers within 1 s; remembers the slowest answer.
    bool Responsive()
    {
        DWORD_PTR result = 0;
        ULONGLONG t0 = GetTickCount64();
        bool ok = SendMessageTimeoutW(app.MainWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000,
                                      &result) != 0;
        ULONGLONG t = GetTickCount64() - t0;
        m_slowest = t > m_slowest ? t : m_slowest;
        return ok && IsWindow(app.MainWindow());
    }

    // Waits `ms`, checking responsiveness every 100 ms; stops early when pred holds.
    template <class Pred> bool Watch(DWORD ms, Pred pred, std::string& seen)
    {
        ULONGLONG end = GetTickCount64() + ms;
        while (GetTickCount64() < end)
        {
            if (!Responsive())
            {
                seen += " main window did not answer within 1 s;";
                return false;
            }
            if (pred())
                return true;
            Sleep(100);
        }
        return false;
    }

    // Reads and dismisses every message box up now; their texts joined.
    std::string TakeBoxes(std::wstring* pCaption = nullptr)
    {
        std::string texts;
        for (int i = 0; i < 5; ++i)
        {
            HWND box = app.WaitMessageBox(i == 0 ? 300 : 100);
            if (!box)
                break;
            MessageBoxInfo info = app.ReadMessageBox(box);
            if (pCaption && pCaption->empty())
                *pCaption = info.caption;
            texts += (texts.empty() ? "" : " / ") + U8(info.caption) + ": " + U8(info.text);
            app.CloseDialog(box);
        }
        return texts;
    }

    bool Search(const std::wstring& start, const std::wstring& stopAt)
    {
        HWND progress = gui::fnStartSearch(app, start, error);
        if (!progress || !gui::fnWaitSearchAddress(app, progress, stopAt, 20000, error))
            return false;
        GuiDriver::Click(progress, IDOK);
        return app.WaitGone(progress);
    }

    // COM Close, COM Open of `com` and a search of the bus; the list it gives.
    bool ReopenAndSearch(int com, std::wstring stopAt = L"05")
    {
        app.PostCommand(gui::kIdmComClose);
        if (!GuiDriver::WaitUntil([&] { return gui::fnModuleList(app).empty(); }, 3000))
        {
            error = L"COM Close did not empty the list";
            return false;
        }
        return gui::fnOpenPort(app, com, 3, error) && Search(L"01", stopAt);
    }

    bool Listed(const char* address)
    {
        std::wstring tag = L"[" + std::wstring(address, address + 2) + L"H]";
        for (const std::wstring& line : gui::fnModuleList(app))
            if (line.find(tag) != std::wstring::npos)
                return true;
        return false;
    }

    std::string RunIo(const Cell& c);
    std::string RunSearch(const Cell& c);
    std::string RunLineGone(const Cell& c);

    ULONGLONG m_slowest = 0;
};

std::string FaultMatrixTest::RunIo(const Cell& c)
{
    std::string seen;
    if (!sim.Command(std::string("fault ") + c.address + ":" + c.rule))
        return "FAIL simulator did not take the fault";
    if (!GuiDriver::ListSelect(app.FindControl(gui::kIdModuleList, L"ListBox"), c.entry))
        return "FAIL no list entry";
    app.PostCommand(gui::kIdmIoControl);
    HWND dlg = app.WaitDialog(kIoCaption);
    if (!dlg)
        return "FAIL no IO window: " + TakeBoxes();
    bool boxUp = Watch(
        c.expect == Expect::Message ? 9000 : 3500, [&] { return app.WaitMessageBox(0) != nullptr; },
        seen);
    std::wstring caption;
    std::string boxes = boxUp ? TakeBoxes(&caption) : "";
    bool closedItself = boxUp && app.WaitGone(dlg, 3000);
    if (c.expect == Expect::Message)
    {
        std::string want = U8(kIoCaption) + ": " + U8(kNoConnection);
        if (boxes != want)
            seen += " expected '" + want + "', saw '" + boxes + "';";
        else if (!closedItself)
            seen += " the window stayed open after the message;";
    }
    else if (boxUp || !IsWindowVisible(dlg))
    {
        seen += " expected the window to stay open without a message, saw '" + boxes + "';";
    }
    if (IsWindow(dlg) && IsWindowVisible(dlg))
        app.CloseDialog(dlg);
    sim.Command(std::string("clear ") + c.address);
    boxes += TakeBoxes();
    if (gui::fnModuleList(app).size() != 4)
        seen += " the module list lost entries;";
    if (!Responsive())
        seen += " main window did not answer;";
    if (!seen.empty())
        return "FAIL" + seen;
    return c.expect == Expect::Message ? "ok: message, closed" : "ok: ignored, open";
}

std::string FaultMatrixTest::RunSearch(const Cell& c)
{
    std::string seen;
    if (!sim.Command(std::string("fault ") + c.address + ":" + c.rule))
        return "FAIL simulator did not take the fault";
    bool searched = Search(L"01", L"04");
    std::string boxes = TakeBoxes();
    sim.Command(std::string("clear ") + c.address);
    if (!searched)
        return "FAIL search did not run: " + U8(error) + " " + boxes;
    // The scan is stopped once the progress shows 04, which may or may not be listed by then;
    // 01 and 03 must be, 02 as the fault decides, and no line may come twice.
    bool listed = Listed(c.address);
    size_t lines = gui::fnModuleList(app).size();
    size_t want = (c.expect == Expect::Listed ? 3u : 2u) + (Listed("04") ? 1u : 0u);
    if (!boxes.empty())
        seen += " unexpected message '" + boxes + "';";
    if (listed != (c.expect == Expect::Listed) || !Listed("01") || !Listed("03") || lines != want)
        seen += std::string(" expected 01, 03") + (c.expect == Expect::Listed ? ", 02" : "") +
                " (and perhaps 04), got " + std::to_string(lines) + " lines" +
                (listed ? " with 02;" : " without 02;");
    if (!Responsive())
        seen += " main window did not answer;";
    if (!seen.empty())
        return "FAIL" + seen;
    return listed ? "ok: listed" : "ok: not listed";
}

// The line vanishes while the feature runs; afterwards a new simulator comes up on the same
// COM number and COM Close / COM Open must work and find the modules again.
std::string FaultMatrixTest::RunLineGone(const Cell& c)
{
    PrivateSim line;
    std::wstring why;
    if (!line.Start(why))
        return "FAIL " + U8(why);
    if (!ReopenAndSearch(PrivateSim::Com(), L"04"))
        return "FAIL private bus: " + U8(error) + " " + TakeBoxes();
    std::string seen;
    HWND dlg = nullptr;
    HWND progress = nullptr;
    if (c.entry >= 0)
    {
        GuiDriver::ListSelect(app.FindControl(gui::kIdModuleList, L"ListBox"), c.entry);
        app.PostCommand(gui::kIdmIoControl);
        dlg = app.WaitDialog(kIoCaption);
    }
    else
    {
        progress = gui::fnStartSearch(app, L"00", error);
    }
    if (!dlg && !progress)
        return "FAIL the feature did not start: " + TakeBoxes();
    Sleep(1000);
    line.Quit();
    Watch(
        4000, [] { return false; }, seen);
    std::string boxes = TakeBoxes();
    HWND open = dlg ? dlg : progress;
    if (IsWindow(open) && IsWindowVisible(open))
    {
        GuiDriver::Click(open, IDOK);
        if (!app.WaitGone(open, 3000) && !app.CloseDialog(open))
            seen += " neither Close nor the close box closes the window after the line vanished;";
    }
    boxes += TakeBoxes();
    if (!IsWindow(app.MainWindow()))
        return "FAIL the program ended" + seen;
    PrivateSim back;
    if (!back.Start(why))
        return "FAIL " + U8(why);
    if (!ReopenAndSearch(PrivateSim::Com(), L"04") || gui::fnModuleList(app).size() != 3)
        seen +=
            " the next COM Open and search did not work: " + U8(error) + " " + TakeBoxes() + ";";
    back.Quit();
    if (!Responsive())
        seen += " main window did not answer;";
    if (!seen.empty())
        return "FAIL" + seen;
    return boxes.empty() ? "ok: no message" : "ok: '" + boxes + "'";
}

TEST_F(FaultMatrixTest, EveryFeatureUnderEveryFault)
{
    OPEN_SIM_PORT();
    m_bBusChanged = true; // the faults go with the default bus at the end
    GUI_ASSERT(Search(L"00", L"05"));
    ASSERT_EQ(4u, gui::fnModuleList(app).size());
    std::map<std::string, std::map<std::string, std::string>> matrix;
    std::vector<std::string> features, faults;
    for (const Cell& c : kCells)
    {
        SCOPED_TRACE(std::string(c.feature) + " / " + c.fault);
        std::string result;
        if (c.expect == Expect::Survives)
            result = RunLineGone(c);
        else if (c.entry >= 0)
            result = RunIo(c);
        else
            result = RunSearch(c);
        EXPECT_EQ(0u, result.rfind("ok", 0)) << result << "\n" << U8(app.Describe());
        // The noise of the last flood still on the line would spoil the search; the next COM
        // Open drops it. (Late replies of a delay only reach windows that ignore them.)
        const Cell* next = &c + 1 < std::end(kCells) ? &c + 1 : nullptr;
        bool drain = std::string(c.fault) == "flood" && next && next->entry < 0;
        if (drain)
        {
            EXPECT_TRUE(ReopenAndSearch(gui::fnTestCom()) && gui::fnModuleList(app).size() == 4)
                << U8(error);
        }
        if (std::find(features.begin(), features.end(), c.feature) == features.end())
            features.push_back(c.feature);
        if (std::find(faults.begin(), faults.end(), c.fault) == faults.end())
            faults.push_back(c.fault);
        matrix[c.feature][c.fault] = result;
        ASSERT_TRUE(IsWindow(app.MainWindow())) << "the program ended";
    }
    printf("\nfault matrix (slowest main window answer %llu ms):\n%-10s", m_slowest, "");
    for (const std::string& f : faults)
        printf(" | %-22s", f.c_str());
    printf("\n");
    for (const std::string& feature : features)
    {
        printf("%-10s", feature.c_str());
        for (const std::string& f : faults)
        {
            std::string r = matrix[feature].count(f) ? matrix[feature][f] : "-";
            printf(" | %-22s", r.substr(0, 22).c_str());
        }
        printf("\n");
    }
    for (const Cell& c : kCells)
    {
        const std::string& r = matrix[c.feature][c.fault];
        if (r.size() > 22)
            printf("  %s / %s: %s\n", c.feature, c.fault, r.c_str());
    }
}
