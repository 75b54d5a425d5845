// Replies of the simulated modules to literal request frames, settings that move a module
// to a new address, baud rate or protocol, baud mismatch and the fault rules.
#include "SimTestUtil.h"

using namespace vqsim;
using namespace vqsim_test;

namespace
{

struct ExchangeCase
{
    const char* name;
    std::vector<std::string> modules;
    Bytes request;
    Bytes reply; // empty: silence
};

class ExchangeTest : public ::testing::TestWithParam<ExchangeCase>
{
};

TEST_P(ExchangeTest, AnswersWithTheLiteralReply)
{
    const ExchangeCase& c = GetParam();
    Bus bus;
    MakeBus(bus, c.modules);
    EXPECT_EQ(Hex(bus.exchange(c.request, 9600)), Hex(c.reply));
}

const ExchangeCase kExchangeCases[] = {
    {"AsciiName", {"01,4652GD,ascii,9600"}, S("$01M\r"), S("!014652GD\r")},
    {"AsciiNameNoVariant", {"1F,4652,ascii,9600"}, S("$1FM\r"), S("!1F4652\r")},
    {"ChkName", {"02,4652,chk,9600"}, S("$02MD3\r"), S("!02465254\r")},
    {"RtuName",
     {"01,4652GD,rtu,9600"},
     B({0x01, 0x46, 0x00, 0x12, 0x60}),
     B({0x01, 0x46, 0x00, 0x00, 0x46, 0x52, 0x03, 0x99, 0xD2})},
    {"RtuName4618",
     {"03,4618,rtu,9600"},
     B({0x03, 0x46, 0x00, 0xB3, 0xA0}),
     B({0x03, 0x46, 0x00, 0x00, 0x46, 0x18, 0x00, 0xCD, 0x73})},
    {"AsciiModuleIgnoresChkQuery", {"01,4652,ascii,9600"}, S("$01MD2\r"), {}},
    {"ChkModuleIgnoresPlainQuery", {"01,4652,chk,9600"}, S("$01M\r"), {}},
    {"ChkModuleIgnoresBadChecksum", {"01,4652,chk,9600"}, S("$01MD3\r"), {}},
    {"AsciiModuleIgnoresRtuQuery", {"01,4652,ascii,9600"}, B({0x01, 0x46, 0x00, 0x12, 0x60}), {}},
    {"RtuModuleIgnoresBadCrc", {"01,4652,rtu,9600"}, B({0x01, 0x46, 0x00, 0x12, 0x61}), {}},
    {"OtherAddressIsSilent", {"01,4652,ascii,9600"}, S("$02M\r"), {}},
    {"SameAddressTwoProtocols",
     {"01,4652,ascii,9600", "01,4652,chk,9600"},
     S("$01M\r"),
     S("!014652\r")},
    {"AsciiPoll4652", {"01,4652,ascii,9600"}, S("$016\r"), S("!000000\r")},
    {"ChkPoll4652", {"01,4652,chk,9600"}, S("$016BB\r"), S("!00000041\r")},
    {"AnalogModuleIgnoresDigitalPoll", {"01,4624,ascii,9600"}, S("$016\r"), {}},
    {"DigitalModuleIgnoresAnalogPoll", {"01,4652,ascii,9600"}, S("#01\r"), {}},
    {"InputOnlyModuleIgnoresOutputWrite", {"01,4618,ascii,9600"}, S("#010005\r"), {}},
    {"RtuUnknownFunction",
     {"01,4652,rtu,9600"},
     B({0x01, 0x03, 0x00, 0x00, 0x00, 0x01, 0x84, 0x0A}),
     B({0x01, 0x83, 0x01, 0x80, 0xF0})},
    {"RtuReadCoilsOnAnalogModule",
     {"01,4637,rtu,9600"},
     B({0x01, 0x01, 0x00, 0x00, 0x00, 0x04, 0x3D, 0xC9}),
     B({0x01, 0x81, 0x01, 0x81, 0x90})},
};

INSTANTIATE_TEST_SUITE_P(Sim, ExchangeTest, ::testing::ValuesIn(kExchangeCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A step of a conversation: request, expected reply, line baud.
struct Step
{
    Bytes request;
    Bytes reply;
    uint32_t baud = 9600;
};

struct ConversationCase
{
    const char* name;
    std::vector<std::string> modules;
    std::vector<Step> steps;
};

class ConversationTest : public ::testing::TestWithParam<ConversationCase>
{
};

TEST_P(ConversationTest, EachStepGetsItsReply)
{
    const ConversationCase& c = GetParam();
    Bus bus;
    MakeBus(bus, c.modules);
    bus.setInputs(0x01, 0x0A); // a VQ-4652 at 01 sees IN1 and IN3
    for (size_t i = 0; i < c.steps.size(); ++i)
        EXPECT_EQ(Hex(bus.exchange(c.steps[i].request, c.steps[i].baud)), Hex(c.steps[i].reply))
            << "step " << i;
}

const ConversationCase kConversationCases[] = {
    {"AsciiOutputsAreRemembered",
     {"01,4652,ascii,9600"},
     {{S("#010005\r"), S(">\r")}, {S("$016\r"), S("!050A00\r")}}},
    {"AsciiOutputsKeepFourRelays",
     {"01,4652,ascii,9600"},
     {{S("#0100FF\r"), S(">\r")}, {S("$016\r"), S("!0F0A00\r")}}},
    {"RtuWriteCoilsThenReadBack",
     {"01,4652,rtu,9600"},
     {{B({0x01, 0x0F, 0x00, 0x00, 0x00, 0x04, 0x01, 0x09, 0xFE, 0x90}),
       B({0x01, 0x0F, 0x00, 0x00, 0x00, 0x04, 0x54, 0x08})},
      {B({0x01, 0x01, 0x00, 0x00, 0x00, 0x04, 0x3D, 0xC9}),
       B({0x01, 0x01, 0x01, 0x09, 0x91, 0x8E})},
      {B({0x01, 0x02, 0x00, 0x00, 0x00, 0x04, 0x79, 0xC9}),
       B({0x01, 0x02, 0x01, 0x0A, 0x21, 0x8F})}}},
    {"RtuCoilByteIsCarriageReturn",
     {"01,4652,rtu,9600"},
     {{B({0x01, 0x0F, 0x00, 0x00, 0x00, 0x04, 0x01, 0x0D, 0xFF, 0x53}),
       B({0x01, 0x0F, 0x00, 0x00, 0x00, 0x04, 0x54, 0x08})}}},
    {"AsciiSettingsToChk",
     {"01,4652,ascii,9600"},
     {{S("%0102400640\r"), S("!02\r")},
      {S("$01M\r"), {}},
      {S("$02M\r"), {}},
      {S("$02MD3\r"), S("!02465254\r")}}},
    {"ChkSettingsReplyCarriesOldChecksum",
     {"01,4652,chk,9600"},
     {{S("%010240064016\r"), S("!0283\r")}, {S("$02MD3\r"), S("!02465254\r")}}},
    {"AsciiSettingsRefusedForUnknownBaudCode",
     {"01,4652,ascii,9600"},
     {{S("%0102400C40\r"), S("?02\r")}, {S("$01M\r"), S("!014652\r")}}},
    {"AsciiSettingsNewBaudTakesEffect",
     {"01,4652,ascii,9600"},
     {{S("%0101400700\r"), S("!01\r")},
      {S("$01M\r"), {}, 9600},
      {S("$01M\r"), S("!014652\r"), 19200}}},
    {"AsciiSettingsToRtu",
     {"01,4652,ascii,9600"},
     {{S("%0101400604\r"), S("!01\r")},
      {S("$01M\r"), {}},
      {B({0x01, 0x46, 0x00, 0x12, 0x60}),
       B({0x01, 0x46, 0x00, 0x00, 0x46, 0x52, 0x00, 0xD9, 0xD3})}}},
    {"RtuTwoStepSettings",
     {"01,4652,rtu,9600"},
     {{B({0x01, 0x46, 0x04, 0x02, 0x00, 0x00, 0x00, 0xF5, 0x1E}),
       B({0x02, 0x46, 0x04, 0x00, 0x00, 0x00, 0x00, 0xC7, 0xA6})},
      // Step 2 goes to the new address and is answered there.
      {B({0x02, 0x46, 0x06, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0xA3, 0xA7}),
       B({0x02, 0x46, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC4, 0x37})},
      {B({0x02, 0x46, 0x00, 0xE2, 0x60}), {}},
      {S("$02MD3\r"), S("!02465254\r")}}},
    {"RtuNewBaudAfterReply",
     {"02,4652,rtu,9600"},
     {{B({0x02, 0x46, 0x06, 0x00, 0x07, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0xE3, 0x37}),
       B({0x02, 0x46, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC4, 0x37})},
      {B({0x02, 0x46, 0x00, 0xE2, 0x60}), {}, 9600},
      {B({0x02, 0x46, 0x00, 0xE2, 0x60}), B({0x02, 0x46, 0x00, 0x00, 0x46, 0x52, 0x00, 0xEA, 0xD3}),
       19200}}},
    {"RtuIllegalNewAddress",
     {"01,4652,rtu,9600"},
     {{B({0x01, 0x46, 0x04, 0x00, 0x00, 0x00, 0x00, 0xF4, 0xA6}),
       B({0x01, 0xC6, 0x03, 0x33, 0xA1})},
      {B({0x01, 0x46, 0x00, 0x12, 0x60}),
       B({0x01, 0x46, 0x00, 0x00, 0x46, 0x52, 0x00, 0xD9, 0xD3})}}},
    {"RtuIllegalProtocolBytes",
     {"02,4652,rtu,9600"},
     {{B({0x02, 0x46, 0x06, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x02, 0x00, 0xA3, 0x57}),
       B({0x02, 0xC6, 0x03, 0xC3, 0xA1})},
      {B({0x02, 0x46, 0x00, 0xE2, 0x60}),
       B({0x02, 0x46, 0x00, 0x00, 0x46, 0x52, 0x00, 0xEA, 0xD3})}}},
    {"BaudMismatchIsSilentAndChangesNothing",
     {"01,4652,ascii,19200"},
     {{S("#010005\r"), {}, 9600}, {S("$016\r"), S("!000A00\r"), 19200}}},
};

INSTANTIATE_TEST_SUITE_P(Sim, ConversationTest, ::testing::ValuesIn(kConversationCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SimDigital, InputOnlyModuleReportsEightInputs)
{
    Bus bus;
    MakeBus(bus, {"01,4618,ascii,9600", "11,4618,rtu,9600"});
    ASSERT_TRUE(bus.setInputs(0x01, 0xA5));
    ASSERT_TRUE(bus.setInputs(0x11, 0xA5));
    EXPECT_EQ(Hex(bus.exchange(S("$016\r"), 9600)), Hex(S("!00A500\r")));
    EXPECT_EQ(Hex(bus.exchange(B({0x11, 0x02, 0x00, 0x00, 0x00, 0x08, 0x7B, 0x5C}), 9600)),
              Hex(B({0x11, 0x02, 0x01, 0xA5, 0x65, 0x33})));
}

TEST(SimAnalog, HeldValuesInAsciiAndRtu)
{
    Bus bus;
    MakeBus(bus, {"05,4624,ascii,9600", "05,4624,rtu,9600"});
    const double values[8] = {12.345, 20.0, 0.0, 4.0, 10.0, 0.001, 65.535, 1.0};
    for (unsigned ch = 0; ch < 8; ++ch)
        ASSERT_TRUE(bus.holdAnalog(0x05, ch, values[ch]));
    EXPECT_EQ(Hex(bus.exchange(S("#05\r"), 9600, 1000)),
              Hex(S(">+12.345+20.000+00.000+04.000+10.000+00.001+65.535+01.000\r")));
    EXPECT_EQ(Hex(bus.exchange(B({0x05, 0x04, 0x00, 0x00, 0x00, 0x08, 0xF0, 0x48}), 9600, 1000)),
              Hex(B({0x05, 0x04, 0x10, 0x30, 0x39, 0x4E, 0x20, 0x00, 0x00, 0x0F, 0xA0,
                     0x27, 0x10, 0x00, 0x01, 0xFF, 0xFF, 0x03, 0xE8, 0xDF, 0x66})));
}

TEST(SimAnalog, RampsStayInRangeAndMoveUntilHeld)
{
    Bus bus;
    MakeBus(bus, {"05,4624,ascii,9600"});
    const Module& module = bus.modules()[0];
    bool moved = false;
    for (int64_t t = 0; t < 120000; t += 1000)
        for (unsigned ch = 0; ch < 8; ++ch)
        {
            const double v = module.analogValue(ch, t);
            EXPECT_GE(v, 0.0);
            EXPECT_LE(v, ch < 4 ? 20.0 : 10.0);
            moved = moved || v != module.analogValue(ch, t + 1000);
        }
    EXPECT_TRUE(moved);
    ASSERT_TRUE(bus.holdAnalog(0x05, 2, 7.5));
    EXPECT_EQ(bus.modules()[0].analogValue(2, 0), 7.5);
    EXPECT_EQ(bus.modules()[0].analogValue(2, 33333), 7.5);
    ASSERT_TRUE(bus.releaseAnalog(0x05));
    EXPECT_NE(bus.modules()[0].analogValue(2, 0), bus.modules()[0].analogValue(2, 5000));
}

TEST(SimGarbage, MismatchedModuleAnswersNoiseOfTheReplyLength)
{
    Bus bus;
    bus.setGarbage(true);
    MakeBus(bus, {"01,4652GD,ascii,19200"});
    const Bytes reply = bus.exchange(S("$01M\r"), 9600);
    ASSERT_EQ(reply.size(), 10u);
    for (uint8_t b : reply)
        EXPECT_NE(b, '\r');
    EXPECT_TRUE(bus.exchange(S("$02M\r"), 9600).empty()); // not its address
    // A settings command it could not really hear changes nothing.
    EXPECT_EQ(bus.exchange(S("%0102400700\r"), 9600).size(), 4u);
    EXPECT_EQ(Hex(bus.exchange(S("$01M\r"), 19200)), Hex(S("!014652GD\r")));
}

struct FaultCase
{
    const char* name;
    const char* module;
    std::vector<std::string> rules;
    Bytes request;
    Bytes reply;                // all bytes, whatever their timing
    std::vector<int64_t> dueMs; // due time of each emission, request at t=1000
};

class FaultTest : public ::testing::TestWithParam<FaultCase>
{
};

TEST_P(FaultTest, ShapesTheReply)
{
    const FaultCase& c = GetParam();
    Bus bus;
    MakeBus(bus, {c.module});
    std::string error;
    for (const std::string& rule : c.rules)
        ASSERT_TRUE(bus.addFault(rule, error)) << error;
    std::vector<Emission> out;
    bus.feed(c.request.data(), c.request.size(), 9600, 1000, out);
    Bytes all;
    std::vector<int64_t> due;
    for (const Emission& e : out)
    {
        all.insert(all.end(), e.bytes.begin(), e.bytes.end());
        due.push_back(e.dueMs);
    }
    EXPECT_EQ(Hex(all), Hex(c.reply));
    EXPECT_EQ(due, c.dueMs);
}

const FaultCase kFaultCases[] = {
    {"Silent", "01,4652,ascii,9600", {"01:silent"}, S("$01M\r"), {}, {}},
    {"SilentOtherAddress",
     "01,4652,ascii,9600",
     {"02:silent"},
     S("$01M\r"),
     S("!014652\r"),
     {1000}},
    {"BadsumChk", "01,4652,chk,9600", {"01:badsum"}, S("$01MD2\r"), S("!01465254\r"), {1000}},
    {"BadsumRtu",
     "01,4652,rtu,9600",
     {"01:badsum"},
     B({0x01, 0x46, 0x00, 0x12, 0x60}),
     B({0x01, 0x46, 0x00, 0x00, 0x46, 0x52, 0x00, 0x26, 0xD3}),
     {1000}},
    {"Extra", "01,4652,ascii,9600", {"01:extra=3"}, S("$01M\r"), S("!014652\rUUU"), {1000}},
    {"Delay", "01,4652,ascii,9600", {"01:delay=300"}, S("$01M\r"), S("!014652\r"), {1300}},
    {"Split", "01,4652,ascii,9600", {"01:split=50"}, S("$01M\r"), S("!014652\r"), {1000, 1050}},
    {"DelayAndSplitAndExtra",
     "01,4652,ascii,9600",
     {"01:delay=100", "01:split=20", "01:extra=2"},
     S("$01M\r"),
     S("!014652\rUU"),
     {1100, 1120}},
    {"Cut", "01,4652,ascii,9600", {"01:cut=2"}, S("$01M\r"), S("!01465"), {1000}},
    {"CutAll", "01,4652,ascii,9600", {"01:cut=20"}, S("$01M\r"), {}, {}},
    {"FromChk", "01,4652,chk,9600", {"01:from=07"}, S("%010240064016\r"), S("!0788\r"), {1000}},
    {"RefuseChk", "01,4652,chk,9600", {"01:refuse=01"}, S("%010240064016\r"), S("?02A1\r"), {1000}},
    {"FromRtu",
     "01,4652,rtu,9600",
     {"01:from=07"},
     B({0x01, 0x46, 0x04, 0x02, 0x00, 0x00, 0x00, 0xF5, 0x1E}),
     B({0x07, 0x46, 0x04, 0x00, 0x00, 0x00, 0x00, 0x92, 0xA6}),
     {1000}},
    {"RefuseRtu",
     "01,4652,rtu,9600",
     {"01:refuse=03"},
     B({0x01, 0x46, 0x04, 0x02, 0x00, 0x00, 0x00, 0xF5, 0x1E}),
     B({0x02, 0xC6, 0x03, 0xC3, 0xA1}),
     {1000}},
};

INSTANTIATE_TEST_SUITE_P(Sim, FaultTest, ::testing::ValuesIn(kFaultCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SimFaults, FloodReplacesTheReplyAndClearRestoresIt)
{
    Bus bus;
    MakeBus(bus, {"01,4652,ascii,9600"});
    std::string error;
    ASSERT_TRUE(bus.addFault("01:flood=5000", error)) << error;
    const Bytes flood = bus.exchange(S("$01M\r"), 9600);
    ASSERT_EQ(flood.size(), 5000u);
    for (uint8_t b : flood)
        ASSERT_NE(b, '\r');
    bus.clearFaults(0x01);
    EXPECT_EQ(Hex(bus.exchange(S("$01M\r"), 9600)), Hex(S("!014652\r")));
}

TEST(SimFaults, SilentModuleStillTakesSettings)
{
    // The fault is on the line, not in the module: a silent module still obeys.
    Bus bus;
    MakeBus(bus, {"01,4652,ascii,9600"});
    std::string error;
    ASSERT_TRUE(bus.addFault("01:silent", error));
    EXPECT_TRUE(bus.exchange(S("%0102400600\r"), 9600).empty());
    EXPECT_EQ(Hex(bus.exchange(S("$02M\r"), 9600)), Hex(S("!024652\r")));
}

TEST(SimState, LinesFollowSettingsAndOutputs)
{
    Bus bus;
    MakeBus(bus, {"01,4652GD,ascii,9600", "03,4637,rtu,115200"});
    EXPECT_TRUE(bus.takeStateChanged());
    EXPECT_FALSE(bus.takeStateChanged());
    bus.exchange(S("$01M\r"), 9600);
    EXPECT_FALSE(bus.takeStateChanged());
    bus.exchange(S("#010005\r"), 9600);
    EXPECT_TRUE(bus.takeStateChanged());
    bus.exchange(S("%0102400840\r"), 9600);
    EXPECT_TRUE(bus.takeStateChanged());
    const std::vector<std::string> expected = {"02,4652GD,chk,38400 outputs=05",
                                               "03,4637,rtu,115200 outputs=00"};
    EXPECT_EQ(bus.stateLines(), expected);
}

} // namespace
