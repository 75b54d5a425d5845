// Hex text, checksum and CRC conversions against hand-written expectations.
#include "protocol/Codec.h"
#include "protocol/Protocol.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{

struct HexTextCase
{
    const char* pchName;
    std::string strText;
    uint32_t dwLimit;
    HexTextStatus eStatus;
    std::vector<uint8_t> vecBytes; // expected bytes for HexTextOk
};

TEST(Codec, HexTextToBytes)
{
    const HexTextCase aCases[] = {
        {"lowercase pair", "1f", 16, HexTextOk, {0x1F}},
        {"two pairs one lowercase", "1F 2a", 16, HexTextOk, {0x1F, 0x2A}},
        {"no separator", "1F2A", 16, HexTextOk, {0x1F, 0x2A}},
        {"spaces around", " 1F 2A ", 16, HexTextOk, {0x1F, 0x2A}},
        {"two spaces", "  ", 16, HexTextEmpty, {}},
        {"empty", "", 16, HexTextEmpty, {}},
        {"odd digit", "1", 16, HexTextInvalid, {}},
        {"not hex", "1G", 16, HexTextInvalid, {}},
        {"space inside pair", "1 F", 16, HexTextInvalid, {}},
        {"invalid after good pair", "1F zz", 16, HexTextInvalid, {}},
        {"16 spaces then pair", std::string(16, ' ') + "1F", 16, HexTextTooLong, {}},
        {"pair straddles the limit", std::string(15, ' ') + "1F", 16, HexTextTooLong, {}},
        {"NUL exactly at limit", "1F2A", 4, HexTextTooLong, {}},
        {"NUL just below limit", "1F2A", 5, HexTextOk, {0x1F, 0x2A}},
    };
    for (const HexTextCase& stCase : aCases)
    {
        SCOPED_TRACE(stCase.pchName);
        uint8_t abyOut[16] = {};
        uint32_t dwCount = 99;
        EXPECT_EQ(stCase.eStatus,
                  fnHexTextToBytes(stCase.strText.c_str(), abyOut, &dwCount, stCase.dwLimit, 16));
        ASSERT_EQ(stCase.vecBytes.size(), dwCount);
        EXPECT_EQ(stCase.vecBytes, std::vector<uint8_t>(abyOut, abyOut + dwCount));
    }
}

TEST(Codec, HexTextKeepsConvertedBytesOnInvalidAndStopsAtOutputSize)
{
    uint8_t abyOut[4] = {};
    uint32_t dwCount = 7;
    EXPECT_EQ(HexTextInvalid, fnHexTextToBytes("AB CD x", abyOut, &dwCount, 16, 4));
    EXPECT_EQ(0u, dwCount);
    EXPECT_EQ(0xAB, abyOut[0]);
    EXPECT_EQ(0xCD, abyOut[1]);

    // A fifth pair would overrun a four-byte output: ends as too long, nothing written past it.
    uint8_t abyGuard[6] = {0, 0, 0, 0, 0x5A, 0x5A};
    EXPECT_EQ(HexTextTooLong, fnHexTextToBytes("01 02 03 04 05", abyGuard, &dwCount, 64, 4));
    EXPECT_EQ(0u, dwCount);
    EXPECT_EQ(0x04, abyGuard[3]);
    EXPECT_EQ(0x5A, abyGuard[4]);
}

TEST(Codec, HexPairAndByteToHex)
{
    uint8_t byOut = 0x55;
    EXPECT_TRUE(fnHexPairToByte("a0", &byOut));
    EXPECT_EQ(0xA0, byOut);
    byOut = 0;
    EXPECT_TRUE(fnHexPairToByte("A0", &byOut));
    EXPECT_EQ(0xA0, byOut);
    byOut = 0x55;
    EXPECT_FALSE(fnHexPairToByte("0x", &byOut));
    EXPECT_EQ(0x55, byOut);
    EXPECT_FALSE(fnHexPairToByte("g0", &byOut));
    EXPECT_EQ(0x55, byOut);

    EXPECT_TRUE(fnIsHexPair("fF"));
    EXPECT_FALSE(fnIsHexPair("F\0"));
    EXPECT_FALSE(fnIsHexPair(":0")); // ':' follows '9' in ASCII
    EXPECT_FALSE(fnIsHexPair("@0")); // '@' precedes 'A'

    const struct
    {
        uint8_t byValue;
        const char* pchHex;
    } aHex[] = {{0x00, "00"}, {0xFF, "FF"}, {0x3A, "3A"}, {0x0A, "0A"}, {0xB5, "B5"}};
    for (const auto& stCase : aHex)
    {
        char achOut[3] = {'x', 'x', 'x'};
        fnByteToHex2(stCase.byValue, achOut);
        EXPECT_STREQ(stCase.pchHex, achOut);
    }
}

