// Classification of settings replies. Golden frames are written out by hand; the CRCs were
// worked out with an independent CRC-16/MODBUS script (register 0xFFFF, poly 0xA001, low byte
// first) and the checksums by summing the characters in a Python one-liner.
#include "settings/ModuleSetReply.h"

#include "res/Texts.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace
{
struct ReplyRow
{
    const char* pchName;
    std::vector<uint8_t> vReply;
    uint32_t dwExpected;
};

std::vector<uint8_t> fnText(const std::string& s)
{
    return std::vector<uint8_t>(s.begin(), s.end());
}

// The new address in every row is 0x02.
const uint8_t NEW_ADDRESS = 0x02;
} // namespace

TEST(SettingsReply, AsciiRows)
{
    const ReplyRow astRows[] = {
        {"nothing", {}, SetAsciiNoReply},
        {"success", fnText("!02\r"), SetAsciiOk},
        {"refused", fnText("?02\r"), SetAsciiRefused},
        {"old address answers", fnText("!01\r"), SetAsciiCommError},
        {"no CR", fnText("!02\n"), SetAsciiCommError},
        {"extra byte", fnText("!02\r\r"), SetAsciiCommError},
        {"short", fnText("!02"), SetAsciiCommError},
        {"echo of request then reply", fnText("%0102400600\r!02\r"), SetAsciiCommError},
        {"other lead", fnText(">02\r"), SetAsciiCommError},
        {"single garbage byte", {0xFF}, SetAsciiCommError},
    };
    for (const ReplyRow& r : astRows)
    {
        EXPECT_EQ(r.dwExpected,
                  fnClassifySetAscii(r.vReply.data(), static_cast<uint32_t>(r.vReply.size()),
                                     NEW_ADDRESS))
            << r.pchName;
    }
}

TEST(SettingsReply, AsciiAddressDigitsAreUppercaseOnly)
{
    const std::vector<uint8_t> vUpper = fnText("!0A\r");
    const std::vector<uint8_t> vLower = fnText("!0a\r");
    EXPECT_EQ(SetAsciiOk, fnClassifySetAscii(vUpper.data(), 4, 0x0A));
    EXPECT_EQ(SetAsciiCommError, fnClassifySetAscii(vLower.data(), 4, 0x0A));
}

TEST(SettingsReply, AsciiChkRows)
{
    // "!02" sums to 0x83, "?02" to 0xA1.
    const ReplyRow astRows[] = {
        {"nothing", {}, SetAsciiNoReply},
        {"success", fnText("!0283\r"), SetAsciiOk},
        {"refused", fnText("?02A1\r"), SetAsciiRefused},
        {"wrong checksum", fnText("!0284\r"), SetAsciiCommError},
        {"refusal with success checksum", fnText("?0283\r"), SetAsciiCommError},
        {"lowercase checksum", fnText("?02a1\r"), SetAsciiCommError},
        {"no CR", fnText("!0283 "), SetAsciiCommError},
        {"without checksum", fnText("!02\r"), SetAsciiCommError},
        {"old address", fnText("!0182\r"), SetAsciiCommError},
        {"trailing byte", fnText("!0283\r\n"), SetAsciiCommError},
    };
    for (const ReplyRow& r : astRows)
    {
        EXPECT_EQ(r.dwExpected,
                  fnClassifySetAsciiChk(r.vReply.data(), static_cast<uint32_t>(r.vReply.size()),
                                        NEW_ADDRESS))
            << r.pchName;
    }
}

