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

// A step of a conversation: request (at t=1000 ms), expected reply (empty: silence), line
// baud, and when given the due time of each piece of the reply.
struct Step
{
    Bytes request;
    Bytes reply;
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

const ConversationCase kConversationCases[] = {
    {"AsciiName", {"01,4652GD,ascii,9600"}, {{S("$01M\r"), S("!014652GD\r")}}},
    {"AsciiNameNoVariant", {"1F,4652,ascii,9600"}, {{S("$1FM\r"), S("!1F4652\r")}}},
    {"ChkName", {"02,4652,chk,9600"}, {{S("$02MD3\r"), S("!02465254\r")}}},
    {"RtuName",
     {"01,4652GD,rtu,9600"},
     {{S("\x01\x46\x00\x12\x60"), S("\x01\x46\x00\x00\x46\x52\x03\x99\xD2")}}},
    {"AsciiModuleIgnoresChkQuery", {kAscii}, {{S("$01MD2\r"), {}}}},
    {"ChkModuleIgnoresPlainQuery", {kChk}, {{S("$01M\r"), {}}}},
    {"ChkModuleIgnoresBadChecksum", {kChk}, {{S("$01MD3\r"), {}}}},
    {"AsciiModuleIgnoresRtuQuery", {kAscii}, {{S("\x01\x46\x00\x12\x60"), {}}}},
    {"RtuModuleIgnoresBadCrc", {kRtu}, {{S("\x01\x46\x00\x12\x61"), {}}}},
    {"OtherAddressIsSilent", {kAscii}, {{S("$02M\r"), {}}}},
    {"SameAddressTwoProtocols", {kAscii, kChk}, {{S("$01M\r"), S("!014652\r")}}},
    {"ChkPoll4652", {kChk}, {{S("$016BB\r"), S("!000A0052\r")}}},
    {"InputOnlyEightInputs", {"01,4618,ascii,9600"}, {{S("$016\r"), S("!00A500\r")}}, {}, 0xA5},
    {"InputOnlyEightInputsRtu",
     {"01,4618,rtu,9600"},
     {{S("\x01\x02\x00\x00\x00\x08\x79\xCC"), S("\x01\x02\x01\xA5\x61\xF3")}},
     {},
     0xA5},
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
    {"Silent", {kAscii}, {{S("$01M\r"), {}}}, {"01:silent"}},
    {"SilentOtherAddress", {kAscii}, {{S("$01M\r"), S("!014652\r"), 9600, {1000}}}, {"02:silent"}},
    {"BadsumChk", {kChk}, {{S("$01MD2\r"), S("!01465254\r")}}, {"01:badsum"}},
    {"BadsumRtu",
     {kRtu},
     {{S("\x01\x46\x00\x12\x60"), S("\x01\x46\x00\x00\x46\x52\x00\x26\xD3")}},
     {"01:badsum"}},
    {"Extra", {kAscii}, {{S("$01M\r"), S("!014652\rUUU"), 9600, {1000}}}, {"01:extra=3"}},
    {"Delay", {kAscii}, {{S("$01M\r"), S("!014652\r"), 9600, {1300}}}, {"01:delay=300"}},
    {"Split", {kAscii}, {{S("$01M\r"), S("!014652\r"), 9600, {1000, 1050}}}, {"01:split=50"}},
    {"Cut", {kAscii}, {{S("$01M\r"), S("!01465")}}, {"01:cut=2"}},
    {"CutAll", {kAscii}, {{S("$01M\r"), {}}}, {"01:cut=20"}},
    {"FromChk", {kChk}, {{S("%010240064016\r"), S("!0788\r")}}, {"01:from=07"}},
    {"RefuseChk", {kChk}, {{S("%010240064016\r"), S("?02A1\r")}}, {"01:refuse=01"}},
    {"RefuseRtu",
     {kRtu},
     {{S("\x01\x46\x04\x02\x00\x00\x00\xF5\x1E"), S("\x02\xC6\x03\xC3\xA1")}},
     {"01:refuse=03"}},
};

// Everything the bus answers to chunks of bytes written at the given times.
Bytes FeedAll(Bus& bus, const std::vector<std::pair<Bytes, int64_t>>& chunks,
              std::vector<int64_t>* due = nullptr, uint32_t baud = 9600)
{
    Bytes all;
    for (const auto& chunk : chunks)
    {
        std::vector<Emission> out;
        bus.feed(chunk.first.data(), chunk.first.size(), baud, chunk.second, out);
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
            EXPECT_EQ(Hex(FeedAll(bus, {{step.request, 1000}}, &due, step.baud)), Hex(step.reply))
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
    EXPECT_EQ(Hex(bus.exchange(S("#05\r"), 9600, 1000)),
              Hex(S(">+12.345+20.000+00.000+04.000+10.000+00.001+65.535+01.000\r")));
    EXPECT_EQ(Hex(bus.exchange(S("\x05\x04\x00\x00\x00\x08\xF0\x48"), 9600, 1000)),
              Hex(S("\x05\x04\x10\x30\x39\x4E\x20\x00\x00\x0F\xA0\x27\x10\x00\x01\xFF\xFF\x03\xE8"
                    "\xDF\x66")));
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
    ExpectNoise(bus.exchange(S("$01M\r"), 9600), 10);
    EXPECT_TRUE(bus.exchange(S("$02M\r"), 9600).empty()); // not its address
    // A settings command it could not really hear changes nothing.
    ExpectNoise(bus.exchange(S("%0102400700\r"), 9600), 4);
    EXPECT_EQ(Hex(bus.exchange(S("$01M\r"), 19200)), Hex(S("!014652GD\r")));
    std::string error;
    ASSERT_TRUE(bus.addFault("01:flood=5000", error)) << error;
    ExpectNoise(bus.exchange(S("$01M\r"), 19200), 5000);
}

// The RTU name query to 02 is 02 46 00 E2 60; its reply 02 46 00 00 46 52 00 EA D3.
struct SplitCase
{
    const char* name;
    std::vector<std::pair<Bytes, int64_t>> chunks; // bytes the PC writes, at a time in ms
    Bytes replies;                                 // everything the bus answered, in order
};

const SplitCase kSplitCases[] = {
    {"TwoAsciiFramesInOneWrite", {{S("$01M\r$01M\r"), 0}}, S("!014652\r!014652\r")},
    {"AsciiTornOverTwoWrites", {{S("$01"), 0}, {S("M\r"), 5}}, S("!014652\r")},
    {"NoiseBeforeAscii", {{S("\x00\x55\x0A$01M\r"), 0}}, S("!014652\r")},
    {"HalfCommandRestartsAtNextLead", {{S("$01$01M\r"), 0}}, S("!014652\r")},
    {"StaleHalfFrameIsDropped", {{S("$01"), 0}, {S("M\r"), 600}}, {}},
    {"RtuThenAscii",
     {{S("\x02\x46\x00\xE2\x60$01M\r"), 0}},
     S("\x02\x46\x00\x00\x46\x52\x00\xEA\xD3!014652\r")},
    {"RtuTornOverTwoWrites",
     {{S("\x02\x46"), 0}, {S("\x00\xE2\x60"), 3}},
     S("\x02\x46\x00\x00\x46\x52\x00\xEA\xD3")},
    {"TornAsciiBeforeRtu",
     {{S("$01\x02\x46\x00\xE2\x60"), 0}},
     S("\x02\x46\x00\x00\x46\x52\x00\xEA\xD3")},
    {"BadCrcThenGoodFrame",
     {{S("\x02\x46\x00\xE2\x61\x02\x46\x00\xE2\x60"), 0}},
     S("\x02\x46\x00\x00\x46\x52\x00\xEA\xD3")},
    {"RtuCoilsCarryingCr",
     {{S("\x02\x0F\x00\x00\x00\x04\x01\x0D\xBF\x46"), 0}},
     S("\x02\x0F\x00\x00\x00\x04\x54\x3B")},
};

TEST(SimSplitter, AnswersEveryWholeFrame)
{
    for (const SplitCase& c : kSplitCases)
    {
        SCOPED_TRACE(c.name);
        Bus bus;
        MakeBus(bus, {"01,4652,ascii,9600", "02,4652,rtu,9600"});
        EXPECT_EQ(Hex(FeedAll(bus, c.chunks)), Hex(c.replies));
    }
}

// The bus log shows every byte the PC wrote, frames and noise; text without a CR is not kept
// without bound.
TEST(SimSplitter, PiecesCoverEveryByteAndPendingIsBounded)
{
    FrameSplitter splitter;
    std::vector<Piece> pieces;
    const Bytes input = S("\x55$01M\r\x02\x46\x00\xE2\x60\x0A");
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
