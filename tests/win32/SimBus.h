// Drives a running vqbus-sim from a Win32 test through its control directory. Every command is
// appended to DIR\commands with a fresh sequence number and waits (3 s at most) for DIR\ack to
// show that number; a timeout is a test failure, never a hang.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class SimBus
{
  public:
    SimBus(); // reads VQ_SIM_CONTROL and VQ_TEST_COM

    // True when the environment names a control dir whose sim has created DIR/ready.
    bool Available() const;
    int ComNumber() const; // VQ_TEST_COM, 0 when unset

    // Each returns true once the sim acknowledged the command; a timeout adds a test failure.
    bool Reset(const std::string& sModules); // "01,4652,ascii,9600 02,4618,rtu,19200"
    bool Fault(const std::string& sRule);    // "01:silent", "02:delay=300"
    bool Clear(uint8_t chAddress);
    bool Inputs(uint8_t chAddress, uint8_t chInputs);
    bool Analog(uint8_t chAddress, int nChannel, double dValue);
    bool Command(const std::string& sVerbAndArgs);
    // The USB adapter pulled out (the open port's line hangs up, COMn is gone) and put back
    // (a fresh line behind the same COMn, to be opened again). The modules keep their state.
    bool Unplug() { return Command("unplug"); }
    bool Plug() { return Command("plug"); }

    std::string State() const; // the whole DIR/state file, "" when absent
    // The state line of one module ("01,4652,ascii,9600 outputs=00"), "" when absent.
    std::string StateOf(uint8_t chAddress) const;

    static const DWORD ACK_TIMEOUT_MS = 3000;

  private:
    std::string ReadFile(const char* pchName) const;
    long ReadAck() const;

    std::string m_sDir;
    int m_nCom;
    long m_lSeq;
};

// The Windows form of a Unix path under Wine: "/tmp/a" -> "Z:\tmp\a".
std::string fnUnixToWinePath(const std::string& sUnix);
