// End to end through a real pseudo-terminal and the control directory: a client opens the
// link as a COM port would, sets the line's rate, writes frames and reads what comes back,
// while the test turns the simulator's loop step by step and steers it as others do, by
// appending to DIR/commands and reading DIR/ack and DIR/state.
#include "SimTestUtil.h"

#include "sim/SimRunner.h"

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <memory>
#include <regex>
#include <iterator>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

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
        MakeBus(m_bus, {"01,4652,ascii,9600", "02,4618,ascii,19200"});
        std::string error;
        ASSERT_TRUE(m_log.open(m_dir + "/log", error)) << error;
        ASSERT_TRUE(m_control.open(m_dir + "/ctl", error)) << error;
        ASSERT_TRUE(m_link.open(m_linkPath, error)) << error;
        m_runner.reset(new Runner(m_bus, m_link, &m_control, &m_log));
    }
    void TearDown() override
    {
        if (m_client >= 0)
            close(m_client);
        m_link.close();
        ASSERT_EQ(std::system(("rm -rf " + m_dir).c_str()), 0);
    }
    // (Re)opens the client end as a raw line at this rate.
    void OpenClient(speed_t speed = B9600)
    {
        if (m_client >= 0)
            close(m_client);
        m_client = open(m_linkPath.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        ASSERT_GE(m_client, 0) << std::strerror(errno);
        termios tio{};
        tcgetattr(m_client, &tio);
        cfmakeraw(&tio);
        cfsetspeed(&tio, speed);
        tcsetattr(m_client, TCSANOW, &tio);
    }
    void Send(const char* text)
    {
        ASSERT_EQ(write(m_client, text, std::strlen(text)), ssize_t(std::strlen(text)));
    }
    // Turns the loop for ms; when read, what reaches the client goes to m_got and the time
    // each CR arrived to m_crMs.
    void Pump(int ms, bool read = true)
    {
        const int64_t end = monotonicMs() + ms;
        while (monotonicMs() < end)
        {
            m_runner->step(2);
            char buf[256];
            for (ssize_t n; read && (n = ::read(m_client, buf, sizeof buf)) > 0;)
                for (ssize_t i = 0; i < n; ++i)
                    if ((m_got += buf[i]).back() == '\r')
                        m_crMs.push_back(monotonicMs());
        }
    }
    std::string Take() { return std::exchange(m_got, {}); }
    std::string Exchange(const char* text, int ms)
    {
        Send(text);
        Pump(ms);
        return Take();
    }
    // One control line; the next SEQ is the ack the simulator must have written.
    void Control(const std::string& verb)
    {
        std::ofstream(m_dir + "/ctl/commands", std::ios::app) << ++m_seq << " " << verb << "\n";
        Pump(40);
        EXPECT_EQ(ReadFile(m_dir + "/ctl/ack"), std::to_string(m_seq) + "\n") << verb;
    }
    static std::string ReadFile(const std::string& path)
    {
        std::ifstream in(path);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    std::string m_dir, m_linkPath;
    Bus m_bus;
    FrameLog m_log;
    ControlDir m_control;
    PtyLink m_link;
    std::unique_ptr<Runner> m_runner;
    int m_client = -1;
    int m_seq = 0;
    std::string m_got;
    std::vector<int64_t> m_crMs;
};

TEST_F(PtyTest, NameQueryAtTheLinesRate)
{
    OpenClient();
    EXPECT_EQ(Exchange("$01M\r", 50), "!014652\r");
    // The module at 02 runs at 19200: silent until the client changes the rate.
    EXPECT_EQ(Exchange("$02M\r", 50), "");
    OpenClient(B19200);
    EXPECT_EQ(Exchange("$02M\r", 50), "!024618\r");
}

// A reply left unread when the client closed must not reach the next one: it would answer a
// frame the reopened port never sent.
TEST_F(PtyTest, ReopeningTheClientKeepsTheLineUpAndDropsUnreadReplies)
{
    OpenClient();
    Send("$01M\r");
    Pump(150, false); // the reply waits unread in the line
    OpenClient();
    EXPECT_EQ(Exchange("", 50), "");
    EXPECT_EQ(Exchange("$01M\r", 50), "!014652\r");
}

// A module that answers late holds back neither the replies of others nor the hearing of
// the frames that follow: poll 01 (150 ms late), ask 02 halfway, write 01's outputs gap ms
// after the poll.
TEST_F(PtyTest, LateModuleHoldsBackNoOtherFrame)
{
    for (int gap : {20, 100, 220})
    {
        SCOPED_TRACE(gap);
        Control("reset 01,4652,ascii,9600 02,4618,ascii,9600");
        Control("fault 01:delay=150");
        OpenClient();
        m_crMs.clear();
        const int64_t t0 = monotonicMs();
        Send("$016\r");
        Pump(gap / 2);
        Send("$02M\r");
        Pump(gap - gap / 2);
        const int64_t tWrite = monotonicMs();
        Send("#010005\r");
        Pump(int(tWrite + 250 - monotonicMs()));
        EXPECT_EQ(Take(), "!024618\r!000000\r>\r");
        ASSERT_EQ(m_crMs.size(), 3u);
        EXPECT_LT(m_crMs[0], t0 + 150);
        EXPECT_GE(m_crMs[1], t0 + 150);
        EXPECT_GE(m_crMs[2], tWrite + 150);
    }
}

// Unplug: the client's line hangs up, the link goes, a reply on its way is lost and the
// modules keep their state; a client in a session of its own without a terminal (as Wine's
// server is) that opened the port without O_NOCTTY gets no SIGHUP. Plug: a fresh line
// behind the same link. Twice is as once.
TEST_F(PtyTest, UnplugAndPlugTheLine)
{
    int opened[2];
    ASSERT_EQ(pipe(opened), 0);
    const pid_t pid = fork();
    if (pid == 0)
    {
        for (int fd = 3; fd < 1024; ++fd) // the line's master among them
            if (fd != opened[1])
                close(fd);
        _exit(setsid() < 0 || open(m_linkPath.c_str(), O_RDWR) < 0 || close(opened[1]) != 0 ||
              usleep(300 * 1000) != 0);
    }
    close(opened[1]);
    char c;
    EXPECT_EQ(read(opened[0], &c, 1), 0); // the child has the port open
    close(opened[0]);
    OpenClient();
    EXPECT_EQ(Exchange("#010005\r", 30), ">\r");
    Control("fault 01:delay=200");
    EXPECT_EQ(Exchange("$016\r", 30), ""); // its reply is 200 ms late
    Control("unplug");
    Control("unplug");
    EXPECT_EQ(readlink(m_linkPath.c_str(), &c, 1), -1); // the link is gone
    EXPECT_EQ(read(m_client, &c, 1), 0);
    EXPECT_EQ(write(m_client, "$", 1), -1);
    EXPECT_EQ(errno, EIO);
    Control("plug");
    Control("plug");
    OpenClient();
    EXPECT_EQ(Exchange("", 250), ""); // the reply due after the unplug is lost
    EXPECT_EQ(Exchange("$016\r", 250), "!050000\r");
    const std::string t = R"(\d\d:\d\d:\d\d\.\d{3} )";
    const std::regex log("[^]*" + t + "pc>bus 24 30 31 36 0D\n" + t + "line unplugged\n" + t +
                         "line plugged /dev/pts/\\d+\n" + t + "pc>bus 24 30 31 36 0D\n" + t +
                         "bus>pc 21 30 35 30 30 30 30 0D\n");
    EXPECT_TRUE(std::regex_match(ReadFile(m_dir + "/log"), log)) << ReadFile(m_dir + "/log");
    EXPECT_EQ(ReadFile(m_dir + "/ctl/state"),
              "01,4652,ascii,9600 outputs=05\n02,4618,ascii,19200 outputs=00\n");
    Control("frobnicate"); // acknowledged all the same
    Control("quit");
    EXPECT_TRUE(m_runner->quitRequested());
    int status = 0;
    ASSERT_EQ(waitpid(pid, &status, 0), pid);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

// Others append to the commands file as they please: a line is taken only once it is whole.
TEST_F(PtyTest, ControlTakesOnlyWholeLines)
{
    std::ofstream(m_dir + "/ctl/commands", std::ios::app) << "1 inputs 01 0F\n2 fau";
    EXPECT_EQ(m_control.takeLines(), std::vector<std::string>{"1 inputs 01 0F"});
    std::ofstream(m_dir + "/ctl/commands", std::ios::app) << "lt 01:silent\r\n\n";
    EXPECT_EQ(m_control.takeLines(), std::vector<std::string>{"2 fault 01:silent"});
    EXPECT_TRUE(m_control.takeLines().empty());
}

} // namespace
