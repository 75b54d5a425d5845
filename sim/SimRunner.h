// The simulator's main loop, one step at a time: wait for bytes from the PC (or the next
// reply that is due, or the next look at the control directory), feed them to the bus,
// write the replies when they are due and keep the log, ack and state files up to date.
// It runs on one thread; the end-to-end test runs it on a thread of its own.
#pragma once

#include "sim/SimBus.h"
#include "sim/SimControl.h"
#include "sim/SimLog.h"
#include "sim/SimPty.h"

#include <deque>
#include <string>
#include <vector>

namespace vqsim
{

struct Options
{
    std::string link;
    std::string control;
    std::string log;
    bool garbage = false;
    std::vector<ModuleDef> modules;
    std::vector<std::string> faults;
    bool help = false;
};

// Parses the command line (argv[0] skipped). false with a reason on bad input.
bool parseOptions(int argc, const char* const* argv, Options& options, std::string& error);
const char* usageText();

int64_t monotonicMs();

class Runner
{
  public:
    static constexpr int kControlPollMs = 10;

    Runner(Bus& bus, PtyLink& link, ControlDir* control, FrameLog* log);
    // Waits at most maxWaitMs for something to do, then does it.
    void step(int maxWaitMs);
    bool quitRequested() const { return m_quit; }

  private:
    void readFromPc(int64_t now);
    void writeDue(int64_t now);
    void pollControl();
    bool changeLine(LineChange change, std::string& error);
    int timeoutMs(int maxWaitMs, int64_t now) const;

    Bus& m_bus;
    PtyLink& m_link;
    ControlDir* m_control;
    FrameLog* m_log;
    std::deque<Emission> m_queue; // ordered by due time
    int64_t m_nextControlMs = 0;
    int64_t m_lastWriteMs = -1000000;
    bool m_quit = false;
};

} // namespace vqsim
