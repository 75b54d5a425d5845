// Hex text, checksum and CRC conversions against hand-written expectations.
#include "protocol/Codec.h"
#include "tests/core/TestBytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{

TEST(Codec, HexTextToBytes)
{
    const struct
    {
        std::string strText;
        uint32_t dwLimit;
        HexTextStatus eStatus;
        std::vector<uint8_t> vecBytes; // expected bytes for HexTextOk
    } aCases[] = {
        {"1f", 16, HexTextOk, {0x1F}},
        {"1F 2a", 16, HexTextOk, {0x1F, 0x2A}},
        {"1F2A", 16, HexTextOk, {0x1F, 0x2A}},
        {" 1F 2A ", 16, HexTextOk, {0x1F, 0x2A}},
        {"  ", 16, HexTextEmpty, {}},
        {"", 16, HexTextEmpty, {}},
        {"1", 16, HexTextInvalid, {}},
        {"1G", 16, HexTextInvalid, {}},
        {"1 F", 16, HexTextInvalid, {}},
        {"1F zz", 16, HexTextInvalid, {}},
        {":0", 16, HexTextInvalid, {}}, // ':' follows '9', '@' precedes 'A', '`' precedes 'a'
        {"@0", 16, HexTextInvalid, {}},
        {"0`", 16, HexTextInvalid, {}},
        {"0g", 16, HexTextInvalid, {}},
        {"aF 09", 16, HexTextOk, {0xAF, 0x09}},
        {std::string(16, ' ') + "1F", 16, HexTextTooLong, {}},
        {std::string(15, ' ') + "1F", 16, HexTextTooLong, {}}, // the pair straddles the limit
        {"1F2A", 4, HexTextTooLong, {}},                       // NUL exactly at the limit
        {"1F2A", 5, HexTextOk, {0x1F, 0x2A}},
    };
    for (const auto& stCase : aCases)
    {
        SCOPED_TRACE("\"" + stCase.strText + "\" limit " + std::to_string(stCase.dwLimit));
        uint8_t abyOut[16] = {};
        uint32_t dwCount = 99;
        EXPECT_EQ(stCase.eStatus,
                  fnHexTextToBytes(stCase.strText.c_str(), abyOut, &dwCount, stCase.dwLimit, 16));
        ASSERT_EQ(stCase.vecBytes.size(), dwCount);
        EXPECT_EQ(stCase.vecBytes, std::vector<uint8_t>(abyOut, abyOut + dwCount));
    }
}

TEST(Codec, CheckAtTheEndOfAFrame)
{
    // The sums and CRCs themselves are checked by the builders' golden frames.
    const struct
    {
        bool bCrc;
        Bytes vecFrame; // without CR
        bool bValid;
    } aCases[] = {
        {false, fnBytes("!014652D97"), true}, // 0x197 with 'D'
        {false, fnBytes(">3E"), true},
        {false, fnBytes("!01465235"), false}, // digits swapped
        {false, fnBytes("3E"), false},        // no byte before the sum
        {true, fnBytes("\x01\x46\x00\x12\x60"), true},
        {true, fnBytes("\x01\x46\x00\x60\x12"), false}, // CRC bytes swapped
        {true, fnBytes("\x01"), false},
    };
    for (size_t i = 0; i < sizeof aCases / sizeof aCases[0]; ++i)
    {
        const auto pfnValid = aCases[i].bCrc ? fnCrc16Valid : fnCheckSumVerify;
        EXPECT_EQ(aCases[i].bValid, pfnValid(aCases[i].vecFrame.data(), fnSize(aCases[i].vecFrame)))
            << i;
    }
    uint8_t byHigh = 0;
    uint8_t byLow = 0;
    fnCrc16(reinterpret_cast<const uint8_t*>("123456789"), 9, &byHigh, &byLow);
    EXPECT_EQ(0x4B37, byHigh << 8 | byLow); // the CRC-16/MODBUS check value
}

} // namespace
