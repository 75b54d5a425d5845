// Talks to a running vqbus-sim through its control directory (VQ_SIM_CONTROL, a Unix path
// reached through Z:). A command is one appended line "SEQ VERB ARGS", SEQ being the line's
// number in the file as the project's shell scripts count it; it is done when the simulator
// writes that SEQ into "ack".
#pragma once

#include <string>
#include <vector>

class SimControl
{
  public:
    // Reads VQ_SIM_CONTROL and VQ_SIM_BUS (the bus the simulator was started with).
    SimControl();

    bool Available() const { return !m_dir.empty(); }
    // Sends "VERB ARGS..." and waits up to 5 s for the acknowledgement.
    bool Command(const std::string& line);
    // Puts the bus back to the one the simulator was started with.
    bool ResetDefaultBus();
    // The simulator's "state" file, one line per module.
    std::string State() const;
    // The frames of the simulator's log (VQ_SIM_LOG) without their time stamps, e.g.
    // "pc>bus 24 30 31 4D 0D"; empty when there is no log.
    std::vector<std::string> BusLog() const;
    // The frames the program wrote after the log had `mark` lines, e.g. "24 30 31 4D 0D".
    std::vector<std::string> SentSince(size_t mark) const;

  private:
    std::wstring File(const wchar_t* name) const { return m_dir + L"\\" + name; }

    std::wstring m_dir;
    std::wstring m_log;
    std::string m_defaultBus;
};
