// Analog modules: reply decoding into values and texts, all or nothing. The 60-byte VQASCII-CHK
// reply's checksum (0xF4 over the 57 bytes before it) and the Modbus CRCs were worked out with
// a Python one-liner and an independent CRC-16/MODBUS script, then pasted here.
#include "io/AnalogDecode.h"
#include "tests/core/TestBytes.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace
{
const std::string FIELDS = "+04.000+12.345+00.000+20.000+00.001+09.999+25.000+99.999";

// A valid reply sets all eight values and texts; any other leaves every channel alone.
TEST(IoAnalog, RepliesDecodeAllOrNothing)
{
    const char* const pchFields = "4.000 12.345 0.000 20.000 0.001 9.999 25.000 99.999";
    std::string strDotMoved = ">" + FIELDS + "\r";
    strDotMoved.replace(1, 7, "+4.0000");
    std::string strLastBad = ">" + FIELDS + "\r";
    strLastBad[56] = 'x';
    std::string strMinus = ">" + FIELDS + "\r";
    strMinus[50] = '-';
    const struct
    {
        const char* pchName;
        uint32_t dwProtocol;
        Bytes vecReply;
        uint32_t dwJudge;
        const char* pchTexts = nullptr; // of a valid reply
    } aCases[] = {
        {"ascii", 1, fnBytes(">" + FIELDS + "\r"), AnalogValid, pchFields},
        {"chk", 2, fnBytes(">" + FIELDS + "F4\r"), AnalogValid, pchFields},
        // Registers 0, 4000, 12345, 65535, 1, 1000, 10000, 20000.
        {"rtu", 3,
         fnBytes("\x01\x04\x10\x00\x00\x0F\xA0\x30\x39\xFF\xFF\x00\x01\x03\xE8\x27\x10\x4E\x20"
                 "\x74\xB4"),
         AnalogValid, "0.000 4.000 12.345 65.535 0.001 1.000 10.000 20.000"},
        {"dot in the wrong place", 1, fnBytes(strDotMoved), AnalogFailed},
        {"last digit of CH7 bad", 1, fnBytes(strLastBad), AnalogFailed},
        {"minus sign", 1, fnBytes(strMinus), AnalogFailed},
        {"57 bytes", 1, fnBytes(">" + FIELDS), AnalogFailed},
        {"no CR", 1, fnBytes(">" + FIELDS + "\n"), AnalogFailed},
        {"wrong lead", 1, fnBytes("!" + FIELDS + "\r"), AnalogFailed},
        {"chk bad sum", 2, fnBytes(">" + FIELDS + "F5\r"), AnalogFailed},
        {"chk lowercase sum", 2, fnBytes(">" + FIELDS + "f4\r"), AnalogFailed},
        {"ascii reply under chk", 2, fnBytes(">" + FIELDS + "\r"), AnalogFailed},
        {"rtu bad crc", 3, fnBytes("\x01\x04\x10" + std::string(16, '\0') + "\x55\x2D"),
         AnalogFailed},
        {"rtu function 03", 3, fnBytes("\x01\x03\x10" + std::string(16, '\0') + "\xE4\x59"),
         AnalogFailed},
        {"rtu short", 3, fnBytes("\x01\x04\x10\x00\x00"), AnalogFailed},
        {"empty", 1, {}, AnalogFailed},
        {"modbus ascii", 4, fnBytes(">" + FIELDS + "\r"), AnalogIgnored},
        {"unknown protocol", 0, fnBytes(">" + FIELDS + "\r"), AnalogIgnored},
    };
    for (const auto& stCase : aCases)
    {
        SCOPED_TRACE(stCase.pchName);
        AnalogValues st;
        for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
        {
            std::strcpy(st.m_szValue[k], "-1"); // left by the last reply
            st.m_fValue[k] = -1.0f;
        }
        EXPECT_EQ(stCase.dwJudge, fnDecodeAnalog(stCase.dwProtocol, stCase.vecReply.data(),
                                                 fnSize(stCase.vecReply), &st));
        std::string strTexts;
        for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
        {
            EXPECT_FLOAT_EQ(std::strtof(st.m_szValue[k], nullptr), st.m_fValue[k]) << k;
            strTexts += (k == 0 ? "" : " ") + std::string(st.m_szValue[k]);
        }
        EXPECT_EQ(stCase.pchTexts ? stCase.pchTexts : "-1 -1 -1 -1 -1 -1 -1 -1", strTexts);
    }
}

} // namespace
