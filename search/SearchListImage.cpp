// Field-by-field packing of the module records into the search-list file image and back.
// The records are written one field after another, so the file layout does not depend on
// the compiler's structure padding.
#include "search/SearchListImage.h"

#include <cstring>

namespace
{

const uint32_t VARIANT_MAX = 3;

// A stored text is used up to its NUL; a corrupt file may have none, so the list's copy
// always ends in one.
template <size_t N> void fnTerminate(char (&achText)[N])
{
    achText[N - 1] = '\0';
}

} // namespace

SearchListImage::SearchListImage()
    : m_abyImage(), m_dwCursor(0), m_dwVersion(SLI_VERSION), m_dwCount(0), m_astModule()
{
}

void SearchListImage::fnPutBytes(const void* pvData, uint32_t dwCount)
{
    const uint8_t* pbyData = static_cast<const uint8_t*>(pvData);
    for (uint32_t i = 0; i < dwCount; ++i)
        fnPutByte(pbyData[i]);
}

void SearchListImage::fnGetBytes(void* pvData, uint32_t dwCount)
{
    uint8_t* pbyData = static_cast<uint8_t*>(pvData);
    for (uint32_t i = 0; i < dwCount; ++i)
        pbyData[i] = fnGetByte();
}

void SearchListImage::fnPutByte(uint8_t byValue)
{
    if (m_dwCursor < SLI_FILE_SIZE)
        m_abyImage[m_dwCursor++] = byValue;
}

uint8_t SearchListImage::fnGetByte()
{
    if (m_dwCursor >= SLI_FILE_SIZE)
        return 0;
    return m_abyImage[m_dwCursor++];
}

void SearchListImage::fnPutDword(uint32_t dwValue)
{
    for (int nShift = 0; nShift < 32; nShift += 8)
        fnPutByte(static_cast<uint8_t>(dwValue >> nShift));
}

uint32_t SearchListImage::fnGetDword()
{
    uint32_t dwValue = 0;
    for (int nShift = 0; nShift < 32; nShift += 8)
        dwValue |= static_cast<uint32_t>(fnGetByte()) << nShift;
    return dwValue;
}

void SearchListImage::fnClearFrom(uint32_t dwRead)
{
    if (dwRead < SLI_FILE_SIZE)
        std::memset(m_abyImage + dwRead, 0, SLI_FILE_SIZE - dwRead);
}

void SearchListImage::fnPutRecord(const ModuleRecord& stRecord)
{
    fnPutByte(stRecord.m_chAddress);
    fnPutBytes(stRecord.m_achAddressHex2, sizeof stRecord.m_achAddressHex2);
    fnPutBytes(stRecord.m_achTypeDec4, sizeof stRecord.m_achTypeDec4);
    fnPutBytes(stRecord.m_achSubType, sizeof stRecord.m_achSubType);
    fnPutDword(stRecord.m_dwSubTypeLen);
    fnPutByte(stRecord.m_chSubTypeCode);
    fnPutDword(stRecord.m_dwModuleType);
    fnPutDword(stRecord.m_dwProtocol);
    fnPutBytes(stRecord.m_achListText, sizeof stRecord.m_achListText);
    fnPutBytes(stRecord.m_achModName, sizeof stRecord.m_achModName);
}

void SearchListImage::fnGetRecord(ModuleRecord& stRecord)
{
    stRecord.m_chAddress = fnGetByte();
    fnGetBytes(stRecord.m_achAddressHex2, sizeof stRecord.m_achAddressHex2);
    fnGetBytes(stRecord.m_achTypeDec4, sizeof stRecord.m_achTypeDec4);
    fnGetBytes(stRecord.m_achSubType, sizeof stRecord.m_achSubType);
    stRecord.m_dwSubTypeLen = fnGetDword();
    stRecord.m_chSubTypeCode = fnGetByte();
    stRecord.m_dwModuleType = fnGetDword();
    stRecord.m_dwProtocol = fnGetDword();
    fnGetBytes(stRecord.m_achListText, sizeof stRecord.m_achListText);
    fnGetBytes(stRecord.m_achModName, sizeof stRecord.m_achModName);
}

void SearchListImage::fnListToFile(const ModuleList& stList)
{
    const uint32_t dwCount = stList.m_dwCount.load();
    if (dwCount == 0 || dwCount > MODULE_LIST_MAX)
        return;
    m_dwCursor = 0;
    fnPutDword(SLI_VERSION);
    fnPutDword(dwCount);
    for (uint32_t i = 0; i < dwCount; ++i)
        fnPutRecord(stList.m_astModule[i]);
}

uint32_t SearchListImage::fnFileParse()
{
    m_dwCursor = 0;
    m_dwVersion = fnGetDword();
    if (m_dwVersion != SLI_VERSION)
        return SliParseBadVersion;
    m_dwCount = fnGetDword();
    if (m_dwCount == 0 || m_dwCount > MODULE_LIST_MAX)
        return SliParseBadCount;
    for (uint32_t i = 0; i < m_dwCount; ++i)
    {
        fnGetRecord(m_astModule[i]);
        if (m_astModule[i].m_dwSubTypeLen > VARIANT_MAX)
            return SliParseBadVariant;
    }
    return SliParseOk;
}

uint32_t SearchListImage::fnLoadRead(uint32_t dwRead)
{
    fnClearFrom(dwRead);
    const uint32_t dwResult = fnFileParse();
    if (dwResult != SliParseOk)
        return dwResult;
    if (dwRead < SLI_HEADER_SIZE + m_dwCount * SLI_RECORD_SIZE)
        return SliParseShort;
    return SliParseOk;
}

void SearchListImage::fnFileToList(ModuleList& stList) const
{
    const uint32_t dwCount = m_dwCount <= MODULE_LIST_MAX ? m_dwCount : MODULE_LIST_MAX;
    for (uint32_t i = 0; i < dwCount; ++i)
    {
        ModuleRecord& stRecord = stList.m_astModule[i];
        stRecord = m_astModule[i];
        fnTerminate(stRecord.m_achAddressHex2);
        fnTerminate(stRecord.m_achTypeDec4);
        fnTerminate(stRecord.m_achSubType);
        fnTerminate(stRecord.m_achListText);
        fnTerminate(stRecord.m_achModName);
    }
    stList.m_dwCount.store(dwCount);
}
