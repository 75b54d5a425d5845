// File access goes through CreateFileW with full sharing, because the simulator reads and
// rewrites these files (via rename) at the same time; a torn read of "ack" is just retried.
#include "tools/driver/SimControl.h"

#include "tools/driver/GuiDriver.h"

#include <windows.h>

namespace
{

// The bus scripts/gui-tests starts when VQ_SIM_BUS is not set.
const char kDefaultBus[] = "01,4652GD,ascii,9600 02,4618,chk,9600 03,4624,rtu,9600 "
                           "04,4637,ascii,9600";

} // namespace

SimControl::SimControl()
{
    std::wstring dir = fnEnv(L"VQ_SIM_CONTROL");
    m_dir = dir.empty() ? dir : fnWinPath(dir);
    std::string bus = fnNarrow(fnEnv(L"VQ_SIM_BUS"));
    m_defaultBus = bus.empty() ? kDefaultBus : bus;
}

bool SimControl::Command(const std::string& line)
{
    if (m_dir.empty())
    {
        return false;
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
        return false;
    }
    DWORD written = 0;
    BOOL ok = WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(h);
    if (!ok || written != text.size())
    {
        return false;
    }
    std::string want = std::to_string(seq);
    return GuiDriver::WaitUntil(
        [&]
        {
            std::string ack = fnReadFile(File(L"ack"));
            while (!ack.empty() && (ack.back() == '\n' || ack.back() == '\r' || ack.back() == ' '))
            {
                ack.pop_back();
            }
            return ack == want;
        },
        5000);
}

bool SimControl::ResetDefaultBus()
{
    return Command("reset " + m_defaultBus);
}

std::string SimControl::State() const
{
    return fnReadFile(File(L"state"));
}
