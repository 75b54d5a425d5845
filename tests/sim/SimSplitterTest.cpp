// How the simulator cuts the PC's byte stream into frames: several frames per write, a
// frame torn over two writes, noise in front, a half frame left behind, and RTU frames
// that carry CR bytes.
#include "SimTestUtil.h"

using namespace vqsim;
using namespace vqsim_test;

namespace
{

struct Chunk
{
    Bytes bytes;
    int64_t atMs;
};

struct SplitCase
{
    const char* name;
    std::vector<Chunk> chunks;
    Bytes replies; // everything the bus answered, in order
};

class SplitTest : public ::testing::TestWithParam<SplitCase>
{
};

TEST_P(SplitTest, AnswersEveryWholeFrame)
{
    Bus bus;
    MakeBus(bus, {"01,4652,ascii,9600", "02,4652,rtu,9600"});
    Bytes all;
    for (const Chunk& chunk : GetParam().chunks)
    {
        std::vector<Emission> out;
        bus.feed(chunk.bytes.data(), chunk.bytes.size(), 9600, chunk.atMs, out);
        for (const Emission& e : out)
            all.insert(all.end(), e.bytes.begin(), e.bytes.end());
    }
    EXPECT_EQ(Hex(all), Hex(GetParam().replies));
}

const Bytes kRtuName02 = B({0x02, 0x46, 0x00, 0xE2, 0x60});
const Bytes kRtuReply02 = B({0x02, 0x46, 0x00, 0x00, 0x46, 0x52, 0x00, 0xEA, 0xD3});

Bytes Cat(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const Bytes& p : parts)
        out.insert(out.end(), p.begin(), p.end());
    return out;
}

const SplitCase kSplitCases[] = {
    {"TwoAsciiFramesInOneWrite", {{S("$01M\r$01M\r"), 0}}, S("!014652\r!014652\r")},
    {"AsciiTornOverTwoWrites", {{S("$01"), 0}, {S("M\r"), 5}}, S("!014652\r")},
    {"NoiseBeforeAscii", {{Cat({B({0x00, 0x55, 0x0A}), S("$01M\r")}), 0}}, S("!014652\r")},
    {"HalfCommandRestartsAtNextLead", {{S("$01$01M\r"), 0}}, S("!014652\r")},
    {"StaleHalfFrameIsDropped", {{S("$01"), 0}, {S("M\r"), 600}}, {}},
    {"RtuThenAsciiInOneWrite",
     {{Cat({kRtuName02, S("$01M\r")}), 0}},
     Cat({kRtuReply02, S("!014652\r")})},
    {"AsciiThenRtuInOneWrite",
     {{Cat({S("$01M\r"), kRtuName02}), 0}},
     Cat({S("!014652\r"), kRtuReply02})},
    {"RtuTornOverTwoWrites", {{B({0x02, 0x46}), 0}, {B({0x00, 0xE2, 0x60}), 3}}, kRtuReply02},
    {"TornAsciiBeforeRtu", {{Cat({S("$01"), kRtuName02}), 0}}, kRtuReply02},
    {"BadCrcThenGoodFrame",
     {{Cat({B({0x02, 0x46, 0x00, 0xE2, 0x61}), kRtuName02}), 0}},
     kRtuReply02},
    {"RtuCoilsCarryingCr",
     {{B({0x02, 0x0F, 0x00, 0x00, 0x00, 0x04, 0x01, 0x0D, 0xBF, 0x46}), 0}},
     B({0x02, 0x0F, 0x00, 0x00, 0x00, 0x04, 0x54, 0x3B})},
};

INSTANTIATE_TEST_SUITE_P(Sim, SplitTest, ::testing::ValuesIn(kSplitCases),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SimSplitter, LogPiecesCoverEveryByte)
{
    FrameSplitter splitter;
    std::vector<Piece> pieces;
    const Bytes input = Cat({B({0x55}), S("$01M\r"), kRtuName02, B({0x0A})});
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
}

TEST(SimSplitter, EndlessTextWithoutCrIsBounded)
{
    FrameSplitter splitter;
    std::vector<Piece> pieces;
    const Bytes junk(5000, '$');
    splitter.feed(junk.data(), junk.size(), 0, pieces);
    EXPECT_LE(splitter.pending(), FrameSplitter::kMaxPending);
}

} // namespace
