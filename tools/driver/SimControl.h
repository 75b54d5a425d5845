// Talks to a running vqbus-sim through its control directory (VQ_SIM_CONTROL, a Unix path
// reached through Z:). A command is one appended line "SEQ VERB ARGS", SEQ being the line's
// number in the file as the project's shell scripts count it; it is done when the simulator
// writes that SEQ into "ack". The simulator's bus log (VQ_SIM_LOG) is read here too. Every
// user of the simulator (Win32 tests, GUI tests, benchmark, screenshots, soak) goes through
// this one client.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class SimControl
{
  public:
    // Reads VQ_SIM_CONTROL, VQ_SIM_BUS (the bus the simulator was started with) and
    // VQ_TEST_COM (the COM port its line is linked as).
    SimControl();

    // True when the control dir is named and its simulator is up (it made DIR\ready).
    bool Available() const;
    int ComNumber() const { return m_com; } // 0 when VQ_TEST_COM is unset

    // Sends "VERB ARGS..." and waits up to 5 s for the acknowledgement; a command not taken
    // in time also goes to the failure handler.
    bool Command(const std::string& line);
    // Puts the bus back to the one the simulator was started with.
    bool ResetDefaultBus() { return Reset(m_defaultBus); }
    // The verbs, with their arguments as the simulator takes them: Reset("01,4652,ascii,9600
    // 02,4618,rtu,19200"), Fault("01:silent").
    bool Reset(const std::string& modules) { return Command("reset " + modules); }
    bool Fault(const std::string& rule) { return Command("fault " + rule); }
    bool Clear(uint8_t address);
    bool Inputs(uint8_t address, uint8_t inputs);
    bool Analog(uint8_t address, int channel, double value);
    // The USB adapter pulled out (the open port's line hangs up, COMn is gone) and put back
    // (a fresh line behind the same COMn, to be opened again). The modules keep their state.
    bool Unplug() { return Command("unplug"); }
    bool Plug() { return Command("plug"); }

    // The simulator's "state" file, one line per module.
    std::string State() const;
    // The state line of one module ("01,4652,ascii,9600 outputs=00"), "" when absent.
    std::string StateOf(uint8_t address) const;

    // Called with the line of every command that failed (the Win32 tests make it a failure).
    static void SetFailureHandler(void (*handler)(const std::string& why));

  private:
    std::wstring File(const wchar_t* name) const { return m_dir + L"\\" + name; }

    std::wstring m_dir;
    std::string m_defaultBus;
    int m_com = 0;
};

// The simulator's bus log: its size now, and the frames it shows after an offset in one
// direction ("pc>bus " the PC wrote, "bus>pc " the modules answered) as their hex text
// ("24 30 31 4D 0D").
size_t fnSimLogSize();
std::vector<std::string> fnSimLogFramesSince(size_t offset, const char* way = "pc>bus ");
