// Name-query reply parsers: which replies make a record, and the record and list line they make.
// RTU CRCs and ASCII checksums were worked out with a separate script and written out here.
#include "search/ModuleList.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace
{

using Bytes = std::vector<uint8_t>;

Bytes fnText(const std::string& strText)
{
    return Bytes(strText.begin(), strText.end());
}

struct ReplyCase
{
    const char* pchName;
    uint32_t dwProtocol;
    Bytes vecReply;
    bool bAccepted;
    const char* pchListText;
    const char* pchModName;
    uint32_t dwModuleType;
    uint8_t chAddress;
};

class ModuleListTest : public ::testing::Test
{
  protected:
    std::unique_ptr<ModuleList> m_pList{new ModuleList()};
};

TEST_F(ModuleListTest, RepliesMakeRecords)
{
    const ReplyCase aCases[] = {
        {"ascii plain", 1, fnText("!1F4652\r"), true, "[1FH] 4652 (VQASCII)", "4652", 1, 0x1F},
        {"ascii lowercase address", 1, fnText("!1f4618\r"), true, "[1fH] 4618 (VQASCII)", "4618", 6,
         0x1F},
        {"ascii variant D", 1, fnText("!014652D\r"), true, "[01H] 4652D (VQASCII)", "4652D", 2,
         0x01},
        {"ascii variant G", 1, fnText("!014652G\r"), true, "[01H] 4652G (VQASCII)", "4652G", 3,
         0x01},
        {"ascii variant GD", 1, fnText("!FE4652GD\r"), true, "[FEH] 4652GD (VQASCII)", "4652GD", 4,
         0xFE},
        {"ascii letters DG unknown", 1, fnText("!014652DG\r"), true, "[01H] 4652DG (VQASCII)",
         "4652DG", 0, 0x01},
        {"ascii three letters", 1, fnText("!024624ABC\r"), true, "[02H] 4624ABC (VQASCII)",
         "4624ABC", 0, 0x02},
        {"ascii 4618 with letter", 1, fnText("!024618D\r"), true, "[02H] 4618D (VQASCII)", "4618D",
         0, 0x02},
        {"ascii unknown number", 1, fnText("!031234\r"), true, "[03H] 1234 (VQASCII)", "1234", 0,
         0x03},
        {"ascii 4637", 1, fnText("!A04637\r"), true, "[A0H] 4637 (VQASCII)", "4637", 16, 0xA0},
        {"ascii four letters", 1, fnText("!014652ABCD\r"), false, "", "", 0, 0},
        {"ascii lowercase letter", 1, fnText("!014652d\r"), false, "", "", 0, 0},
        {"ascii no CR", 1, fnText("!0146520"), false, "", "", 0, 0},
        {"ascii short", 1, fnText("!01465\r"), false, "", "", 0, 0},
        {"ascii wrong lead", 1, fnText(">014652\r"), false, "", "", 0, 0},
        {"ascii bad address", 1, fnText("!0G4652\r"), false, "", "", 0, 0},
        {"ascii model not decimal", 1, fnText("!01465A\r"), false, "", "", 0, 0},
        {"ascii stray byte after", 1, fnText("!014652\r\r"), false, "", "", 0, 0},
        {"ascii echo then reply", 1, fnText("$01M\r!014652\r"), false, "", "", 0, 0},
        {"chk plain", 2, fnText("!01465253\r"), true, "[01H] 4652 (VQASCII-CHK)", "4652", 1, 0x01},
        {"chk GD", 2, fnText("!1F4652GDF4\r"), true, "[1FH] 4652GD (VQASCII-CHK)", "4652GD", 4,
         0x1F},
        {"chk lowercase address", 2, fnText("!1f46378C\r"), true, "[1fH] 4637 (VQASCII-CHK)",
         "4637", 16, 0x1F},
        {"chk lowercase checksum", 2, fnText("!1F4652GDf4\r"), false, "", "", 0, 0},
        {"chk wrong checksum", 2, fnText("!01465254\r"), false, "", "", 0, 0},
        {"chk reply without checksum", 2, fnText("!014652D\r"), false, "", "", 0, 0},
        {"ascii reply asked in chk", 2, fnText("!014652\r"), false, "", "", 0, 0},
        {"rtu GD",
         3,
         {0x01, 0x46, 0x00, 0x00, 0x46, 0x52, 0x03, 0x99, 0xD2},
         true,
         "[01H] 4652GD (Modbus RTU)",
         "4652GD",
         4,
         0x01},
        {"rtu plain",
         3,
         {0x05, 0x46, 0x00, 0x00, 0x46, 0x52, 0x00, 0x9C, 0x13},
         true,
         "[05H] 4652 (Modbus RTU)",
         "4652",
         1,
         0x05},
        {"rtu variant 7",
         3,
         {0x01, 0x46, 0x00, 0x00, 0x46, 0x52, 0x07, 0x98, 0x11},
         true,
         "[01H] 4652? (Modbus RTU)",
         "4652?",
         0,
         0x01},
        {"rtu model not decimal",
         3,
         {0x01, 0x46, 0x00, 0x00, 0x4A, 0x52, 0x00, 0x19, 0xD0},
         true,
         "[01H] ????? (Modbus RTU)",
         "?????",
         0,
         0x01},
        {"rtu 4618",
         3,
         {0x20, 0x46, 0x00, 0x00, 0x46, 0x18, 0x00, 0xDF, 0xB1},
         true,
         "[20H] 4618 (Modbus RTU)",
         "4618",
         6,
         0x20},
        {"rtu 4624",
         3,
         {0x21, 0x46, 0x00, 0x00, 0x46, 0x24, 0x00, 0xDE, 0x71},
         true,
         "[21H] 4624 (Modbus RTU)",
         "4624",
         11,
         0x21},
        {"rtu 4637",
         3,
         {0x22, 0x46, 0x00, 0x00, 0x46, 0x37, 0x00, 0xE0, 0x41},
         true,
         "[22H] 4637 (Modbus RTU)",
         "4637",
         16,
         0x22},
        {"rtu 4637 with variant",
         3,
         {0x22, 0x46, 0x00, 0x00, 0x46, 0x37, 0x01, 0x21, 0x81},
         true,
         "[22H] 4637? (Modbus RTU)",
         "4637?",
         0,
         0x22},
        {"rtu bad crc",
         3,
         {0x01, 0x46, 0x00, 0x00, 0x46, 0x52, 0x03, 0x99, 0xD3},
         false,
         "",
         "",
         0,
         0},
        {"rtu crc swapped",
         3,
         {0x01, 0x46, 0x00, 0x00, 0x46, 0x52, 0x03, 0xD2, 0x99},
         false,
         "",
         "",
         0,
         0},
        {"rtu short", 3, {0x01, 0x46, 0x00, 0x12, 0x60}, false, "", "", 0, 0},
        {"rtu ascii reply", 3, fnText("!01465253\r"), false, "", "", 0, 0},
        {"modbus ascii has no parser", 4, fnText("!014652\r"), false, "", "", 0, 0},
    };
    for (const ReplyCase& stCase : aCases)
    {
        SCOPED_TRACE(stCase.pchName);
        m_pList->m_dwCount = 5;
        std::memset(&m_pList->m_astModule[5], 0x7A, sizeof(ModuleRecord));
        EXPECT_EQ(stCase.bAccepted,
                  m_pList->fnSearchReply(stCase.dwProtocol, stCase.vecReply.data(),
                                         static_cast<uint32_t>(stCase.vecReply.size())));
        EXPECT_EQ(5u, m_pList->m_dwCount.load()) << "the parser must not raise the count";
        const ModuleRecord& stRecord = m_pList->m_astModule[5];
        if (!stCase.bAccepted)
        {
            EXPECT_EQ(0x7A, stRecord.m_chAddress) << "a rejected reply must not touch the record";
            continue;
        }
        EXPECT_STREQ(stCase.pchListText, stRecord.m_achListText);
        EXPECT_STREQ(stCase.pchModName, stRecord.m_achModName);
        EXPECT_EQ(stCase.dwModuleType, stRecord.m_dwModuleType);
        EXPECT_EQ(stCase.chAddress, stRecord.m_chAddress);
        EXPECT_EQ(stCase.dwProtocol, stRecord.m_dwProtocol);
    }
}

TEST_F(ModuleListTest, RecordFieldsAsReceived)
{
    const Bytes vecAscii = fnText("!1f4652GD\r");
    ASSERT_TRUE(
        m_pList->fnSearchReplyAscii(vecAscii.data(), static_cast<uint32_t>(vecAscii.size())));
    const ModuleRecord& stAscii = m_pList->m_astModule[0];
    EXPECT_STREQ("1f", stAscii.m_achAddressHex2);
    EXPECT_STREQ("4652", stAscii.m_achTypeDec4);
    EXPECT_EQ(2u, stAscii.m_dwSubTypeLen);
    EXPECT_EQ(0, std::memcmp("GD", stAscii.m_achSubType, 2));

    const Bytes vecRtu = {0x01, 0x46, 0x00, 0x00, 0x4A, 0x52, 0x00, 0x19, 0xD0};
    ASSERT_TRUE(m_pList->fnSearchReplyRtu(vecRtu.data(), 9));
    const ModuleRecord& stRtu = m_pList->m_astModule[0];
    EXPECT_STREQ("01", stRtu.m_achAddressHex2);
    EXPECT_STREQ("????", stRtu.m_achTypeDec4);
    EXPECT_STREQ("?", stRtu.m_achSubType);
    EXPECT_EQ(1u, stRtu.m_dwSubTypeLen);
    EXPECT_EQ(0x00, stRtu.m_chSubTypeCode);

    // Uppercase address text from an RTU reply at 0xAB.
    const Bytes vecHigh = {0xAB, 0x46, 0x00, 0x00, 0x46, 0x18, 0x00};
    Bytes vecFrame = vecHigh;
    // CRC-16/MODBUS of the seven bytes above, low byte first: 0xE4 0xB9 (separate script).
    vecFrame.push_back(0xE4);
    vecFrame.push_back(0xB9);
    ASSERT_TRUE(m_pList->fnSearchReplyRtu(vecFrame.data(), 9));
    EXPECT_STREQ("[ABH] 4618 (Modbus RTU)", m_pList->m_astModule[0].m_achListText);
}

TEST_F(ModuleListTest, ListTextOfStoredFields)
{
    ModuleRecord& stRecord = m_pList->m_astModule[0];
    std::memcpy(stRecord.m_achAddressHex2, "0A", 3);
    std::memcpy(stRecord.m_achTypeDec4, "4652", 5);
    std::memcpy(stRecord.m_achSubType, "GDX", 4);
    const struct
    {
        uint32_t dwLetters;
        uint32_t dwProtocol;
        const char* pchLine;
        const char* pchName;
    } aCases[] = {
        {2, 4, "[0AH] 4652GD (Modbus ASCII)", "4652GD"},
        {0, 7, "[0AH] 4652 Unknow Protocol!", "4652"},
        {3, 1, "[0AH] 4652GDX (VQASCII)", "4652GDX"},
        {4, 2, "[0AH] 4652 (VQASCII-CHK)", "4652"}, // a count above 3 shows no letters
    };
    for (const auto& stCase : aCases)
    {
        stRecord.m_dwSubTypeLen = stCase.dwLetters;
        stRecord.m_dwProtocol = stCase.dwProtocol;
        m_pList->fnListTextFormat(0);
        EXPECT_STREQ(stCase.pchLine, stRecord.m_achListText);
        EXPECT_STREQ(stCase.pchName, stRecord.m_achModName);
    }
}

TEST_F(ModuleListTest, DefaultsSelectionAndFullList)
{
    EXPECT_EQ(0u, m_pList->m_dwCount.load());
    EXPECT_EQ(1u, m_pList->m_dwScanProtocol);
    EXPECT_EQ(0u, m_pList->m_chScanAddress);
    EXPECT_EQ(nullptr, m_pList->fnSelected());

    m_pList->m_dwCount = 2;
    m_pList->m_dwSelected = 1;
    EXPECT_EQ(&m_pList->m_astModule[1], m_pList->fnSelected());
    m_pList->m_dwSelected = 2;
    EXPECT_EQ(nullptr, m_pList->fnSelected());

    // A full list takes no more records.
    m_pList->m_dwCount = MODULE_LIST_MAX;
    const Bytes vecReply = fnText("!014652\r");
    EXPECT_FALSE(m_pList->fnSearchReplyAscii(vecReply.data(), 8));
}

TEST(SearchWaitTime, ByBaudIndex)
{
    const uint32_t adwExpected[] = {600, 450, 400, 350, 300, 300, 250, 250, 350, 350};
    for (uint32_t i = 0; i < 10; ++i)
        EXPECT_EQ(adwExpected[i], fnSearchWaitTime(i == 9 ? 0xFFFFFFFFu : i)) << i;
}

} // namespace
