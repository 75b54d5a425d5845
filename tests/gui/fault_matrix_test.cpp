// The fault matrix: every feature that talks to a module (module settings, the terminal, each
// IO window) and the search, under each fault the simulator can put on one module's replies,
// and under the line vanishing because the simulator ends mid-exchange. In every cell the
// program must show what a technician is told for that fault (or keep working when the fault
// must be ignored), answer the main window within 1 s the whole time, keep its module list,
// and not crash; after the line vanished the next COM Open must work again. The matrix is
// printed as a table.
//
// The vanishing line needs a simulator this test may end: it starts a private one, a native
// program started through Wine, on COM(VQ_TEST_COM + 100) with its own control directory, and
// ends it with its quit command, so the simulator of the test run is never touched.
//
// VQ_MATRIX_ROWS (a comma-separated list of row names, e.g. "Set 4624,Term 4618") runs only
// those rows, for working on one feature. VQ_MATRIX_FAULTS (simulator fault rules after "ADDR:",
// space-separated, e.g. "cut=2 delay=700 refuse=02") adds a column for each: every row runs
// under it, may show any message, and must stay responsive, close, and keep the module list.
#include "tests/gui/GuiFixture.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>

namespace
{

const wchar_t kIoCaption[] = L"IO控制";
const wchar_t kNoConnection[] = L"无法与模块连接！";
const wchar_t kSetCaption[] = L"模块设置";
const wchar_t kTermCaption[] = L"终  端";

// Reports of a settings exchange: one line for VQASCII and VQASCII-CHK, the address step and
// the baud/protocol step on two lines for Modbus RTU.
const wchar_t kSetOk[] = L"模块设置成功！";
const wchar_t kSetCommError[] = L"与模块通讯发生错误！";
const wchar_t kSetNoReply[] = L"无法与模块建立连接，模块未返回任何信息！";
const wchar_t kRtuOk[] = L"模块的新地址设置成功！\r\n模块波特率和协议设置成功！";
const wchar_t kRtuCrc[] = L"发生CRC错误！无法判断新地址是否成功设置到模块！"
                          L"\r\n发生CRC错误！无法判断波特率和协议是否成功设置到模块！";
const wchar_t kRtuUnknown[] = L"无法判断新地址是否成功设置到模块，模块返回未知信息！"
                              L"\r\n无法判断模块波特路和协议是否设置成功！模块返回信息未知！";
const wchar_t kRtuNoReply[] = L"模块新地址设置失败！模块未返回任何信息！"
                              L"\r\n模块波特率和协议设置出错！模块未返回任何信息！";
// The address step's reply comes late into the baud/protocol step's window.
const wchar_t kRtuLate[] = L"模块新地址设置失败！模块未返回任何信息！"
                           L"\r\n无法判断模块波特路和协议是否设置成功！模块返回信息未知！";

// The terminal's return box: "$02M" with checksum D3 and CR asks the VQ-4618 (VQASCII-CHK)
// for its name, "!024618" sums to 56; "03 46 00" with its CRC asks the VQ-4624 (Modbus RTU).
// Text shows a CR as CR LF; hex shows each read as one line.
const wchar_t kChkName[] = L"!02461856\r\n";
const wchar_t kChkNameBadSum[] = L"!02461857\r\n";
const wchar_t kChkNameExtra[] = L"!02461856\r\nUUU";
const wchar_t kRtuName[] = L"03 46 00 00 46 24 00 DC 73 \r\n";
const wchar_t kRtuNameBadCrc[] = L"03 46 00 00 46 24 00 23 73 \r\n";
const wchar_t kRtuNameSplit[] = L"03 46 00 00 \r\n46 24 00 DC 73 \r\n";
const wchar_t kRtuNameExtra[] = L"03 46 00 00 46 24 00 DC 73 55 55 55 \r\n";

enum class Feature
{
    Io,
    Search,
    Set,
    Term,
};

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
    Survives,  // the line vanished: any message, but responsive and no crash
    Copes,     // a fault of VQ_MATRIX_FAULTS: any message, but responsive, closes, list kept
};

