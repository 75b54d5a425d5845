// Analog replies: eight 7-character fields "+DD.DDD" in the ASCII protocols, eight 16-bit
// registers (high byte first, thousandths) in Modbus RTU.
#include "io/AnalogDecode.h"

#include "protocol/Codec.h"
#include "protocol/Protocol.h"

#include <cstdio>
#include <cstring>

namespace
{
const uint32_t FIELD_LEN = 7;
const uint32_t ASCII_REPLY_LEN = 1 + ANALOG_CHANNELS * FIELD_LEN + 1; // 58
const uint32_t ASCII_CHK_REPLY_LEN = ASCII_REPLY_LEN + 2;             // 60
const uint32_t RTU_REPLY_LEN = 3 + ANALOG_CHANNELS * 2 + 2;           // 21

bool fnIsDigit(uint8_t by)
{
    return by >= '0' && by <= '9';
}

// "+" D1 D2 "." D3 D4 D5 into thousandths and the text without sign (and without a leading 0).
bool fnField(const uint8_t* pbyField, uint32_t* pdwMilli, char* pchText)
{
    if (pbyField[0] != '+' || pbyField[3] != '.')
    {
        return false;
    }
    static const uint32_t s_adwDigitPos[] = {1, 2, 4, 5, 6};
    uint32_t dwMilli = 0;
    for (uint32_t dwPos : s_adwDigitPos)
    {
        if (!fnIsDigit(pbyField[dwPos]))
        {
            return false;
        }
        dwMilli = dwMilli * 10 + (pbyField[dwPos] - '0');
    }
    const uint32_t dwSkip = pbyField[1] == '0' ? 2 : 1;
    memcpy(pchText, pbyField + dwSkip, FIELD_LEN - dwSkip);
    pchText[FIELD_LEN - dwSkip] = '\0';
    *pdwMilli = dwMilli;
    return true;
}

bool fnDecodeAscii(const uint8_t* pbyData, uint32_t dwLen, uint32_t dwProtocol,
                   AnalogValues* pstOut)
{
    const bool bChk = dwProtocol == ProtocolVqAsciiChk;
    if (dwLen != (bChk ? ASCII_CHK_REPLY_LEN : ASCII_REPLY_LEN) || pbyData[0] != '>' ||
        pbyData[dwLen - 1] != '\r')
    {
        return false;
    }
    if (bChk && !fnCheckSumVerify(pbyData, dwLen - 1))
    {
        return false;
    }
    for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
    {
        uint32_t dwMilli = 0;
        if (!fnField(pbyData + 1 + k * FIELD_LEN, &dwMilli, pstOut->m_szValue[k]))
        {
            return false;
        }
        pstOut->m_fValue[k] = static_cast<float>(dwMilli / 1000.0);
    }
    return true;
}

bool fnDecodeRtu(const uint8_t* pbyData, uint32_t dwLen, AnalogValues* pstOut)
{
    if (dwLen != RTU_REPLY_LEN || pbyData[1] != 0x04 || pbyData[2] != 0x10 ||
        !fnCrc16Valid(pbyData, dwLen))
    {
        return false;
    }
    for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
    {
        const uint32_t dwRaw = pbyData[3 + 2 * k] * 256u + pbyData[4 + 2 * k];
        const double dValue = dwRaw / 1000.0;
        pstOut->m_fValue[k] = static_cast<float>(dValue);
        snprintf(pstOut->m_szValue[k], ANALOG_TEXT_MAX, "%2.3f", dValue);
    }
    return true;
}
} // namespace

uint32_t fnDecodeAnalog(uint32_t dwProtocol, const uint8_t* pbyData, uint32_t dwLen,
                        AnalogValues* pstValues)
{
    AnalogValues stDecoded;
    bool bOk = false;
    switch (dwProtocol)
    {
    case ProtocolVqAscii:
    case ProtocolVqAsciiChk:
        bOk = fnDecodeAscii(pbyData, dwLen, dwProtocol, &stDecoded);
        break;
    case ProtocolModbusRtu:
        bOk = fnDecodeRtu(pbyData, dwLen, &stDecoded);
        break;
    default:
        return AnalogIgnored;
    }
    if (!bOk)
    {
        return AnalogFailed;
    }
    *pstValues = stDecoded;
    return AnalogValid;
}

uint32_t GetReplyWaitTime(uint32_t dwBaudIndex)
{
    static const uint32_t s_adwWaitMs[BAUD_INDEX_COUNT] = {1200, 1000, 800, 800,
                                                           600,  600,  500, 500};
    return dwBaudIndex < BAUD_INDEX_COUNT ? s_adwWaitMs[dwBaudIndex] : 600;
}

bool fnAnalogIsVoltage(uint32_t dwModel, uint32_t dwChannel)
{
    return dwModel == AnalogModel4624 && dwChannel >= 4 && dwChannel < ANALOG_CHANNELS;
}

const char* fnAnalogUnit(uint32_t dwModel, uint32_t dwChannel)
{
    return fnAnalogIsVoltage(dwModel, dwChannel) ? "V" : "mA";
}
