// What each control verb does to the bus; a refused module or fault text is refused as a verb.
#include "SimTestUtil.h"

#include "sim/SimControl.h"

using namespace vqsim;
using namespace vqsim_test;

namespace
{

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
