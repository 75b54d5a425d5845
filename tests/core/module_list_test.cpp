// Name-query reply parsers: which replies make a record, and the record and list line they make.
// RTU CRCs and ASCII checksums were worked out with a separate script and written out here.
#include "search/ModuleList.h"
#include "tests/core/TestBytes.h"

#include <gtest/gtest.h>

#include <memory>

namespace
{

struct ReplyCase
{
    uint32_t dwProtocol;
    Bytes vecReply;
    const char* pchLine = nullptr; // nullptr: the reply is refused
    uint32_t dwModuleType = 0;
    uint8_t chAddress = 0;
};

class ModuleListTest : public ::testing::Test
{
  protected:
    std::unique_ptr<ModuleList> m_pList{new ModuleList()};
};

TEST_F(ModuleListTest, RepliesMakeRecords)
{
    const ReplyCase aCases[] = {
        {1, fnBytes("!1F4652\r"), "[1FH] 4652 (VQASCII)", 1, 0x1F},
        {1, fnBytes("!1f4618\r"), "[1fH] 4618 (VQASCII)", 6, 0x1F},
        {1, fnBytes("!014652D\r"), "[01H] 4652D (VQASCII)", 2, 0x01},
        {1, fnBytes("!014652G\r"), "[01H] 4652G (VQASCII)", 3, 0x01},
        {1, fnBytes("!FE4652GD\r"), "[FEH] 4652GD (VQASCII)", 4, 0xFE},
        {1, fnBytes("!014652DG\r"), "[01H] 4652DG (VQASCII)", 0, 0x01},
        {1, fnBytes("!024624ABC\r"), "[02H] 4624ABC (VQASCII)", 0, 0x02},
        {1, fnBytes("!024618D\r"), "[02H] 4618D (VQASCII)", 0, 0x02},
        {1, fnBytes("!031234\r"), "[03H] 1234 (VQASCII)", 0, 0x03},
        {1, fnBytes("!A04637\r"), "[A0H] 4637 (VQASCII)", 16, 0xA0},
        {1, fnBytes("!014652ABCD\r")},   // four letters
        {1, fnBytes("!014652d\r")},      // lowercase letter
        {1, fnBytes("!0146520")},        // no CR
        {1, fnBytes("!01465\r")},        // short
        {1, fnBytes(">014652\r")},       // wrong lead
        {1, fnBytes("!0G4652\r")},       // bad address
        {1, fnBytes("!01465A\r")},       // model not decimal
        {1, fnBytes("!014652\r\r")},     // stray byte after
        {1, fnBytes("$01M\r!014652\r")}, // echo, then the reply
        {2, fnBytes("!01465253\r"), "[01H] 4652 (VQASCII-CHK)", 1, 0x01},
        {2, fnBytes("!1F4652GDF4\r"), "[1FH] 4652GD (VQASCII-CHK)", 4, 0x1F},
        {2, fnBytes("!1f46378C\r"), "[1fH] 4637 (VQASCII-CHK)", 16, 0x1F},
        {2, fnBytes("!1F4652GDf4\r")}, // lowercase checksum
        {2, fnBytes("!01465254\r")},   // wrong checksum
        {2, fnBytes("!014652D\r")},    // no checksum
        {3, fnBytes("\x01\x46\x00\x00\x46\x52\x03\x99\xD2"), "[01H] 4652GD (Modbus RTU)", 4, 0x01},
        {3, fnBytes("\x05\x46\x00\x00\x46\x52\x00\x9C\x13"), "[05H] 4652 (Modbus RTU)", 1, 0x05},
        {3, fnBytes("\x01\x46\x00\x00\x46\x52\x07\x98\x11"), "[01H] 4652? (Modbus RTU)", 0, 0x01},
        {3, fnBytes("\x01\x46\x00\x00\x4A\x52\x00\x19\xD0"), "[01H] ????? (Modbus RTU)", 0, 0x01},
        {3, fnBytes("\xAB\x46\x00\x00\x46\x18\x00\xE4\xB9"), "[ABH] 4618 (Modbus RTU)", 6, 0xAB},
        {3, fnBytes("\x21\x46\x00\x00\x46\x24\x00\xDE\x71"), "[21H] 4624 (Modbus RTU)", 11, 0x21},
        {3, fnBytes("\x22\x46\x00\x00\x46\x37\x00\xE0\x41"), "[22H] 4637 (Modbus RTU)", 16, 0x22},
        {3, fnBytes("\x22\x46\x00\x00\x46\x37\x01\x21\x81"), "[22H] 4637? (Modbus RTU)", 0, 0x22},
        {3, fnBytes("\x01\x46\x00\x00\x46\x52\x03\x99\xD3")}, // bad CRC
        {3, fnBytes("\x01\x46\x00\x00\x46\x52\x03\xD2\x99")}, // CRC bytes swapped
        {3, fnBytes("\x01\x46\x00\x12\x60")},                 // short
        {3, fnBytes("!01465253\r")},
        {4, fnBytes("!014652\r")}, // Modbus ASCII has no parser
    };
    for (size_t i = 0; i < sizeof aCases / sizeof aCases[0]; ++i)
    {
        const ReplyCase& stCase = aCases[i];
        SCOPED_TRACE(i);
        // The count and a refused reply's slot are left alone: the search_reply fuzz target
        // checks both.
        ASSERT_EQ(stCase.pchLine != nullptr,
                  m_pList->fnSearchReply(stCase.dwProtocol, stCase.vecReply.data(),
                                         fnSize(stCase.vecReply)));
        if (stCase.pchLine == nullptr)
            continue;
        const ModuleRecord& stRecord = m_pList->m_astModule[0];
        const std::string strLine = stCase.pchLine;
        const size_t nName = strLine.find("] ") + 2;
        EXPECT_EQ(strLine, stRecord.m_achListText);
        EXPECT_EQ(strLine.substr(nName, strLine.find(' ', nName) - nName), stRecord.m_achModName);
        EXPECT_EQ(stCase.dwModuleType, stRecord.m_dwModuleType);
        EXPECT_EQ(stCase.chAddress, stRecord.m_chAddress);
        EXPECT_EQ(stCase.dwProtocol, stRecord.m_dwProtocol);
    }
}

TEST_F(ModuleListTest, SelectedOnlyInsideTheList)
{
    EXPECT_EQ(nullptr, m_pList->fnSelected());
    m_pList->m_dwCount = 2;
    m_pList->m_dwSelected = 1;
    EXPECT_EQ(&m_pList->m_astModule[1], m_pList->fnSelected());
    m_pList->m_dwSelected = 2;
    EXPECT_EQ(nullptr, m_pList->fnSelected());
}

} // namespace
