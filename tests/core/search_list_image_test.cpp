// The search-list file image: exact layout of a saved list, a save/load round trip, and the
// corrupt files a loader must refuse without touching the list.
#include "search/SearchListImage.h"
#include "tests/core/TestBytes.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

namespace
{

void fnAdd(ModuleList& stList, uint32_t dwProtocol, const Bytes& vecReply)
{
    ASSERT_TRUE(stList.fnSearchReply(dwProtocol, vecReply.data(), fnSize(vecReply)));
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
    fnAdd(*m_pList, 1, fnBytes("!1f4652GD\r"));
    m_pImage->fnListToFile(*m_pList);
    const uint8_t* pbyImage = m_pImage->m_abyImage;
    const Bytes vecHeader = fnBytes("\x01\x00\x00\x00\x01\x00\x00\x00");
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

// A full list of every protocol read back from exactly the bytes its file holds: saving the
// loaded list again gives the same file, so every field came back.
TEST_F(SearchListImageTest, FullListComesBackWhole)
{
    const struct
    {
        uint32_t dwProtocol;
        Bytes vecReply;
    } astReply[] = {
        {1, fnBytes("!014652D\r")},
        {2, fnBytes("!1F4652GDF4\r")},
        {3, fnBytes("\x01\x46\x00\x00\x46\x52\x07\x98\x11")},
        {3, fnBytes("\x22\x46\x00\x00\x46\x37\x00\xE0\x41")},
    };
    for (uint32_t i = 0; i < MODULE_LIST_MAX; ++i)
        fnAdd(*m_pList, astReply[i % 4].dwProtocol, astReply[i % 4].vecReply);
    m_pImage->fnListToFile(*m_pList);
    const uint32_t dwSize = 8 + MODULE_LIST_MAX * 294;
    EXPECT_EQ(dwSize, m_pImage->m_dwCursor);
    EXPECT_EQ(MODULE_LIST_MAX, fnDwordAt(m_pImage->m_abyImage, 4));
    std::unique_ptr<SearchListImage> pRead(new SearchListImage());
    std::memcpy(pRead->m_abyImage, m_pImage->m_abyImage, dwSize);
    ASSERT_EQ(SliParseOk, pRead->fnLoadRead(dwSize));
    pRead->fnFileToList(*m_pLoaded);
    ASSERT_EQ(MODULE_LIST_MAX, m_pLoaded->m_dwCount.load());
    std::unique_ptr<SearchListImage> pAgain(new SearchListImage());
    pAgain->fnListToFile(*m_pLoaded);
    EXPECT_EQ(0, std::memcmp(m_pImage->m_abyImage, pAgain->m_abyImage, SLI_FILE_SIZE));
}

// A two-record file as read (dwRead bytes), with one dword changed: the bytes after the read
// never count, a file that ends before its last record is refused, and so is a bad header or
// variant count; other stored numbers are taken as they are.
TEST_F(SearchListImageTest, ShortAndCorruptFiles)
{
    fnAdd(*m_pList, 1, fnBytes("!014652\r"));
    fnAdd(*m_pList, 1, fnBytes("!024652\r"));
    m_pImage->fnListToFile(*m_pList);
    const uint32_t NONE = 0xFFFFFFFF;
    const struct
    {
        uint32_t dwRead, dwOffset, dwValue, dwResult;
    } aCases[] = {
        {0, NONE, 0, SliParseBadVersion},
        {4, NONE, 0, SliParseBadCount},
        {8, NONE, 0, SliParseShort},
        {8 + 294, NONE, 0, SliParseShort},
        {8 + 2 * 294 - 1, NONE, 0, SliParseShort},
        {8 + 2 * 294, NONE, 0, SliParseOk},
        {SLI_FILE_SIZE, NONE, 0, SliParseOk},
        {SLI_FILE_SIZE, 0, 2, SliParseBadVersion},
        {SLI_FILE_SIZE, 0, 0, SliParseBadVersion},
        {SLI_FILE_SIZE, 4, 0, SliParseBadCount},
        {SLI_FILE_SIZE, 4, 769, SliParseBadCount},
        {SLI_FILE_SIZE, 4, 0xFFFFFFFF, SliParseBadCount},
        {SLI_FILE_SIZE, 8 + 294 + 25, 4, SliParseBadVariant}, // second record's variant count
        {SLI_FILE_SIZE, 8 + 30, 99, SliParseOk},              // module type
        {SLI_FILE_SIZE, 8 + 34, 7, SliParseOk},               // protocol
    };
    for (const auto& stCase : aCases)
    {
        SCOPED_TRACE(std::to_string(stCase.dwRead) + " " + std::to_string(stCase.dwOffset));
        std::unique_ptr<SearchListImage> pRead(new SearchListImage());
        std::memset(pRead->m_abyImage, 0x01, SLI_FILE_SIZE); // left by an earlier file
        std::memcpy(pRead->m_abyImage, m_pImage->m_abyImage, stCase.dwRead);
        if (stCase.dwOffset != NONE)
            fnSetDwordAt(pRead->m_abyImage, stCase.dwOffset, stCase.dwValue);
        EXPECT_EQ(stCase.dwResult, pRead->fnLoadRead(stCase.dwRead));
    }
}

} // namespace
