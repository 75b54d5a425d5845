// The search-list file image: exact layout of a saved list, a save/load round trip, and the
// corrupt files a loader must refuse without touching the list.
#include "search/SearchListImage.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{

using Bytes = std::vector<uint8_t>;

void fnAdd(ModuleList& stList, uint32_t dwProtocol, const Bytes& vecReply)
{
    ASSERT_TRUE(
        stList.fnSearchReply(dwProtocol, vecReply.data(), static_cast<uint32_t>(vecReply.size())));
    stList.m_dwCount.fetch_add(1);
}

uint32_t fnDwordAt(const uint8_t* pbyImage, uint32_t dwOffset)
{
    return pbyImage[dwOffset] | pbyImage[dwOffset + 1] << 8 | pbyImage[dwOffset + 2] << 16 |
           static_cast<uint32_t>(pbyImage[dwOffset + 3]) << 24;
}

void fnSetDwordAt(uint8_t* pbyImage, uint32_t dwOffset, uint32_t dwValue)
{
    for (int i = 0; i < 4; ++i)
        pbyImage[dwOffset + i] = static_cast<uint8_t>(dwValue >> (8 * i));
}

class SearchListImageTest : public ::testing::Test
{
  protected:
    std::unique_ptr<SearchListImage> m_pImage{new SearchListImage()};
    std::unique_ptr<ModuleList> m_pList{new ModuleList()};
    std::unique_ptr<ModuleList> m_pLoaded{new ModuleList()};
};

TEST_F(SearchListImageTest, OneRecordLayout)
{
    fnAdd(*m_pList, 1, {'!', '1', 'f', '4', '6', '5', '2', 'G', 'D', '\r'});
    m_pImage->fnListToFile(*m_pList);
    const uint8_t* pbyImage = m_pImage->m_abyImage;
    const Bytes vecHeader = {0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00};
    EXPECT_EQ(vecHeader, Bytes(pbyImage, pbyImage + 8));
    const uint8_t* pbyRecord = pbyImage + 8;
    EXPECT_EQ(0x1F, pbyRecord[0]);
    EXPECT_EQ(0, std::memcmp("1f\0", pbyRecord + 1, 3));
    EXPECT_EQ(0, std::memcmp("4652\0", pbyRecord + 9, 5));
    EXPECT_EQ(0, std::memcmp("GD\0", pbyRecord + 17, 3));
    EXPECT_EQ(2u, fnDwordAt(pbyRecord, 25));
    EXPECT_EQ(4u, fnDwordAt(pbyRecord, 30)); // ModuleType after the 1-byte variant code at 29
    EXPECT_EQ(1u, fnDwordAt(pbyRecord, 34));
    EXPECT_STREQ("[1fH] 4652GD (VQASCII)", reinterpret_cast<const char*>(pbyRecord + 38));
    EXPECT_STREQ("4652GD", reinterpret_cast<const char*>(pbyRecord + 166));
    EXPECT_EQ(8u + 294u, m_pImage->m_dwCursor);
    // Nothing written after the one record.
    for (uint32_t i = 8 + 294; i < SLI_FILE_SIZE; ++i)
        ASSERT_EQ(0, pbyImage[i]) << i;
}

TEST_F(SearchListImageTest, EmptyListWritesNothing)
{
    m_pImage->m_abyImage[0] = 0x55;
    m_pImage->fnListToFile(*m_pList);
    EXPECT_EQ(0x55, m_pImage->m_abyImage[0]);
}

