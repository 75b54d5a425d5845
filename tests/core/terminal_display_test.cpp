// What the return box shows for the bytes of each read, and the cut of a long text.
#include "terminal/TerminalDisplay.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
std::string fnShow(const std::string& strBefore, uint32_t dwMode,
                   const std::vector<std::vector<uint8_t>>& vReads)
{
    std::vector<char> vText(TERMINAL_RETURN_MAX, '\0');
    strBefore.copy(vText.data(), strBefore.size());
    uint32_t dwLen = 0;
    for (const std::vector<uint8_t>& v : vReads)
        dwLen = fnTerminalAppendRx(vText.data(), dwMode, v.data(), static_cast<uint32_t>(v.size()));
    const std::string strText(vText.data());
    EXPECT_EQ(strText.size(), dwLen);
    return strText;
}
} // namespace

TEST(TerminalDisplay, ReadsByMode)
{
    struct Row
    {
        const char* pchName;
        uint32_t dwMode;
        std::vector<std::vector<uint8_t>> vReads;
        std::string strShown;
        std::string strBefore = "";
    } astRows[] = {
        {"text CR NUL", 0, {{0x41, 0x0D, 0x00, 0x42}}, "A\r\nB"},
        {"text CR LF from module", 1, {{'!', 0x0D, 0x0A}}, "!\r\n\n"},
        {"text control and high bytes kept", 0, {{0x07, 0x80, 0xFF}}, "\x07\x80\xFF"},
        {"text only NULs", 0, {{0x00, 0x00}}, ""},
        {"text two reads join", 0, {{'!', '0'}, {'2', 0x0D}}, "!02\r\n"},
        {"hex one read", 2, {{0x01, 0xAB, 0x0D}}, "01 AB 0D \r\n"},
        {"hex reply in two reads", 2, {{1, 2, 3}, {4, 5, 6}}, "01 02 03 \r\n04 05 06 \r\n"},
        {"hex NUL shown", 2, {{0x00}}, "00 \r\n"},
        {"unknown mode", 3, {{0x41}}, ""},
        {"mode switch leaves the old text", 2, {{0x41}}, "A\r\n41 \r\n", "A\r\n"},
    };
    for (const Row& r : astRows)
        EXPECT_EQ(r.strShown, fnShow(r.strBefore, r.dwMode, r.vReads)) << r.pchName;
}

TEST(TerminalDisplay, LongTextIsCutToItsTail)
{
    struct Row
    {
        size_t nBefore;
        size_t nAppend;
        size_t nShown;
    } astRows[] = {
        {2046, 1, 2047}, // stays below the limit
        {2047, 1, 1987}, // reaches 2048: cut
        {2000, 128, 1987},
        {7990, 128, 1987}, // a working copy nearly full does not overflow
    };
    for (const Row& r : astRows)
    {
        std::string strBefore(r.nBefore, 'a');
        strBefore[r.nBefore - 1] = 'z';
        std::vector<uint8_t> vRead(r.nAppend, 'b');
        const std::string strShown = fnShow(strBefore, 0, {vRead});
        ASSERT_EQ(r.nShown, strShown.size()) << r.nBefore;
        EXPECT_EQ(std::string(r.nAppend, 'b'), strShown.substr(strShown.size() - r.nAppend));
        const bool bKept = r.nBefore + r.nAppend < TERMINAL_RETURN_MAX;
        EXPECT_TRUE(!bKept || strShown[strShown.size() - r.nAppend - 1] == 'z') << r.nBefore;
    }
}