TEST(SettingsReply, RtuAddressRows)
{
    const ReplyRow astRows[] = {
        {"nothing", {}, SetRtuAddressNoReply},
        {"success from new address",
         {0x02, 0x46, 0x04, 0x00, 0x00, 0x00, 0x00, 0xC7, 0xA6},
         SetRtuAddressOk},
        {"success shape from another address",
         {0x05, 0x46, 0x04, 0x00, 0x00, 0x00, 0x00, 0xB1, 0x66},
         SetRtuAddressUnknown},
        {"echo of the request",
         {0x02, 0x46, 0x04, 0x02, 0x00, 0x00, 0x00, 0xC6, 0x1E},
         SetRtuAddressUnknown},
        {"nonzero tail byte",
         {0x02, 0x46, 0x04, 0x00, 0x00, 0x00, 0x01, 0x06, 0x66},
         SetRtuAddressUnknown},
        {"9 bytes bad CRC",
         {0x02, 0x46, 0x04, 0x00, 0x00, 0x00, 0x00, 0xA6, 0xC7},
         SetRtuAddressCrcError},
        {"exception 01", {0x02, 0xC6, 0x01, 0x42, 0x60}, SetRtuAddressException01},
        {"exception 03", {0x02, 0xC6, 0x03, 0xC3, 0xA1}, SetRtuAddressException03},
        {"exception 03 from old address", {0x01, 0xC6, 0x03, 0x33, 0xA1}, SetRtuAddressException03},
        {"exception 02 is unknown", {0x02, 0xC6, 0x02, 0x02, 0x61}, SetRtuAddressUnknown},
        {"5 bytes other function", {0x02, 0x47, 0x04, 0xE2, 0x33}, SetRtuAddressUnknown},
        {"5 bytes bad CRC", {0x02, 0xC6, 0x01, 0x60, 0x42}, SetRtuAddressCrcError},
        {"success plus one byte",
         {0x02, 0x46, 0x04, 0x00, 0x00, 0x00, 0x00, 0xC7, 0xA6, 0x00},
         SetRtuAddressUnknown},
        {"one byte", {0x02}, SetRtuAddressUnknown},
    };
    for (const ReplyRow& r : astRows)
    {
        EXPECT_EQ(r.dwExpected,
                  fnClassifySetRtuAddress(r.vReply.data(), static_cast<uint32_t>(r.vReply.size()),
                                          NEW_ADDRESS))
            << r.pchName;
    }
}

TEST(SettingsReply, RtuBaudRows)
{
    const ReplyRow astRows[] = {
        {"nothing", {}, SetRtuBaudNoReply},
        {"success",
         {0x02, 0x46, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC4, 0x37},
         SetRtuBaudOk},
        {"success from any address",
         {0x07, 0x46, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xD5, 0xFB},
         SetRtuBaudOk},
        {"echo of the request",
         {0x02, 0x46, 0x06, 0x00, 0x06, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0xA3, 0xA7},
         SetRtuBaudUnknown},
        {"nonzero protocol byte",
         {0x02, 0x46, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00, 0xC5, 0xA7},
         SetRtuBaudUnknown},
        {"13 bytes bad CRC",
         {0x02, 0x46, 0x06, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xC4, 0x38},
         SetRtuBaudCrcError},
        {"exception 01", {0x02, 0xC6, 0x01, 0x42, 0x60}, SetRtuBaudException01},
        {"exception 03", {0x02, 0xC6, 0x03, 0xC3, 0xA1}, SetRtuBaudException03},
        {"exception 04", {0x02, 0xC6, 0x04, 0x82, 0x63}, SetRtuBaudException04},
        {"exception 02 is unknown", {0x02, 0xC6, 0x02, 0x02, 0x61}, SetRtuBaudUnknown},
        {"5 bytes bad CRC", {0x02, 0xC6, 0x04, 0x63, 0x82}, SetRtuBaudCrcError},
        {"address step success is unknown here",
         {0x02, 0x46, 0x04, 0x00, 0x00, 0x00, 0x00, 0xC7, 0xA6},
         SetRtuBaudUnknown},
    };
    for (const ReplyRow& r : astRows)
    {
        EXPECT_EQ(r.dwExpected,
                  fnClassifySetRtuBaud(r.vReply.data(), static_cast<uint32_t>(r.vReply.size())))
            << r.pchName;
    }
}

TEST(SettingsReply, OverlongAccumulatorIsNotAnAnswer)
{
    // A window that filled the whole 4096-byte accumulator with a repeated success reply.
    std::vector<uint8_t> v;
    while (v.size() < 4096)
    {
        v.insert(v.end(), {'!', '0', '2', '\r'});
    }
    EXPECT_EQ(SetAsciiCommError, fnClassifySetAscii(v.data(), 4096, NEW_ADDRESS));
    EXPECT_EQ(SetAsciiCommError, fnClassifySetAsciiChk(v.data(), 4096, NEW_ADDRESS));
    EXPECT_EQ(SetRtuAddressUnknown, fnClassifySetRtuAddress(v.data(), 4096, NEW_ADDRESS));
    EXPECT_EQ(SetRtuBaudUnknown, fnClassifySetRtuBaud(v.data(), 4096));
}

TEST(SettingsReply, OutOfTableCodesDoNotReadPastTheTexts)
{
    EXPECT_STREQ(TXT_SET_ASCII_NO_REPLY, fnSetAsciiText(99));
    EXPECT_STREQ(TXT_SET_RTU_ADDR_NO_REPLY, fnSetRtuAddressText(6));
    EXPECT_STREQ(TXT_SET_RTU_BAUD_NO_REPLY, fnSetRtuBaudText(0xFFFFFFFF));
}
