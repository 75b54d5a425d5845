// The control directory through which tests steer a running simulator: "ready" once the
// link exists, "commands" appended to by others and read every 10 ms, "ack" with the number
// of the last line done, and "state" with one line per module. ack and state are written to
// a temporary file and renamed, so a reader never sees half a file.
#pragma once

#include "sim/SimBus.h"

#include <string>
#include <vector>

namespace vqsim
{

// What a control line asks of the line itself, which the bus does not own.
enum class LineChange
{
    None,
    Unplug,
    Plug
};

// One control line "SEQ VERB ARGS...". seq is empty when the line has none.
struct ControlResult
{
    std::string seq;
    bool quit = false;
    LineChange line = LineChange::None;
    bool ok = true;
    std::string error;
};

// Carries out one line on the bus.
ControlResult runControlLine(Bus& bus, const std::string& line);

class ControlDir
{
  public:
    // Creates dir when missing and removes what a previous run left in it.
    bool open(const std::string& dir, std::string& error);
    bool isOpen() const { return !m_dir.empty(); }
    void markReady();
    void unmarkReady();
    // Complete new lines of "commands" since the last call.
    std::vector<std::string> takeLines();
    void writeAck(const std::string& seq);
    void writeState(const std::vector<std::string>& lines);

  private:
    bool writeAtomically(const char* name, const std::string& text);

    std::string m_dir;
    long m_offset = 0;
    std::string m_partial;
};

} // namespace vqsim
