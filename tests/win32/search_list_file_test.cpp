// The search-list file commands on real files in a private temporary folder: that a save writes
// the list's image and a load takes a file back, and the refusals of bad files and failed saves
// with their exact messages. A hook answers the common dialogs with the file a technician picks.
#include "search/ModuleList.h"
#include "search/SearchListFile.h"
#include "tests/win32/MessageCapture.h"
#include "tests/win32/SearchTestSupport.h"
#include "tools/driver/GuiDriver.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace
{
const uint32_t FILE_SIZE = 230408; // 8 + 768 x 294 = 225800, the rest padding
const uint32_t RECORD_SIZE = 294;

const wchar_t OPEN_ERROR[] = L"INF:Idm_SearchListLoad()_01 Open sli-file error!";
const wchar_t READ_ERROR[] = L"INF:Idm_SearchListLoad()_02 Read data from sli-file error!";
const wchar_t CONTENT_ERROR[] = L"INF:Idm_SearchListLoad()_03 There are errors in sli-file!";
const wchar_t CREATE_ERROR[] = L"INF:fnFileSaveAs()_02 CreateFile() return INVALID_HANDLE_VALUE! ";
const wchar_t WRITE_ERROR[] =
    L"INF:fnFileSaveAs()_01 Save As sli File Error. WriteFile() Return FALSE!";
const wchar_t LOAD_CAPTION[] = L"VQ4600Utility";
const wchar_t SAVE_CAPTION[] = L"VQ4600_TITLE";

// The name the hook "types" (empty: the dialog is cancelled), and lpstrFile as the dialog
// opened with it.
std::string g_sAnswer, g_sPathSeen;

BOOL fnDialogHook(OPENFILENAMEW* pstDialog)
{
    g_sPathSeen = fnNarrow(pstDialog->lpstrFile);
    if (g_sAnswer.empty())
        return FALSE;
    lstrcpynW(pstDialog->lpstrFile, fnUtf8ToWide(g_sAnswer).c_str(), pstDialog->nMaxFile);
    return TRUE;
}

void fnWriteFile(const std::string& sPath, const std::string& sData)
{
    HANDLE h =
        CreateFileW(fnUtf8ToWide(sPath).c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD dwWritten = 0;
    EXPECT_TRUE(WriteFile(h, sData.data(), static_cast<DWORD>(sData.size()), &dwWritten, NULL))
        << sPath;
    CloseHandle(h);
}

std::string fnRead(const std::string& sPath)
{
    return fnReadFile(fnUtf8ToWide(sPath));
}

// A valid file of dwCount records made by hand: version 1, count, then records of which only
// the address and the list line are filled.
std::string fnGoodFile(uint32_t dwCount)
{
    std::string s(FILE_SIZE, '\0');
    const uint32_t adwHead[2] = {1, dwCount}; // little-endian, as x86 stores them
    std::memcpy(&s[0], adwHead, sizeof adwHead);
    for (uint32_t i = 0; i < dwCount; ++i)
    {
        const std::string sLine = "[1AH] VQ-4618 line " + std::to_string(i);
        s[8 + i * RECORD_SIZE] = static_cast<char>(0x10 + i);
        std::memcpy(&s[8 + i * RECORD_SIZE + 38], sLine.data(), sLine.size());
    }
    return s;
}

class SearchListFileTest : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        char achTemp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, achTemp);
        // A folder name outside every Western code page: paths must never pass through one.
        m_sDir = std::string(achTemp) + "vq-sli-\u6A21\u5757-" +
                 std::to_string(GetCurrentProcessId()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryW(fnUtf8ToWide(m_sDir).c_str(), NULL);
        m_hOwner = CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
        gstSearchListFile.fnFileInit(m_hOwner);
        gstSearchListFile.m_hListBox = m_stList.Handle();
        fnSetFileDialogHook(fnDialogHook);
        gstModuleList.m_dwCount = 0;
    }

    void TearDown() override
    {
        fnSetFileDialogHook(nullptr);
        gstSearchListFile.fnCloseFile();
        gstSearchListFile.fnFileInit(NULL);
        gstSearchListFile.m_hListBox = NULL;
        gstModuleList.m_dwCount = 0;
        for (const std::string& s : m_vsFiles)
            DeleteFileW(fnUtf8ToWide(s).c_str());
        RemoveDirectoryW(fnUtf8ToWide(m_sDir).c_str());
        DestroyWindow(m_hOwner);
    }

    std::string Path(const std::string& sName)
    {
        m_vsFiles.push_back(m_sDir + "\\" + sName);
        return m_vsFiles.back();
    }

    // dwCount records and their lines "[00H] VQ-4652GD", "[01H] ...".
    void FillList(uint32_t dwCount)
    {
        SendMessageA(m_stList.Handle(), LB_RESETCONTENT, 0, 0);
        gstModuleList.m_dwCount = 0;
        for (uint32_t i = 0; i < dwCount; ++i)
        {
            char achLine[32];
            wsprintfA(achLine, "[%02XH] VQ-4652GD", i);
            fnAddRecord(m_stList.Handle(), ModuleType4652GD, static_cast<uint8_t>(i), achLine);
        }
    }

    // The one message a failed command shows, owned by the command's window.
    std::wstring Error(const std::wstring& wsText, const wchar_t* pwchCaption,
                       UINT uIcon = MB_ICONHAND)
    {
        return fnMessageLine(pwchCaption, wsText, uIcon, m_hOwner);
    }

    // The command, with the dialog answered by sPath ("" cancels it).
    uint32_t Run(uint32_t (*pfnCommand)(HWND), const std::string& sPath)
    {
        g_sAnswer = sPath;
        return pfnCommand(m_hOwner);
    }

    std::string m_sDir;
    std::vector<std::string> m_vsFiles;
    HWND m_hOwner = NULL;
    TestListBox m_stList;
};