TEST_F(SearchListImageTest, RoundTripKeepsLinesAndFields)
{
    fnAdd(*m_pList, 1, {'!', '0', '1', '4', '6', '5', '2', 'D', '\r'});
    fnAdd(*m_pList, 2, {'!', '1', 'F', '4', '6', '5', '2', 'G', 'D', 'F', '4', '\r'});
    fnAdd(*m_pList, 3, {0x01, 0x46, 0x00, 0x00, 0x46, 0x52, 0x07, 0x98, 0x11});
    fnAdd(*m_pList, 3, {0x22, 0x46, 0x00, 0x00, 0x46, 0x37, 0x00, 0xE0, 0x41});
    m_pImage->fnListToFile(*m_pList);

    std::unique_ptr<SearchListImage> pRead(new SearchListImage());
    std::memcpy(pRead->m_abyImage, m_pImage->m_abyImage, SLI_FILE_SIZE);
    ASSERT_EQ(SliParseOk, pRead->fnFileParse());
    pRead->fnFileToList(*m_pLoaded);
    ASSERT_EQ(4u, m_pLoaded->m_dwCount.load());
    for (uint32_t i = 0; i < 4; ++i)
    {
        SCOPED_TRACE(i);
        EXPECT_EQ(0, std::memcmp(&m_pList->m_astModule[i].m_chAddress,
                                 &m_pLoaded->m_astModule[i].m_chAddress, 1));
        EXPECT_STREQ(m_pList->m_astModule[i].m_achListText,
                     m_pLoaded->m_astModule[i].m_achListText);
        EXPECT_STREQ(m_pList->m_astModule[i].m_achModName, m_pLoaded->m_astModule[i].m_achModName);
        EXPECT_EQ(m_pList->m_astModule[i].m_dwModuleType, m_pLoaded->m_astModule[i].m_dwModuleType);
        EXPECT_EQ(m_pList->m_astModule[i].m_dwProtocol, m_pLoaded->m_astModule[i].m_dwProtocol);
        EXPECT_EQ(m_pList->m_astModule[i].m_chSubTypeCode,
                  m_pLoaded->m_astModule[i].m_chSubTypeCode);
        EXPECT_EQ(m_pList->m_astModule[i].m_dwSubTypeLen, m_pLoaded->m_astModule[i].m_dwSubTypeLen);
        EXPECT_EQ(0, std::memcmp(m_pList->m_astModule[i].m_achSubType,
                                 m_pLoaded->m_astModule[i].m_achSubType, 8));
    }
    EXPECT_STREQ("[1FH] 4652GD (VQASCII-CHK)", m_pLoaded->m_astModule[1].m_achListText);
    // Saving the loaded list again gives the same file.
    std::unique_ptr<SearchListImage> pAgain(new SearchListImage());
    pAgain->fnListToFile(*m_pLoaded);
    EXPECT_EQ(0, std::memcmp(m_pImage->m_abyImage, pAgain->m_abyImage, SLI_FILE_SIZE));
}

TEST_F(SearchListImageTest, ListsOfOneTwoAndAllRecordsComeBackWhole)
{
    const Bytes vecReply = {'!', '0', '1', '4', '6', '1', '8', '\r'};
    for (uint32_t dwCount : {1u, 2u, MODULE_LIST_MAX})
    {
        SCOPED_TRACE(dwCount);
        m_pList->m_dwCount.store(0);
        for (uint32_t i = 0; i < dwCount; ++i)
            fnAdd(*m_pList, 1, vecReply);
        m_pList->m_astModule[dwCount - 1].m_chAddress = 0x5C; // the last one differs
        std::unique_ptr<SearchListImage> pSaved(new SearchListImage());
        pSaved->fnListToFile(*m_pList);
        EXPECT_EQ(8u + dwCount * 294u, pSaved->m_dwCursor);
        EXPECT_EQ(dwCount, fnDwordAt(pSaved->m_abyImage, 4));
        // Read back from exactly the bytes a file of that list holds, nothing after them.
        std::unique_ptr<SearchListImage> pRead(new SearchListImage());
        std::memcpy(pRead->m_abyImage, pSaved->m_abyImage, 8 + dwCount * 294);
        ASSERT_EQ(SliParseOk, pRead->fnLoadRead(8 + dwCount * 294));
        m_pLoaded->m_dwCount.store(0);
        pRead->fnFileToList(*m_pLoaded);
        ASSERT_EQ(dwCount, m_pLoaded->m_dwCount.load());
        EXPECT_STREQ("[01H] 4618 (VQASCII)", m_pLoaded->m_astModule[0].m_achListText);
        EXPECT_EQ(0x5C, m_pLoaded->m_astModule[dwCount - 1].m_chAddress);
    }
}

