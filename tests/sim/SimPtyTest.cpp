// End to end through a real pseudo-terminal: a client opens the link as a COM port would,
// sets the line's rate, writes a query and reads the reply, while the simulator's loop runs
// on a thread of its own.
#include "SimTestUtil.h"

#include "sim/SimRunner.h"

#include <atomic>
#include <fcntl.h>
#include <fstream>
#include <poll.h>
#include <regex>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

using namespace vqsim;
using namespace vqsim_test;

namespace
{

class PtyTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        char tmpl[] = "/tmp/vqsim-pty-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        m_dir = tmpl;
        m_linkPath = m_dir + "/com5";
        m_logPath = m_dir + "/log";
        MakeBus(m_bus, {"01,4652,ascii,9600", "02,4618,ascii,19200"});
        std::string error;
        ASSERT_TRUE(m_log.open(m_logPath, error)) << error;
        ASSERT_TRUE(m_link.open(m_linkPath, error)) << error;
        m_runner.reset(new Runner(m_bus, m_link, nullptr, &m_log));
        m_thread = std::thread(
            [this]
            {
                while (!m_stop)
                    m_runner->step(10);
            });
    }
    void TearDown() override
    {
        m_stop = true;
        if (m_thread.joinable())
            m_thread.join();
        m_link.close();
        unlink(m_logPath.c_str());
        rmdir(m_dir.c_str());
    }
    static void SetRaw(int fd, speed_t speed)
    {
        termios tio{};
        tcgetattr(fd, &tio);
        cfmakeraw(&tio);
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
        tcsetattr(fd, TCSANOW, &tio);
    }
    int OpenClient(speed_t speed)
    {
        const int fd = open(m_linkPath.c_str(), O_RDWR | O_NOCTTY);
        SetRaw(fd, speed);
        return fd;
    }
    // Reads until `want` bytes came or the line stayed quiet for quietMs.
    static std::string ReadReply(int fd, size_t want, int quietMs)
    {
        std::string got;
        while (got.size() < want)
        {
            pollfd p = {fd, POLLIN, 0};
            if (poll(&p, 1, quietMs) <= 0)
                break;
            char buf[256];
            ssize_t n = read(fd, buf, sizeof buf);
            if (n <= 0)
                break;
            got.append(buf, static_cast<size_t>(n));
        }
        return got;
    }

    std::string m_dir, m_linkPath, m_logPath;
    Bus m_bus;
    FrameLog m_log;
    PtyLink m_link;
    std::unique_ptr<Runner> m_runner;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

TEST_F(PtyTest, NameQueryThroughTheLink)
{
    int fd = OpenClient(B9600);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, "$01M\r", 5), 5);
    EXPECT_EQ(ReadReply(fd, 8, 2000), "!014652\r");
    // The module at 02 runs at 19200: silent until the client changes the rate.
    ASSERT_EQ(write(fd, "$02M\r", 5), 5);
    EXPECT_EQ(ReadReply(fd, 8, 200), "");
    SetRaw(fd, B19200);
    ASSERT_EQ(write(fd, "$02M\r", 5), 5);
    EXPECT_EQ(ReadReply(fd, 8, 2000), "!024618\r");
    close(fd);

    std::ifstream in(m_logPath);
    std::string first, second;
    std::getline(in, first);
    std::getline(in, second);
    const std::regex pc(R"(\d\d:\d\d:\d\d\.\d{3} pc>bus 24 30 31 4D 0D)");
    const std::regex bus(R"(\d\d:\d\d:\d\d\.\d{3} bus>pc 21 30 31 34 36 35 32 0D)");
    EXPECT_TRUE(std::regex_match(first, pc)) << first;
    EXPECT_TRUE(std::regex_match(second, bus)) << second;
}

TEST_F(PtyTest, ClosingTheClientKeepsTheLineUpAndDropsUnreadReplies)
{
    int fd = OpenClient(B9600);
    ASSERT_EQ(write(fd, "$01M\r", 5), 5);
    usleep(150 * 1000); // the reply waits unread in the line
    close(fd);
    fd = OpenClient(B9600);
    ASSERT_GE(fd, 0);
    usleep(50 * 1000);
    EXPECT_EQ(ReadReply(fd, 8, 100), ""); // what the old client left is gone
    ASSERT_EQ(write(fd, "$01M\r", 5), 5);
    EXPECT_EQ(ReadReply(fd, 8, 2000), "!014652\r");
    close(fd);
}

TEST_F(PtyTest, LinkIsRemovedOnClose)
{
    struct stat st;
    ASSERT_EQ(lstat(m_linkPath.c_str(), &st), 0);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    m_stop = true;
    m_thread.join();
    m_link.close();
    EXPECT_NE(lstat(m_linkPath.c_str(), &st), 0);
}

} // namespace
