// Every frame builder against literal frames. CRCs were worked out with a separate
// bit-by-bit CRC-16/MODBUS script; checksums are byte sums done by hand.
#include "protocol/FrameBuilder.h"
#include "protocol/Protocol.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

namespace
{

using Bytes = std::vector<uint8_t>;

Bytes fnText(const char* pchText)
{
    return Bytes(pchText, pchText + std::strlen(pchText));
}

struct BuilderCase
{
    const char* pchName;
    std::function<uint32_t(uint8_t*)> fnBuild;
    Bytes vecExpected; // empty: the builder must write nothing
};

TEST(FrameBuilder, GoldenFrames)
{
    const BuilderCase aCases[] = {
        // Name query.
        {"name ascii 01", [](uint8_t* p) { return fnBuildNameQuery(1, 0x01, p); },
         fnText("$01M\r")},
        {"name chk 01", [](uint8_t* p) { return fnBuildNameQuery(2, 0x01, p); },
         fnText("$01MD2\r")},
        {"name chk FF", [](uint8_t* p) { return fnBuildNameQuery(2, 0xFF, p); },
         fnText("$FFMFD\r")},
        {"name chk 1F", [](uint8_t* p) { return fnBuildNameQuery(2, 0x1F, p); },
         fnText("$1FME8\r")},
        {"name rtu 01",
         [](uint8_t* p) { return fnBuildNameQuery(3, 0x01, p); },
         {0x01, 0x46, 0x00, 0x12, 0x60}},
        {"name rtu FF",
         [](uint8_t* p) { return fnBuildNameQuery(3, 0xFF, p); },
         {0xFF, 0x46, 0x00, 0x73, 0x90}},
        {"name modbus ascii", [](uint8_t* p) { return fnBuildNameQuery(4, 0x01, p); }, {}},
        {"name unknown id", [](uint8_t* p) { return fnBuildNameQuery(0, 0x01, p); }, {}},
        // Settings.
        {"set ascii", [](uint8_t* p) { return fnBuildSettingsAscii(1, 0x01, 0x02, 3, 1, p); },
         fnText("%0102400640\r")},
        {"set chk", [](uint8_t* p) { return fnBuildSettingsAscii(2, 0x01, 0x02, 3, 1, p); },
         fnText("%010240064016\r")},
        {"set chk 115200 rtu",
         [](uint8_t* p) { return fnBuildSettingsAscii(2, 0xFF, 0x0A, 7, 2, p); },
         fnText("%FF0A400A045B\r")},
        {"set ascii 1200 plain",
         [](uint8_t* p) { return fnBuildSettingsAscii(1, 0x10, 0xAB, 0, 0, p); },
         fnText("%10AB400300\r")},
        {"set ascii bad baud sends 9600",
         [](uint8_t* p) { return fnBuildSettingsAscii(1, 0x10, 0xAB, 9, 0, p); },
         fnText("%10AB400600\r")},
        {"set ascii on rtu module",
         [](uint8_t* p) { return fnBuildSettingsAscii(3, 0x01, 0x02, 3, 1, p); },
         {}},
        {"set ascii on modbus ascii",
         [](uint8_t* p) { return fnBuildSettingsAscii(4, 0x01, 0x02, 3, 1, p); },
         {}},
        {"set rtu address",
         [](uint8_t* p) { return fnBuildSettingsRtuAddress(0x01, 0x02, p); },
         {0x01, 0x46, 0x04, 0x02, 0x00, 0x00, 0x00, 0xF5, 0x1E}},
        {"set rtu address 7F->FE",
         [](uint8_t* p) { return fnBuildSettingsRtuAddress(0x7F, 0xFE, p); },
         {0x7F, 0x46, 0x04, 0xFE, 0x00, 0x00, 0x00, 0x5B, 0x49}},
        {"set rtu baud chk",
         [](uint8_t* p) { return fnBuildSettingsRtuBaud(0x02, 3, 1, p); },
         {0x02, 0x46, 0x06, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0xA3, 0xA7}},
        {"set rtu baud 115200 rtu",
         [](uint8_t* p) { return fnBuildSettingsRtuBaud(0x10, 7, 2, p); },
         {0x10, 0x46, 0x06, 0x00, 0x0A, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x60, 0x8F}},
        {"set rtu baud 1200 ascii",
         [](uint8_t* p) { return fnBuildSettingsRtuBaud(0x10, 0, 0, p); },
         {0x10, 0x46, 0x06, 0x00, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xA8, 0x4F}},
        // Digital IO.
        {"poll ascii",
         [](uint8_t* p) { return fnBuildDigitalPollAscii(1, 0x01, p); },
         {0x24, 0x30, 0x31, 0x36, 0x0D}},
        {"poll chk", [](uint8_t* p) { return fnBuildDigitalPollAscii(2, 0x01, p); },
         fnText("$016BB\r")},
        {"poll chk A5", [](uint8_t* p) { return fnBuildDigitalPollAscii(2, 0xA5, p); },
         fnText("$A56D0\r")},
        {"poll on rtu", [](uint8_t* p) { return fnBuildDigitalPollAscii(3, 0x01, p); }, {}},
        {"read coils",
         [](uint8_t* p) { return fnBuildReadBitsRtu(0x01, 0x01, 4, p); },
         {0x01, 0x01, 0x00, 0x00, 0x00, 0x04, 0x3D, 0xC9}},
        {"read inputs 4652",
         [](uint8_t* p) { return fnBuildReadBitsRtu(0x01, 0x02, 4, p); },
         {0x01, 0x02, 0x00, 0x00, 0x00, 0x04, 0x79, 0xC9}},
        {"read inputs 4618",
         [](uint8_t* p) { return fnBuildReadBitsRtu(0x01, 0x02, 8, p); },
         {0x01, 0x02, 0x00, 0x00, 0x00, 0x08, 0x79, 0xCC}},
        {"write ascii", [](uint8_t* p) { return fnBuildWriteOutputsAscii(1, 0x01, 0x05, p); },
         fnText("#010005\r")},
        {"write chk", [](uint8_t* p) { return fnBuildWriteOutputsAscii(2, 0x01, 0x05, p); },
         fnText("#01000549\r")},
        {"write chk FF", [](uint8_t* p) { return fnBuildWriteOutputsAscii(2, 0xFF, 0xFF, p); },
         fnText("#FF00FF9B\r")},
        {"write on modbus ascii",
         [](uint8_t* p) { return fnBuildWriteOutputsAscii(4, 0x01, 0x05, p); },
         {}},
        {"write coils",
         [](uint8_t* p) { return fnBuildWriteCoilsRtu(0x01, 0x05, p); },
         {0x01, 0x0F, 0x00, 0x00, 0x00, 0x04, 0x01, 0x05, 0xFE, 0x95}},
        // Analog.
        {"analog ascii", [](uint8_t* p) { return fnBuildAnalogPoll(1, 0x03, p); }, fnText("#03\r")},
        {"analog chk", [](uint8_t* p) { return fnBuildAnalogPoll(2, 0x03, p); }, fnText("#0386\r")},
        {"analog chk A5", [](uint8_t* p) { return fnBuildAnalogPoll(2, 0xA5, p); },
         fnText("#A599\r")},
        {"analog rtu",
         [](uint8_t* p) { return fnBuildAnalogPoll(3, 0x01, p); },
         {0x01, 0x04, 0x00, 0x00, 0x00, 0x08, 0xF1, 0xCC}},
        {"analog rtu A5",
         [](uint8_t* p) { return fnBuildAnalogPoll(3, 0xA5, p); },
         {0xA5, 0x04, 0x00, 0x00, 0x00, 0x08, 0xE8, 0xE8}},
        {"analog modbus ascii", [](uint8_t* p) { return fnBuildAnalogPoll(4, 0x01, p); }, {}},
    };
    for (const BuilderCase& stCase : aCases)
    {
        SCOPED_TRACE(stCase.pchName);
        uint8_t abyFrame[FRAME_MAX + 1];
        std::memset(abyFrame, 0xEE, sizeof abyFrame);
        const uint32_t dwLen = stCase.fnBuild(abyFrame);
        ASSERT_EQ(stCase.vecExpected.size(), dwLen);
        EXPECT_EQ(stCase.vecExpected, Bytes(abyFrame, abyFrame + dwLen));
        EXPECT_EQ(0xEE, abyFrame[dwLen]) << "wrote past the frame";
    }
}

} // namespace
