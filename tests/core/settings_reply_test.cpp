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
enum Classifier
{
    ClassifyAscii,
    ClassifyAsciiChk,
    ClassifyRtuAddress,
    ClassifyRtuBaud,
};

struct ReplyRow
{
    Classifier eClassifier;
    const char* pchName;
    Bytes vReply;
    uint32_t dwExpected;
    uint8_t chAddress = 0x02; // the new address
};

uint32_t fnClassify(const ReplyRow& r)
{
    const uint8_t* pby = r.vReply.data();
    const uint32_t dwLen = fnSize(r.vReply);
    switch (r.eClassifier)
    {
    case ClassifyAscii:
        return fnClassifySetAscii(pby, dwLen, r.chAddress);
    case ClassifyAsciiChk:
        return fnClassifySetAsciiChk(pby, dwLen, r.chAddress);
    case ClassifyRtuAddress:
        return fnClassifySetRtuAddress(pby, dwLen, r.chAddress);
    default:
        return fnClassifySetRtuBaud(pby, dwLen);
    }
}

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
    const ReplyRow astRows[] = {
        {ClassifyAscii, "nothing", {}, SetAsciiNoReply},
        {ClassifyAscii, "success", fnBytes("!02\r"), SetAsciiOk},
        {ClassifyAscii, "refused", fnBytes("?02\r"), SetAsciiRefused},
        {ClassifyAscii, "old address answers", fnBytes("!01\r"), SetAsciiCommError},
        {ClassifyAscii, "no CR", fnBytes("!02\n"), SetAsciiCommError},
        {ClassifyAscii, "extra byte", fnBytes("!02\r\r"), SetAsciiCommError},
        {ClassifyAscii, "short", fnBytes("!02"), SetAsciiCommError},
        {ClassifyAscii, "echo of request then reply", fnBytes("%0102400600\r!02\r"),
         SetAsciiCommError},
        {ClassifyAscii, "other lead", fnBytes(">02\r"), SetAsciiCommError},
        {ClassifyAscii, "single garbage byte", fnBytes("\xFF"), SetAsciiCommError},
        {ClassifyAsciiChk, "nothing", {}, SetAsciiNoReply},
        {ClassifyAsciiChk, "success", fnBytes("!0283\r"), SetAsciiOk},
        {ClassifyAsciiChk, "refused", fnBytes("?02A1\r"), SetAsciiRefused},
        {ClassifyAsciiChk, "wrong checksum", fnBytes("!0284\r"), SetAsciiCommError},
        {ClassifyAsciiChk, "refusal with success checksum", fnBytes("?0283\r"), SetAsciiCommError},
        {ClassifyAsciiChk, "lowercase checksum", fnBytes("?02a1\r"), SetAsciiCommError},
        {ClassifyAsciiChk, "no CR", fnBytes("!0283 "), SetAsciiCommError},
        {ClassifyAsciiChk, "without checksum", fnBytes("!02\r"), SetAsciiCommError},
        {ClassifyAsciiChk, "old address", fnBytes("!0182\r"), SetAsciiCommError},
        {ClassifyAsciiChk, "trailing byte", fnBytes("!0283\r\n"), SetAsciiCommError},
        {ClassifyRtuAddress, "nothing", {}, SetRtuAddressNoReply},
        {ClassifyRtuAddress, "success from new address",
         fnBytes("\x02\x46\x04\x00\x00\x00\x00\xC7\xA6"), SetRtuAddressOk},
        {ClassifyRtuAddress, "success shape from another address",
         fnBytes("\x05\x46\x04\x00\x00\x00\x00\xB1\x66"), SetRtuAddressUnknown},
        {ClassifyRtuAddress, "echo of the request", fnBytes("\x02\x46\x04\x02\x00\x00\x00\xC6\x1E"),
         SetRtuAddressUnknown},
        {ClassifyRtuAddress, "nonzero tail byte", fnBytes("\x02\x46\x04\x00\x00\x00\x01\x06\x66"),
         SetRtuAddressUnknown},
        {ClassifyRtuAddress, "9 bytes bad CRC", fnBytes("\x02\x46\x04\x00\x00\x00\x00\xA6\xC7"),
         SetRtuAddressCrcError},
        {ClassifyRtuAddress, "exception 01", fnBytes("\x02\xC6\x01\x42\x60"),
         SetRtuAddressException01},
        {ClassifyRtuAddress, "exception 03", fnBytes("\x02\xC6\x03\xC3\xA1"),
         SetRtuAddressException03},
        {ClassifyRtuAddress, "exception 03 from old address", fnBytes("\x01\xC6\x03\x33\xA1"),
         SetRtuAddressException03},
        {ClassifyRtuAddress, "exception 02 is unknown", fnBytes("\x02\xC6\x02\x02\x61"),
         SetRtuAddressUnknown},
        {ClassifyRtuAddress, "5 bytes other function", fnBytes("\x02\x47\x04\xE2\x33"),
         SetRtuAddressUnknown},
        {ClassifyRtuAddress, "5 bytes bad CRC", fnBytes("\x02\xC6\x01\x60\x42"),
         SetRtuAddressCrcError},
        {ClassifyRtuAddress, "success plus one byte",
         fnBytes("\x02\x46\x04\x00\x00\x00\x00\xC7\xA6\x00"), SetRtuAddressUnknown},
        {ClassifyRtuAddress, "one byte", fnBytes("\x02"), SetRtuAddressUnknown},
        {ClassifyRtuBaud, "nothing", {}, SetRtuBaudNoReply},
        {ClassifyRtuBaud, "success",
         fnBytes("\x02\x46\x06\x00\x00\x00\x00\x00\x00\x00\x00\xC4\x37"), SetRtuBaudOk},
        {ClassifyRtuBaud, "success from any address",
         fnBytes("\x07\x46\x06\x00\x00\x00\x00\x00\x00\x00\x00\xD5\xFB"), SetRtuBaudOk},
        {ClassifyRtuBaud, "echo of the request",
         fnBytes("\x02\x46\x06\x00\x06\x00\x00\x00\x00\x01\x00\xA3\xA7"), SetRtuBaudUnknown},
        {ClassifyRtuBaud, "nonzero protocol byte",
         fnBytes("\x02\x46\x06\x00\x00\x00\x00\x00\x00\x01\x00\xC5\xA7"), SetRtuBaudUnknown},
        {ClassifyRtuBaud, "13 bytes bad CRC",
         fnBytes("\x02\x46\x06\x00\x00\x00\x00\x00\x00\x00\x00\xC4\x38"), SetRtuBaudCrcError},
        {ClassifyRtuBaud, "exception 01", fnBytes("\x02\xC6\x01\x42\x60"), SetRtuBaudException01},
        {ClassifyRtuBaud, "exception 03", fnBytes("\x02\xC6\x03\xC3\xA1"), SetRtuBaudException03},
        {ClassifyRtuBaud, "exception 04", fnBytes("\x02\xC6\x04\x82\x63"), SetRtuBaudException04},
        {ClassifyRtuBaud, "exception 02 is unknown", fnBytes("\x02\xC6\x02\x02\x61"),
         SetRtuBaudUnknown},
        {ClassifyRtuBaud, "5 bytes bad CRC", fnBytes("\x02\xC6\x04\x63\x82"), SetRtuBaudCrcError},
        {ClassifyRtuBaud, "address step success is unknown here",
         fnBytes("\x02\x46\x04\x00\x00\x00\x00\xC7\xA6"), SetRtuBaudUnknown},
        {ClassifyAscii, "uppercase address", fnBytes("!0A\r"), SetAsciiOk, 0x0A},
        {ClassifyAscii, "lowercase address", fnBytes("!0a\r"), SetAsciiCommError, 0x0A},
        {ClassifyAscii, "overlong", fnOverlong(), SetAsciiCommError},
        {ClassifyAsciiChk, "overlong", fnOverlong(), SetAsciiCommError},
        {ClassifyRtuAddress, "overlong", fnOverlong(), SetRtuAddressUnknown},
        {ClassifyRtuBaud, "overlong", fnOverlong(), SetRtuBaudUnknown},
    };
    for (const ReplyRow& r : astRows)
        EXPECT_EQ(r.dwExpected, fnClassify(r)) << r.eClassifier << " " << r.pchName;
}

TEST(SettingsReply, OutOfTableCodesDoNotReadPastTheTexts)
{
    EXPECT_STREQ(TXT_SET_ASCII_NO_REPLY, fnSetAsciiText(99));
    EXPECT_STREQ(TXT_SET_RTU_ADDR_NO_REPLY, fnSetRtuAddressText(6));
    EXPECT_STREQ(TXT_SET_RTU_BAUD_NO_REPLY, fnSetRtuBaudText(0xFFFFFFFF));
}
