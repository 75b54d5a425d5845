// The simulated RS-485 bus: the modules hanging on it, the faults given per address, and
// what the line carries back for the bytes the PC writes. It knows nothing of the pty or
// of time beyond the "now" it is handed, so tests drive it directly with literal frames.
#pragma once

#include "sim/SimModule.h"
#include "sim/SimSplitter.h"

#include <map>
#include <string>
#include <vector>

namespace vqsim
{

// The faults of one address; several kinds may be active at once.
struct FaultSet
{
    bool silent = false;  // never answers
    bool badsum = false;  // wrong checksum digits (chk) or a wrong CRC (rtu)
    unsigned extra = 0;   // stray bytes after each reply
    unsigned splitMs = 0; // second half of each reply this much later
    unsigned delayMs = 0; // each reply this much later
    unsigned flood = 0;   // this many noise bytes instead of each reply
    unsigned cut = 0;     // this many bytes dropped from the end of each reply
    int from = -1;        // 0..255: the reply names this address instead of the module's
    int refuse = -1;      // 0..255: a refusal ("?" or this RTU exception code) instead
};

// Parses "ADDR:KIND[=ARG]" and applies it to faults[ADDR].
bool parseFaultRule(const std::string& text, uint8_t& address, FaultSet& into, std::string& error);

// Bytes to write to the PC at a given time.
struct Emission
{
    int64_t dueMs = 0;
    Bytes bytes;
};

class Bus
{
  public:
    Bus() = default;

    void setGarbage(bool garbage) { m_garbage = garbage; }
    // Replaces every module and drops every fault.
    void reset(const std::vector<ModuleDef>& defs);
    // rule as in parseFaultRule; false with a reason on bad text.
    bool addFault(const std::string& rule, std::string& error);
    void clearFaults(uint8_t address);
    const FaultSet* faults(uint8_t address) const;

    // Control of the modules at an address; false when none is there (or none of the
    // right kind).
    bool setInputs(uint8_t address, uint8_t value);
    bool holdAnalog(uint8_t address, unsigned ch, double value);
    bool releaseAnalog(uint8_t address);

    // The PC wrote n bytes while the line ran at lineBaud. Replies go to out; every frame
    // or noise run heard goes to heard (for the log) when it is given.
    void feed(const uint8_t* data, size_t n, uint32_t lineBaud, int64_t nowMs,
              std::vector<Emission>& out, std::vector<Bytes>* heard = nullptr);
    // Forgets a frame half heard, as a line that went away would.
    void dropPartial() { m_splitter = FrameSplitter(); }
    // For tests: one request in, every byte the bus answers with, whatever its timing.
    Bytes exchange(const Bytes& request, uint32_t lineBaud, int64_t nowMs = 0);

    // True once after a module's address, baud, protocol or outputs changed.
    bool takeStateChanged();
    // One line per module: "ADDR,MODEL,PROTO,BAUD outputs=HH".
    std::vector<std::string> stateLines() const;
    const std::vector<Module>& modules() const { return m_modules; }

  private:
    void answer(const Frame& frame, uint32_t lineBaud, int64_t nowMs, std::vector<Emission>& out);
    void applyFaults(const FaultSet& faults, Proto proto, Bytes reply, int64_t nowMs,
                     std::vector<Emission>& out);
    Bytes noise(size_t n, bool garbled);

    std::vector<Module> m_modules;
    std::map<uint8_t, FaultSet> m_faults;
    FrameSplitter m_splitter;
    bool m_garbage = false;
    bool m_stateChanged = true;
    uint32_t m_seed = 0x2545F491u;
};

} // namespace vqsim
