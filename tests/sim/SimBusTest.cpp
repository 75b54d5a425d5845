// Replies of the simulated modules to literal request frames, settings that move a module
// to a new address, baud rate or protocol, baud mismatch and the fault rules.
#include "SimTestUtil.h"

using namespace vqsim;
using namespace vqsim_test;

namespace
{

const char* const kAscii = "01,4652,ascii,9600";
const char* const kChk = "01,4652,chk,9600";
const char* const kRtu = "01,4652,rtu,9600";

// A step of a conversation: request, expected reply (empty: silence), line baud.
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

const ConversationCase kConversationCases[] = {
    {"AsciiName", {"01,4652GD,ascii,9600"}, {{S("$01M\r"), S("!014652GD\r")}}},
    {"AsciiNameNoVariant", {"1F,4652,ascii,9600"}, {{S("$1FM\r"), S("!1F4652\r")}}},
    {"ChkName", {"02,4652,chk,9600"}, {{S("$02MD3\r"), S("!02465254\r")}}},
    {"RtuName",
     {"01,4652GD,rtu,9600"},
     {{S("\x01\x46\x00\x12\x60"), S("\x01\x46\x00\x00\x46\x52\x03\x99\xD2")}}},
    {"RtuName4618",
     {"03,4618,rtu,9600"},
     {{S("\x03\x46\x00\xB3\xA0"), S("\x03\x46\x00\x00\x46\x18\x00\xCD\x73")}}},
    {"AsciiModuleIgnoresChkQuery", {kAscii}, {{S("$01MD2\r"), {}}}},
    {"ChkModuleIgnoresPlainQuery", {kChk}, {{S("$01M\r"), {}}}},
    {"ChkModuleIgnoresBadChecksum", {kChk}, {{S("$01MD3\r"), {}}}},
    {"AsciiModuleIgnoresRtuQuery", {kAscii}, {{S("\x01\x46\x00\x12\x60"), {}}}},
    {"RtuModuleIgnoresBadCrc", {kRtu}, {{S("\x01\x46\x00\x12\x61"), {}}}},
    {"OtherAddressIsSilent", {kAscii}, {{S("$02M\r"), {}}}},
    {"SameAddressTwoProtocols", {kAscii, kChk}, {{S("$01M\r"), S("!014652\r")}}},
    {"ChkPoll4652", {kChk}, {{S("$016BB\r"), S("!000A0052\r")}}},
    {"AnalogModuleIgnoresDigitalPoll", {"01,4624,ascii,9600"}, {{S("$016\r"), {}}}},
    {"DigitalModuleIgnoresAnalogPoll", {kAscii}, {{S("#01\r"), {}}}},
    {"InputOnlyModuleIgnoresOutputWrite", {"01,4618,ascii,9600"}, {{S("#010005\r"), {}}}},
    {"RtuUnknownFunction",
     {kRtu},
     {{S("\x01\x03\x00\x00\x00\x01\x84\x0A"), S("\x01\x83\x01\x80\xF0")}}},
    {"RtuReadCoilsOnAnalogModule",
     {"01,4637,rtu,9600"},
     {{S("\x01\x01\x00\x00\x00\x04\x3D\xC9"), S("\x01\x81\x01\x81\x90")}}},
    {"AsciiOutputsAreRemembered",
     {kAscii},
     {{S("#010005\r"), S(">\r")}, {S("$016\r"), S("!050A00\r")}}},
    {"AsciiOutputsKeepFourRelays",
     {kAscii},
     {{S("#0100FF\r"), S(">\r")}, {S("$016\r"), S("!0F0A00\r")}}},
    {"RtuWriteCoilsThenReadBack",
     {kRtu},
     {{S("\x01\x0F\x00\x00\x00\x04\x01\x09\xFE\x90"), S("\x01\x0F\x00\x00\x00\x04\x54\x08")},
      {S("\x01\x01\x00\x00\x00\x04\x3D\xC9"), S("\x01\x01\x01\x09\x91\x8E")},
      {S("\x01\x02\x00\x00\x00\x04\x79\xC9"), S("\x01\x02\x01\x0A\x21\x8F")}}},
    {"AsciiSettingsToChk",
     {kAscii},
     {{S("%0102400640\r"), S("!02\r")},
      {S("$01M\r"), {}},
      {S("$02M\r"), {}},
      {S("$02MD3\r"), S("!02465254\r")}}},
    {"ChkSettingsReplyCarriesOldChecksum",
     {kChk},
     {{S("%010240064016\r"), S("!0283\r")}, {S("$02MD3\r"), S("!02465254\r")}}},
    {"AsciiSettingsRefusedForUnknownBaudCode",
     {kAscii},
     {{S("%0102400C40\r"), S("?02\r")}, {S("$01M\r"), S("!014652\r")}}},
    {"AsciiSettingsNewBaudTakesEffect",
     {kAscii},
     {{S("%0101400700\r"), S("!01\r")},
      {S("$01M\r"), {}, 9600},
      {S("$01M\r"), S("!014652\r"), 19200}}},
    {"AsciiSettingsToRtu",
     {kAscii},
     {{S("%0101400604\r"), S("!01\r")},
      {S("$01M\r"), {}},
      {S("\x01\x46\x00\x12\x60"), S("\x01\x46\x00\x00\x46\x52\x00\xD9\xD3")}}},
    {"RtuTwoStepSettings",
     {kRtu},
     {{S("\x01\x46\x04\x02\x00\x00\x00\xF5\x1E"), S("\x02\x46\x04\x00\x00\x00\x00\xC7\xA6")},
      // Step 2 goes to the new address and is answered there.
      {S("\x02\x46\x06\x00\x06\x00\x00\x00\x00\x01\x00\xA3\xA7"),
       S("\x02\x46\x06\x00\x00\x00\x00\x00\x00\x00\x00\xC4\x37")},
      {S("\x02\x46\x00\xE2\x60"), {}},
      {S("$02MD3\r"), S("!02465254\r")}}},
    {"RtuNewBaudAfterReply",
     {"02,4652,rtu,9600"},
     {{S("\x02\x46\x06\x00\x07\x00\x00\x00\x01\x00\x00\xE3\x37"),
       S("\x02\x46\x06\x00\x00\x00\x00\x00\x00\x00\x00\xC4\x37")},
      {S("\x02\x46\x00\xE2\x60"), {}, 9600},
      {S("\x02\x46\x00\xE2\x60"), S("\x02\x46\x00\x00\x46\x52\x00\xEA\xD3"), 19200}}},
    {"RtuIllegalNewAddress",
     {kRtu},
     {{S("\x01\x46\x04\x00\x00\x00\x00\xF4\xA6"), S("\x01\xC6\x03\x33\xA1")},
      {S("\x01\x46\x00\x12\x60"), S("\x01\x46\x00\x00\x46\x52\x00\xD9\xD3")}}},
    {"RtuIllegalProtocolBytes",
     {"02,4652,rtu,9600"},
     {{S("\x02\x46\x06\x00\x06\x00\x00\x00\x00\x02\x00\xA3\x57"), S("\x02\xC6\x03\xC3\xA1")},
      {S("\x02\x46\x00\xE2\x60"), S("\x02\x46\x00\x00\x46\x52\x00\xEA\xD3")}}},
    {"BaudMismatchIsSilentAndChangesNothing",
     {"01,4652,ascii,19200"},
     {{S("#010005\r"), {}, 9600}, {S("$016\r"), S("!000A00\r"), 19200}}},
};

TEST(SimBus, EachStepGetsItsReply)
{
    for (const ConversationCase& c : kConversationCases)
    {
        SCOPED_TRACE(c.name);
        Bus bus;
        MakeBus(bus, c.modules);
        bus.setInputs(0x01, 0x0A); // a VQ-4652 at 01 sees IN1 and IN3
        for (size_t i = 0; i < c.steps.size(); ++i)
            EXPECT_EQ(Hex(bus.exchange(c.steps[i].request, c.steps[i].baud)), Hex(c.steps[i].reply))
                << "step " << i;
    }
}

TEST(SimDigital, InputOnlyModuleReportsEightInputs)
{
    Bus bus;
    MakeBus(bus, {"01,4618,ascii,9600", "11,4618,rtu,9600"});
    ASSERT_TRUE(bus.setInputs(0x01, 0xA5));
    ASSERT_TRUE(bus.setInputs(0x11, 0xA5));
    EXPECT_EQ(Hex(bus.exchange(S("$016\r"), 9600)), Hex(S("!00A500\r")));
    EXPECT_EQ(Hex(bus.exchange(S("\x11\x02\x00\x00\x00\x08\x7B\x5C"), 9600)),
              Hex(S("\x11\x02\x01\xA5\x65\x33")));
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
    EXPECT_EQ(Hex(bus.exchange(S("\x05\x04\x00\x00\x00\x08\xF0\x48"), 9600, 1000)),
              Hex(S("\x05\x04\x10\x30\x39\x4E\x20\x00\x00\x0F\xA0\x27\x10\x00\x01\xFF\xFF\x03\xE8"
                    "\xDF\x66")));
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

const FaultCase kFaultCases[] = {
    {"Silent", kAscii, {"01:silent"}, S("$01M\r"), {}, {}},
    {"SilentOtherAddress", kAscii, {"02:silent"}, S("$01M\r"), S("!014652\r"), {1000}},
    {"BadsumChk", kChk, {"01:badsum"}, S("$01MD2\r"), S("!01465254\r"), {1000}},
    {"BadsumRtu",
     kRtu,
     {"01:badsum"},
     S("\x01\x46\x00\x12\x60"),
     S("\x01\x46\x00\x00\x46\x52\x00\x26\xD3"),
     {1000}},
    {"Extra", kAscii, {"01:extra=3"}, S("$01M\r"), S("!014652\rUUU"), {1000}},
    {"Delay", kAscii, {"01:delay=300"}, S("$01M\r"), S("!014652\r"), {1300}},
    {"Split", kAscii, {"01:split=50"}, S("$01M\r"), S("!014652\r"), {1000, 1050}},
    {"DelayAndSplitAndExtra",
     kAscii,
     {"01:delay=100", "01:split=20", "01:extra=2"},
     S("$01M\r"),
     S("!014652\rUU"),
     {1100, 1120}},
    {"Cut", kAscii, {"01:cut=2"}, S("$01M\r"), S("!01465"), {1000}},
    {"CutAll", kAscii, {"01:cut=20"}, S("$01M\r"), {}, {}},
    {"FromChk", kChk, {"01:from=07"}, S("%010240064016\r"), S("!0788\r"), {1000}},
    {"RefuseChk", kChk, {"01:refuse=01"}, S("%010240064016\r"), S("?02A1\r"), {1000}},
    {"FromRtu",
     kRtu,
     {"01:from=07"},
     S("\x01\x46\x04\x02\x00\x00\x00\xF5\x1E"),
     S("\x07\x46\x04\x00\x00\x00\x00\x92\xA6"),
     {1000}},
    {"RefuseRtu",
     kRtu,
     {"01:refuse=03"},
     S("\x01\x46\x04\x02\x00\x00\x00\xF5\x1E"),
     S("\x02\xC6\x03\xC3\xA1"),
     {1000}},
};

TEST(SimFaults, ShapeTheReply)
{
    for (const FaultCase& c : kFaultCases)
    {
        SCOPED_TRACE(c.name);
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
}

TEST(SimFaults, FloodReplacesTheReply)
{
    Bus bus;
    MakeBus(bus, {kAscii});
    std::string error;
    ASSERT_TRUE(bus.addFault("01:flood=5000", error)) << error;
    const Bytes flood = bus.exchange(S("$01M\r"), 9600);
    ASSERT_EQ(flood.size(), 5000u);
    for (uint8_t b : flood)
        ASSERT_NE(b, '\r');
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
