#include "sim/SimLog.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <sys/time.h>

namespace vqsim
{

FrameLog::~FrameLog()
{
    if (m_file)
        std::fclose(m_file);
}

bool FrameLog::open(const std::string& path, std::string& error)
{
    m_file = std::fopen(path.c_str(), "w");
    if (!m_file)
    {
        error = "--log " + path + ": " + std::strerror(errno);
        return false;
    }
    return true;
}

std::string logStamp()
{
    timeval tv{};
    gettimeofday(&tv, nullptr);
    const time_t seconds = tv.tv_sec;
    tm local{};
    localtime_r(&seconds, &local);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%02d:%02d:%02d.%03d", local.tm_hour, local.tm_min,
                  local.tm_sec, static_cast<int>(tv.tv_usec / 1000));
    return stamp;
}

std::string formatLogLine(const char* direction, const uint8_t* data, size_t n)
{
    return logStamp() + " " + direction + " " + hexDump(data, n);
}

void FrameLog::note(const std::string& text)
{
    if (!m_file)
        return;
    std::fprintf(m_file, "%s %s\n", logStamp().c_str(), text.c_str());
    std::fflush(m_file);
}

void FrameLog::write(const char* direction, const uint8_t* data, size_t n)
{
    if (!m_file || n == 0)
        return;
    std::fprintf(m_file, "%s\n", formatLogLine(direction, data, n).c_str());
    std::fflush(m_file);
}

} // namespace vqsim
