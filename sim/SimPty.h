// The simulator's end of the serial line: a pseudo-terminal whose slave stands in for the
// COM port. The simulator keeps a slave descriptor of its own open, so the master never
// sees EIO while no client holds the port, and reads the baud rate the client set from the
// slave's termios. An inotify watch on the slave tells when a client opens the port, so
// replies nobody read before are dropped as a real line would have lost them. A child
// process holds the slave as its controlling terminal, so no client's session takes it.
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>

namespace vqsim
{

class PtyLink
{
  public:
    PtyLink() = default;
    PtyLink(const PtyLink&) = delete;
    PtyLink& operator=(const PtyLink&) = delete;
    ~PtyLink();

    // Creates the pty and, when linkPath is not empty, points linkPath at its slave
    // (an old link or file there is replaced).
    bool open(const std::string& linkPath, std::string& error);
    void close();
    // A USB adapter pulled out: the master is closed, so a client's open port sees a hung-up
    // line, and the link is removed. plug() makes a fresh pty behind the same link path.
    void unplug();
    bool plug(std::string& error);
    bool plugged() const { return m_master >= 0; }

    int master() const { return m_master; }
    int watch() const { return m_watch; } // -1 without inotify
    const std::string& slaveName() const { return m_slaveName; }
    // Baud rate the client set on the line, 0 when it is not one of the usual rates.
    uint32_t lineBaud() const;
    // Reads the watch; true when a client opened the port since the last call.
    bool takeClientOpened();
    // Drops what the simulator wrote and no client has read yet.
    void dropUnread();

  private:
    int m_master = -1;
    int m_slave = -1;
    int m_watch = -1;
    pid_t m_guard = -1; // holds the line as its controlling terminal, see SimPty.cpp
    std::string m_slaveName;
    std::string m_linkPath;
    std::string m_homePath; // the link path given to open(), kept while unplugged
};

} // namespace vqsim
