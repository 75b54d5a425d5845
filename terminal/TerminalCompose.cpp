// Composition of raw terminal frames. The text goes out exactly as typed (GBK bytes
// included); only the appended checksum digits, CR and CRC are added.
#include "terminal/TerminalCompose.h"

#include "protocol/Codec.h"

#include <cstring>

namespace
{
uint32_t fnTextLen(const char* pchText)
{
    uint32_t dwLen = 0;
    while (dwLen < TERMINAL_COMMAND_CHARS && pchText[dwLen] != '\0')
    {
        ++dwLen;
    }
    return dwLen;
}

// Converts up to 511 characters of hex text; false for any status but HexTextOk.
bool fnHexCommand(const char* pchText, uint8_t* pbyOut, uint32_t dwOutSize, uint32_t* pdwCount)
{
    char achText[TERMINAL_COMMAND_CHARS + 2] = {};
    memcpy(achText, pchText, fnTextLen(pchText));
    return fnHexTextToBytes(achText, pbyOut, pdwCount, TERMINAL_HEX_SCAN_LIMIT, dwOutSize) ==
           HexTextOk;
}

uint32_t fnComposeAscii(const TerminalSetting& stSetting, const char* pchText, uint8_t* pbyOut)
{
    const uint32_t dwTextLen = fnTextLen(pchText);
    memcpy(pbyOut, pchText, dwTextLen);
    uint32_t dwLen = dwTextLen;
    if (stSetting.m_dwProtocolIndex == TerminalVqAsciiChk && stSetting.m_bAppendChk == 1)
    {
        char achSum[3];
        fnByteToHex2(fnCheckSum(pbyOut, dwTextLen), achSum);
        pbyOut[dwLen++] = static_cast<uint8_t>(achSum[0]);
        pbyOut[dwLen++] = static_cast<uint8_t>(achSum[1]);
    }
    if (stSetting.m_bAppendCr == 1)
    {
        pbyOut[dwLen++] = '\r';
    }
    return dwLen;
}
} // namespace

uint32_t fnTerminalComposeFrame(const TerminalSetting& stSetting, const char* pchText,
                                uint8_t* pbyFrame, uint32_t* pdwLen)
{
    uint8_t abyFrame[TERMINAL_FRAME_MAX];
    uint32_t dwLen = 0;
    switch (stSetting.m_dwProtocolIndex)
    {
    case TerminalVqAscii:
    case TerminalVqAsciiChk:
        dwLen = fnComposeAscii(stSetting, pchText, abyFrame);
        break;
    case TerminalModbusRtu:
        if (!fnHexCommand(pchText, abyFrame, TERMINAL_FRAME_MAX - 2, &dwLen))
        {
            return 0;
        }
        if (stSetting.m_bAppendCrc == 1)
        {
            uint8_t byHigh = 0;
            uint8_t byLow = 0;
            fnCrc16(abyFrame, dwLen, &byHigh, &byLow);
            abyFrame[dwLen++] = byLow;
            abyFrame[dwLen++] = byHigh;
        }
        break;
    default:
        return 0;
    }
    memcpy(pbyFrame, abyFrame, dwLen);
    *pdwLen = dwLen;
    return 1;
}

uint32_t fnTerminalCrcText(const char* pchText, char achOut[TERMINAL_CRC_TEXT_MAX])
{
    achOut[0] = '\0';
    uint8_t abyData[TERMINAL_FRAME_MAX];
    uint32_t dwCount = 0;
    if (!fnHexCommand(pchText, abyData, sizeof(abyData), &dwCount))
    {
        return 0;
    }
    uint8_t abyCrc[2];
    fnCrc16(abyData, dwCount, &abyCrc[0], &abyCrc[1]);
    fnBytesToHexText(abyCrc, 2, achOut);
    return 1;
}

bool fnTerminalIntervalInRange(const char* pchText)
{
    const char* pch = pchText;
    while (*pch == ' ' || *pch == '\t')
        ++pch;
    return fnTerminalParseInterval(pchText) != 0 || *pch < '1' || *pch > '9';
}

uint32_t fnTerminalParseInterval(const char* pchText)
{
    const char* pch = pchText;
    while (*pch == ' ' || *pch == '\t')
    {
        ++pch;
    }
    uint64_t qwValue = 0;
    bool bDigit = false;
    for (; *pch >= '0' && *pch <= '9'; ++pch)
    {
        bDigit = true;
        qwValue = qwValue * 10 + static_cast<uint64_t>(*pch - '0');
        if (qwValue > 0xFFFFFFFFull)
        {
            return 0;
        }
    }
    return bDigit ? static_cast<uint32_t>(qwValue) : 0;
}
