// Analog modules: reply decoding into values and texts, all-or-nothing, and the reply wait.
// The 60-byte VQASCII-CHK reply's checksum (0xF4 over the 57 bytes before it) and the
// Modbus CRCs were worked out with a Python one-liner and an independent CRC-16/MODBUS
// script, then pasted here.
#include "io/AnalogDecode.h"

#include "protocol/FrameBuilder.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
using Bytes = std::vector<uint8_t>;

const char* const FIELDS = "+04.000+12.345+00.000+20.000+00.001+09.999+25.000+99.999";

Bytes fnText(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

AnalogValues fnSentinel()
{
    AnalogValues st;
    for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
    {
        strcpy(st.m_szValue[k], "old");
        st.m_fValue[k] = -1.0f;
    }
    return st;
}

uint32_t fnDecode(uint32_t dwProtocol, const Bytes& v, AnalogValues* pst)
{
    return fnDecodeAnalog(dwProtocol, v.data(), static_cast<uint32_t>(v.size()), pst);
}
} // namespace

TEST(IoAnalog, AsciiAndChkFieldsGiveValuesAndTexts)
{
    const Bytes vAscii = fnText(std::string(">") + FIELDS + "\r");
    const Bytes vChk = fnText(std::string(">") + FIELDS + "F4\r");
    ASSERT_EQ(58u, vAscii.size());
    ASSERT_EQ(60u, vChk.size());
    const char* const apchText[] = {"4.000", "12.345", "0.000",  "20.000",
                                    "0.001", "9.999",  "25.000", "99.999"};
    const float afValue[] = {4.0f, 12.345f, 0.0f, 20.0f, 0.001f, 9.999f, 25.0f, 99.999f};
    for (uint32_t dwProtocol : {1u, 2u})
    {
        AnalogValues st = fnSentinel();
        ASSERT_EQ(AnalogValid, fnDecode(dwProtocol, dwProtocol == 1 ? vAscii : vChk, &st));
        for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
        {
            EXPECT_STREQ(apchText[k], st.m_szValue[k]) << k;
            EXPECT_FLOAT_EQ(afValue[k], st.m_fValue[k]) << k;
        }
    }
}

TEST(IoAnalog, RejectedRepliesLeaveEveryChannelAlone)
{
    std::string strDotMoved = std::string(">") + FIELDS + "\r";
    strDotMoved.replace(1, 7, "+4.0000");
    std::string strLastBad = std::string(">") + FIELDS + "\r";
    strLastBad[56] = 'x';
    std::string strMinus = std::string(">") + FIELDS + "\r";
    strMinus[50] = '-';
    struct Row
    {
        const char* pchName;
        uint32_t dwProtocol;
        Bytes vReply;
    } astRows[] = {
        {"dot in the wrong place", 1, fnText(strDotMoved)},
        {"last digit of CH7 bad", 1, fnText(strLastBad)},
        {"minus sign", 1, fnText(strMinus)},
        {"57 bytes", 1, fnText(std::string(">") + FIELDS)},
        {"no CR", 1, fnText(std::string(">") + FIELDS + "\n")},
        {"wrong lead", 1, fnText(std::string("!") + FIELDS + "\r")},
        {"chk bad sum", 2, fnText(std::string(">") + FIELDS + "F5\r")},
        {"chk lowercase sum", 2, fnText(std::string(">") + std::string(FIELDS) + "f4\r")},
        {"ascii reply under chk", 2, fnText(std::string(">") + FIELDS + "\r")},
        {"rtu bad crc", 3, {0x01, 0x04, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                            0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x55, 0x2D}},
        {"rtu function 03", 3, {0x01, 0x03, 0x10, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
                                0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xE4, 0x59}},
        {"rtu short", 3, {0x01, 0x04, 0x10, 0x00, 0x00}},
        {"empty", 1, {}},
    };
    for (const Row& r : astRows)
    {
        AnalogValues st = fnSentinel();
        EXPECT_EQ(AnalogFailed, fnDecode(r.dwProtocol, r.vReply, &st)) << r.pchName;
        for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
        {
            EXPECT_STREQ("old", st.m_szValue[k]) << r.pchName;
            EXPECT_EQ(-1.0f, st.m_fValue[k]) << r.pchName;
        }
    }
}

TEST(IoAnalog, RtuRegisters)
{
    // Registers 0, 4000, 12345, 65535, 1, 1000, 10000, 20000.
    const Bytes vReply = {0x01, 0x04, 0x10, 0x00, 0x00, 0x0F, 0xA0, 0x30, 0x39, 0xFF, 0xFF,
                          0x00, 0x01, 0x03, 0xE8, 0x27, 0x10, 0x4E, 0x20, 0x74, 0xB4};
    AnalogValues st = fnSentinel();
    ASSERT_EQ(AnalogValid, fnDecode(3, vReply, &st));
    const char* const apchText[] = {"0.000", "4.000", "12.345", "65.535",
                                    "0.001", "1.000", "10.000", "20.000"};
    const float afValue[] = {0.0f, 4.0f, 12.345f, 65.535f, 0.001f, 1.0f, 10.0f, 20.0f};
    for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
    {
        EXPECT_STREQ(apchText[k], st.m_szValue[k]) << k;
        EXPECT_FLOAT_EQ(afValue[k], st.m_fValue[k]) << k;
    }
}

TEST(IoAnalog, ModbusAsciiReadsAreNotCounted)
{
    AnalogValues st = fnSentinel();
    const Bytes v = fnText(std::string(">") + FIELDS + "\r");
    EXPECT_EQ(AnalogIgnored, fnDecode(4, v, &st));
    EXPECT_EQ(AnalogIgnored, fnDecode(0, v, &st));
}

TEST(IoAnalog, PollFrames)
{
    struct Row
    {
        uint32_t dwProtocol;
        uint8_t chAddress;
        Bytes vFrame;
    } astRows[] = {
        {1, 0x03, fnText("#03\r")},
        {2, 0x03, fnText("#0386\r")},
        {3, 0x01, {0x01, 0x04, 0x00, 0x00, 0x00, 0x08, 0xF1, 0xCC}},
        {4, 0x01, {}},
    };
    for (const Row& r : astRows)
    {
        uint8_t abyFrame[FRAME_MAX];
        const uint32_t dwLen = fnBuildAnalogPoll(r.dwProtocol, r.chAddress, abyFrame);
        EXPECT_EQ(r.vFrame, Bytes(abyFrame, abyFrame + dwLen)) << r.dwProtocol;
    }
}

TEST(IoAnalog, ReplyWaitByBaudIndex)
{
    const uint32_t adwExpected[] = {1200, 1000, 800, 800, 600, 600, 500, 500, 600, 600};
    const uint32_t adwIndex[] = {0, 1, 2, 3, 4, 5, 6, 7, 8, 0xFFFFFFFF};
    for (size_t i = 0; i < sizeof(adwIndex) / sizeof(adwIndex[0]); ++i)
    {
        EXPECT_EQ(adwExpected[i], GetReplyWaitTime(adwIndex[i])) << adwIndex[i];
    }
}
