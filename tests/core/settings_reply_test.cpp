// Classification of settings replies. Golden frames are written out by hand; the CRCs were
// worked out with an independent CRC-16/MODBUS script (register 0xFFFF, poly 0xA001, low byte
// first) and the checksums by summing the characters in a Python one-liner ("!02" sums to 0x83,
// "?02" to 0xA1).
#include "settings/ModuleSetReply.h"

#include "res/Texts.h"
#include "tests/core/TestBytes.h"

#include <gtest/gtest.h>

namespace
{
using Classifier = uint32_t (*)(const uint8_t*, uint32_t, uint8_t);
const Classifier ASC = fnClassifySetAscii;
const Classifier CHK = fnClassifySetAsciiChk;
const Classifier ADDR = fnClassifySetRtuAddress;
const Classifier BAUD = [](const uint8_t* pby, uint32_t dwLen, uint8_t)
{ return fnClassifySetRtuBaud(pby, dwLen); };

// A window that filled the whole 4096-byte accumulator with a repeated success reply.
Bytes fnOverlong()
{
    Bytes v;
    while (v.size() < 4096)
        v.insert(v.end(), {'!', '0', '2', '\r'});
    return v;
}
} // namespace

TEST(SettingsReply, Rows)
{
    const struct
    {
        Classifier pfnClassify;
        const char* pchName;
        Bytes vReply;
        uint32_t dwExpected;
        uint8_t chAddress = 0x02; // the new address
    } astRows[] = {
        {ASC, "nothing", {}, SetAsciiNoReply},
        {ASC, "success", fnBytes("!02\r"), SetAsciiOk},
        {ASC, "refused", fnBytes("?02\r"), SetAsciiRefused},
        {ASC, "old address answers", fnBytes("!01\r"), SetAsciiCommError},
        {ASC, "no CR", fnBytes("!02\n"), SetAsciiCommError},
        {ASC, "extra byte", fnBytes("!02\r\r"), SetAsciiCommError},
        {ASC, "short", fnBytes("!02"), SetAsciiCommError},
        {ASC, "echo of request then reply", fnBytes("%0102400600\r!02\r"), SetAsciiCommError},
        {ASC, "other lead", fnBytes(">02\r"), SetAsciiCommError},
        {ASC, "single garbage byte", fnBytes("\xFF"), SetAsciiCommError},
        {CHK, "nothing", {}, SetAsciiNoReply},
        {CHK, "success", fnBytes("!0283\r"), SetAsciiOk},
        {CHK, "refused", fnBytes("?02A1\r"), SetAsciiRefused},
        {CHK, "wrong checksum", fnBytes("!0284\r"), SetAsciiCommError},
        {CHK, "refusal with success checksum", fnBytes("?0283\r"), SetAsciiCommError},
        {CHK, "lowercase checksum", fnBytes("?02a1\r"), SetAsciiCommError},
        {CHK, "no CR", fnBytes("!0283 "), SetAsciiCommError},
        {CHK, "without checksum", fnBytes("!02\r"), SetAsciiCommError},
        {CHK, "old address", fnBytes("!0182\r"), SetAsciiCommError},
        {CHK, "trailing byte", fnBytes("!0283\r\n"), SetAsciiCommError},
        {ADDR, "nothing", {}, SetRtuAddressNoReply},
        {ADDR, "success from new address", fnBytes("\x02\x46\x04\x00\x00\x00\x00\xC7\xA6"),
         SetRtuAddressOk},
        {ADDR, "success shape from another address",
         fnBytes("\x05\x46\x04\x00\x00\x00\x00\xB1\x66"), SetRtuAddressUnknown},
        {ADDR, "echo of the request", fnBytes("\x02\x46\x04\x02\x00\x00\x00\xC6\x1E"),
         SetRtuAddressUnknown},
        {ADDR, "nonzero tail byte", fnBytes("\x02\x46\x04\x00\x00\x00\x01\x06\x66"),
         SetRtuAddressUnknown},
        {ADDR, "9 bytes bad CRC", fnBytes("\x02\x46\x04\x00\x00\x00\x00\xA6\xC7"),
         SetRtuAddressCrcError},
        {ADDR, "exception 01", fnBytes("\x02\xC6\x01\x42\x60"), SetRtuAddressException01},
        {ADDR, "exception 03", fnBytes("\x02\xC6\x03\xC3\xA1"), SetRtuAddressException03},
        {ADDR, "exception 03 from old address", fnBytes("\x01\xC6\x03\x33\xA1"),
         SetRtuAddressException03},
        {ADDR, "exception 02 is unknown", fnBytes("\x02\xC6\x02\x02\x61"), SetRtuAddressUnknown},
        {ADDR, "5 bytes other function", fnBytes("\x02\x47\x04\xE2\x33"), SetRtuAddressUnknown},
        {ADDR, "5 bytes bad CRC", fnBytes("\x02\xC6\x01\x60\x42"), SetRtuAddressCrcError},
        {ADDR, "success plus one byte", fnBytes("\x02\x46\x04\x00\x00\x00\x00\xC7\xA6\x00"),
         SetRtuAddressUnknown},
        {ADDR, "one byte", fnBytes("\x02"), SetRtuAddressUnknown},
        {BAUD, "nothing", {}, SetRtuBaudNoReply},
        {BAUD, "success", fnBytes("\x02\x46\x06\x00\x00\x00\x00\x00\x00\x00\x00\xC4\x37"),
         SetRtuBaudOk},
        {BAUD, "success from any address",
         fnBytes("\x07\x46\x06\x00\x00\x00\x00\x00\x00\x00\x00\xD5\xFB"), SetRtuBaudOk},
        {BAUD, "echo of the request",
         fnBytes("\x02\x46\x06\x00\x06\x00\x00\x00\x00\x01\x00\xA3\xA7"), SetRtuBaudUnknown},
        {BAUD, "nonzero protocol byte",
         fnBytes("\x02\x46\x06\x00\x00\x00\x00\x00\x00\x01\x00\xC5\xA7"), SetRtuBaudUnknown},
        {BAUD, "13 bytes bad CRC", fnBytes("\x02\x46\x06\x00\x00\x00\x00\x00\x00\x00\x00\xC4\x38"),
         SetRtuBaudCrcError},
        {BAUD, "exception 01", fnBytes("\x02\xC6\x01\x42\x60"), SetRtuBaudException01},
        {BAUD, "exception 03", fnBytes("\x02\xC6\x03\xC3\xA1"), SetRtuBaudException03},
        {BAUD, "exception 04", fnBytes("\x02\xC6\x04\x82\x63"), SetRtuBaudException04},
        {BAUD, "exception 02 is unknown", fnBytes("\x02\xC6\x02\x02\x61"), SetRtuBaudUnknown},
        {BAUD, "5 bytes bad CRC", fnBytes("\x02\xC6\x04\x63\x82"), SetRtuBaudCrcError},
        {BAUD, "address step success is unknown here",
         fnBytes("\x02\x46\x04\x00\x00\x00\x00\xC7\xA6"), SetRtuBaudUnknown},
        {ASC, "uppercase address", fnBytes("!0A\r"), SetAsciiOk, 0x0A},
        {ASC, "lowercase address", fnBytes("!0a\r"), SetAsciiCommError, 0x0A},
        {ASC, "overlong", fnOverlong(), SetAsciiCommError},
        {CHK, "overlong", fnOverlong(), SetAsciiCommError},
        {ADDR, "overlong", fnOverlong(), SetRtuAddressUnknown},
        {BAUD, "overlong", fnOverlong(), SetRtuBaudUnknown},
    };
    for (const auto& r : astRows)
        EXPECT_EQ(r.dwExpected, r.pfnClassify(r.vReply.data(), fnSize(r.vReply), r.chAddress))
            << "row " << (&r - astRows) << ": " << r.pchName;
}

TEST(SettingsReply, OutOfTableCodesDoNotReadPastTheTexts)
{
    EXPECT_STREQ(TXT_SET_ASCII_NO_REPLY, fnSetAsciiText(99));
    EXPECT_STREQ(TXT_SET_RTU_ADDR_NO_REPLY, fnSetRtuAddressText(6));
    EXPECT_STREQ(TXT_SET_RTU_BAUD_NO_REPLY, fnSetRtuBaudText(0xFFFFFFFF));
}
