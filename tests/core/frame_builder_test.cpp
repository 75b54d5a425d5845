// Every frame builder against literal frames written out from the command tables. CRCs were
// worked out with a separate bit-by-bit CRC-16/MODBUS script; checksums are byte sums done by
// hand. An empty frame means the builder must write nothing.
#include "protocol/FrameBuilder.h"
#include "protocol/Protocol.h"
#include "tests/core/TestBytes.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{

struct BuilderCase
{
    const char* pchCall;
    uint32_t (*pfnBuild)(uint8_t*);
    Bytes vecExpected;
};

#define FRAME(call, frame)                                                                         \
    {                                                                                              \
#call, [](uint8_t * p) { return call; }, fnBytes(frame)                                    \
    }

TEST(FrameBuilder, GoldenFrames)
{
    const BuilderCase aCases[] = {
        FRAME(fnBuildNameQuery(1, 0x01, p), "$01M\r"),
        FRAME(fnBuildNameQuery(2, 0x01, p), "$01MD2\r"),
        FRAME(fnBuildNameQuery(2, 0xFF, p), "$FFMFD\r"),
        FRAME(fnBuildNameQuery(2, 0x1F, p), "$1FME8\r"),
        FRAME(fnBuildNameQuery(3, 0x01, p), "\x01\x46\x00\x12\x60"),
        FRAME(fnBuildNameQuery(3, 0xFF, p), "\xFF\x46\x00\x73\x90"),
        FRAME(fnBuildNameQuery(4, 0x01, p), ""),
        FRAME(fnBuildNameQuery(0, 0x01, p), ""),
        FRAME(fnBuildSettingsAscii(1, 0x01, 0x02, 3, 1, p), "%0102400640\r"),
        FRAME(fnBuildSettingsAscii(2, 0x01, 0x02, 3, 1, p), "%010240064016\r"),
        FRAME(fnBuildSettingsAscii(2, 0xFF, 0x0A, 7, 2, p), "%FF0A400A045B\r"),
        FRAME(fnBuildSettingsAscii(1, 0x10, 0xAB, 0, 0, p), "%10AB400300\r"),
        FRAME(fnBuildSettingsAscii(1, 0x10, 0xAB, 9, 0, p), "%10AB400600\r"), // bad baud: 9600
        FRAME(fnBuildSettingsAscii(3, 0x01, 0x02, 3, 1, p), ""),
        FRAME(fnBuildSettingsAscii(4, 0x01, 0x02, 3, 1, p), ""),
        FRAME(fnBuildSettingsRtuAddress(0x01, 0x02, p), "\x01\x46\x04\x02\x00\x00\x00\xF5\x1E"),
        FRAME(fnBuildSettingsRtuAddress(0x7F, 0xFE, p), "\x7F\x46\x04\xFE\x00\x00\x00\x5B\x49"),
        FRAME(fnBuildSettingsRtuBaud(0x02, 3, 1, p),
              "\x02\x46\x06\x00\x06\x00\x00\x00\x00\x01\x00\xA3\xA7"),
        FRAME(fnBuildSettingsRtuBaud(0x10, 7, 2, p),
              "\x10\x46\x06\x00\x0A\x00\x00\x00\x01\x00\x00\x60\x8F"),
        FRAME(fnBuildSettingsRtuBaud(0x10, 0, 0, p),
              "\x10\x46\x06\x00\x03\x00\x00\x00\x00\x00\x00\xA8\x4F"),
        FRAME(fnBuildDigitalPollAscii(1, 0x01, p), "$016\r"),
        FRAME(fnBuildDigitalPollAscii(2, 0x01, p), "$016BB\r"),
        FRAME(fnBuildDigitalPollAscii(2, 0xA5, p), "$A56D0\r"),
        FRAME(fnBuildDigitalPollAscii(3, 0x01, p), ""),
        FRAME(fnBuildReadBitsRtu(0x01, 0x01, 4, p), "\x01\x01\x00\x00\x00\x04\x3D\xC9"),
        FRAME(fnBuildReadBitsRtu(0x01, 0x02, 4, p), "\x01\x02\x00\x00\x00\x04\x79\xC9"),
        FRAME(fnBuildReadBitsRtu(0x01, 0x02, 8, p), "\x01\x02\x00\x00\x00\x08\x79\xCC"),
        FRAME(fnBuildWriteOutputsAscii(1, 0x01, 0x05, p), "#010005\r"),
        FRAME(fnBuildWriteOutputsAscii(2, 0x01, 0x05, p), "#01000549\r"),
        FRAME(fnBuildWriteOutputsAscii(2, 0xFF, 0xFF, p), "#FF00FF9B\r"),
        FRAME(fnBuildWriteOutputsAscii(4, 0x01, 0x05, p), ""),
        FRAME(fnBuildWriteCoilsRtu(0x01, 0x05, p), "\x01\x0F\x00\x00\x00\x04\x01\x05\xFE\x95"),
        FRAME(fnBuildAnalogPoll(1, 0x03, p), "#03\r"),
        FRAME(fnBuildAnalogPoll(2, 0x03, p), "#0386\r"),
        FRAME(fnBuildAnalogPoll(2, 0xA5, p), "#A599\r"),
        FRAME(fnBuildAnalogPoll(3, 0x01, p), "\x01\x04\x00\x00\x00\x08\xF1\xCC"),
        FRAME(fnBuildAnalogPoll(3, 0xA5, p), "\xA5\x04\x00\x00\x00\x08\xE8\xE8"),
        FRAME(fnBuildAnalogPoll(4, 0x01, p), ""),
    };
    for (const BuilderCase& stCase : aCases)
    {
        SCOPED_TRACE(stCase.pchCall);
        uint8_t abyFrame[FRAME_MAX + 1];
        std::memset(abyFrame, 0xEE, sizeof abyFrame);
        const uint32_t dwLen = stCase.pfnBuild(abyFrame);
        ASSERT_EQ(stCase.vecExpected.size(), dwLen);
        EXPECT_EQ(stCase.vecExpected, Bytes(abyFrame, abyFrame + dwLen));
        EXPECT_EQ(0xEE, abyFrame[dwLen]) << "wrote past the frame";
    }
}

#undef FRAME

} // namespace
