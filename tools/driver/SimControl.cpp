// File access goes through CreateFileW with full sharing, because the simulator reads and
// rewrites these files (via rename) at the same time; a torn read of "ack" is just retried.
// The simulator takes new command lines every 10 ms, so the ack is polled as often.
#include "tools/driver/SimControl.h"

#include "tools/driver/GuiDriver.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace
{

// The bus scripts/gui-tests starts when VQ_SIM_BUS is not set.
const char kDefaultBus[] = "01,4652GD,ascii,9600 02,4618,chk,9600 03,4624,rtu,9600 "
                           "04,4637,ascii,9600";
const DWORD kAckMs = 5000;

void (*g_failureHandler)(const std::string&) = nullptr;

bool fnFail(const std::string& why)
{
    if (g_failureHandler != nullptr)
    {
        g_failureHandler(why);
    }
    return false;
}

std::wstring fnSimLogPath()
{
    return fnWinPath(fnEnv(L"VQ_SIM_LOG"));
}

} // namespace

SimControl::SimControl()
{
    std::wstring dir = fnEnv(L"VQ_SIM_CONTROL");
    m_dir = dir.empty() ? dir : fnWinPath(dir);
    std::string bus = fnNarrow(fnEnv(L"VQ_SIM_BUS"));
    m_defaultBus = bus.empty() ? kDefaultBus : bus;
    m_com = atoi(fnNarrow(fnEnv(L"VQ_TEST_COM")).c_str());
}

void SimControl::SetFailureHandler(void (*handler)(const std::string&))
{
    g_failureHandler = handler;
}

bool SimControl::Available() const
{
    return !m_dir.empty() && GetFileAttributesW(File(L"ready").c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool SimControl::Command(const std::string& line)
{
    if (m_dir.empty())
    {
        return fnFail("no simulator control dir for \"" + line + "\"");
    }
    std::string old = fnReadFile(File(L"commands"));
    size_t seq = 1;
    for (char c : old)
    {
        seq += c == '\n' ? 1 : 0;
    }
    std::string text = std::to_string(seq) + " " + line + "\n";
    HANDLE h = CreateFileW(File(L"commands").c_str(), FILE_APPEND_DATA,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
    {
        return fnFail("cannot append \"" + line + "\" to the simulator's commands");
    }
    DWORD written = 0;
    BOOL ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
    if (!ok || written != text.size())
    {
        return fnFail("cannot append \"" + line + "\" to the simulator's commands");
    }
    const long want = static_cast<long>(seq);
    for (ULONGLONG end = GetTickCount64() + kAckMs;; Sleep(10))
    {
        if (strtol(fnReadFile(File(L"ack")).c_str(), nullptr, 10) == want)
        {
            return true;
        }
        if (GetTickCount64() >= end)
        {
            return fnFail("the simulator did not acknowledge \"" + line + "\" within 5 s");
        }
    }
}

bool SimControl::Clear(uint8_t address)
{
    char line[16];
    snprintf(line, sizeof line, "clear %02X", address);
    return Command(line);
}

bool SimControl::Inputs(uint8_t address, uint8_t inputs)
{
    char line[24];
    snprintf(line, sizeof line, "inputs %02X %02X", address, inputs);
    return Command(line);
}

bool SimControl::Analog(uint8_t address, int channel, double value)
{
    char line[48];
    snprintf(line, sizeof line, "analog %02X %d %.4f", address, channel, value);
    return Command(line);
}

std::string SimControl::State() const
{
    return fnReadFile(File(L"state"));
}

std::string SimControl::StateOf(uint8_t address) const
{
    char prefix[8];
    snprintf(prefix, sizeof prefix, "\n%02X,", address);
    const std::string state = "\n" + (m_dir.empty() ? std::string() : State());
    const size_t at = state.find(prefix);
    if (at == std::string::npos)
    {
        return "";
    }
    std::string line = state.substr(at + 1, state.find('\n', at + 1) - at - 1);
    if (!line.empty() && line.back() == '\r')
    {
        line.pop_back();
    }
    return line;
}

size_t fnSimLogSize()
{
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(fnSimLogPath().c_str(), GetFileExInfoStandard, &data))
    {
        return 0;
    }
    ULARGE_INTEGER size;
    size.LowPart = data.nFileSizeLow;
    size.HighPart = data.nFileSizeHigh;
    return static_cast<size_t>(size.QuadPart);
}

std::vector<std::string> fnSimLogFramesSince(size_t offset, const char* way)
{
    const std::string data = fnReadFile(fnSimLogPath(), offset);
    std::vector<std::string> frames;
    for (size_t pos = 0; pos < data.size();)
    {
        size_t end = data.find('\n', pos);
        end = end == std::string::npos ? data.size() : end;
        std::string line = data.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r')
        {
            line.pop_back();
        }
        const size_t mark = line.find(way);
        if (mark != std::string::npos)
        {
            frames.push_back(line.substr(mark + strlen(way)));
        }
        pos = end + 1;
    }
    return frames;
}
