// Input checks and preselection of the Module Settings dialog.
#include "settings/ModuleSetInput.h"

#include "protocol/Codec.h"
#include "protocol/Protocol.h"
#include "res/Texts.h"

namespace
{
const char* const s_apchProtocolName[] = {"VQASCII", "VQASCII-CHK", "Modbus RTU"};
}

const char* fnModuleSetCheckAddress(const char* pchText, uint8_t* pchAddress)
{
    uint8_t abyOut[SET_ADDRESS_SCAN_LIMIT];
    uint32_t dwCount = 0;
    const HexTextStatus eStatus =
        fnHexTextToBytes(pchText, abyOut, &dwCount, SET_ADDRESS_SCAN_LIMIT, sizeof(abyOut));
    if (eStatus != HexTextOk || dwCount != 1)
    {
        return TXT_SET_ADDRESS_ERROR;
    }
    *pchAddress = abyOut[0];
    return nullptr;
}

uint32_t fnModuleSetBaudIndexOfRate(uint32_t dwRate)
{
    for (uint32_t i = 0; i < BAUD_INDEX_COUNT; ++i)
    {
        if (fnBaudRate(i) == dwRate)
        {
            return i;
        }
    }
    return BAUD_INDEX_DEFAULT;
}

uint32_t fnModuleSetProtocolIndexOfId(uint32_t dwProtocol)
{
    switch (dwProtocol)
    {
    case ProtocolVqAsciiChk:
        return 1;
    case ProtocolModbusRtu:
        return 2;
    default:
        return 0;
    }
}

const char* fnModuleSetProtocolName(uint32_t dwProtocol)
{
    if (dwProtocol < ProtocolVqAscii || dwProtocol > ProtocolModbusRtu)
    {
        return nullptr;
    }
    return s_apchProtocolName[dwProtocol - ProtocolVqAscii];
}

const char* fnModuleSetProtocolIndexName(uint32_t dwProtocolIndex)
{
    return dwProtocolIndex < PROTOCOL_INDEX_COUNT ? s_apchProtocolName[dwProtocolIndex] : "";
}

ModuleSetting fnModuleSetInitial(uint8_t chAddress, uint32_t dwProtocol, uint32_t dwPortRate)
{
    ModuleSetting stSetting;
    stSetting.m_chAddress = chAddress;
    stSetting.m_dwBaudIndex = fnModuleSetBaudIndexOfRate(dwPortRate);
    stSetting.m_dwProtocolIndex = fnModuleSetProtocolIndexOfId(dwProtocol);
    return stSetting;
}
