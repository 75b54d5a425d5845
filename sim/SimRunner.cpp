#include "sim/SimRunner.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <poll.h>
#include <unistd.h>

namespace vqsim
{

const char* usageText()
{
    return "usage: vqbus-sim --link PATH [--control DIR] [--log FILE] [--garbage] MODULE... "
           "[--fault RULE]...\n"
           "  MODULE  ADDR,MODEL,PROTO,BAUD  e.g. 01,4652GD,ascii,9600\n"
           "          MODEL 4652 4652D 4652G 4652GD 4618 4624 4637; PROTO ascii | chk | rtu;\n"
           "          BAUD 1200 2400 4800 9600 19200 38400 57600 115200\n"
           "  RULE    ADDR:KIND[=ARG]  KIND silent | badsum | extra=N | split=MS | delay=MS | "
           "flood=N\n";
}

bool parseOptions(int argc, const char* const* argv, Options& options, std::string& error)
{
    Options out;
    for (int i = 1; i < argc; ++i)
    {
        const std::string arg = argv[i];
        const bool takesValue =
            arg == "--link" || arg == "--control" || arg == "--log" || arg == "--fault";
        if (takesValue && i + 1 >= argc)
        {
            error = arg + " needs a value";
            return false;
        }
        if (arg == "--link")
            out.link = argv[++i];
        else if (arg == "--control")
            out.control = argv[++i];
        else if (arg == "--log")
            out.log = argv[++i];
        else if (arg == "--fault")
        {
            uint8_t address = 0;
            FaultSet check;
            if (!parseFaultRule(argv[++i], address, check, error))
                return false;
            out.faults.push_back(argv[i]);
        }
        else if (arg == "--garbage")
            out.garbage = true;
        else if (arg == "--help" || arg == "-h")
            out.help = true;
        else if (!arg.empty() && arg[0] == '-')
        {
            error = "unknown option " + arg;
            return false;
        }
        else
        {
            ModuleDef def;
            if (!parseModuleDef(arg, def, error))
                return false;
            out.modules.push_back(def);
        }
    }
    if (!out.help && out.link.empty())
    {
        error = "--link PATH is required";
        return false;
    }
    options = out;
    return true;
}

int64_t monotonicMs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<int64_t>(ts.tv_sec) * 1000 + ts.tv_nsec / 1000000;
}

Runner::Runner(Bus& bus, PtyLink& link, ControlDir* control, FrameLog* log)
    : m_bus(bus), m_link(link), m_control(control), m_log(log)
{
    if (m_control && m_control->isOpen())
        m_control->writeState(m_bus.stateLines());
    m_bus.takeStateChanged();
}

int Runner::timeoutMs(int maxWaitMs, int64_t now) const
{
    int64_t wait = maxWaitMs;
    if (!m_queue.empty())
        wait = std::min<int64_t>(wait, m_queue.front().dueMs - now);
    if (m_control && m_control->isOpen())
        wait = std::min<int64_t>(wait, m_nextControlMs - now);
    return static_cast<int>(std::max<int64_t>(wait, 0));
}

void Runner::step(int maxWaitMs)
{
    pollfd fds[2] = {{m_link.master(), POLLIN, 0}, {m_link.watch(), POLLIN, 0}};
    const nfds_t count = m_link.watch() >= 0 ? 2 : 1;
    poll(fds, count, timeoutMs(maxWaitMs, monotonicMs()));
    int64_t now = monotonicMs();
    // A client that opens the port does not get what was sent before it was there. A
    // reopen right after a reply (a client may open the device twice) keeps the reply.
    if (count == 2 && (fds[1].revents & POLLIN) && m_link.takeClientOpened() &&
        now - m_lastWriteMs > 50)
    {
        m_link.dropUnread();
        m_queue.clear();
    }
    if (fds[0].revents & POLLIN)
        readFromPc(now);
    writeDue(monotonicMs());
    if (m_control && m_control->isOpen() && monotonicMs() >= m_nextControlMs)
    {
        pollControl();
        m_nextControlMs = monotonicMs() + kControlPollMs;
    }
    if (m_bus.takeStateChanged() && m_control && m_control->isOpen())
        m_control->writeState(m_bus.stateLines());
}

void Runner::readFromPc(int64_t now)
{
    uint8_t buf[4096];
    for (;;)
    {
        const ssize_t n = read(m_link.master(), buf, sizeof buf);
        if (n <= 0)
            break;
        // The line's rate as the client set it when these bytes were written.
        const uint32_t baud = m_link.lineBaud();
        std::vector<Emission> replies;
        std::vector<Bytes> heard;
        m_bus.feed(buf, static_cast<size_t>(n), baud, now, replies, &heard);
        if (m_log)
            for (const Bytes& frame : heard)
                m_log->write("pc>bus", frame);
        for (Emission& e : replies)
        {
            auto at = std::upper_bound(m_queue.begin(), m_queue.end(), e.dueMs,
                                       [](int64_t due, const Emission& queued)
                                       { return due < queued.dueMs; });
            m_queue.insert(at, std::move(e));
        }
        // A client that writes without a pause would otherwise keep this loop reading and
        // hold back every reply until it stops.
        writeDue(monotonicMs());
    }
}

void Runner::writeDue(int64_t now)
{
    while (!m_queue.empty() && m_queue.front().dueMs <= now)
    {
        const Bytes& bytes = m_queue.front().bytes;
        size_t done = 0;
        while (done < bytes.size())
        {
            const ssize_t n = write(m_link.master(), bytes.data() + done, bytes.size() - done);
            if (n <= 0)
                break; // the line's buffer is full: nobody reads, the rest is lost
            done += static_cast<size_t>(n);
        }
        if (m_log)
            m_log->write("bus>pc", bytes.data(), done);
        m_lastWriteMs = now;
        m_queue.pop_front();
    }
}

void Runner::pollControl()
{
    for (const std::string& line : m_control->takeLines())
    {
        ControlResult result = runControlLine(m_bus, line);
        if (result.ok && result.line != LineChange::None)
            result.ok = changeLine(result.line, result.error);
        if (!result.ok)
            std::fprintf(stderr, "vqbus-sim: control \"%s\": %s\n", line.c_str(),
                         result.error.c_str());
        // A verb that went through may have changed what the state shows.
        if (m_bus.takeStateChanged() || result.ok)
            m_control->writeState(m_bus.stateLines());
        if (!result.seq.empty())
            m_control->writeAck(result.seq);
        if (result.quit)
        {
            m_quit = true;
            return;
        }
    }
}

// Unplug: what was on its way to the PC and a frame half heard go with the line; the
// modules keep their state. Plug: a fresh pty behind the same link. Each is a no-op when the
// line is already so.
bool Runner::changeLine(LineChange change, std::string& error)
{
    if (change == LineChange::Unplug && m_link.plugged())
    {
        m_link.unplug();
        m_queue.clear();
        m_bus.dropPartial();
        if (m_log)
            m_log->note("line unplugged");
    }
    else if (change == LineChange::Plug && !m_link.plugged())
    {
        if (!m_link.plug(error))
            return false;
        if (m_log)
            m_log->note("line plugged " + m_link.slaveName());
    }
    return true;
}

} // namespace vqsim