struct Cell
{
    const char* feature; // row of the printed matrix
    Feature kind;
    int entry;           // IO window, settings: line of the default bus list; terminal: protocol
    const char* address; // module the fault is put on
    const char* fault;   // column of the printed matrix
    const char* rule;    // simulator fault rule after "ADDR:"; "" for the vanishing line
    Expect expect;
    const wchar_t* text = nullptr; // the report (settings), the return box (terminal)
    const char* label = nullptr;   // what the printed matrix says for a passed cell
};

// Faults outer, features inner, so that a model's window is not reopened right after it
// closed. Delays go past every wait (digital 3 x 500 ms, analog 800 ms + 4 x 500 ms, settings
// 1000 ms per frame); a split reply arrives within them; VQASCII has no checksum, so "badsum"
// leaves its replies valid. Settings re-send each module's present address, rate and protocol,
// so nothing changes on the bus. The late replies of the IO windows' delays land in the IO
// windows of the flood column, which come first there for that reason.
const Cell kCells[] = {
    {"Set 4652GD", Feature::Set, 0, "01", "silent", "silent", Expect::Report, kSetNoReply,
     "no reply"},
    {"Set 4618", Feature::Set, 1, "02", "silent", "silent", Expect::Report, kSetNoReply,
     "no reply"},
    {"Set 4624", Feature::Set, 2, "03", "silent", "silent", Expect::Report, kRtuNoReply,
     "no reply x2"},
    {"Term 4618", Feature::Term, 1, "02", "silent", "silent", Expect::Nothing, nullptr,
     "nothing shown"},
    {"Term 4624", Feature::Term, 2, "03", "silent", "silent", Expect::Nothing, nullptr,
     "nothing shown"},
    {"IO 4652GD", Feature::Io, 0, "01", "silent", "silent", Expect::Message},
    {"IO 4618", Feature::Io, 1, "02", "silent", "silent", Expect::Message},
    {"IO 4624", Feature::Io, 2, "03", "silent", "silent", Expect::Message},
    {"IO 4637", Feature::Io, 3, "04", "silent", "silent", Expect::Message},
    {"Set 4652GD", Feature::Set, 0, "01", "badsum", "badsum", Expect::Report, kSetOk, "set ok"},
    {"Set 4618", Feature::Set, 1, "02", "badsum", "badsum", Expect::Report, kSetCommError,
     "comm error"},
    {"Set 4624", Feature::Set, 2, "03", "badsum", "badsum", Expect::Report, kRtuCrc,
     "CRC error x2"},
    {"Term 4618", Feature::Term, 1, "02", "badsum", "badsum", Expect::Shows, kChkNameBadSum,
     "as received"},
    {"Term 4624", Feature::Term, 2, "03", "badsum", "badsum", Expect::Shows, kRtuNameBadCrc,
     "as received"},
    {"IO 4652GD", Feature::Io, 0, "01", "badsum", "badsum", Expect::StaysOpen},
    {"IO 4618", Feature::Io, 1, "02", "badsum", "badsum", Expect::StaysOpen},
    {"IO 4624", Feature::Io, 2, "03", "badsum", "badsum", Expect::Message},
    {"IO 4637", Feature::Io, 3, "04", "badsum", "badsum", Expect::StaysOpen},
    {"Set 4652GD", Feature::Set, 0, "01", "split", "split=100", Expect::Report, kSetOk, "set ok"},
    {"Set 4618", Feature::Set, 1, "02", "split", "split=100", Expect::Report, kSetOk, "set ok"},
    {"Set 4624", Feature::Set, 2, "03", "split", "split=100", Expect::Report, kRtuOk, "set ok x2"},
    {"Term 4618", Feature::Term, 1, "02", "split", "split=100", Expect::Shows, kChkName,
     "as received"},
    {"Term 4624", Feature::Term, 2, "03", "split", "split=100", Expect::Shows, kRtuNameSplit,
     "two lines"},
    {"IO 4652GD", Feature::Io, 0, "01", "split", "split=100", Expect::StaysOpen},
    {"IO 4618", Feature::Io, 1, "02", "split", "split=100", Expect::StaysOpen},
    {"IO 4624", Feature::Io, 2, "03", "split", "split=100", Expect::StaysOpen},
    {"IO 4637", Feature::Io, 3, "04", "split", "split=100", Expect::StaysOpen},
    {"Set 4652GD", Feature::Set, 0, "01", "extra", "extra=3", Expect::Report, kSetCommError,
     "comm error"},
    {"Set 4618", Feature::Set, 1, "02", "extra", "extra=3", Expect::Report, kSetCommError,
     "comm error"},
    {"Set 4624", Feature::Set, 2, "03", "extra", "extra=3", Expect::Report, kRtuUnknown,
     "unknown x2"},
    {"Term 4618", Feature::Term, 1, "02", "extra", "extra=3", Expect::Shows, kChkNameExtra,
     "as received"},
    {"Term 4624", Feature::Term, 2, "03", "extra", "extra=3", Expect::Shows, kRtuNameExtra,
     "as received"},
    {"IO 4652GD", Feature::Io, 0, "01", "extra", "extra=3", Expect::StaysOpen},
    {"IO 4618", Feature::Io, 1, "02", "extra", "extra=3", Expect::StaysOpen},
    {"IO 4624", Feature::Io, 2, "03", "extra", "extra=3", Expect::Message},
    {"IO 4637", Feature::Io, 3, "04", "extra", "extra=3", Expect::Message},
    {"Set 4652GD", Feature::Set, 0, "01", "delay", "delay=1400", Expect::Report, kSetNoReply,
     "no reply"},
    {"Set 4618", Feature::Set, 1, "02", "delay", "delay=1400", Expect::Report, kSetNoReply,
     "no reply"},
    {"Set 4624", Feature::Set, 2, "03", "delay", "delay=1400", Expect::Report, kRtuLate,
     "no reply, unknown"},
    {"Term 4618", Feature::Term, 1, "02", "delay", "delay=1400", Expect::ShowsLate, kChkName,
     "shown late"},
    {"Term 4624", Feature::Term, 2, "03", "delay", "delay=1400", Expect::ShowsLate, kRtuName,
     "shown late"},
    {"IO 4652GD", Feature::Io, 0, "01", "delay", "delay=5000", Expect::Message},
    {"IO 4618", Feature::Io, 1, "02", "delay", "delay=5000", Expect::Message},
    {"IO 4624", Feature::Io, 2, "03", "delay", "delay=5000", Expect::Message},
    {"IO 4637", Feature::Io, 3, "04", "delay", "delay=5000", Expect::Message},
    {"IO 4652GD", Feature::Io, 0, "01", "flood", "flood=5000", Expect::StaysOpen},
    {"IO 4618", Feature::Io, 1, "02", "flood", "flood=5000", Expect::StaysOpen},
    {"IO 4624", Feature::Io, 2, "03", "flood", "flood=5000", Expect::Message},
    {"IO 4637", Feature::Io, 3, "04", "flood", "flood=5000", Expect::Message},
    {"Set 4652GD", Feature::Set, 0, "01", "flood", "flood=5000", Expect::Report, kSetCommError,
     "comm error"},
    {"Set 4618", Feature::Set, 1, "02", "flood", "flood=5000", Expect::Report, kSetCommError,
     "comm error"},
    {"Set 4624", Feature::Set, 2, "03", "flood", "flood=5000", Expect::Report, kRtuUnknown,
     "unknown x2"},
    {"Term 4618", Feature::Term, 1, "02", "flood", "flood=5000", Expect::Capped, nullptr, "capped"},
    {"Term 4624", Feature::Term, 2, "03", "flood", "flood=5000", Expect::Capped, nullptr, "capped"},
    // The search of 01..03 with the fault on 02 (VQASCII-CHK); the late reply arrives while
    // 03 is asked and must not be taken for 03.
    {"Search", Feature::Search, -1, "02", "silent", "silent", Expect::NotListed},
    {"Search", Feature::Search, -1, "02", "badsum", "badsum", Expect::NotListed},
    {"Search", Feature::Search, -1, "02", "split", "split=100", Expect::Listed},
    {"Search", Feature::Search, -1, "02", "extra", "extra=3", Expect::NotListed},
    {"Search", Feature::Search, -1, "02", "delay", "delay=500", Expect::NotListed},
    {"Search", Feature::Search, -1, "02", "flood", "flood=5000", Expect::NotListed},
    {"Search", Feature::Search, -1, "", "line gone", "", Expect::Survives},
    {"IO 4652GD", Feature::Io, 0, "", "line gone", "", Expect::Survives},
    {"IO 4618", Feature::Io, 1, "", "line gone", "", Expect::Survives},
    {"IO 4624", Feature::Io, 2, "", "line gone", "", Expect::Survives},
    {"IO 4637", Feature::Io, 3, "", "line gone", "", Expect::Survives},
    {"Set 4652GD", Feature::Set, 0, "", "line gone", "", Expect::Survives},
    {"Set 4618", Feature::Set, 1, "", "line gone", "", Expect::Survives},
    {"Set 4624", Feature::Set, 2, "", "line gone", "", Expect::Survives},
    {"Term 4618", Feature::Term, 1, "", "line gone", "", Expect::Survives},
    {"Term 4624", Feature::Term, 2, "", "line gone", "", Expect::Survives},
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
        std::wstring cmd =
            L"\"" + exe + L"\" --link " + prefix + L"/dosdevices/com" + std::to_wstring(Com()) +
            L" --control " + m_dir + L" " +
            L"01,4652GD,ascii,9600 02,4618,chk,9600 03,4624,rtu,9600 04,4637,ascii,9600";
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

    // Puts a fault rule ("02:delay=900") on the private bus.
    bool Fault(const std::string& rule) { return m_control && m_control->Command("fault " + rule); }

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

namespace
{
// Controls of the Module Settings and Terminal dialogs.
enum : int
{
    kIdSetWrite = 1053,
    kIdTermProtocol = 1062,
    kIdTermCmdMode = 1063,
    kIdTermSend = 1070,
    kIdTermContinuous = 1071,
    kIdTermStop = 1072,
    kIdTermInterval = 1073,
    kIdTermReturn = 1075,
    kIdTermExit = 1077,
    kIdTermCommand = 1078,
};

// The name query of the terminal rows' modules, by protocol index.
const wchar_t* fnTermCommand(int protocol)
{
    return protocol == 2 ? L"03 46 00" : L"$02M";
}

// A report's line break written out, so that the printed matrix keeps one line per cell.
std::string fnOneLine(std::string text)
{
    for (size_t at; (at = text.find("\r\n")) != std::string::npos;)
        text.replace(at, 2, "\\r\\n");
    return text;
}

// The cells of VQ_MATRIX_FAULTS: each rule on the module of every row of the matrix.
std::vector<Cell> fnExtraCells(std::vector<std::string>& rules)
{
    std::string text = fnNarrow(fnEnv(L"VQ_MATRIX_FAULTS"));
    for (size_t at = 0, end; at < text.size(); at = end + 1)
    {
        end = std::min(text.find(' ', at), text.size());
        if (end > at)
            rules.push_back(text.substr(at, end - at));
    }
    std::vector<Cell> cells;
    for (const std::string& rule : rules)
        for (const Cell& c : kCells)
        {
            bool first = &c == std::find_if(std::begin(kCells), std::end(kCells),
                                            [&](const Cell& o)
                                            { return strcmp(o.feature, c.feature) == 0; });
            if (first && *c.address)
                cells.push_back({c.feature, c.kind, c.entry, c.address, rule.c_str(), rule.c_str(),
                                 Expect::Copes});
        }
    return cells;
}

// VQ_MATRIX_ROWS: the rows to run; all when unset.
bool fnRowWanted(const char* feature)
{
    std::string rows = fnNarrow(fnEnv(L"VQ_MATRIX_ROWS"));
    if (rows.empty())
        return true;
    rows = "," + rows + ",";
    return rows.find("," + std::string(feature) + ",") != std::string::npos;
}
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

    static bool Listed(const std::vector<std::wstring>& list, const char* address)
    {
        std::wstring tag = L"[" + std::wstring(address, address + 2) + L"H]";
        for (const std::wstring& line : list)
            if (line.find(tag) != std::wstring::npos)
                return true;
        return false;
    }

    // Opens the Terminal and chooses the protocol; the box empties itself in its first
    // 500 ms without data.
    HWND OpenTerminal(int protocol)
    {
        app.PostCommand(gui::kIdmTerminal);
        HWND dlg = app.WaitDialog(kTermCaption);
        if (!dlg)
            return nullptr;
        HWND combo = GuiDriver::Item(dlg, kIdTermProtocol);
        GuiDriver::ComboSelect(combo, protocol);
        PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(kIdTermProtocol, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
        const wchar_t* mode = protocol == 2 ? L"(HEX)" : L"(ASCII)";
        GuiDriver::WaitUntil(
            [&] { return GuiDriver::Text(GuiDriver::Item(dlg, kIdTermCmdMode)) == mode; }, 2000);
        Sleep(600);
        return dlg;
    }

    // Types the name query of the terminal row's module and sends it, once or continuously;
    // `interval` (ms) goes into the interval box unless null.
    static void TermSend(HWND dlg, int protocol, bool continuous, const wchar_t* interval)
    {
        GuiDriver::SetText(GuiDriver::Item(dlg, kIdTermCommand), fnTermCommand(protocol));
        if (interval)
            GuiDriver::SetText(GuiDriver::Item(dlg, kIdTermInterval), interval);
        GuiDriver::Click(dlg, continuous ? kIdTermContinuous : kIdTermSend);
    }

    // Opens the feature window of a cell (for the search: its progress dialog).
    HWND OpenFeature(const Cell& c)
    {
        switch (c.kind)
        {
        case Feature::Io:
            return OpenForEntry(c.entry, static_cast<WORD>(gui::kIdmIoControl), kIoCaption);
        case Feature::Set:
            return OpenForEntry(c.entry, static_cast<WORD>(gui::kIdmModuleSet), kSetCaption);
        case Feature::Term:
            return OpenTerminal(c.entry);
        case Feature::Search:
            return gui::fnStartSearch(app, L"00", error);
        }
        return nullptr;
    }

    // Processor time the program has used so far (all its threads).
    ULONGLONG CpuMs()
    {
        HANDLE h = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, app.Pid());
        FILETIME created, ended, kernel, user;
        ULONGLONG ms = 0;
        if (h && GetProcessTimes(h, &created, &ended, &kernel, &user))
        {
            ULARGE_INTEGER k = {{kernel.dwLowDateTime, kernel.dwHighDateTime}};
            ULARGE_INTEGER u = {{user.dwLowDateTime, user.dwHighDateTime}};
            ms = (k.QuadPart + u.QuadPart) / 10000;
        }
        if (h)
            CloseHandle(h);
        return ms;
    }

    static int CloseButton(Feature kind)
    {
        return kind == Feature::Set ? IDCANCEL : kind == Feature::Term ? kIdTermExit : IDOK;
    }

    // After a cell: the list still holds the bus and the program answers.
    void CheckAfter(std::string& seen)
    {
        if (gui::fnModuleList(app).size() != 4)
            seen += " the module list lost entries;";
        if (!Responsive())
            seen += " main window did not answer;";
    }

    std::string RunIo(const Cell& c);
    std::string RunSearch(const Cell& c);
    std::string RunSet(const Cell& c);
    std::string RunTerm(const Cell& c);
    std::string RunLineGone(const Cell& c);
    std::string RunCopes(const Cell& c);

    ULONGLONG m_slowest = 0;
};

std::string FaultMatrixTest::RunIo(const Cell& c)
{
    std::string seen;
    if (!sim.Command(std::string("fault ") + c.address + ":" + c.rule))
        return "FAIL simulator did not take the fault";
    HWND dlg = OpenFeature(c);
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
    CheckAfter(seen);
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
    // The scan is stopped once the progress shows 04, which may or may not be listed, since the
    // query in flight at the Stop is still recorded. So the list is read once, after the pair
    // has ended. 01 and 03 must be listed, 02 as the fault decides, and no line may come twice.
    gui::fnWaitSearchPairEnd();
    std::vector<std::wstring> list = gui::fnModuleList(app);
    bool listed = Listed(list, c.address);
    size_t lines = list.size();
    size_t want = (c.expect == Expect::Listed ? 3u : 2u) + (Listed(list, "04") ? 1u : 0u);
    if (!boxes.empty())
        seen += " unexpected message '" + boxes + "';";
    if (listed != (c.expect == Expect::Listed) || !Listed(list, "01") || !Listed(list, "03") ||
        lines != want)
        seen += std::string(" expected 01, 03") + (c.expect == Expect::Listed ? ", 02" : "") +
                " (and perhaps 04), got " + std::to_string(lines) + " lines" +
                (listed ? " with 02;" : " without 02;");
    if (!Responsive())
        seen += " main window did not answer;";
    if (!seen.empty())
        return "FAIL" + seen;
    return listed ? "ok: listed" : "ok: not listed";
}

// Module Settings re-sends the module's present settings; the report box must say what the
// fault did to the reply, and the write button must come back once the box is closed.
std::string FaultMatrixTest::RunSet(const Cell& c)
{
    std::string seen;
    std::string stateBefore = sim.State();
    if (!sim.Command(std::string("fault ") + c.address + ":" + c.rule))
        return "FAIL simulator did not take the fault";
    HWND dlg = OpenFeature(c);
    if (!dlg)
        return "FAIL no settings dialog: " + TakeBoxes();
    GuiDriver::Click(dlg, kIdSetWrite);
    // One 1000 ms reply window per frame, two frames for Modbus RTU.
    bool boxUp = Watch(
        4000, [&] { return app.WaitMessageBox(0) != nullptr; }, seen);
    if (std::string(c.fault) == "delay")
        Sleep(800); // the late reply lands while the report is up, not in the next cell
    std::string boxes = boxUp ? TakeBoxes() : "";
    std::string want = U8(gui::kProgramCaption) + ": " + U8(c.text);
    if (boxes != want)
        seen += " expected '" + want + "', saw '" + boxes + "';";
    else if (!GuiDriver::WaitUntil(
                 [&] { return IsWindowEnabled(GuiDriver::Item(dlg, kIdSetWrite)) != FALSE; }, 2000))
        seen += " the write button stayed off after the report;";
    GuiDriver::Click(dlg, IDCANCEL);
    if (!app.WaitGone(dlg, 1000))
        seen += " Cancel did not close the dialog within 1 s;";
    sim.Command(std::string("clear ") + c.address);
    boxes = TakeBoxes();
    if (!boxes.empty())
        seen += " a message after Cancel: '" + boxes + "';";
    if (sim.State() != stateBefore)
        seen += " the module's settings changed: " + sim.State() + ";";
    CheckAfter(seen);
    if (!seen.empty())
        return "FAIL" + seen;
    return std::string("ok: ") + c.label;
}

// The Terminal sends the module's name query once; the return box shows whatever came back,
// exactly as received, and never a message: the terminal does not judge replies.
std::string FaultMatrixTest::RunTerm(const Cell& c)
{
    std::string seen;
    if (!sim.Command(std::string("fault ") + c.address + ":" + c.rule))
        return "FAIL simulator did not take the fault";
    HWND dlg = OpenFeature(c);
    if (!dlg)
        return "FAIL no terminal: " + TakeBoxes();
    HWND ret = GuiDriver::Item(dlg, kIdTermReturn);
    auto shown = [&] { return GuiDriver::Text(ret); };
    // Under a flood the command goes out without a pause, so the noise never stops until Stop.
    TermSend(dlg, c.entry, c.expect == Expect::Capped, L"0");
    std::wstring early;
    switch (c.expect)
    {
    case Expect::Shows:
        Watch(
            1000, [&] { return shown() == c.text; }, seen);
        Watch(
            300, [] { return false; }, seen); // and nothing more follows
        break;
    case Expect::ShowsLate:
        Watch(
            1000, [] { return false; }, seen);
        early = shown();
        Watch(
            2000, [&] { return shown() == c.text; }, seen);
        if (!early.empty())
            seen += " shown before the delay was over: '" + U8(early) + "';";
        break;
    case Expect::Nothing:
        Watch(
            1500, [] { return false; }, seen);
        break;
    case Expect::Capped:
        Watch(
            2000, [] { return false; }, seen);
        GuiDriver::Click(dlg, kIdTermStop);
        if (!Watch(
                1000, [&] { return IsWindowEnabled(GuiDriver::Item(dlg, kIdTermSend)) != FALSE; },
                seen))
            seen += " Stop did not end the continuous send;";
        Watch(
            700, [] { return false; }, seen); // the last replies
        break;
    default:
        break;
    }
    std::wstring text = shown();
    if (c.expect == Expect::Capped)
    {
        bool printable = std::all_of(
            text.begin(), text.end(),
            [](wchar_t ch) { return (ch >= 0x20 && ch < 0x7F) || ch == L'\r' || ch == L'\n'; });
        if (text.size() < 1987 || text.size() > 2047 || !printable)
            seen += " expected the newest 1987 to 2047 characters of noise, saw " +
                    std::to_string(text.size()) + (printable ? "" : " with unprintable ones") + ";";
    }
    else if (text != (c.text ? c.text : L""))
    {
        seen += " expected '" + U8(c.text ? c.text : L"") + "', saw '" + U8(text) + "';";
    }
    std::string boxes = TakeBoxes();
    if (!boxes.empty())
        seen += " unexpected message '" + boxes + "';";
    GuiDriver::Click(dlg, kIdTermExit);
    if (!app.WaitGone(dlg, 1000))
        seen += " Exit did not close the terminal within 1 s;";
    sim.Command(std::string("clear ") + c.address);
    CheckAfter(seen);
    if (!seen.empty())
        return "FAIL" + seen;
    return std::string("ok: ") + c.label +
           (c.expect == Expect::Capped ? " " + std::to_string(text.size()) : "");
}

// The line vanishes while the feature runs; afterwards a new simulator comes up on the same
// COM number and COM Close / COM Open must work and find the modules again.
std::string FaultMatrixTest::RunLineGone(const Cell& c)
{
    PrivateSim line;
    std::wstring why;
    if (!line.Start(why))
        return "FAIL " + U8(why);
    if (!ReopenAndSearch(PrivateSim::Com()))
        return "FAIL private bus: " + U8(error) + " " + TakeBoxes();
    std::string seen;
    HWND open = OpenFeature(c);
    if (!open)
        return "FAIL the feature did not start: " + TakeBoxes();
    DWORD busy = 1000;
    if (c.kind == Feature::Set)
    {
        // Inside the (first) step's reply window, before the module has answered.
        const char* address[] = {"01", "02", "03"};
        line.Fault(std::string(address[c.entry]) + ":delay=900");
        GuiDriver::Click(open, kIdSetWrite);
        busy = 300;
    }
    else if (c.kind == Feature::Term)
    {
        // Modbus RTU: a continuous send is running when the line goes; VQASCII-CHK: one
        // command was answered and only the receive side is waiting.
        TermSend(open, c.entry, c.entry == 2, L"200");
    }
    Sleep(busy);
    line.Quit();
    ULONGLONG cpu0 = CpuMs();
    Watch(
        4000, [] { return false; }, seen);
    ULONGLONG cpu = CpuMs() - cpu0;
    if (cpu > 1000)
        seen += " the program kept a processor busy after the line vanished (" +
                std::to_string(cpu) + " ms in 4 s);";
    std::string boxes = TakeBoxes();
    if (IsWindow(open) && IsWindowVisible(open))
    {
        // Cancel of the settings and Exit of the terminal close their dialog at once, whatever
        // the threads do; an IO window or the search may take one wait of their loop.
        bool atOnce = c.kind == Feature::Set || c.kind == Feature::Term;
        GuiDriver::Click(open, CloseButton(c.kind));
        if (!app.WaitGone(open, atOnce ? 1000 : 3000))
        {
            if (atOnce)
                seen += " its button did not close the dialog within 1 s after the line vanished;";
            if (!app.CloseDialog(open))
                seen += " neither its button nor the close box closes the window after the line "
                        "vanished;";
        }
    }
    boxes += TakeBoxes();
    if (!IsWindow(app.MainWindow()))
        return "FAIL the program ended" + seen;
    PrivateSim back;
    if (!back.Start(why))
        return "FAIL " + U8(why);
    if (!ReopenAndSearch(PrivateSim::Com()) || gui::fnModuleList(app).size() != 4)
        seen +=
            " the next COM Open and search did not work: " + U8(error) + " " + TakeBoxes() + ";";
    back.Quit();
    if (!Responsive())
        seen += " main window did not answer;";
    if (!seen.empty())
        return "FAIL" + seen;
    return (boxes.empty() ? "ok: no message" : "ok: '" + boxes + "'") + " cpu " +
           std::to_string(cpu) + " ms";
}

// A fault of the reviewer's own: the feature does its usual work under it (settings write,
// terminal send, IO polling, a search); whatever it says, the program must answer, the window
// must close with its button, and afterwards the bus is searched again without the fault.
std::string FaultMatrixTest::RunCopes(const Cell& c)
{
    std::string seen;
    if (!sim.Command(std::string("fault ") + c.address + ":" + c.rule))
        return "FAIL simulator did not take the fault";
    HWND open = nullptr;
    if (c.kind == Feature::Search)
        Search(L"01", L"04");
    else if (!(open = OpenFeature(c)))
        return "FAIL the feature did not start: " + TakeBoxes();
    if (c.kind == Feature::Set)
        GuiDriver::Click(open, kIdSetWrite);
    if (c.kind == Feature::Term)
        TermSend(open, c.entry, false, nullptr);
    Watch(
        4000, [] { return false; }, seen);
    std::string boxes = TakeBoxes();
    if (open && IsWindow(open) && IsWindowVisible(open))
    {
        GuiDriver::Click(open, CloseButton(c.kind));
        if (!app.WaitGone(open, 3000))
            seen += " its button did not close the window within 3 s;";
    }
    boxes += TakeBoxes();
    sim.Command(std::string("clear ") + c.address);
    std::string rule = c.rule;
    size_t eq = rule.find('=');
    if (rule.rfind("delay=", 0) == 0 || rule.rfind("split=", 0) == 0)
        Sleep(std::atoi(rule.c_str() + eq + 1) + 300); // let the late bytes come first
    if (!ReopenAndSearch(gui::fnTestCom()))
        seen += " COM Open and a search without the fault did not work: " + U8(error) + ";";
    CheckAfter(seen);
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
    bool flooded = false;
    bool onPrivateBus = false;
    std::vector<std::string> rules;
    std::vector<Cell> cells(std::begin(kCells), std::end(kCells));
    std::vector<Cell> extra = fnExtraCells(rules);
    cells.insert(cells.end(), extra.begin(), extra.end());
    for (const Cell& c : cells)
    {
        if (!fnRowWanted(c.feature))
            continue;
        SCOPED_TRACE(std::string(c.feature) + " / " + c.fault);
        // The noise of the last flood still on the line would spoil the search; the next COM
        // Open drops it. (Late replies of a delay only reach windows that ignore them.)
        // After a vanished line the port is still open on the private bus, which has ended.
        if (onPrivateBus && c.expect != Expect::Survives)
        {
            EXPECT_TRUE(ReopenAndSearch(gui::fnTestCom()) && gui::fnModuleList(app).size() == 4)
                << U8(error);
            onPrivateBus = false;
        }
        if (flooded && c.kind == Feature::Search)
        {
            EXPECT_TRUE(ReopenAndSearch(gui::fnTestCom()) && gui::fnModuleList(app).size() == 4)
                << U8(error);
            flooded = false;
        }
        std::string result;
        if (c.expect == Expect::Survives)
        {
            result = RunLineGone(c);
            onPrivateBus = true;
        }
        else if (c.expect == Expect::Copes)
            result = RunCopes(c);
        else if (c.kind == Feature::Io)
            result = RunIo(c);
        else if (c.kind == Feature::Set)
            result = RunSet(c);
        else if (c.kind == Feature::Term)
            result = RunTerm(c);
        else
            result = RunSearch(c);
        result = fnOneLine(result);
        flooded = flooded || std::string(c.fault) == "flood";
        EXPECT_EQ(0u, result.rfind("ok", 0)) << result << "\n" << U8(app.Describe());
        if (std::find(features.begin(), features.end(), c.feature) == features.end())
            features.push_back(c.feature);
        if (std::find(faults.begin(), faults.end(), c.fault) == faults.end())
            faults.push_back(c.fault);
        matrix[c.feature][c.fault] = result;
        ASSERT_TRUE(IsWindow(app.MainWindow())) << "the program ended";
    }
    printf("\nfault matrix (slowest main window answer %llu ms, program cpu %llu ms):\n%-10s",
           m_slowest, CpuMs(), "");
    for (const std::string& f : faults)
        printf(" | %-22s", f.c_str());
    printf("\n");
    for (const std::string& feature : features)
    {
        printf("%-10s", feature.c_str());
        for (const std::string& f : faults)
        {
            std::string r = matrix[feature].count(f) ? matrix[feature][f] : "-";
            size_t n = std::min<size_t>(r.size(), 22);
            while (n < r.size() && (static_cast<unsigned char>(r[n]) & 0xC0) == 0x80)
                --n; // not inside a character's bytes
            printf(" | %-22s", r.substr(0, n).c_str());
        }
        printf("\n");
    }
    for (const Cell& c : cells)
    {
        const std::string& r = matrix[c.feature][c.fault];
        if (r.size() > 22)
            printf("  %s / %s: %s\n", c.feature, c.fault, r.c_str());
    }
}
