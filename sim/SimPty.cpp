#include "sim/SimPty.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <csignal>
#include <fcntl.h>
#include <sys/inotify.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

namespace vqsim
{

namespace
{

struct SpeedRate
{
    speed_t speed;
    uint32_t rate;
};

const SpeedRate kRates[] = {{B1200, 1200},   {B2400, 2400},   {B4800, 4800},   {B9600, 9600},
                            {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200}};

std::string sysError(const char* what)
{
    return std::string(what) + ": " + std::strerror(errno);
}

// Wine's server runs in a session of its own without a terminal, so the first port it opens
// becomes its controlling terminal, and the hang-up of an unplug or of the simulator's end
// would send it SIGHUP (on which it dumps every object it holds to its stderr). A child in
// a session of its own takes the line as its controlling terminal first and ends with the
// line or with the simulator. Returns once the child holds the line (or failed to).
pid_t holdAsControllingTerminal(const char* slaveName)
{
    int ready[2];
    if (pipe(ready) != 0)
        return -1;
    const pid_t parent = getpid();
    const pid_t pid = fork();
    if (pid == 0)
    {
        // Async-signal-safe calls only: the parent may run other threads.
        for (int fd = 0; fd < 1024; ++fd)
            if (fd != ready[1])
                ::close(fd);
        struct sigaction dfl = {};
        dfl.sa_handler = SIG_DFL;
        sigaction(SIGHUP, &dfl, nullptr);
        sigset_t all;
        sigfillset(&all);
        sigprocmask(SIG_UNBLOCK, &all, nullptr);
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (getppid() != parent || setsid() < 0 || ::open(slaveName, O_RDWR) < 0)
            _exit(1);
        ::close(ready[1]);
        for (;;)
            pause();
    }
    ::close(ready[1]);
    char c;
    while (pid > 0 && read(ready[0], &c, 1) < 0 && errno == EINTR)
    {
    }
    ::close(ready[0]);
    return pid;
}

} // namespace

PtyLink::~PtyLink()
{
    close();
}

bool PtyLink::open(const std::string& linkPath, std::string& error)
{
    close();
    m_homePath = linkPath;
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0)
    {
        error = sysError("posix_openpt");
        return false;
    }
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0)
    {
        error = sysError("grantpt/unlockpt");
        close();
        return false;
    }
    const char* name = ptsname(m_master);
    if (!name)
    {
        error = sysError("ptsname");
        close();
        return false;
    }
    m_slaveName = name;
    m_slave = ::open(name, O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_slave < 0)
    {
        error = sysError("open slave");
        close();
        return false;
    }
    termios tio{};
    if (tcgetattr(m_slave, &tio) == 0)
    {
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        cfsetispeed(&tio, B9600);
        cfsetospeed(&tio, B9600);
        tcsetattr(m_slave, TCSANOW, &tio);
    }
    m_guard = holdAsControllingTerminal(name);
    fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK);
    m_watch = inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_watch >= 0 && inotify_add_watch(m_watch, name, IN_OPEN) < 0)
    {
        ::close(m_watch);
        m_watch = -1;
    }
    if (!linkPath.empty())
    {
        struct stat st;
        if (lstat(linkPath.c_str(), &st) == 0)
        {
            if (S_ISDIR(st.st_mode))
            {
                error = "--link " + linkPath + " is a directory";
                close();
                return false;
            }
            unlink(linkPath.c_str());
        }
        if (symlink(name, linkPath.c_str()) != 0)
        {
            error = sysError(("symlink " + linkPath).c_str());
            close();
            return false;
        }
        m_linkPath = linkPath;
    }
    return true;
}

void PtyLink::close()
{
    if (!m_linkPath.empty())
    {
        // Remove the link only while it still points at this pty.
        char target[512];
        ssize_t n = readlink(m_linkPath.c_str(), target, sizeof target - 1);
        if (n >= 0)
        {
            target[n] = '\0';
            if (m_slaveName == target)
                unlink(m_linkPath.c_str());
        }
        m_linkPath.clear();
    }
    if (m_watch >= 0)
        ::close(m_watch);
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
    m_watch = m_slave = m_master = -1;
    if (m_guard > 0)
    {
        kill(m_guard, SIGKILL);
        waitpid(m_guard, nullptr, 0);
    }
    m_guard = -1;
}

void PtyLink::unplug()
{
    const std::string home = m_homePath;
    close();
    m_homePath = home;
}

bool PtyLink::plug(std::string& error)
{
    return plugged() || open(m_homePath, error);
}

uint32_t PtyLink::lineBaud() const
{
    termios tio{};
    if (m_slave < 0 || tcgetattr(m_slave, &tio) != 0)
        return 0;
    const speed_t speed = cfgetospeed(&tio);
    for (const SpeedRate& r : kRates)
        if (r.speed == speed)
            return r.rate;
    return 0;
}

bool PtyLink::takeClientOpened()
{
    if (m_watch < 0)
        return false;
    bool opened = false;
    alignas(inotify_event) char buf[1024];
    for (;;)
    {
        ssize_t n = read(m_watch, buf, sizeof buf);
        if (n <= 0)
            break;
        for (ssize_t pos = 0; pos < n;)
        {
            const inotify_event* ev = reinterpret_cast<const inotify_event*>(buf + pos);
            if (ev->mask & IN_OPEN)
                opened = true;
            pos += static_cast<ssize_t>(sizeof(inotify_event) + ev->len);
        }
    }
    return opened;
}

void PtyLink::dropUnread()
{
    if (m_slave >= 0)
        tcflush(m_slave, TCIFLUSH);
}

} // namespace vqsim