// Files that cannot be opened, read or trusted, what the technician is told, and whether the
// list is replaced. (Which images are trusted is the image's own test; here the file's length
// is what was read.)
TEST_F(SearchListFileTest, LoadRefusesBadFilesWithTheExactMessageAndKeepsTheList)
{
    const struct
    {
        const char* pchName;
        std::string sData;
        std::string sPath; // empty: sData written under pchName
        std::wstring wsMessage;
        uint32_t dwLines; // afterwards: the file's, or the 3 of the list kept
    } astRows[] = {
        {"missing", "", m_sDir + "\\missing.sli", Error(OPEN_ERROR, LOAD_CAPTION), 3},
        {"a folder", "", m_sDir, Error(OPEN_ERROR, LOAD_CAPTION), 3},
        // offset 0 of a process's memory is never mapped: the read itself fails
        {"unreadable", "", "Z:\\proc\\self\\mem", Error(READ_ERROR, LOAD_CAPTION), 3},
        {"empty.sli", "", "", Error(CONTENT_ERROR, LOAD_CAPTION), 3},
        {"cut-record.sli", fnGoodFile(3).substr(0, 8 + 2 * RECORD_SIZE + 100), "",
         Error(CONTENT_ERROR, LOAD_CAPTION), 3},
        {"exact-records.sli", fnGoodFile(4).substr(0, 8 + 4 * RECORD_SIZE), "", L"", 4},
        {"longer.sli", fnGoodFile(2) + std::string(5000, '\x5A'), "", L"", 2},
    };
    for (const auto& stRow : astRows)
    {
        SCOPED_TRACE(stRow.pchName);
        std::string sPath = stRow.sPath;
        if (sPath.empty())
            fnWriteFile(sPath = Path(stRow.pchName), stRow.sData);
        FillList(3);
        MessageCapture stMessages;
        EXPECT_EQ(Run(Idm_SearchListLoad, sPath), stRow.wsMessage.empty() ? 0u : 1u);
        gstSearchListFile.fnCloseFile();
        EXPECT_EQ(stMessages.Seen(), stRow.wsMessage);
        EXPECT_EQ(gstModuleList.m_dwCount.load(), stRow.dwLines);
        const std::vector<std::string> vsLines = m_stList.Lines();
        ASSERT_EQ(vsLines.size(), stRow.dwLines);
        EXPECT_EQ(vsLines.back(), stRow.wsMessage.empty()
                                      ? "[1AH] VQ-4618 line " + std::to_string(stRow.dwLines - 1)
                                      : "[02H] VQ-4652GD");
    }
}

