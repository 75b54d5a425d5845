// The module list and the parsers of the three name-query replies. A parser validates the
// whole reply first and only then writes the record at m_dwCount, so a rejected reply leaves
// the list as it was.
#include "search/ModuleList.h"

#include "protocol/Codec.h"
#include "protocol/Protocol.h"

#include <cstdio>
#include <cstring>

ModuleList gstModuleList;

namespace
{

const uint8_t REPLY_LEAD = '!';
const uint8_t CR = 0x0D;
const uint32_t ASCII_REPLY_MIN = 8; // "!" AA NNNN CR
const uint32_t CHK_REPLY_MIN = 10;  // "!" AA NNNN SS CR
const uint32_t VARIANT_MAX = 3;
const uint32_t RTU_REPLY_LEN = 9;
const uint8_t RTU_FUNC_USER = 0x46;

struct KnownModel
{
    const char* pchNumber;
    const char* pchLetters;
    ModuleType eType;
};

const KnownModel KNOWN_MODELS[] = {
    {"4652", "", ModuleType4652},   {"4652", "D", ModuleType4652D},
    {"4652", "G", ModuleType4652G}, {"4652", "GD", ModuleType4652GD},
    {"4618", "", ModuleType4618},   {"4624", "", ModuleType4624},
    {"4637", "", ModuleType4637},
};

// Variant letters by the code of a Modbus RTU reply; the code is the index.
const char* const VARIANT_4652[] = {"", "D", "G", "GD"};

bool fnIsUpperLetters(const uint8_t* pbyText, uint32_t dwCount)
{
    for (uint32_t i = 0; i < dwCount; ++i)
    {
        if (pbyText[i] < 'A' || pbyText[i] > 'Z')
            return false;
    }
    return true;
}

// "!" AA NNNN and dwLetters letters: the part both ASCII replies share.
bool fnIsAsciiNameBody(const uint8_t* pbyData, uint32_t dwLetters)
{
    const char* pchData = reinterpret_cast<const char*>(pbyData);
    return pbyData[0] == REPLY_LEAD && fnIsHexPair(pchData + 1) && fnIsDec4(pchData + 3) &&
           fnIsUpperLetters(pbyData + 7, dwLetters);
}

void fnSetVariant(ModuleRecord& stRecord, const char* pchLetters)
{
    const size_t nLen = std::strlen(pchLetters);
    std::memcpy(stRecord.m_achSubType, pchLetters, nLen + 1);
    stRecord.m_dwSubTypeLen = static_cast<uint32_t>(nLen);
}

} // namespace

ModuleList::ModuleList()
    : m_astModule(), m_dwSelected(0), m_dwCount(0), m_dwScanProtocol(ProtocolVqAscii),
      m_chScanAddress(0)
{
}

bool ModuleList::fnSearchReplyAscii(const uint8_t* pbyData, uint32_t dwLen)
{
    if (dwLen < ASCII_REPLY_MIN || dwLen > ASCII_REPLY_MIN + VARIANT_MAX)
        return false;
    const uint32_t dwLetters = dwLen - ASCII_REPLY_MIN;
    if (!fnIsAsciiNameBody(pbyData, dwLetters) || pbyData[dwLen - 1] != CR)
        return false;
    return fnFillFromAscii(pbyData, dwLetters, ProtocolVqAscii);
}

bool ModuleList::fnSearchReplyAsciiChk(const uint8_t* pbyData, uint32_t dwLen)
{
    if (dwLen < CHK_REPLY_MIN || dwLen > CHK_REPLY_MIN + VARIANT_MAX)
        return false;
    const uint32_t dwLetters = dwLen - CHK_REPLY_MIN;
    if (!fnIsAsciiNameBody(pbyData, dwLetters) || pbyData[dwLen - 1] != CR ||
        !fnCheckSumVerify(pbyData, dwLen - 1))
        return false;
    return fnFillFromAscii(pbyData, dwLetters, ProtocolVqAsciiChk);
}

bool ModuleList::fnSearchReplyRtu(const uint8_t* pbyData, uint32_t dwLen)
{
    if (dwLen != RTU_REPLY_LEN || pbyData[1] != RTU_FUNC_USER || pbyData[2] != 0x00 ||
        pbyData[3] != 0x00 || !fnCrc16Valid(pbyData, dwLen))
        return false;
    const uint32_t dwIndex = m_dwCount.load();
    if (dwIndex >= MODULE_LIST_MAX)
        return false;
    ModuleRecord& stRecord = m_astModule[dwIndex];
    std::memset(&stRecord, 0, sizeof stRecord);
    fnByteToHex2(pbyData[4], stRecord.m_achTypeDec4);
    fnByteToHex2(pbyData[5], stRecord.m_achTypeDec4 + 2);
    stRecord.m_chAddress = pbyData[0];
    fnByteToHex2(pbyData[0], stRecord.m_achAddressHex2);
    stRecord.m_chSubTypeCode = pbyData[6];
    fnModuleTypeFromRtu(dwIndex);
    stRecord.m_dwProtocol = ProtocolModbusRtu;
    fnListTextFormat(dwIndex);
    return true;
}

