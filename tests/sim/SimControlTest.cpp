// The command-line and control-line contract: module and fault texts, and what each
// control verb does to the bus.
#include "SimTestUtil.h"

#include "sim/SimControl.h"
#include "sim/SimRunner.h"

#include <cstdio>

using namespace vqsim;
using namespace vqsim_test;

namespace
{

TEST(SimParse, ModuleTexts)
{
    const struct
    {
        const char* text;
        const char* parsed; // address, model, protocol and rate as read; nullptr: refused
    } cases[] = {
        {"01,4652GD,ascii,9600", "01 4652GD ascii 9600"},
        {"fe,4618,chk,115200", "FE 4618 chk 115200"},
        {"1F,4637,rtu,1200", "1F 4637 rtu 1200"},
        {"01,4652X,ascii,9600", nullptr},
        {"01,4618D,ascii,9600", nullptr},
        {"1,4652,ascii,9600", nullptr},
        {"01,4652,modbus,9600", nullptr},
        {"01,4652,ascii,9601", nullptr},
        {"01,4652,ascii,9600,x", nullptr},
        {"01,4652,ascii", nullptr},
    };
    for (const auto& c : cases)
    {
        ModuleDef def;
        std::string error;
        ASSERT_EQ(parseModuleDef(c.text, def, error), c.parsed != nullptr) << c.text;
        if (c.parsed == nullptr)
        {
            EXPECT_FALSE(error.empty()) << c.text;
            continue;
        }
        char address[3];
        std::snprintf(address, sizeof address, "%02X", def.address);
        EXPECT_EQ(std::string(address) + " " + modelName(def) + " " + protoName(def.proto) + " " +
                      std::to_string(def.baud),
                  c.parsed);
    }
}

TEST(SimParse, FaultRules)
{
    struct Case
    {
        const char* text;
        bool ok;
    } cases[] = {{"01:silent", true},    {"0A:badsum", true},    {"01:extra=3", true},
                 {"01:split=20", true},  {"01:delay=300", true}, {"01:flood=5000", true},
                 {"01:silent=1", false}, {"01:delay", false},    {"01:delay=x", false},
                 {"1:silent", false},    {"01-silent", false},   {"01:noise", false}};
    for (const Case& c : cases)
    {
        uint8_t address = 0;
        FaultSet faults;
        std::string error;
        EXPECT_EQ(parseFaultRule(c.text, address, faults, error), c.ok) << c.text;
    }
}

TEST(SimParse, CommandLine)
{
    const char* argv[] = {"vqbus-sim", "--link",           "/tmp/x",    "01,4652,ascii,9600",
                          "--fault",   "01:delay=5",       "--garbage", "--log",
                          "/tmp/l",    "02,4618,rtu,19200"};
    Options options;
    std::string error;
    ASSERT_TRUE(parseOptions(10, argv, options, error)) << error;
    EXPECT_EQ(options.link, "/tmp/x");
    EXPECT_EQ(options.log, "/tmp/l");
    EXPECT_TRUE(options.garbage);
    EXPECT_EQ(options.modules.size(), 2u);
    EXPECT_EQ(options.faults, std::vector<std::string>{"01:delay=5"});
    const char* noLink[] = {"vqbus-sim", "01,4652,ascii,9600"};
    EXPECT_FALSE(parseOptions(2, noLink, options, error));
    const char* badFault[] = {"vqbus-sim", "--link", "/tmp/x", "--fault", "01:loud"};
    EXPECT_FALSE(parseOptions(5, badFault, options, error));
    const char* dangling[] = {"vqbus-sim", "--link"};
    EXPECT_FALSE(parseOptions(2, dangling, options, error));
}

TEST(SimControlVerbs, EachVerbActsOnTheBus)
{
    Bus bus;
    MakeBus(bus, {"01,4652,ascii,9600"});
    struct Case
    {
        const char* line;
        bool ok;
        Bytes request;
        Bytes reply;
    } cases[] = {
        {"1 inputs 01 0C", true, S("$016\r"), S("!000C00\r")},
        // A silent module still obeys: it is the line that loses the reply.
        {"2 fault 01:silent", true, S("%0101400640\r"), {}},
        {"3 clear 01", true, S("$01MD2\r"), S("!01465253\r")},
        {"4 reset 07,4624,ascii,9600 08,4618,chk,9600", true, S("$01M\r"), {}},
        {"5 analog 07 0 12.5", true, S("#07\r"), S(">+12.500+")}, // the rest ramps
        {"6 inputs 07 01", false, {}, {}},
        {"7 analog 08 0 1.0", false, {}, {}},
        {"8 analog 07 8 1.0", false, {}, {}},
        {"9 fault 07:bogus", false, {}, {}},
        {"10 reset 07,9999,ascii,9600", false, S("$07M\r"), S("!074624\r")},
        {"11 ramp 07", true, {}, {}},
        {"12 frobnicate", false, {}, {}},
        {"14 unplug", true, {}, {}},
        {"15 plug COM5", false, {}, {}},
    };
    for (const Case& c : cases)
    {
        const ControlResult r = runControlLine(bus, c.line);
        EXPECT_EQ(r.ok, c.ok) << c.line << ": " << r.error;
        EXPECT_FALSE(r.quit);
        if (c.request.empty())
            continue;
        Bytes reply = bus.exchange(c.request, 9600);
        if (reply.size() == 58) // an analog reply: its first channel
            reply.resize(c.reply.size());
        EXPECT_EQ(Hex(reply), Hex(c.reply)) << c.line;
    }
    EXPECT_EQ(runControlLine(bus, "13 quit").quit, true);
    EXPECT_EQ(runControlLine(bus, "13 quit").seq, "13");
}

} // namespace
