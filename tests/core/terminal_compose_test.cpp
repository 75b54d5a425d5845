// Terminal frames: what goes on the wire for each protocol and flag, the longest commands and
// the interval field; the CRC calculator is held to the appended CRC by the terminal_compose
// fuzz target. "$01M" sums to 0xD2; the CRC of 01 03 00 00 00 01 is 0x0A84 (low byte 0x84
// first on the wire), both from independent Python calculations.
#include "terminal/TerminalCompose.h"
#include "tests/core/TestBytes.h"

#include <gtest/gtest.h>

namespace
{
TerminalSetting fnSetting(uint32_t dwIndex, uint32_t bChk, uint32_t bCr, uint32_t bCrc)
{
    TerminalSetting st;
    st.m_dwProtocolIndex = dwIndex;
    st.m_bAppendChk = bChk;
    st.m_bAppendCr = bCr;
    st.m_bAppendCrc = bCrc;
    return st;
}
} // namespace

TEST(TerminalCompose, FramesByProtocolAndFlags)
{
    const Bytes vRtu = fnBytes("\x01\x03\x00\x00\x00\x01\x84\x0A");
    struct Row
    {
        const char* pchName;
        uint32_t dwIndex, bChk, bCr, bCrc;
        std::string strText;
        Bytes vFrame;
        bool bComposed =
            true; // false: refused (the frame is left alone, as the fuzz target checks)
    } astRows[] = {
        {"ascii with CR", 0, 1, 1, 1, "$01M", fnBytes("$01M\r")},
        {"ascii ignores CHK", 0, 1, 0, 1, "$01M", fnBytes("$01M")},
        {"chk with both", 1, 1, 1, 1, "$01M", fnBytes("$01MD2\r")},
        {"chk without CR", 1, 1, 0, 0, "$01M", fnBytes("$01MD2")},
        {"chk without CHK", 1, 0, 1, 0, "$01M", fnBytes("$01M\r")},
        {"ascii empty no CR", 0, 0, 0, 0, "", {}},
        {"chk empty", 1, 1, 1, 0, "", fnBytes("00\r")},
        {"ascii spaces kept", 0, 0, 1, 0, " $01 M ", fnBytes(" $01 M \r")},
        {"ascii GBK bytes", 0, 0, 1, 0, "\xD6\xD0", fnBytes("\xD6\xD0\r")},
        {"rtu with CRC", 2, 1, 1, 1, "01 03 00 00 00 01", vRtu},
        {"rtu no spaces", 2, 0, 0, 1, "010300000001", vRtu},
        {"rtu spaces around", 2, 0, 0, 1, "  01 03 00 00 00 01  ", vRtu},
        {"rtu without CRC ignores CR", 2, 1, 1, 0, "01 03", fnBytes("\x01\x03")},
        {"rtu lowercase", 2, 0, 0, 0, "ab Cd", fnBytes("\xAB\xCD")},
        {"rtu odd digit", 2, 1, 1, 1, "1 03", {}, false},
        {"rtu empty", 2, 1, 1, 1, "", {}, false},
        {"rtu blanks", 2, 1, 1, 1, "   ", {}, false},
        {"rtu not hex", 2, 1, 1, 1, "0G", {}, false},
        {"rtu half pair at end", 2, 1, 1, 1, "01 0", {}, false},
        {"rtu CR inside", 2, 1, 1, 1, "01\r03", {}, false},
        {"protocol index 3", 3, 1, 1, 1, "$01M", {}, false},
        {"protocol index out of range", 0xFFFFFFFF, 1, 1, 1, "x", {}, false},
    };
    for (const Row& r : astRows)
    {
        uint8_t abyFrame[TERMINAL_FRAME_MAX];
        uint32_t dwLen = 0xDEAD;
        const uint32_t dwResult = fnTerminalComposeFrame(
            fnSetting(r.dwIndex, r.bChk, r.bCr, r.bCrc), r.strText.c_str(), abyFrame, &dwLen);
        ASSERT_EQ(r.bComposed ? 1u : 0u, dwResult) << r.pchName;
        EXPECT_EQ(r.vFrame, Bytes(abyFrame, abyFrame + (dwResult ? dwLen : 0))) << r.pchName;
    }
}

TEST(TerminalCompose, LongestCommands)
{
    // 511 typed characters give the longest frame, 514 bytes; a longer text is cut to 511.
    const std::string strLong(600, 'A');
    uint8_t abyFrame[TERMINAL_FRAME_MAX];
    uint32_t dwLen = 0;
    ASSERT_EQ(1u, fnTerminalComposeFrame(fnSetting(1, 1, 1, 0), strLong.c_str(), abyFrame, &dwLen));
    ASSERT_EQ(514u, dwLen);
    EXPECT_EQ('\r', abyFrame[513]);
    // 511 x 'A' = 0x41 x 511 = 0x81BF: the digits BF.
    EXPECT_EQ('B', abyFrame[511]);
    EXPECT_EQ('F', abyFrame[512]);

    // 170 hex pairs with spaces (510 characters) convert; the CRC is appended.
    std::string strHex;
    for (int i = 0; i < 170; ++i)
        strHex += i == 0 ? "00" : " 00";
    ASSERT_EQ(1u, fnTerminalComposeFrame(fnSetting(2, 0, 0, 1), strHex.c_str(), abyFrame, &dwLen));
    EXPECT_EQ(172u, dwLen);
}

TEST(TerminalCompose, IntervalField)
{
    struct Row
    {
        const char* pchText;
        uint32_t dwMs;
        bool bInRange = true;
    } astRows[] = {
        {"1000", 1000},
        {"0", 0},
        {"", 0},
        {"abc", 0},
        {"250ms", 250},
        {"  42", 42},
        {"4294967295", 0xFFFFFFFFu},
        {"4294967296", 0, false},
        {"99999999999999999999", 0, false},
        {" 0000", 0},
    };
    for (const Row& r : astRows)
    {
        EXPECT_EQ(r.dwMs, fnTerminalParseInterval(r.pchText)) << r.pchText;
        EXPECT_EQ(r.bInRange, fnTerminalIntervalInRange(r.pchText)) << r.pchText;
    }
}
