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

// The RTU name query to 02 is 02 46 00 E2 60; its reply 02 46 00 00 46 52 00 EA D3.
const SplitCase kSplitCases[] = {
    {"TwoAsciiFramesInOneWrite", {{S("$01M\r$01M\r"), 0}}, S("!014652\r!014652\r")},
    {"AsciiTornOverTwoWrites", {{S("$01"), 0}, {S("M\r"), 5}}, S("!014652\r")},
    {"NoiseBeforeAscii", {{S("\x00\x55\x0A$01M\r"), 0}}, S("!014652\r")},
    {"HalfCommandRestartsAtNextLead", {{S("$01$01M\r"), 0}}, S("!014652\r")},
    {"StaleHalfFrameIsDropped", {{S("$01"), 0}, {S("M\r"), 600}}, {}},
    {"RtuThenAscii",
     {{S("\x02\x46\x00\xE2\x60$01M\r"), 0}},
     S("\x02\x46\x00\x00\x46\x52\x00\xEA\xD3!014652\r")},
    {"AsciiThenRtu",
     {{S("$01M\r\x02\x46\x00\xE2\x60"), 0}},
     S("!014652\r\x02\x46\x00\x00\x46\x52\x00\xEA\xD3")},
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
        Bytes all;
        for (const Chunk& chunk : c.chunks)
        {
            std::vector<Emission> out;
            bus.feed(chunk.bytes.data(), chunk.bytes.size(), 9600, chunk.atMs, out);
            for (const Emission& e : out)
                all.insert(all.end(), e.bytes.begin(), e.bytes.end());
        }
        EXPECT_EQ(Hex(all), Hex(c.replies));
    }
}

TEST(SimSplitter, LogPiecesCoverEveryByte)
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
