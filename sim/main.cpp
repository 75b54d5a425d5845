// vqbus-sim: a bus of simulated I/O modules behind a pseudo-terminal, for trying the
// utility and its tests without hardware. One thread: the loop of Runner until a signal or
// the control verb "quit"; the link is removed on the way out.
#include "sim/SimRunner.h"

#include <csignal>
#include <cstdio>

namespace
{

volatile std::sig_atomic_t g_stop = 0;

void onSignal(int)
{
    g_stop = 1;
}

} // namespace

int main(int argc, char** argv)
{
    vqsim::Options options;
    std::string error;
    if (!vqsim::parseOptions(argc, argv, options, error))
    {
        std::fprintf(stderr, "vqbus-sim: %s\n%s", error.c_str(), vqsim::usageText());
        return 2;
    }
    if (options.help)
    {
        std::fputs(vqsim::usageText(), stdout);
        return 0;
    }
    vqsim::Bus bus;
    bus.setGarbage(options.garbage);
    bus.reset(options.modules);
    for (const std::string& rule : options.faults)
        bus.addFault(rule, error);
    vqsim::FrameLog log;
    if (!options.log.empty() && !log.open(options.log, error))
    {
        std::fprintf(stderr, "vqbus-sim: %s\n", error.c_str());
        return 1;
    }
    vqsim::ControlDir control;
    if (!options.control.empty() && !control.open(options.control, error))
    {
        std::fprintf(stderr, "vqbus-sim: %s\n", error.c_str());
        return 1;
    }
    std::signal(SIGINT, onSignal);
    std::signal(SIGTERM, onSignal);
    std::signal(SIGHUP, onSignal);
    std::signal(SIGPIPE, SIG_IGN);
    vqsim::PtyLink link;
    if (!link.open(options.link, error))
    {
        std::fprintf(stderr, "vqbus-sim: %s\n", error.c_str());
        return 1;
    }
    vqsim::Runner runner(bus, link, control.isOpen() ? &control : nullptr,
                         options.log.empty() ? nullptr : &log);
    if (control.isOpen())
        control.markReady();
    std::fprintf(stderr, "vqbus-sim: %s -> %s, %zu module(s)\n", options.link.c_str(),
                 link.slaveName().c_str(), bus.modules().size());
    while (!g_stop && !runner.quitRequested())
        runner.step(100);
    link.close();
    control.unmarkReady();
    return 0;
}
