// Reply decoding of the digital modules. Hex pairs accept either case; fixed characters and
// checksum digits must match exactly.
#include "io/DigitalDecode.h"

#include "protocol/Codec.h"
#include "protocol/Protocol.h"

namespace
{
const uint32_t ASCII_POLL_LEN = 8;  // "!" OO II "00" CR
const uint32_t ASCII_WRITE_LEN = 2; // ">" CR
const uint32_t CHECKSUM_DIGITS = 2;
const uint32_t RTU_READ_LEN = 6;      // addr fn 01 data CRC
const uint32_t RTU_WRITE_ACK_LEN = 8; // addr 0F 00 00 00 04 CRC

DigitalReply fnNone()
{
    DigitalReply stReply = {DigitalReplyNone, 0, 0};
    return stReply;
}

// The extra length of a VQASCII-CHK frame, or ~0 for a protocol without ASCII frames.
uint32_t fnAsciiExtra(uint32_t dwProtocol)
{
    return dwProtocol == ProtocolVqAsciiChk ? CHECKSUM_DIGITS : 0;
}

// Checks the trailer of an ASCII reply of dwBody bytes before the checksum and CR.
bool fnAsciiTrailerOk(uint32_t dwProtocol, const uint8_t* pbyData, uint32_t dwBody)
{
    const uint32_t dwExtra = fnAsciiExtra(dwProtocol);
    if (pbyData[dwBody + dwExtra] != '\r')
    {
        return false;
    }
    return dwExtra == 0 || fnCheckSumVerify(pbyData, dwBody + dwExtra);
}

bool fnIsAscii(uint32_t dwProtocol)
{
    return dwProtocol == ProtocolVqAscii || dwProtocol == ProtocolVqAsciiChk;
}

// "!" P1 P2 "00" (CS) CR; bFirstFixed demands that P1 is the text "00".
bool fnAsciiPoll(uint32_t dwProtocol, const uint8_t* pbyData, uint32_t dwLen, bool bFirstFixed,
                 uint8_t* pbyFirst, uint8_t* pbySecond)
{
    const uint32_t dwBody = ASCII_POLL_LEN - 1;
    if (dwLen != ASCII_POLL_LEN + fnAsciiExtra(dwProtocol) || pbyData[0] != '!')
    {
        return false;
    }
    if (pbyData[5] != '0' || pbyData[6] != '0')
    {
        return false;
    }
    if (bFirstFixed && (pbyData[1] != '0' || pbyData[2] != '0'))
    {
        return false;
    }
    const char* pchText = reinterpret_cast<const char*>(pbyData);
    uint8_t byFirst = 0;
    uint8_t bySecond = 0;
    if (!fnHexPairToByte(pchText + 1, &byFirst) || !fnHexPairToByte(pchText + 3, &bySecond))
    {
        return false;
    }
    if (!fnAsciiTrailerOk(dwProtocol, pbyData, dwBody))
    {
        return false;
    }
    *pbyFirst = byFirst;
    *pbySecond = bySecond;
    return true;
}

bool fnAsciiWriteAck(uint32_t dwProtocol, const uint8_t* pbyData, uint32_t dwLen)
{
    return dwLen == ASCII_WRITE_LEN + fnAsciiExtra(dwProtocol) && pbyData[0] == '>' &&
           fnAsciiTrailerOk(dwProtocol, pbyData, 1);
}

// addr, byFunction, 0x01, data, CRC.
bool fnRtuRead(const uint8_t* pbyData, uint32_t dwLen, uint8_t byFunction)
{
    return dwLen == RTU_READ_LEN && pbyData[1] == byFunction && pbyData[2] == 0x01 &&
           fnCrc16Valid(pbyData, dwLen);
}

bool fnRtuWriteAck(const uint8_t* pbyData, uint32_t dwLen)
{
    return dwLen == RTU_WRITE_ACK_LEN && pbyData[1] == 0x0F && pbyData[2] == 0x00 &&
           pbyData[3] == 0x00 && pbyData[4] == 0x00 && pbyData[5] == 0x04 &&
           fnCrc16Valid(pbyData, dwLen);
}
} // namespace

DigitalReply fnDecodeDigital4652(uint32_t dwProtocol, const uint8_t* pbyData, uint32_t dwLen)
{
    DigitalReply stReply = fnNone();
    if (fnIsAscii(dwProtocol))
    {
        if (fnAsciiPoll(dwProtocol, pbyData, dwLen, false, &stReply.m_byOutputs,
                        &stReply.m_byInputs))
        {
            stReply.m_dwKind = DigitalReplyPoll;
        }
        else if (fnAsciiWriteAck(dwProtocol, pbyData, dwLen))
        {
            stReply.m_dwKind = DigitalReplyWriteAck;
        }
        return stReply;
    }
    if (dwProtocol != ProtocolModbusRtu)
    {
        return stReply;
    }
    if (fnRtuRead(pbyData, dwLen, 0x01))
    {
        stReply.m_dwKind = DigitalReplyCoils;
        stReply.m_byOutputs = pbyData[3];
    }
    else if (fnRtuRead(pbyData, dwLen, 0x02))
    {
        stReply.m_dwKind = DigitalReplyInputs;
        stReply.m_byInputs = pbyData[3];
    }
    else if (fnRtuWriteAck(pbyData, dwLen))
    {
        stReply.m_dwKind = DigitalReplyWriteAck;
    }
    return stReply;
}

DigitalReply fnDecodeDigital4618(uint32_t dwProtocol, const uint8_t* pbyData, uint32_t dwLen)
{
    DigitalReply stReply = fnNone();
    if (fnIsAscii(dwProtocol))
    {
        uint8_t byZero = 0;
        if (fnAsciiPoll(dwProtocol, pbyData, dwLen, true, &byZero, &stReply.m_byInputs))
        {
            stReply.m_dwKind = DigitalReplyPoll;
        }
        return stReply;
    }
    if (dwProtocol == ProtocolModbusRtu && fnRtuRead(pbyData, dwLen, 0x02))
    {
        stReply.m_dwKind = DigitalReplyInputs;
        stReply.m_byInputs = pbyData[3];
    }
    return stReply;
}