bool ModuleList::fnSearchReply(uint32_t dwProtocol, const uint8_t* pbyData, uint32_t dwLen)
{
    switch (dwProtocol)
    {
    case ProtocolVqAscii:
        return fnSearchReplyAscii(pbyData, dwLen);
    case ProtocolVqAsciiChk:
        return fnSearchReplyAsciiChk(pbyData, dwLen);
    case ProtocolModbusRtu:
        return fnSearchReplyRtu(pbyData, dwLen);
    default:
        return false;
    }
}

bool ModuleList::fnFillFromAscii(const uint8_t* pbyData, uint32_t dwLetters, uint32_t dwProtocol)
{
    const uint32_t dwIndex = m_dwCount.load();
    if (dwIndex >= MODULE_LIST_MAX)
        return false;
    ModuleRecord& stRecord = m_astModule[dwIndex];
    std::memset(&stRecord, 0, sizeof stRecord);
    fnHexPairToByte(reinterpret_cast<const char*>(pbyData + 1), &stRecord.m_chAddress);
    std::memcpy(stRecord.m_achAddressHex2, pbyData + 1, 2);
    std::memcpy(stRecord.m_achTypeDec4, pbyData + 3, 4);
    std::memcpy(stRecord.m_achSubType, pbyData + 7, dwLetters);
    stRecord.m_dwSubTypeLen = dwLetters;
    stRecord.m_dwProtocol = dwProtocol;
    fnModuleTypeFromText(dwIndex);
    fnListTextFormat(dwIndex);
    return true;
}

void ModuleList::fnModuleTypeFromText(uint32_t dwIndex)
{
    ModuleRecord& stRecord = m_astModule[dwIndex];
    stRecord.m_dwModuleType = ModuleTypeUnknown;
    for (const KnownModel& stModel : KNOWN_MODELS)
    {
        const uint32_t dwLetters = static_cast<uint32_t>(std::strlen(stModel.pchLetters));
        if (std::memcmp(stRecord.m_achTypeDec4, stModel.pchNumber, 4) == 0 &&
            stRecord.m_dwSubTypeLen == dwLetters &&
            std::memcmp(stRecord.m_achSubType, stModel.pchLetters, dwLetters) == 0)
        {
            stRecord.m_dwModuleType = stModel.eType;
            return;
        }
    }
}

void ModuleList::fnModuleTypeFromRtu(uint32_t dwIndex)
{
    ModuleRecord& stRecord = m_astModule[dwIndex];
    stRecord.m_dwModuleType = ModuleTypeUnknown;
    if (!fnIsDec4(stRecord.m_achTypeDec4))
    {
        std::memcpy(stRecord.m_achTypeDec4, "????", 5);
        fnSetVariant(stRecord, "?");
        return;
    }
    const uint8_t chCode = stRecord.m_chSubTypeCode;
    if (std::memcmp(stRecord.m_achTypeDec4, "4652", 4) == 0 && chCode < 4)
    {
        fnSetVariant(stRecord, VARIANT_4652[chCode]);
        fnModuleTypeFromText(dwIndex);
        return;
    }
    fnSetVariant(stRecord, chCode == 0 ? "" : "?");
    fnModuleTypeFromText(dwIndex);
    if (stRecord.m_dwModuleType == ModuleTypeUnknown)
        fnSetVariant(stRecord, "?");
}

void ModuleList::fnListTextFormat(uint32_t dwIndex)
{
    ModuleRecord& stRecord = m_astModule[dwIndex];
    const int nLetters =
        stRecord.m_dwSubTypeLen <= VARIANT_MAX ? static_cast<int>(stRecord.m_dwSubTypeLen) : 0;
    std::snprintf(stRecord.m_achListText, sizeof stRecord.m_achListText, "[%.2sH] %.4s%.*s %s",
                  stRecord.m_achAddressHex2, stRecord.m_achTypeDec4, nLetters,
                  stRecord.m_achSubType, fnProtocolListText(stRecord.m_dwProtocol));
    std::snprintf(stRecord.m_achModName, sizeof stRecord.m_achModName, "%.4s%.*s",
                  stRecord.m_achTypeDec4, nLetters, stRecord.m_achSubType);
}

const ModuleRecord* ModuleList::fnSelected() const
{
    const uint32_t dwSelected = m_dwSelected.load();
    return dwSelected < m_dwCount.load() ? &m_astModule[dwSelected] : nullptr;
}

uint32_t fnSearchWaitTime(uint32_t dwBaudIndex)
{
    static const uint32_t WAIT_MS[BAUD_INDEX_COUNT] = {600, 450, 400, 350, 300, 300, 250, 250};
    return dwBaudIndex < BAUD_INDEX_COUNT ? WAIT_MS[dwBaudIndex] : 350;
}
