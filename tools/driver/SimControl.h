// Talks to a running vqbus-sim through its control directory (VQ_SIM_CONTROL, a Unix path
// reached through Z:). A command is one appended line "SEQ VERB ARGS", SEQ being the line's
// number in the file as the project's shell scripts count it; it is done when the simulator
// writes that SEQ into "ack".
#pragma once

#include <string>

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

  private:
    std::wstring File(const wchar_t* name) const { return m_dir + L"\\" + name; }

    std::wstring m_dir;
    std::string m_defaultBus;
};
