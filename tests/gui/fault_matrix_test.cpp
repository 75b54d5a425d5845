// The fault matrix: every feature that talks to a module (module settings, the terminal, each
// IO window) and the search, under each fault the simulator can put on one module's replies,
// and under the adapter being pulled mid-exchange (the simulator's "unplug": the pty closes and
// the COM link goes; "plug" links a new one behind the same COM name). In every cell the program
// must show what a technician is told for that fault (or keep working when the fault must be
// ignored), answer the main window within 1 s the whole time, keep its module list, and not
// crash. A pulled adapter must be told once, an IO window must close by itself, the program must
// stay under 5 % of a core as Linux counts it, and after "plug" COM Close and COM Open must work
// (the list comes back from a file saved at the start; one settings exchange with 04 proves the
// line). A message box found up at the start of a cell came after the last one had ended.
//
// VQ_MATRIX_ROWS (a comma-separated list of row names, e.g. "Set 4624,Term 4618") runs only
// those rows (scripts/gui-tests gives each of its two lanes its rows this way). VQ_MATRIX_FAULTS
// (simulator fault rules after "ADDR:", space-separated, e.g. "cut=2 delay=700 refuse=02") adds a
// column for each: every row runs under it, may show any message, and must stay responsive, close,
// and keep working.
#include "tests/gui/GuiFixture.h"
#include "tools/driver/ResourceProbe.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <map>
#include <sstream>

