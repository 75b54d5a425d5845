// Byte and text conversions of the bus protocols. Every function touches only its arguments.
#include "protocol/Codec.h"

namespace
{

// Value of one hex digit, or -1 when the character is not one.
int fnHexDigitValue(char chDigit)
{
    if (chDigit >= '0' && chDigit <= '9')
        return chDigit - '0';
    if (chDigit >= 'a' && chDigit <= 'f')
        return chDigit - 'a' + 10;
    if (chDigit >= 'A' && chDigit <= 'F')
        return chDigit - 'A' + 10;
    return -1;
}

const char HEX_UPPER[] = "0123456789ABCDEF";

} // namespace

bool fnIsHexPair(const char* pchText)
{
    return fnHexDigitValue(pchText[0]) >= 0 && fnHexDigitValue(pchText[1]) >= 0;
}

bool fnHexPairToByte(const char* pchText, uint8_t* pbyOut)
{
    const int nHigh = fnHexDigitValue(pchText[0]);
    if (nHigh < 0)
        return false;
    const int nLow = fnHexDigitValue(pchText[1]);
    if (nLow < 0)
        return false;
    *pbyOut = static_cast<uint8_t>((nHigh << 4) | nLow);
    return true;
}

HexTextStatus fnHexTextToBytes(const char* pchText, uint8_t* pbyOut, uint32_t* pdwCount,
                               uint32_t dwLimit, uint32_t dwOutSize)
{
    uint32_t dwPos = 0;
    uint32_t dwStored = 0;
    *pdwCount = 0;
    while (dwPos < dwLimit)
    {
        const char chHere = pchText[dwPos];
        if (chHere == ' ')
        {
            ++dwPos;
            continue;
        }
        if (chHere == '\0')
        {
            if (dwStored == 0)
                return HexTextEmpty;
            *pdwCount = dwStored;
            return HexTextOk;
        }
        // The first digit is known to be there; the second is read only when the first is a
        // digit, so a NUL after an odd digit is never read past.
        if (fnHexDigitValue(chHere) < 0 || fnHexDigitValue(pchText[dwPos + 1]) < 0)
            return HexTextInvalid;
        if (dwStored >= dwOutSize)
            return HexTextTooLong;
        fnHexPairToByte(pchText + dwPos, pbyOut + dwStored);
        ++dwStored;
        dwPos += 2;
    }
    return HexTextTooLong;
}

void fnByteToHex2(uint8_t byValue, char achOut[3])
{
    achOut[0] = HEX_UPPER[byValue >> 4];
    achOut[1] = HEX_UPPER[byValue & 0x0F];
    achOut[2] = '\0';
}

void fnBytesToHexText(const uint8_t* pbyData, uint32_t dwCount, char* pchOut)
{
    for (uint32_t i = 0; i < dwCount; ++i)
    {
        pchOut[3 * i] = HEX_UPPER[pbyData[i] >> 4];
        pchOut[3 * i + 1] = HEX_UPPER[pbyData[i] & 0x0F];
        pchOut[3 * i + 2] = ' ';
    }
    pchOut[3 * dwCount] = '\0';
}

bool fnIsDec4(const char* pchText)
{
    for (int i = 0; i < 4; ++i)
    {
        if (pchText[i] < '0' || pchText[i] > '9')
            return false;
    }
    return true;
}

uint8_t fnCheckSum(const uint8_t* pbyData, uint32_t dwCount)
{
    uint32_t dwSum = 0;
    for (uint32_t i = 0; i < dwCount; ++i)
        dwSum += pbyData[i];
    return static_cast<uint8_t>(dwSum & 0xFF);
}

bool fnCheckSumVerify(const uint8_t* pbyFrame, uint32_t dwLen)
{
    if (dwLen < 3)
        return false;
    char achSum[3];
    fnByteToHex2(fnCheckSum(pbyFrame, dwLen - 2), achSum);
    return pbyFrame[dwLen - 2] == static_cast<uint8_t>(achSum[0]) &&
           pbyFrame[dwLen - 1] == static_cast<uint8_t>(achSum[1]);
}

void fnCrc16(const uint8_t* pbyData, uint32_t dwCount, uint8_t* pbyHigh, uint8_t* pbyLow)
{
    uint16_t wCrc = 0xFFFF;
    for (uint32_t i = 0; i < dwCount; ++i)
    {
        wCrc ^= pbyData[i];
        for (int nBit = 0; nBit < 8; ++nBit)
        {
            const bool bCarry = (wCrc & 1) != 0;
            wCrc = static_cast<uint16_t>(wCrc >> 1);
            if (bCarry)
                wCrc ^= 0xA001;
        }
    }
    *pbyHigh = static_cast<uint8_t>(wCrc >> 8);
    *pbyLow = static_cast<uint8_t>(wCrc & 0xFF);
}

bool fnCrc16Valid(const uint8_t* pbyFrame, uint32_t dwLen)
{
    if (dwLen < 2)
        return false;
    uint8_t byHigh = 0;
    uint8_t byLow = 0;
    fnCrc16(pbyFrame, dwLen, &byHigh, &byLow);
    return byHigh == 0 && byLow == 0;
}