// A disk that fills up half-way through the image: the first half goes out, then the write fails.
BOOL fnHalfWrite(HANDLE hFile, const void* pvData, DWORD dwSize, DWORD* pdwWritten)
{
    WriteFile(hFile, pvData, dwSize / 2, pdwWritten, NULL);
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

// Every failed or refused save says why and leaves the file that was there as it was, with no
// temporary file left beside it.
TEST_F(SearchListFileTest, FailedSavesShowTheirMessageAndKeepTheOldFile)
{
    const std::string sOld = "an earlier list";
    const struct
    {
        const char* pchWhat;
        const char* pchName;  // in the test folder
        bool bOldFile;        // an earlier list is there and must survive
        const char* pchSquat; // a folder made in the way beforehand, nullptr: none
        FileWriteHook pfnWrite;
        uint32_t dwRecords; // the list saved
        std::wstring wsMessage;
    } astRows[] = {
        {"no such folder", "no-folder\\x.sli", false, nullptr, nullptr, 2,
         Error(CREATE_ERROR, SAVE_CAPTION)},
        {"temporary name taken", "taken.sli", true, "taken.sli.tmp", nullptr, 2,
         Error(CREATE_ERROR, SAVE_CAPTION)},
        {"disk full mid-write", "full.sli", true, nullptr, fnHalfWrite, 2,
         Error(WRITE_ERROR, SAVE_CAPTION)},
        {"target is a folder", "folder.sli", false, "folder.sli", nullptr, 2,
         Error(CREATE_ERROR, SAVE_CAPTION)},
        {"empty list", "empty.sli", true, nullptr, nullptr, 0,
         Error(fnTableText("TXT_SLI_LIST_EMPTY"), LOAD_CAPTION, MB_ICONINFORMATION)},
    };
    for (const auto& stRow : astRows)
    {
        SCOPED_TRACE(stRow.pchWhat);
        FillList(stRow.dwRecords);
        const std::string sPath = Path(stRow.pchName);
        const std::string sTemp = sPath + ".tmp";
        const std::string sSquat = stRow.pchSquat ? m_sDir + "\\" + stRow.pchSquat : "";
        if (stRow.bOldFile)
            fnWriteFile(sPath, sOld);
        ASSERT_TRUE(!stRow.pchSquat || CreateDirectoryW(fnUtf8ToWide(sSquat).c_str(), NULL));
        fnSetFileWriteHook(stRow.pfnWrite);
        MessageCapture stMessages;
        EXPECT_EQ(Run(Idm_SearchListSave, sPath), 1u);
        fnSetFileWriteHook(nullptr);
        EXPECT_EQ(stMessages.Seen(), stRow.wsMessage);
        EXPECT_EQ(gstSearchListFile.m_hFile, INVALID_HANDLE_VALUE);
        EXPECT_TRUE(!stRow.bOldFile || fnRead(sPath) == sOld) << "the earlier list changed";
        EXPECT_TRUE(sSquat == sTemp ||
                    GetFileAttributesW(fnUtf8ToWide(sTemp).c_str()) == INVALID_FILE_ATTRIBUTES)
            << "the temporary file was left";
        EXPECT_TRUE(!stRow.pchSquat || RemoveDirectoryW(fnUtf8ToWide(sSquat).c_str()))
            << "the folder in the way was removed";
    }
}

// The load keeps its file open; a save over the same file must close it first or the create
// meets its own read handle. The file written is the image packed from the list as it is now.
// Each dialog opens with the name the other used last; a cancelled one changes nothing and
// says nothing.
TEST_F(SearchListFileTest, ASaveOverTheLoadedFileWritesTheImageAndTheNameCarriesOver)
{
    const std::string sPath = Path("same.sli");
    fnWriteFile(sPath, fnGoodFile(2));
    MessageCapture stMessages;
    ASSERT_EQ(Run(Idm_SearchListLoad, sPath), 0u);
    gstModuleList.m_astModule[1].m_chAddress = 0x7E;
    ASSERT_EQ(Run(Idm_SearchListSave, sPath), 0u);
    EXPECT_EQ(g_sPathSeen, sPath);
    const std::string s = fnRead(sPath);
    ASSERT_EQ(s.size(), FILE_SIZE);
    EXPECT_TRUE(std::memcmp(s.data(), gstSearchListFile.m_stImage.m_abyImage, FILE_SIZE) == 0);
    EXPECT_EQ(static_cast<unsigned char>(s[8 + RECORD_SIZE]), 0x7E);
    EXPECT_EQ(GetFileAttributesW(fnUtf8ToWide(sPath + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);

    const std::string sOther = Path("other.sli");
    ASSERT_EQ(Run(Idm_SearchListSave, sOther), 0u);
    EXPECT_EQ(Run(Idm_SearchListLoad, ""), 1u);
    EXPECT_EQ(g_sPathSeen, sOther);
    EXPECT_EQ(Run(Idm_SearchListSave, ""), 1u);
    EXPECT_EQ(stMessages.Seen(), L"");
    EXPECT_EQ(gstModuleList.m_dwCount.load(), 2u);
    EXPECT_EQ(m_stList.Lines().size(), 2u);
}

} // namespace