TEST(Codec, BytesToHexText)
{
    char achOut[16];
    std::memset(achOut, 'x', sizeof achOut);
    fnBytesToHexText(nullptr, 0, achOut);
    EXPECT_STREQ("", achOut);
    const uint8_t abyData[] = {0x01, 0xAB, 0x0F};
    fnBytesToHexText(abyData, 3, achOut);
    EXPECT_STREQ("01 AB 0F ", achOut);
}

struct ChecksumCase
{
    const char* pchFrame; // without CR
    bool bValid;
};

TEST(Codec, CheckSumVerify)
{
    // Sums worked out by hand: '!'+'0'+'1'+'4'+'6'+'5'+'2' = 0x153 -> "53".
    const ChecksumCase aCases[] = {
        {"!01465253", true},  {"!014652D97", true}, // 0x197 with 'D'
        {">3E", true},        {"!1F4652GDF4", true},
        {"!1f46378C", true},  {"!1F4652GDf4", false}, // lowercase checksum digit
        {"!01465254", false}, {"!01465235", false},   // digits swapped
    };
    for (const ChecksumCase& stCase : aCases)
    {
        SCOPED_TRACE(stCase.pchFrame);
        EXPECT_EQ(stCase.bValid,
                  fnCheckSumVerify(reinterpret_cast<const uint8_t*>(stCase.pchFrame),
                                   static_cast<uint32_t>(std::strlen(stCase.pchFrame))));
    }
    const uint8_t abyShort[] = {'3', 'E'};
    EXPECT_FALSE(fnCheckSumVerify(abyShort, 2));

    const uint8_t abyPoll[] = {'$', '0', '1', '6'};
    EXPECT_EQ(0xBB, fnCheckSum(abyPoll, 4));
    const uint8_t abyWrap[] = {0xFF, 0xFF, 0x03};
    EXPECT_EQ(0x01, fnCheckSum(abyWrap, 3));
}

TEST(Codec, Crc16)
{
    // Check value of CRC-16/MODBUS over "123456789" is 0x4B37.
    const uint8_t abyCheck[] = {'1', '2', '3', '4', '5', '6', '7', '8', '9'};
    uint8_t byHigh = 0;
    uint8_t byLow = 0;
    fnCrc16(abyCheck, 9, &byHigh, &byLow);
    EXPECT_EQ(0x4B, byHigh);
    EXPECT_EQ(0x37, byLow);

    // Field shows 0A 84 for 01 03 00 00 00 01 (the well-known Read Holding Registers frame).
    const uint8_t abyRead[] = {0x01, 0x03, 0x00, 0x00, 0x00, 0x01};
    fnCrc16(abyRead, 6, &byHigh, &byLow);
    EXPECT_EQ(0x0A, byHigh);
    EXPECT_EQ(0x84, byLow);

    const uint8_t abyFrame[] = {0x01, 0x46, 0x00, 0x12, 0x60};
    fnCrc16(abyFrame, 5, &byHigh, &byLow);
    EXPECT_EQ(0, byHigh);
    EXPECT_EQ(0, byLow);
    EXPECT_TRUE(fnCrc16Valid(abyFrame, 5));
    const uint8_t abySwapped[] = {0x01, 0x46, 0x00, 0x60, 0x12};
    EXPECT_FALSE(fnCrc16Valid(abySwapped, 5));
    EXPECT_FALSE(fnCrc16Valid(abyFrame, 1));
}

TEST(Protocol, TablesAndTexts)
{
    const struct
    {
        uint32_t dwIndex;
        uint32_t dwRate;
        uint8_t byCode;
        const char* pchName;
    } aBaud[] = {{0, 1200, 3, "1200"},   {1, 2400, 4, "2400"},      {2, 4800, 5, "4800"},
                 {3, 9600, 6, "9600"},   {4, 19200, 7, "19200"},    {5, 38400, 8, "38400"},
                 {6, 57600, 9, "57600"}, {7, 115200, 10, "115200"}, {8, 0, 6, ""},
                 {0xFFFFFFFF, 0, 6, ""}};
    for (const auto& stCase : aBaud)
    {
        SCOPED_TRACE(stCase.dwIndex);
        EXPECT_EQ(stCase.dwRate, fnBaudRate(stCase.dwIndex));
        EXPECT_EQ(stCase.byCode, fnBaudCode(stCase.dwIndex));
        EXPECT_STREQ(stCase.pchName, fnBaudName(stCase.dwIndex));
    }
    EXPECT_STREQ("(VQASCII)", fnProtocolListText(1));
    EXPECT_STREQ("(VQASCII-CHK)", fnProtocolListText(2));
    EXPECT_STREQ("(Modbus RTU)", fnProtocolListText(3));
    EXPECT_STREQ("(Modbus ASCII)", fnProtocolListText(4));
    EXPECT_STREQ("Unknow Protocol!", fnProtocolListText(0));
    EXPECT_STREQ("Unknow Protocol!", fnProtocolListText(7));
}

} // namespace
