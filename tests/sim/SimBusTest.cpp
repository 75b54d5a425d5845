// Replies of the simulated modules to literal request frames, settings that move a module
// to a new address, baud rate or protocol, baud mismatch, the fault rules, and how the PC's
// byte stream is cut into frames.
#include "SimTestUtil.h"

using namespace vqsim;
using namespace vqsim_test;

namespace
{

const char* const kAscii = "01,4652,ascii,9600";
const char* const kChk = "01,4652,chk,9600";
const char* const kRtu = "01,4652,rtu,9600";

// A step of a conversation: request (at t=1000 ms), expected reply (null: silence), line
// baud, and when given the due time of each piece of the reply. Frames are text, or hex bytes
// when they hold a space.
struct Step
{
    const char* request;
    const char* reply;
    uint32_t baud = 9600;
    std::vector<int64_t> dueMs = {};
};

struct ConversationCase
{
    const char* name;
    std::vector<std::string> modules;
    std::vector<Step> steps;
    std::vector<std::string> faults = {};
    uint8_t inputs = 0x0A; // what the module at 01 sees on its inputs
};

// clang-format off
const ConversationCase kConversationCases[] = {
    {"AsciiName", {"01,4652GD,ascii,9600"}, {{"$01M\r", "!014652GD\r"}}},
    {"AsciiNameNoVariant", {"1F,4652,ascii,9600"}, {{"$1FM\r", "!1F4652\r"}}},
    {"ChkName", {"02,4652,chk,9600"}, {{"$02MD3\r", "!02465254\r"}}},
    {"RtuName", {"01,4652GD,rtu,9600"}, {{"01 46 00 12 60", "01 46 00 00 46 52 03 99 D2"}}},
    {"AsciiModuleIgnoresChkQuery", {kAscii}, {{"$01MD2\r", {}}}},
    {"ChkModuleIgnoresPlainQuery", {kChk}, {{"$01M\r", {}}}},
    {"ChkModuleIgnoresBadChecksum", {kChk}, {{"$01MD3\r", {}}}},
    {"AsciiModuleIgnoresRtuQuery", {kAscii}, {{"01 46 00 12 60", {}}}},
    {"RtuModuleIgnoresBadCrc", {kRtu}, {{"01 46 00 12 61", {}}}},
    {"OtherAddressIsSilent", {kAscii}, {{"$02M\r", {}}}},
    {"SameAddressTwoProtocols", {kAscii, kChk}, {{"$01M\r", "!014652\r"}}},
    {"ChkPoll4652", {kChk}, {{"$016BB\r", "!000A0052\r"}}},
    {"InputOnlyEightInputs", {"01,4618,ascii,9600"}, {{"$016\r", "!00A500\r"}}, {}, 0xA5},
    {"InputOnlyEightInputsRtu", {"01,4618,rtu,9600"},
     {{"01 02 00 00 00 08 79 CC", "01 02 01 A5 61 F3"}}, {}, 0xA5},
    {"AnalogModuleIgnoresDigitalPoll", {"01,4624,ascii,9600"}, {{"$016\r", {}}}},
    {"DigitalModuleIgnoresAnalogPoll", {kAscii}, {{"#01\r", {}}}},
    {"InputOnlyModuleIgnoresOutputWrite", {"01,4618,ascii,9600"}, {{"#010005\r", {}}}},
    {"RtuUnknownFunction", {kRtu}, {{"01 03 00 00 00 01 84 0A", "01 83 01 80 F0"}}},
    {"RtuReadCoilsOnAnalogModule", {"01,4637,rtu,9600"},
     {{"01 01 00 00 00 04 3D C9", "01 81 01 81 90"}}},
    {"AsciiOutputsAreRemembered", {kAscii}, {{"#010005\r", ">\r"}, {"$016\r", "!050A00\r"}}},
    {"AsciiOutputsKeepFourRelays", {kAscii}, {{"#0100FF\r", ">\r"}, {"$016\r", "!0F0A00\r"}}},
    {"RtuWriteCoilsThenReadBack", {kRtu},
     {{"01 0F 00 00 00 04 01 09 FE 90", "01 0F 00 00 00 04 54 08"},
      {"01 01 00 00 00 04 3D C9", "01 01 01 09 91 8E"},
      {"01 02 00 00 00 04 79 C9", "01 02 01 0A 21 8F"}}},
    {"AsciiSettingsToChk", {kAscii},
     {{"%0102400640\r", "!02\r"}, {"$01M\r", {}}, {"$02M\r", {}}, {"$02MD3\r", "!02465254\r"}}},
    {"ChkSettingsReplyCarriesOldChecksum", {kChk},
     {{"%010240064016\r", "!0283\r"}, {"$02MD3\r", "!02465254\r"}}},
    {"AsciiSettingsRefusedForUnknownBaudCode", {kAscii},
     {{"%0102400C40\r", "?02\r"}, {"$01M\r", "!014652\r"}}},
    {"AsciiSettingsNewBaudTakesEffect", {kAscii},
     {{"%0101400700\r", "!01\r"}, {"$01M\r", {}, 9600}, {"$01M\r", "!014652\r", 19200}}},
    {"AsciiSettingsToRtu", {kAscii},
     {{"%0101400604\r", "!01\r"}, {"$01M\r", {}},
      {"01 46 00 12 60", "01 46 00 00 46 52 00 D9 D3"}}},
    // Step 2 goes to the new address and is answered there.
    {"RtuTwoStepSettings", {kRtu},
     {{"01 46 04 02 00 00 00 F5 1E", "02 46 04 00 00 00 00 C7 A6"},
      {"02 46 06 00 06 00 00 00 00 01 00 A3 A7", "02 46 06 00 00 00 00 00 00 00 00 C4 37"},
      {"02 46 00 E2 60", {}}, {"$02MD3\r", "!02465254\r"}}},
    {"RtuNewBaudAfterReply", {"02,4652,rtu,9600"},
     {{"02 46 06 00 07 00 00 00 01 00 00 E3 37", "02 46 06 00 00 00 00 00 00 00 00 C4 37"},
      {"02 46 00 E2 60", {}, 9600}, {"02 46 00 E2 60", "02 46 00 00 46 52 00 EA D3", 19200}}},
    {"RtuIllegalNewAddress", {kRtu},
     {{"01 46 04 00 00 00 00 F4 A6", "01 C6 03 33 A1"},
      {"01 46 00 12 60", "01 46 00 00 46 52 00 D9 D3"}}},
    {"RtuIllegalProtocolBytes", {"02,4652,rtu,9600"},
     {{"02 46 06 00 06 00 00 00 00 02 00 A3 57", "02 C6 03 C3 A1"},
      {"02 46 00 E2 60", "02 46 00 00 46 52 00 EA D3"}}},
    {"BaudMismatchIsSilentAndChangesNothing", {"01,4652,ascii,19200"},
     {{"#010005\r", {}, 9600}, {"$016\r", "!000A00\r", 19200}}},
    {"Silent", {kAscii}, {{"$01M\r", {}}}, {"01:silent"}},
    {"SilentOtherAddress", {kAscii}, {{"$01M\r", "!014652\r", 9600, {1000}}}, {"02:silent"}},
    {"BadsumChk", {kChk}, {{"$01MD2\r", "!01465254\r"}}, {"01:badsum"}},
    {"BadsumRtu", {kRtu}, {{"01 46 00 12 60", "01 46 00 00 46 52 00 26 D3"}}, {"01:badsum"}},
    {"Extra", {kAscii}, {{"$01M\r", "!014652\rUUU", 9600, {1000}}}, {"01:extra=3"}},
    {"Delay", {kAscii}, {{"$01M\r", "!014652\r", 9600, {1300}}}, {"01:delay=300"}},
    {"Split", {kAscii}, {{"$01M\r", "!014652\r", 9600, {1000, 1050}}}, {"01:split=50"}},
    {"Cut", {kAscii}, {{"$01M\r", "!01465"}}, {"01:cut=2"}},
    {"CutAll", {kAscii}, {{"$01M\r", {}}}, {"01:cut=20"}},
    {"FromChk", {kChk}, {{"%010240064016\r", "!0788\r"}}, {"01:from=07"}},
    {"RefuseChk", {kChk}, {{"%010240064016\r", "?02A1\r"}}, {"01:refuse=01"}},
    {"RefuseRtu", {kRtu}, {{"01 46 04 02 00 00 00 F5 1E", "02 C6 03 C3 A1"}}, {"01:refuse=03"}},
};
// clang-format on

// Everything the bus answers to chunks of bytes written at the given times.
Bytes FeedAll(Bus& bus, const std::vector<std::pair<const char*, int64_t>>& chunks,
              std::vector<int64_t>* due = nullptr, uint32_t baud = 9600)
{
    Bytes all;
    for (const auto& chunk : chunks)
    {
        std::vector<Emission> out;
        const Bytes bytes = F(chunk.first);
        bus.feed(bytes.data(), bytes.size(), baud, chunk.second, out);
        for (const Emission& e : out)
        {
            all.insert(all.end(), e.bytes.begin(), e.bytes.end());
            if (due)
                due->push_back(e.dueMs);
        }
    }
    return all;
}

TEST(SimBus, EachStepGetsItsReply)
{
    for (const ConversationCase& c : kConversationCases)
    {
        SCOPED_TRACE(c.name);
        Bus bus;
        MakeBus(bus, c.modules);
        bus.setInputs(0x01, c.inputs);
        std::string error;
        for (const std::string& rule : c.faults)
            ASSERT_TRUE(bus.addFault(rule, error)) << error;
        for (size_t i = 0; i < c.steps.size(); ++i)
        {
            const Step& step = c.steps[i];
            std::vector<int64_t> due;
            EXPECT_EQ(Hex(FeedAll(bus, {{step.request, 1000}}, &due, step.baud)), Hex(F(step.reply)))
                << "step " << i;
            EXPECT_TRUE(step.dueMs.empty() || due == step.dueMs) << "step " << i;
        }
    }
}

TEST(SimAnalog, HeldValuesInAsciiAndRtu)
{
    Bus bus;
    MakeBus(bus, {"05,4624,ascii,9600", "05,4624,rtu,9600"});
    const double values[8] = {12.345, 20.0, 0.0, 4.0, 10.0, 0.001, 65.535, 1.0};
    for (unsigned ch = 0; ch < 8; ++ch)
        ASSERT_TRUE(bus.holdAnalog(0x05, ch, values[ch]));
    EXPECT_EQ(Hex(bus.exchange(F("#05\r"), 9600, 1000)),
              Hex(F(">+12.345+20.000+00.000+04.000+10.000+00.001+65.535+01.000\r")));
    EXPECT_EQ(Hex(bus.exchange(F("05 04 00 00 00 08 F0 48"), 9600, 1000)),
              "05 04 10 30 39 4E 20 00 00 0F A0 27 10 00 01 FF FF 03 E8 DF 66");
}

// Noise stands in for a reply the PC cannot read: as long as the reply, and never a CR that
// could end a frame.
void ExpectNoise(const Bytes& reply, size_t size)
{
    ASSERT_EQ(reply.size(), size);
    for (uint8_t b : reply)
        ASSERT_NE(b, '\r');
}

TEST(SimNoise, BaudMismatchAndFlood)
{
    Bus bus;
    bus.setGarbage(true);
    MakeBus(bus, {"01,4652GD,ascii,19200"});
    ExpectNoise(bus.exchange(F("$01M\r"), 9600), 10);
    EXPECT_TRUE(bus.exchange(F("$02M\r"), 9600).empty()); // not its address
    // A settings command it could not really hear changes nothing.
    ExpectNoise(bus.exchange(F("%0102400700\r"), 9600), 4);
    EXPECT_EQ(Hex(bus.exchange(F("$01M\r"), 19200)), Hex(F("!014652GD\r")));
    std::string error;
    ASSERT_TRUE(bus.addFault("01:flood=5000", error)) << error;
    ExpectNoise(bus.exchange(F("$01M\r"), 19200), 5000);
}

// The RTU name query to 02 is 02 46 00 E2 60; its reply 02 46 00 00 46 52 00 EA D3.
struct SplitCase
{
    const char* name;
    std::vector<std::pair<const char*, int64_t>> chunks; // what the PC writes, at a time in ms
    const char* replies;                                 // all the bus answered, in order
};

// clang-format off
const SplitCase kSplitCases[] = {
    {"TwoAsciiFramesInOneWrite", {{"$01M\r$01M\r", 0}}, "!014652\r!014652\r"},
    {"AsciiTornOverTwoWrites", {{"$01", 0}, {"M\r", 5}}, "!014652\r"},
    {"NoiseBeforeAscii", {{"00 55 0A 24 30 31 4D 0D", 0}}, "!014652\r"},
    {"HalfCommandRestartsAtNextLead", {{"$01$01M\r", 0}}, "!014652\r"},
    {"StaleHalfFrameIsDropped", {{"$01", 0}, {"M\r", 600}}, {}},
    {"RtuThenAscii", {{"02 46 00 E2 60 24 30 31 4D 0D", 0}},
     "02 46 00 00 46 52 00 EA D3 21 30 31 34 36 35 32 0D"},
    {"RtuTornOverTwoWrites", {{"02 46", 0}, {"00 E2 60", 3}}, "02 46 00 00 46 52 00 EA D3"},
    {"TornAsciiBeforeRtu", {{"24 30 31 02 46 00 E2 60", 0}}, "02 46 00 00 46 52 00 EA D3"},
    {"BadCrcThenGoodFrame", {{"02 46 00 E2 61 02 46 00 E2 60", 0}}, "02 46 00 00 46 52 00 EA D3"},
    {"RtuCoilsCarryingCr", {{"02 0F 00 00 00 04 01 0D BF 46", 0}}, "02 0F 00 00 00 04 54 3B"},
};
// clang-format on

TEST(SimSplitter, AnswersEveryWholeFrame)
{
    for (const SplitCase& c : kSplitCases)
    {
        SCOPED_TRACE(c.name);
        Bus bus;
        MakeBus(bus, {"01,4652,ascii,9600", "02,4652,rtu,9600"});
        EXPECT_EQ(Hex(FeedAll(bus, c.chunks)), Hex(F(c.replies)));
    }
}

// The bus log shows every byte the PC wrote, frames and noise; text without a CR is not kept
// without bound.
TEST(SimSplitter, PiecesCoverEveryByteAndPendingIsBounded)
{
    FrameSplitter splitter;
    std::vector<Piece> pieces;
    const Bytes input = F("55 24 30 31 4D 0D 02 46 00 E2 60 0A");
    splitter.feed(input.data(), input.size(), 0, pieces);
    Bytes seen;
    size_t frames = 0;
    for (const Piece& p : pieces)
    {
        seen.insert(seen.end(), p.raw.begin(), p.raw.end());
        frames += p.isFrame ? 1 : 0;
    }
    seen.insert(seen.end(), input.end() - static_cast<long>(splitter.pending()), input.end());
    EXPECT_EQ(frames, 2u);
    EXPECT_EQ(Hex(seen), Hex(input));
    const Bytes junk(5000, '$');
    splitter.feed(junk.data(), junk.size(), 0, pieces);
    EXPECT_LE(splitter.pending(), FrameSplitter::kMaxPending);
}

} // namespace
