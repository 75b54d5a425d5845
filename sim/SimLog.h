// The frame log: one line per frame, "HH:MM:SS.mmm pc>bus 24 30 31 4D 0D" for what the PC
// wrote and "... bus>pc ..." for what the modules sent. Each line is flushed at once so a
// test can read the log while the simulator runs.
#pragma once

#include "sim/SimCodec.h"

#include <cstdio>
#include <string>

namespace vqsim
{

class FrameLog
{
  public:
    FrameLog() = default;
    FrameLog(const FrameLog&) = delete;
    FrameLog& operator=(const FrameLog&) = delete;
    ~FrameLog();

    bool open(const std::string& path, std::string& error);
    void write(const char* direction, const uint8_t* data, size_t n);
    void write(const char* direction, const Bytes& bytes)
    {
        write(direction, bytes.data(), bytes.size());
    }
    // An event on the line that is no frame: "HH:MM:SS.mmm line unplugged".
    void note(const std::string& text);

  private:
    FILE* m_file = nullptr;
};

// "HH:MM:SS.mmm <direction> <hex bytes>" for the local time now.
std::string formatLogLine(const char* direction, const uint8_t* data, size_t n);
// "HH:MM:SS.mmm" for the local time now.
std::string logStamp();

} // namespace vqsim