// What a load of a file of dwRead bytes gives: the bytes after the read never count, and a
// file that ends before its last record is refused.
TEST_F(SearchListImageTest, LoadOfAShortFile)
{
    fnAdd(*m_pList, 1, {'!', '0', '1', '4', '6', '5', '2', '\r'});
    fnAdd(*m_pList, 1, {'!', '0', '2', '4', '6', '5', '2', '\r'});
    m_pImage->fnListToFile(*m_pList);
    struct Row
    {
        uint32_t dwRead;
        uint32_t dwResult;
    };
    const Row astRows[] = {
        {0, SliParseBadVersion},
        {4, SliParseBadCount},
        {8, SliParseShort},
        {8 + 294, SliParseShort},
        {8 + 2 * 294 - 1, SliParseShort},
        {8 + 2 * 294, SliParseOk},
        {SLI_FILE_SIZE, SliParseOk},
    };
    for (const Row& stRow : astRows)
    {
        SCOPED_TRACE(stRow.dwRead);
        std::unique_ptr<SearchListImage> pRead(new SearchListImage());
        std::memset(pRead->m_abyImage, 0x01, SLI_FILE_SIZE); // left by an earlier file
        std::memcpy(pRead->m_abyImage, m_pImage->m_abyImage, stRow.dwRead);
        EXPECT_EQ(stRow.dwResult, pRead->fnLoadRead(stRow.dwRead));
    }
}

struct CorruptCase
{
    const char* pchName;
    uint32_t dwOffset;
    uint32_t dwValue;
    uint32_t dwResult;
};

TEST_F(SearchListImageTest, CorruptFilesAreRefused)
{
    fnAdd(*m_pList, 1, {'!', '0', '1', '4', '6', '5', '2', '\r'});
    fnAdd(*m_pList, 1, {'!', '0', '2', '4', '6', '5', '2', '\r'});
    m_pImage->fnListToFile(*m_pList);
    std::unique_ptr<SearchListImage> pGood(new SearchListImage());
    std::memcpy(pGood->m_abyImage, m_pImage->m_abyImage, SLI_FILE_SIZE);

    const CorruptCase aCases[] = {
        {"version 2", 0, 2, SliParseBadVersion},
        {"version 0", 0, 0, SliParseBadVersion},
        {"count 0", 4, 0, SliParseBadCount},
        {"count 769", 4, 769, SliParseBadCount},
        {"count huge", 4, 0xFFFFFFFF, SliParseBadCount},
        {"second record variant count 4", 8 + 294 + 25, 4, SliParseBadVariant},
        {"module type 99 taken as stored", 8 + 30, 99, SliParseOk},
        {"protocol 7 taken as stored", 8 + 34, 7, SliParseOk},
    };
    for (const CorruptCase& stCase : aCases)
    {
        SCOPED_TRACE(stCase.pchName);
        std::unique_ptr<SearchListImage> pRead(new SearchListImage());
        std::memcpy(pRead->m_abyImage, pGood->m_abyImage, SLI_FILE_SIZE);
        fnSetDwordAt(pRead->m_abyImage, stCase.dwOffset, stCase.dwValue);
        EXPECT_EQ(stCase.dwResult, pRead->fnFileParse());
    }
}

TEST_F(SearchListImageTest, ShortFileAndUnterminatedTexts)
{
    fnAdd(*m_pList, 1, {'!', '0', '1', '4', '6', '5', '2', '\r'});
    m_pImage->fnListToFile(*m_pList);
    // The file ends inside the record: the missing bytes read as zeros, not as the old image.
    std::memset(m_pImage->m_abyImage + 100, 0xAA, SLI_FILE_SIZE - 100);
    m_pImage->fnClearFrom(100);
    EXPECT_EQ(0, m_pImage->m_abyImage[SLI_FILE_SIZE - 1]);
    ASSERT_EQ(SliParseOk, m_pImage->fnFileParse());

    // Text fields full of letters up to their last byte still end in a NUL in the list.
    std::memset(m_pImage->m_abyImage + 8 + 38, 'A', 128);
    std::memset(m_pImage->m_abyImage + 8 + 166, 'B', 128);
    ASSERT_EQ(SliParseOk, m_pImage->fnFileParse());
    m_pImage->fnFileToList(*m_pLoaded);
    EXPECT_EQ(127u, std::strlen(m_pLoaded->m_astModule[0].m_achListText));
    EXPECT_EQ(127u, std::strlen(m_pLoaded->m_astModule[0].m_achModName));

    // Reading past the end of the image gives zeros and stays inside it.
    m_pImage->m_dwCursor = SLI_FILE_SIZE - 2;
    m_pImage->m_abyImage[SLI_FILE_SIZE - 2] = 0x34;
    m_pImage->m_abyImage[SLI_FILE_SIZE - 1] = 0x12;
    EXPECT_EQ(0x1234u, m_pImage->fnGetDword());
    m_pImage->fnPutDword(0xFFFFFFFF); // dropped
    EXPECT_EQ(0x12, m_pImage->m_abyImage[SLI_FILE_SIZE - 1]);
}

} // namespace
