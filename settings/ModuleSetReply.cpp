// Reply classification of the module settings exchange. A reply is recognised by its exact
// length and content only; the first matching row of each table wins.
#include "settings/ModuleSetReply.h"

#include "protocol/Codec.h"
#include "res/Texts.h"

namespace
{
const uint8_t RTU_FUNCTION_SET = 0x46;
const uint8_t RTU_EXCEPTION_SET = 0xC6;
const uint8_t RTU_SUB_ADDRESS = 0x04;
const uint8_t RTU_SUB_BAUD = 0x06;
const uint32_t RTU_EXCEPTION_LEN = 5;
const uint32_t RTU_ADDRESS_ECHO_LEN = 9;
const uint32_t RTU_BAUD_ECHO_LEN = 13;

// True when the leading character is "!" or "?", followed by the new address digits.
bool fnAsciiHead(const uint8_t* pbyReply, uint8_t chNewAddress, char* pchLead)
{
    char achDigits[3];
    fnByteToHex2(chNewAddress, achDigits);
    if (pbyReply[0] != '!' && pbyReply[0] != '?')
    {
        return false;
    }
    if (pbyReply[1] != static_cast<uint8_t>(achDigits[0]) ||
        pbyReply[2] != static_cast<uint8_t>(achDigits[1]))
    {
        return false;
    }
    *pchLead = static_cast<char>(pbyReply[0]);
    return true;
}

bool fnAllZero(const uint8_t* pbyData, uint32_t dwCount)
{
    for (uint32_t i = 0; i < dwCount; ++i)
    {
        if (pbyData[i] != 0x00)
        {
            return false;
        }
    }
    return true;
}

uint32_t fnAsciiCode(char chLead)
{
    return chLead == '!' ? SetAsciiOk : SetAsciiRefused;
}
} // namespace

uint32_t fnClassifySetAscii(const uint8_t* pbyReply, uint32_t dwLen, uint8_t chNewAddress)
{
    if (dwLen == 0)
    {
        return SetAsciiNoReply;
    }
    char chLead = 0;
    if (dwLen != 4 || !fnAsciiHead(pbyReply, chNewAddress, &chLead) || pbyReply[3] != '\r')
    {
        return SetAsciiCommError;
    }
    return fnAsciiCode(chLead);
}

uint32_t fnClassifySetAsciiChk(const uint8_t* pbyReply, uint32_t dwLen, uint8_t chNewAddress)
{
    if (dwLen == 0)
    {
        return SetAsciiNoReply;
    }
    char chLead = 0;
    if (dwLen != 6 || !fnAsciiHead(pbyReply, chNewAddress, &chLead) || pbyReply[5] != '\r' ||
        !fnCheckSumVerify(pbyReply, 5))
    {
        return SetAsciiCommError;
    }
    return fnAsciiCode(chLead);
}

uint32_t fnClassifySetRtuAddress(const uint8_t* pbyReply, uint32_t dwLen, uint8_t chNewAddress)
{
    if (dwLen == 0)
    {
        return SetRtuAddressNoReply;
    }
    if (dwLen == RTU_EXCEPTION_LEN)
    {
        if (!fnCrc16Valid(pbyReply, dwLen))
        {
            return SetRtuAddressCrcError;
        }
        if (pbyReply[1] == RTU_EXCEPTION_SET && pbyReply[2] == 0x01)
        {
            return SetRtuAddressException01;
        }
        if (pbyReply[1] == RTU_EXCEPTION_SET && pbyReply[2] == 0x03)
        {
            return SetRtuAddressException03;
        }
        return SetRtuAddressUnknown;
    }
    if (dwLen == RTU_ADDRESS_ECHO_LEN)
    {
        if (!fnCrc16Valid(pbyReply, dwLen))
        {
            return SetRtuAddressCrcError;
        }
        if (pbyReply[0] == chNewAddress && pbyReply[1] == RTU_FUNCTION_SET &&
            pbyReply[2] == RTU_SUB_ADDRESS && fnAllZero(pbyReply + 3, 4))
        {
            return SetRtuAddressOk;
        }
    }
    return SetRtuAddressUnknown;
}

uint32_t fnClassifySetRtuBaud(const uint8_t* pbyReply, uint32_t dwLen)
{
    if (dwLen == 0)
    {
        return SetRtuBaudNoReply;
    }
    if (dwLen == RTU_EXCEPTION_LEN)
    {
        if (!fnCrc16Valid(pbyReply, dwLen))
        {
            return SetRtuBaudCrcError;
        }
        if (pbyReply[1] != RTU_EXCEPTION_SET)
        {
            return SetRtuBaudUnknown;
        }
        switch (pbyReply[2])
        {
        case 0x01:
            return SetRtuBaudException01;
        case 0x03:
            return SetRtuBaudException03;
        case 0x04:
            return SetRtuBaudException04;
        default:
            return SetRtuBaudUnknown;
        }
    }
    if (dwLen == RTU_BAUD_ECHO_LEN)
    {
        if (!fnCrc16Valid(pbyReply, dwLen))
        {
            return SetRtuBaudCrcError;
        }
        if (pbyReply[1] == RTU_FUNCTION_SET && pbyReply[2] == RTU_SUB_BAUD &&
            fnAllZero(pbyReply + 3, 8))
        {
            return SetRtuBaudOk;
        }
    }
    return SetRtuBaudUnknown;
}

const char* fnSetAsciiText(uint32_t dwResult)
{
    static const char* const s_apchText[] = {TXT_SET_ASCII_OK, TXT_SET_ASCII_REFUSED,
                                             TXT_SET_ASCII_COMM_ERROR, TXT_SET_ASCII_NO_REPLY};
    return s_apchText[dwResult <= SetAsciiNoReply ? dwResult : SetAsciiNoReply];
}

const char* fnSetRtuAddressText(uint32_t dwResult)
{
    static const char* const s_apchText[] = {TXT_SET_RTU_ADDR_OK,      TXT_SET_RTU_ADDR_CRC,
                                             TXT_SET_RTU_ADDR_EXC01,   TXT_SET_RTU_ADDR_EXC03,
                                             TXT_SET_RTU_ADDR_UNKNOWN, TXT_SET_RTU_ADDR_NO_REPLY};
    return s_apchText[dwResult <= SetRtuAddressNoReply ? dwResult : SetRtuAddressNoReply];
}

const char* fnSetRtuBaudText(uint32_t dwResult)
{
    static const char* const s_apchText[] = {TXT_SET_RTU_BAUD_OK,      TXT_SET_RTU_BAUD_CRC,
                                             TXT_SET_RTU_BAUD_EXC01,   TXT_SET_RTU_BAUD_EXC03,
                                             TXT_SET_RTU_BAUD_EXC04,   TXT_SET_RTU_BAUD_UNKNOWN,
                                             TXT_SET_RTU_BAUD_NO_REPLY};
    return s_apchText[dwResult <= SetRtuBaudNoReply ? dwResult : SetRtuBaudNoReply];
}
