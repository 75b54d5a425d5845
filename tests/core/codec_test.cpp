// Hex text, checksum and CRC conversions against hand-written expectations.
#include "protocol/Codec.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
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

TEST(Codec, HexTextStopsAtOutputSize)
{
    uint32_t dwCount = 7;
    // A fifth pair would overrun a four-byte output: ends as too long, nothing written past it.
    uint8_t abyGuard[6] = {0, 0, 0, 0, 0x5A, 0x5A};
    EXPECT_EQ(HexTextTooLong, fnHexTextToBytes("01 02 03 04 05", abyGuard, &dwCount, 64, 4));
    EXPECT_EQ(0u, dwCount);
    EXPECT_EQ(0x04, abyGuard[3]);
    EXPECT_EQ(0x5A, abyGuard[4]);
}

TEST(Codec, HexPairs)
{
    // Every byte renders as two uppercase digits that read back, in either case, as the byte.
    uint8_t abyAll[256];
    std::string strExpected;
    for (int i = 0; i < 256; ++i)
    {
        abyAll[i] = static_cast<uint8_t>(i);
        char achRef[4];
        std::snprintf(achRef, sizeof achRef, "%02X", i);
        char achOut[3] = {'x', 'x', 'x'};
        fnByteToHex2(abyAll[i], achOut);
        ASSERT_STREQ(achRef, achOut);
        strExpected += std::string(achRef) + " ";
        std::snprintf(achRef, sizeof achRef, "%02x", i);
        uint8_t byBack = 0;
        ASSERT_TRUE(fnIsHexPair(achRef) && fnHexPairToByte(achRef, &byBack) && byBack == i) << i;
    }
    std::vector<char> vecText(3 * 256 + 2, 'x');
    fnBytesToHexText(abyAll, 256, vecText.data());
    EXPECT_EQ(strExpected, std::string(vecText.data()));
    EXPECT_EQ('x', vecText[3 * 256 + 1]);
    fnBytesToHexText(nullptr, 0, vecText.data());
    EXPECT_STREQ("", vecText.data());

    // ':' follows '9' and '@' precedes 'A'; a refused pair leaves the output alone.
    for (const char* pchPair : {"0x", "g0", "F\0", ":0", "@0", "0G", "`0"})
    {
        uint8_t byOut = 0x55;
        EXPECT_FALSE(fnIsHexPair(pchPair)) << pchPair;
        EXPECT_FALSE(fnHexPairToByte(pchPair, &byOut)) << pchPair;
        EXPECT_EQ(0x55, byOut) << pchPair;
    }
}

TEST(Codec, CheckSum)
{
    // Sums worked out by hand: '!'+'0'+'1'+'4'+'6'+'5'+'2' = 0x153 -> "53".
    const struct
    {
        const char* pchFrame; // without CR
        bool bValid;
    } aCases[] = {
        // The name replies' sums are checked by the module list's reply table.
        {"!014652D97", true}, // 0x197 with 'D'
        {">3E", true},
        {"!01465235", false}, // digits swapped
        {"3E", false},        // no byte before the sum
    };
    for (const auto& stCase : aCases)
    {
        SCOPED_TRACE(stCase.pchFrame);
        EXPECT_EQ(stCase.bValid,
                  fnCheckSumVerify(reinterpret_cast<const uint8_t*>(stCase.pchFrame),
                                   static_cast<uint32_t>(std::strlen(stCase.pchFrame))));
    }
    const uint8_t abyPoll[] = {'$', '0', '1', '6'};
    EXPECT_EQ(0xBB, fnCheckSum(abyPoll, 4));
    const uint8_t abyWrap[] = {0xFF, 0xFF, 0x03};
    EXPECT_EQ(0x01, fnCheckSum(abyWrap, 3));
}

TEST(Codec, Crc16)
{
    const auto fnCrc = [](const std::vector<uint8_t>& vecData)
    {
        uint8_t byHigh = 0;
        uint8_t byLow = 0;
        fnCrc16(vecData.data(), static_cast<uint32_t>(vecData.size()), &byHigh, &byLow);
        return byHigh << 8 | byLow;
    };
    EXPECT_EQ(0x4B37, fnCrc({'1', '2', '3', '4', '5', '6', '7', '8', '9'})); // the check value
    EXPECT_EQ(0x0000, fnCrc({0x01, 0x46, 0x00, 0x12, 0x60}));                // a frame with its CRC
    const uint8_t abyFrame[] = {0x01, 0x46, 0x00, 0x12, 0x60};
    const uint8_t abySwapped[] = {0x01, 0x46, 0x00, 0x60, 0x12};
    EXPECT_TRUE(fnCrc16Valid(abyFrame, 5));
    EXPECT_FALSE(fnCrc16Valid(abySwapped, 5));
    EXPECT_FALSE(fnCrc16Valid(abyFrame, 1));
}

} // namespace