namespace
{

// The terminal's return box: "$02M" with checksum D3 and CR asks the VQ-4618 (VQASCII-CHK)
// for its name, "!024618" sums to 56; "03 46 00" with its CRC asks the VQ-4624 (Modbus RTU).
// Text shows a CR as CR LF; hex shows each read as one line.
const wchar_t kChkName[] = L"!02461856\r\n";

// clang-format off
enum class Feature { Io, Search, Set, Term };
// clang-format on

enum class Expect
{
    Message,   // IO: "无法与模块连接！" under "IO控制", then the window closes by itself
    StaysOpen, // IO: the replies are ignored: no message, the window stays open
    Listed,    // search: the module is in the list
    NotListed, // search: the module is not in the list, and no other line replaces it
    Report,    // settings: this report, and the write button comes back
    Shows,     // terminal: the return box shows this within 1 s
    ShowsLate, // terminal: nothing for 1 s, then this
    Nothing,   // terminal: the return box stays empty
    Capped,    // terminal: the return box holds the newest 1987 to 2047 characters
    Pulled,    // the adapter is pulled: told once, IO window closes, little CPU, works after plug
    Copes,     // a fault of VQ_MATRIX_FAULTS: any message, but responsive, closes, list kept
};

// Entry: the line of the default bus list (IO, settings) or the protocol index (terminal).
struct Row
{
    const char* name;
    Feature kind;
    int entry;
    const char* address; // the module the faults go on
};

const Row kRows[] = {
    {"Search", Feature::Search, -1, "02"}, {"IO 4652GD", Feature::Io, 0, "01"},
    {"IO 4618", Feature::Io, 1, "02"},     {"IO 4624", Feature::Io, 2, "03"},
    {"IO 4637", Feature::Io, 3, "04"},     {"Set 4652GD", Feature::Set, 0, "01"},
    {"Set 4618", Feature::Set, 1, "02"},   {"Set 4624", Feature::Set, 2, "03"},
    {"Term 4618", Feature::Term, 1, "02"}, {"Term 4624", Feature::Term, 2, "03"},
};

struct Cell
{
    const char* row;
    const char* rule; // simulator fault rule after "ADDR:"; its name is the column
    Expect expect;
    const wchar_t* shown = nullptr; // terminal: the return box
    const char* report = nullptr;   // settings: the report, from the program's text table...
    const char* report2 = nullptr;  // ...and for Modbus RTU the baud/protocol step's line
};

const Expect kMsg = Expect::Message, kOpen = Expect::StaysOpen, kRep = Expect::Report,
             kShows = Expect::Shows, kNot = Expect::NotListed, kGone = Expect::Pulled;

// Faults outer, features inner, so that a model's window is not reopened right after it
// closed. Delays go past every wait (digital 3 x 500 ms, analog 800 ms + 4 x 500 ms, settings
// 1000 ms per frame); a split reply arrives within them; VQASCII has no checksum, so "badsum"
// leaves its replies valid. Settings re-send each module's present address, rate and protocol,
// so nothing changes on the bus. The late replies of the IO windows' delays land in the IO
// windows of the flood column, which come first there for that reason. The search runs 01..03
// with the fault on 02 (VQASCII-CHK); a late reply arrives while 03 is asked and must not be
// taken for 03. The pulled column, every row in the order of kRows, is added by the test.
// clang-format off
const Cell kCells[] = {
    {"Set 4652GD", "silent", kRep, nullptr, TXT_SET_ASCII_NO_REPLY},
    {"Set 4618", "silent", kRep, nullptr, TXT_SET_ASCII_NO_REPLY},
    {"Set 4624", "silent", kRep, nullptr, TXT_SET_RTU_ADDR_NO_REPLY, TXT_SET_RTU_BAUD_NO_REPLY},
    {"Term 4618", "silent", Expect::Nothing},
    {"Term 4624", "silent", Expect::Nothing},
    {"IO 4652GD", "silent", kMsg},
    {"IO 4618", "silent", kMsg},
    {"IO 4624", "silent", kMsg},
    {"IO 4637", "silent", kMsg},
    {"Set 4652GD", "badsum", kRep, nullptr, TXT_SET_ASCII_OK},
    {"Set 4618", "badsum", kRep, nullptr, TXT_SET_ASCII_COMM_ERROR},
    {"Set 4624", "badsum", kRep, nullptr, TXT_SET_RTU_ADDR_CRC, TXT_SET_RTU_BAUD_CRC},
    {"Term 4618", "badsum", kShows, L"!02461857\r\n"},
    {"Term 4624", "badsum", kShows, L"03 46 00 00 46 24 00 23 73 \r\n"},
    {"IO 4652GD", "badsum", kOpen},
    {"IO 4618", "badsum", kOpen},
    {"IO 4624", "badsum", kMsg},
    {"IO 4637", "badsum", kOpen},
    {"Set 4652GD", "split=100", kRep, nullptr, TXT_SET_ASCII_OK},
    {"Set 4618", "split=100", kRep, nullptr, TXT_SET_ASCII_OK},
    {"Set 4624", "split=100", kRep, nullptr, TXT_SET_RTU_ADDR_OK, TXT_SET_RTU_BAUD_OK},
    {"Term 4618", "split=100", kShows, kChkName},
    {"Term 4624", "split=100", kShows, L"03 46 00 00 \r\n46 24 00 DC 73 \r\n"},
    {"IO 4652GD", "split=100", kOpen},
    {"IO 4618", "split=100", kOpen},
    {"IO 4624", "split=100", kOpen},
    {"IO 4637", "split=100", kOpen},
    {"Set 4652GD", "extra=3", kRep, nullptr, TXT_SET_ASCII_COMM_ERROR},
    {"Set 4618", "extra=3", kRep, nullptr, TXT_SET_ASCII_COMM_ERROR},
    {"Set 4624", "extra=3", kRep, nullptr, TXT_SET_RTU_ADDR_UNKNOWN, TXT_SET_RTU_BAUD_UNKNOWN},
    {"Term 4618", "extra=3", kShows, L"!02461856\r\nUUU"},
    {"Term 4624", "extra=3", kShows, L"03 46 00 00 46 24 00 DC 73 55 55 55 \r\n"},
    {"IO 4652GD", "extra=3", kOpen},
    {"IO 4618", "extra=3", kOpen},
    {"IO 4624", "extra=3", kMsg},
    {"IO 4637", "extra=3", kMsg},
    {"Set 4652GD", "delay=1400", kRep, nullptr, TXT_SET_ASCII_NO_REPLY},
    {"Set 4618", "delay=1400", kRep, nullptr, TXT_SET_ASCII_NO_REPLY},
    // The address step's reply comes late into the baud/protocol step's window.
    {"Set 4624", "delay=1400", kRep, nullptr, TXT_SET_RTU_ADDR_NO_REPLY, TXT_SET_RTU_BAUD_UNKNOWN},
    {"Term 4618", "delay=1400", Expect::ShowsLate, kChkName},
    {"Term 4624", "delay=1400", Expect::ShowsLate, L"03 46 00 00 46 24 00 DC 73 \r\n"},
    {"IO 4652GD", "delay=5000", kMsg},
    {"IO 4618", "delay=5000", kMsg},
    {"IO 4624", "delay=5000", kMsg},
    {"IO 4637", "delay=5000", kMsg},
    {"IO 4652GD", "flood=5000", kOpen},
    {"IO 4618", "flood=5000", kOpen},
    {"IO 4624", "flood=5000", kMsg},
    {"IO 4637", "flood=5000", kMsg},
    {"Set 4652GD", "flood=5000", kRep, nullptr, TXT_SET_ASCII_COMM_ERROR},
    {"Set 4618", "flood=5000", kRep, nullptr, TXT_SET_ASCII_COMM_ERROR},
    {"Set 4624", "flood=5000", kRep, nullptr, TXT_SET_RTU_ADDR_UNKNOWN, TXT_SET_RTU_BAUD_UNKNOWN},
    {"Term 4618", "flood=5000", Expect::Capped},
    {"Term 4624", "flood=5000", Expect::Capped},
    {"Search", "silent", kNot},
    {"Search", "badsum", kNot},
    {"Search", "split=100", Expect::Listed},
    {"Search", "extra=3", kNot},
    {"Search", "delay=500", kNot},
    {"Search", "flood=5000", kNot},
};
// clang-format on

const Row& fnRow(const Cell& c)
{
    for (const Row& r : kRows)
        if (strcmp(r.name, c.row) == 0)
            return r;
    return kRows[0];
}

// The column of a cell: its rule without the argument.
std::string fnColumn(const Cell& c)
{
    return std::string(c.rule).substr(0, std::string(c.rule).find('='));
}

// VQ_MATRIX_ROWS, VQ_MATRIX_COLUMNS: the rows and columns to run (comma-separated); all when unset.
bool fnWanted(const wchar_t* var, const std::string& name)
{
    std::string list = fnNarrow(fnEnv(var));
    return list.empty() || ("," + list + ",").find("," + name + ",") != std::string::npos;
}

// The processor time in ms, as Linux counts it (utime + stime of /proc/PID/stat in ticks of
// 10 ms), of every process that runs VQ4600Utility.exe with this Wine prefix and this test COM in
// its environment (a second driver may run the program on another COM at the same time): a
// change of it is the program's; -1 when there is none.
long long fnLinuxCpuMs()
{
    const std::string prefix = "WINEPREFIX=" + fnNarrow(fnEnv(L"WINEPREFIX")) + '\0';
    const std::string com = "VQ_TEST_COM=" + std::to_string(gui::fnTestCom()) + '\0';
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(L"Z:\\proc\\*", &fd);
    long long ms = -1;
    for (BOOL more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &fd))
    {
        std::wstring dir = L"Z:\\proc\\" + std::wstring(fd.cFileName);
        std::string env = fnReadFile(dir + L"\\environ"), stat = fnReadFile(dir + L"\\stat");
        unsigned long long utime = 0, stime = 0;
        if (fnReadFile(dir + L"\\cmdline").find("VQ4600Utility.exe") != std::string::npos &&
            env.find(prefix) != std::string::npos && env.find(com) != std::string::npos &&
            stat.rfind(')') != std::string::npos &&
            sscanf(stat.c_str() + stat.rfind(')') + 1,
                   " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &utime, &stime) == 2)
            ms = std::max(ms, 0LL) + static_cast<long long>(utime + stime) * 10;
    }
    if (h != INVALID_HANDLE_VALUE)
        FindClose(h);
    return ms;
}

bool fnListed(const std::vector<std::wstring>& list, const char* address)
{
    std::wstring tag = L"[" + std::wstring(address, address + 2) + L"H]";
    return std::any_of(list.begin(), list.end(),
                       [&](const std::wstring& l) { return l.find(tag) != std::wstring::npos; });
}

std::wstring fnTermShown(HWND dlg)
{
    return GuiDriver::Text(GuiDriver::Item(dlg, IDC_TERM_RETURN));
}

// The name query of a terminal row's module, sent once or continuously.
void fnTermSend(HWND dlg, int protocol, bool continuous, const wchar_t* interval)
{
    gui::fnTermSend(dlg, protocol == 2 ? L"03 46 00" : L"$02M", continuous, interval);
}

int fnCloseButton(Feature kind)
{
    return kind == Feature::Set ? IDCANCEL : kind == Feature::Term ? IDC_TERM_EXIT : IDOK;
}

} // namespace

// Each check of a cell that fails adds its reason to m_seen; a cell is "ok..." when none did.
class FaultMatrixTest : public GuiTest
{
  protected:
    void TearDown() override
    {
        sim.Command("plug");
        GuiTest::TearDown();
        EXPECT_TRUE(IsSkipped() || sim.ResetDefaultBus())
            << "the simulator did not take back its default bus";
        DeleteFileW((m_sli + L".sli").c_str());
    }

    // Checks that the main window answers within 1 s; remembers the slowest answer.
    bool Responsive()
    {
        DWORD_PTR result = 0;
        ULONGLONG t0 = GetTickCount64();
        bool ok = SendMessageTimeoutW(app.MainWindow(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 1000,
                                      &result) != 0;
        m_slowest = std::max(m_slowest, GetTickCount64() - t0);
        return ok && IsWindow(app.MainWindow());
    }

    // Waits up to `ms`, checking responsiveness every 100 ms; stops early when pred holds.
    template <class Pred> bool Watch(DWORD ms, Pred pred)
    {
        for (ULONGLONG end = GetTickCount64() + ms; GetTickCount64() < end; Sleep(100))
        {
            if (!Responsive())
                return m_seen += " main window did not answer within 1 s;", false;
            if (pred())
                return true;
        }
        return false;
    }
    void Pause(DWORD ms)
    {
        Watch(ms, [] { return false; });
    }

    // The message boxes up now, read and dismissed (a later one is found before the next cell).
    std::string TakeBoxes(DWORD firstMs = 0, int* pCount = nullptr)
    {
        return U8(gui::fnTakeBoxes(app, firstMs, pCount));
    }
    std::string Expected(const std::string& want, const std::string& saw)
    {
        return want == saw ? "" : " expected '" + want + "', saw '" + saw + "';";
    }

    void Clear(const Row& r) { sim.Command("clear " + std::string(r.address)); }

    // COM Close (which empties the list), COM Open and the list from the file saved at the
    // start; then one settings exchange with 04 proves the line works. "" or what went wrong.
    std::string Reopen()
    {
        app.PostCommand(IDM_COM_CLOSE);
        if (!GuiDriver::WaitUntil([&] { return gui::fnModuleList(app).empty(); }, 3000))
            return "COM Close did not empty the list";
        if (!gui::fnOpenPort(app, gui::fnTestCom(), 3, error) || !LoadList())
            return U8(error);
        size_t seen = m_seen.size();
        std::string why =
            Expected(U8(gui::kProgramCaption) + ": " + U8(gui::fnText(TXT_SET_ASCII_OK)),
                     SetExchange(OpenFeature(Feature::Set, 3)));
        return why + m_seen.substr(seen);
    }

    bool LoadList()
    {
        app.PostCommand(IDM_LIST_LOAD);
        return gui::fnChooseFile(app, gui::fnText(TXT_SLI_OPEN_TITLE), m_sli + L".sli", error) &&
               GuiDriver::WaitUntil([&] { return gui::fnModuleList(app).size() == 4; }, 2000);
    }

    // Writes the settings dialog's present settings; gives the report ("" when none came).
    // The dialog must come back and close.
    std::string SetExchange(HWND dlg, bool late = false)
    {
        if (!dlg)
            return "";
        GuiDriver::Click(dlg, IDC_SET_WRITE);
        // One 1000 ms reply window per frame, two frames for Modbus RTU.
        bool boxUp = Watch(4000, [&] { return app.WaitMessageBox(0) != nullptr; });
        if (late)
            Sleep(800); // the late reply lands while the report is up, not in the next cell
        std::string boxes = boxUp ? TakeBoxes() : "";
        if (!GuiDriver::WaitUntil(
                [&] { return IsWindowEnabled(GuiDriver::Item(dlg, IDC_SET_WRITE)) != FALSE; },
                2000))
            m_seen += " the write button stayed off after the report;";
        CloseWith(dlg, IDCANCEL, 1000);
        return boxes;
    }

    // Presses a window's close button; notes it when the window did not go within `ms`.
    void CloseWith(HWND dlg, int button, DWORD ms)
    {
        GuiDriver::Click(dlg, button);
        if (!app.WaitGone(dlg, ms))
            m_seen += " its close button did not close it within " + std::to_string(ms) + " ms;";
    }

    // Opens a feature's window for a line of the list or a terminal protocol (for the search:
    // its progress dialog).
    HWND OpenFeature(Feature kind, int entry)
    {
        bool io = kind == Feature::Io;
        if (kind == Feature::Term)
            return gui::fnOpenTerminal(app, entry, error);
        if (kind == Feature::Search)
            return gui::fnStartSearch(app, L"00", error);
        if (!GuiDriver::ListSelect(app.FindControl(IDC_MODULE_LIST, L"ListBox"), entry))
            return nullptr;
        app.PostCommand(io ? IDM_IO_CONTROL : IDM_MODULE_SET);
        return app.WaitDialog(gui::fnText(io ? TXT_IO_CONTROL : TXT_MODULE_SET));
    }

    // After a cell: the list still holds the bus and the program answers.
    std::string CheckAfter(const std::string& ok)
    {
        if (gui::fnModuleList(app).size() != 4)
            m_seen += " the module list lost entries;";
        if (!Responsive())
            m_seen += " main window did not answer;";
        return m_seen.empty() ? ok : "FAIL" + m_seen;
    }

    std::string RunCell(const Cell& c);
    std::string RunIo(const Cell& c, HWND dlg);
    std::string RunSearch(const Cell& c);
    std::string RunSet(const Cell& c, HWND dlg);
    std::string RunTerm(const Cell& c, HWND dlg);
    std::string RunPulled(const Row& r);
    std::string RunCopes(const Cell& c, HWND dlg);

    ULONGLONG m_slowest = 0;
    std::wstring m_sli; // the default bus list, saved at the start (without ".sli")
    std::string m_seen; // what went wrong in the cell so far
};

// The fault goes on the row's module, then its window opens (the search starts by itself).
std::string FaultMatrixTest::RunCell(const Cell& c)
{
    const Row& r = fnRow(c);
    m_seen.clear();
    if (c.expect == kGone)
        return RunPulled(r);
    if (!sim.Command("fault " + std::string(r.address) + ":" + c.rule))
        return "FAIL simulator did not take the fault";
    HWND dlg = r.kind == Feature::Search ? nullptr : OpenFeature(r.kind, r.entry);
    if (!dlg && r.kind != Feature::Search)
        return "FAIL the feature did not start: " + TakeBoxes();
    return c.expect == Expect::Copes ? RunCopes(c, dlg)
           : r.kind == Feature::Io   ? RunIo(c, dlg)
           : r.kind == Feature::Set  ? RunSet(c, dlg)
           : r.kind == Feature::Term ? RunTerm(c, dlg)
                                     : RunSearch(c);
}

// A fault the IO window must report does so after three missed 500 ms reads (digital) or four
// failed polls (analog, about 2.8 s); a fault it ignores must not have done so 1 s past that.
std::string FaultMatrixTest::RunIo(const Cell& c, HWND dlg)
{
    DWORD quiet = fnRow(c).address[1] >= '3' ? 3500 : 2500; // analog : digital
    bool boxUp = Watch(c.expect == kMsg ? 9000 : quiet, [&] { return !app.NoMessageBox(); });
    std::string boxes = TakeBoxes();
    bool closedItself = boxUp && app.WaitGone(dlg, 3000);
    if (c.expect == kMsg)
        m_seen +=
            Expected(U8(gui::fnText(TXT_IO_CONTROL)) + ": " + U8(gui::fnText(TXT_IO_NO_CONNECTION)),
                     boxes) +
            (closedItself ? "" : " the window stayed open after the message;");
    else if (boxUp || !IsWindowVisible(dlg))
        m_seen += " expected the window to stay open without a message, saw '" + boxes + "';";
    if (IsWindow(dlg) && IsWindowVisible(dlg))
        app.CloseDialog(dlg);
    Clear(fnRow(c));
    return CheckAfter(c.expect == kMsg ? "ok: message, closed" : "ok: ignored, open");
}

// The scan is stopped once the progress shows 04, which may or may not be listed, since the
// query in flight at the Stop is still recorded. So the list is read once, after the pair has
// ended: 01 and 03 must be listed, 02 as the fault decides, and no line may come twice.
std::string FaultMatrixTest::RunSearch(const Cell& c)
{
    bool searched = gui::fnSearch(app, L"01", L"04", error);
    std::string boxes = TakeBoxes(300);
    Clear(fnRow(c));
    if (!searched)
        return "FAIL search did not run: " + U8(error) + " " + boxes;
    gui::fnWaitSearchPairEnd();
    std::vector<std::wstring> list = gui::fnModuleList(app);
    bool listed = fnListed(list, "02");
    size_t want = (c.expect == Expect::Listed ? 3u : 2u) + (fnListed(list, "04") ? 1u : 0u);
    m_seen += Expected("", boxes);
    if (listed != (c.expect == Expect::Listed) || !fnListed(list, "01") || !fnListed(list, "03") ||
        list.size() != want)
        m_seen += " got " + std::to_string(list.size()) + " lines" +
                  (listed ? " with 02;" : " without 02;");
    if (!Responsive())
        m_seen += " main window did not answer;";
    return m_seen.empty() ? listed ? "ok: listed" : "ok: not listed" : "FAIL" + m_seen;
}

// Module Settings re-sends the module's present settings; the report box must say what the
// fault did to the reply, and the write button must come back once the box is closed.
std::string FaultMatrixTest::RunSet(const Cell& c, HWND dlg)
{
    std::string stateBefore = sim.State();
    m_seen += Expected(U8(gui::kProgramCaption) + ": " + U8(gui::fnText(c.report)) +
                           (c.report2 ? U8(gui::fnText(c.report2)) : ""),
                       SetExchange(dlg, fnColumn(c) == "delay"));
    Clear(fnRow(c));
    if (sim.State() != stateBefore)
        m_seen += " the module's settings changed: " + sim.State() + ";";
    return CheckAfter("ok: report");
}

// The Terminal sends the module's name query once; the return box shows whatever came back,
// exactly as received, and never a message: the terminal does not judge replies.
std::string FaultMatrixTest::RunTerm(const Cell& c, HWND dlg)
{
    auto shows = [&] { return fnTermShown(dlg) == c.shown; };
    // Under a flood the command goes out without a pause, so the noise never stops until Stop.
    fnTermSend(dlg, fnRow(c).entry, c.expect == Expect::Capped, L"0");
    if (c.expect == kShows)
    {
        Watch(1000, shows);
        Pause(300); // and nothing more follows
    }
    else if (c.expect == Expect::ShowsLate)
    {
        Pause(1000);
        if (!fnTermShown(dlg).empty())
            m_seen += " shown before the delay was over: '" + U8(fnTermShown(dlg)) + "';";
        Watch(2000, shows);
    }
    else if (c.expect == Expect::Nothing)
        Pause(1000);
    else if (c.expect == Expect::Capped)
    {
        Pause(2000);
        GuiDriver::Click(dlg, IDC_TERM_STOP);
        if (!Watch(1000,
                   [&] { return IsWindowEnabled(GuiDriver::Item(dlg, IDC_TERM_SEND)) != FALSE; }))
            m_seen += " Stop did not end the continuous send;";
        Pause(700); // the last replies
    }
    std::wstring text = fnTermShown(dlg);
    bool printable = std::all_of(
        text.begin(), text.end(),
        [](wchar_t ch) { return (ch >= 0x20 && ch < 0x7F) || ch == L'\r' || ch == L'\n'; });
    if (c.expect == Expect::Capped && (text.size() < 1987 || text.size() > 2047 || !printable))
        m_seen += " expected the newest 1987 to 2047 characters of noise, saw " +
                  std::to_string(text.size()) + (printable ? "" : " with unprintable ones") + ";";
    else if (c.expect != Expect::Capped)
        m_seen += Expected(U8(c.shown ? c.shown : L""), U8(text));
    m_seen += Expected("", TakeBoxes());
    CloseWith(dlg, IDC_TERM_EXIT, 1000);
    Clear(fnRow(c));
    return CheckAfter(c.expect == Expect::Capped ? "ok: capped " + std::to_string(text.size())
                                                 : "ok: as received");
}

// The adapter is pulled while the feature runs. In the next 5 s the program may use at most
// 5 % of a core (250 ms, read from Linux); within 8 s it must have told the user exactly once
// and an IO window must have closed by itself; then "plug", and COM Close / COM Open must work.
std::string FaultMatrixTest::RunPulled(const Row& r)
{
    HWND open = OpenFeature(r.kind, r.entry);
    if (!open)
        return "FAIL the feature did not start: " + TakeBoxes();
    if (r.kind == Feature::Set)
    {
        // Inside the (first) step's reply window, before the module has answered.
        sim.Command("fault " + std::string(r.address) + ":delay=900");
        GuiDriver::Click(open, IDC_SET_WRITE);
    }
    // Modbus RTU: a continuous send is running when the line goes; VQASCII-CHK: one command
    // was answered and only the receive side is waiting.
    if (r.kind == Feature::Term)
        fnTermSend(open, r.entry, r.entry == 2, L"200");
    if (r.kind == Feature::Term && r.entry != 2)
        Watch(1000, [&] { return fnTermShown(open) == kChkName; });
    else
        Sleep(300); // an IO window or the search is polling, the settings wait for their reply
    long long linux0 = fnLinuxCpuMs();
    double win0 = ResourceProbe(app.Pid()).CpuSeconds();
    if (linux0 < 0)
        m_seen += " the program's Linux process was not found;";
    std::wstring port = L"\\\\.\\COM" + std::to_wstring(gui::fnTestCom());
    if (!sim.Command("unplug") ||
        CreateFileW(port.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr) !=
            INVALID_HANDLE_VALUE ||
        GetLastError() != ERROR_FILE_NOT_FOUND)
        return "FAIL the simulator did not unplug";
    std::string boxes;
    int told = 0;
    ULONGLONG t0 = GetTickCount64(), closedAfter = 0;
    auto follow = [&] // each box is read and dismissed; an IO window has to go by itself
    {
        boxes += TakeBoxes(0, &told);
        if (!closedAfter && !IsWindowVisible(open))
            closedAfter = GetTickCount64() - t0;
        return told > 0 && (closedAfter || r.kind != Feature::Io);
    };
    Watch(5000, [&] { return follow() && false; });
    long long cpu = fnLinuxCpuMs() - linux0;
    long long winCpu = llround((ResourceProbe(app.Pid()).CpuSeconds() - win0) * 1000);
    Watch(3000, follow);
    if (cpu > 250)
        m_seen += " used " + std::to_string(cpu) + " ms of CPU in the 5 s after the pull;";
    if (told != 1)
        m_seen += " told " + std::to_string(told) + " times: '" + boxes + "';";
    if (r.kind == Feature::Io && !closedAfter)
        m_seen += " the IO window stayed open;";
    if (IsWindow(open) && IsWindowVisible(open))
        CloseWith(open, fnCloseButton(r.kind), r.kind == Feature::Search ? 3000 : 1000);
    if (!IsWindow(app.MainWindow()) || !sim.Command("plug"))
        return "FAIL the program ended or the simulator did not plug" + m_seen;
    Clear(r);
    std::string why = Reopen();
    m_seen += why.empty() ? "" : " COM Close / COM Open after plug: " + why + TakeBoxes() + ";";
    std::string closed =
        r.kind == Feature::Io ? ", closed " + std::to_string(closedAfter) + " ms" : "";
    return CheckAfter("ok: told once" + closed) + " cpu " + std::to_string(cpu) + "/" +
           std::to_string(winCpu) + " ms";
}

// A fault of the reviewer's own: the feature does its usual work under it; whatever it says,
// the program must answer, the window must close with its button, and the line must work again
// after COM Close / COM Open without the fault.
std::string FaultMatrixTest::RunCopes(const Cell& c, HWND open)
{
    const Row& r = fnRow(c);
    if (r.kind == Feature::Search)
        gui::fnSearch(app, L"01", L"04", error);
    if (r.kind == Feature::Set)
        GuiDriver::Click(open, IDC_SET_WRITE);
    if (r.kind == Feature::Term)
        fnTermSend(open, r.entry, false, nullptr);
    Pause(4000);
    std::string boxes = TakeBoxes();
    if (open && IsWindow(open) && IsWindowVisible(open))
        CloseWith(open, fnCloseButton(r.kind), 3000);
    boxes += TakeBoxes();
    Clear(r);
    std::string rule = c.rule;
    if (rule.rfind("delay=", 0) == 0 || rule.rfind("split=", 0) == 0)
        Sleep(std::atoi(rule.c_str() + rule.find('=') + 1) + 300); // the late bytes come first
    std::string why = Reopen();
    if (!why.empty())
        m_seen += " COM Close / COM Open without the fault did not work: " + why + ";";
    return CheckAfter(boxes.empty() ? "ok: no message" : "ok: '" + boxes + "'");
}

TEST_F(FaultMatrixTest, EveryFeatureUnderEveryFault)
{
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    m_sli = temp + std::wstring(L"vq-matrix-") + std::to_wstring(GetCurrentProcessId());
    OPEN_SIM_PORT();
    GUI_ASSERT(gui::fnSearch(app, L"00", L"05", error));
    ASSERT_EQ(4u, gui::fnModuleList(app).size());
    app.PostCommand(IDM_LIST_SAVE);
    GUI_ASSERT(gui::fnChooseFile(app, gui::fnText(TXT_SLI_SAVE_TITLE), m_sli, error));
    // The pulled column and each rule of VQ_MATRIX_FAULTS: every row, in the order of kRows.
    std::vector<Cell> cells(std::begin(kCells), std::end(kCells));
    std::istringstream faults("pulled " + fnNarrow(fnEnv(L"VQ_MATRIX_FAULTS")));
    const std::vector<std::string> rules{std::istream_iterator<std::string>(faults), {}};
    for (const std::string& rule : rules)
        for (const Row& r : kRows)
            cells.push_back({r.name, rule.c_str(), rule == "pulled" ? kGone : Expect::Copes});
    std::map<std::string, double> seconds; // the time each column took
    bool flooded = false;
    std::string last = "the start";
    printf("\nfault matrix:\n");
    for (const Cell& c : cells)
    {
        Feature kind = fnRow(c).kind;
        if (!fnWanted(L"VQ_MATRIX_ROWS", c.row) || !fnWanted(L"VQ_MATRIX_COLUMNS", fnColumn(c)))
            continue;
        SCOPED_TRACE(std::string(c.row) + " / " + c.rule);
        // A message box that came up after the last cell had ended is still up now.
        EXPECT_EQ("", TakeBoxes()) << "a message after " << last;
        // The noise of the last flood still on the line would spoil the search; the next COM
        // Open drops it. (Late replies of a delay only reach windows that ignore them.) A
        // search leaves its own list behind.
        EXPECT_EQ("", flooded && kind == Feature::Search ? Reopen() : "");
        flooded = (flooded && kind != Feature::Search) || fnColumn(c) == "flood";
        EXPECT_TRUE(kind == Feature::Search || gui::fnModuleList(app).size() == 4 || LoadList())
            << U8(error);
        ULONGLONG t0 = GetTickCount64();
        std::string result = RunCell(c);
        for (size_t at; (at = result.find("\r\n")) != std::string::npos;)
            result.replace(at, 2, "\\r\\n"); // one line a cell
        double took = (GetTickCount64() - t0) / 1000.0;
        printf("  %s / %s: %s (%.1f s)\n", c.row, fnColumn(c).c_str(), result.c_str(), took);
        EXPECT_EQ(0u, result.rfind("ok", 0)) << result << "\n" << U8(app.Describe());
        last = std::string(c.row) + " / " + c.rule;
        seconds[fnColumn(c)] += took;
        ASSERT_TRUE(IsWindow(app.MainWindow())) << "the program ended";
    }
    EXPECT_EQ("", TakeBoxes(300)) << "a message after " << last;
    printf("slowest main window answer %llu ms; seconds a column:", m_slowest);
    for (const auto& column : seconds)
        printf(" %s %.0f", column.first.c_str(), column.second);
    printf("\n");
}
