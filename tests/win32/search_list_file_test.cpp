// The search-list file commands on real files in a private temporary folder: the bytes a save
// writes, a load of what was saved, the refusals of damaged files with their exact messages
// while the list and its listbox stay untouched, and the dialogs as they are prepared. The
// common dialogs are answered by a hook that names the file a technician would have picked.
#include "search/ModuleList.h"
#include "search/SearchListFile.h"
#include "tests/win32/MessageCapture.h"
#include "tests/win32/SearchTestSupport.h"

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

// What the hook answers and what it saw.
struct DialogScript
{
    std::string sAnswer; // the name "typed"; empty: the dialog is cancelled
    int nCalls = 0;
    OPENFILENAMEA stSeen = {};
    std::string sPathSeen; // lpstrFile as the dialog opened with it
};
DialogScript g_stScript;

BOOL fnDialogHook(OPENFILENAMEA* pstDialog)
{
    ++g_stScript.nCalls;
    g_stScript.stSeen = *pstDialog;
    g_stScript.sPathSeen = pstDialog->lpstrFile;
    if (g_stScript.sAnswer.empty())
        return FALSE;
    lstrcpynA(pstDialog->lpstrFile, g_stScript.sAnswer.c_str(), pstDialog->nMaxFile);
    return TRUE;
}

std::wstring fnFromGbk(const char* pch)
{
    wchar_t awch[512] = {};
    MultiByteToWideChar(936, 0, pch, -1, awch, 512);
    return awch;
}

std::string fnReadFile(const std::string& sPath)
{
    std::string sData;
    HANDLE h = CreateFileA(sPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                           OPEN_EXISTING, 0, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return sData;
    char achBuf[65536];
    DWORD dwRead = 0;
    while (ReadFile(h, achBuf, sizeof achBuf, &dwRead, NULL) && dwRead > 0)
        sData.append(achBuf, dwRead);
    CloseHandle(h);
    return sData;
}

void fnWriteFile(const std::string& sPath, const std::string& sData)
{
    HANDLE h = CreateFileA(sPath.c_str(), GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << sPath;
    DWORD dwWritten = 0;
    ASSERT_TRUE(WriteFile(h, sData.data(), static_cast<DWORD>(sData.size()), &dwWritten, NULL));
    CloseHandle(h);
}

void fnPutLe(std::string& s, size_t nAt, uint32_t dw)
{
    for (int i = 0; i < 4; ++i)
        s[nAt + i] = static_cast<char>(dw >> (8 * i));
}

// A record as the search would have filled it, with bytes after the NULs that a save must keep.
ModuleRecord fnRecord(uint8_t chAddress, uint32_t dwModuleType, uint32_t dwProtocol)
{
    ModuleRecord st = {};
    st.m_chAddress = chAddress;
    char achHex[8] = {};
    wsprintfA(achHex, "%02X", chAddress);
    std::memcpy(st.m_achAddressHex2, achHex, 8);
    st.m_achAddressHex2[5] = 'x';
    std::memcpy(st.m_achTypeDec4, "4652\0\0z", 8);
    std::memcpy(st.m_achSubType, "GD\0\0\0\0q", 8);
    st.m_dwSubTypeLen = 2;
    st.m_chSubTypeCode = 0x34;
    st.m_dwModuleType = dwModuleType;
    st.m_dwProtocol = dwProtocol;
    wsprintfA(st.m_achListText, "[%sH] VQ-4652GD VQASCII #%u", achHex, chAddress);
    st.m_achListText[120] = 'L';
    wsprintfA(st.m_achModName, "VQ-4652GD");
    st.m_achModName[126] = 'M';
    return st;
}

// Field by field: the structure's padding is not part of the file.
bool fnSameRecord(const ModuleRecord& a, const ModuleRecord& b)
{
    return a.m_chAddress == b.m_chAddress &&
           std::memcmp(a.m_achAddressHex2, b.m_achAddressHex2, 8) == 0 &&
           std::memcmp(a.m_achTypeDec4, b.m_achTypeDec4, 8) == 0 &&
           std::memcmp(a.m_achSubType, b.m_achSubType, 8) == 0 &&
           a.m_dwSubTypeLen == b.m_dwSubTypeLen && a.m_chSubTypeCode == b.m_chSubTypeCode &&
           a.m_dwModuleType == b.m_dwModuleType && a.m_dwProtocol == b.m_dwProtocol &&
           std::memcmp(a.m_achListText, b.m_achListText, 128) == 0 &&
           std::memcmp(a.m_achModName, b.m_achModName, 128) == 0;
}

void fnFillList(uint32_t dwCount)
{
    for (uint32_t i = 0; i < dwCount; ++i)
        gstModuleList.m_astModule[i] = fnRecord(static_cast<uint8_t>(i), 1 + i % 4, 1 + i % 3);
    gstModuleList.m_dwCount = dwCount;
}

// A valid file of dwCount records made by hand: version 1, count, then the records.
std::string fnGoodFile(uint32_t dwCount)
{
    std::string s(FILE_SIZE, '\0');
    fnPutLe(s, 0, 1);
    fnPutLe(s, 4, dwCount);
    for (uint32_t i = 0; i < dwCount; ++i)
    {
        size_t n = 8 + i * RECORD_SIZE;
        s[n] = static_cast<char>(0x10 + i);
        std::memcpy(&s[n + 1], "1A", 2);
        std::memcpy(&s[n + 9], "4618", 4);
        fnPutLe(s, n + 25, 0);
        fnPutLe(s, n + 30, 6);
        fnPutLe(s, n + 34, 1);
        std::string sLine = "[1AH] VQ-4618 line " + std::to_string(i);
        std::memcpy(&s[n + 38], sLine.data(), sLine.size());
        std::memcpy(&s[n + 166], "VQ-4618", 7);
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
        m_sDir = std::string(achTemp) + "vq-sli-" + std::to_string(GetCurrentProcessId()) + "-" +
                 ::testing::UnitTest::GetInstance()->current_test_info()->name();
        CreateDirectoryA(m_sDir.c_str(), NULL);
        m_hOwner = CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 10, 10, NULL, NULL, NULL, NULL);
        m_hSavedOwner = gstSearchListFile.m_hOwner;
        m_hSavedList = gstSearchListFile.m_hListBox;
        gstSearchListFile.fnFileInit(m_hOwner);
        gstSearchListFile.m_hListBox = m_stList.Handle();
        g_stScript = DialogScript();
        fnSetFileDialogHook(fnDialogHook);
        gstModuleList.m_dwCount = 0;
    }

    void TearDown() override
    {
        fnSetFileDialogHook(nullptr);
        gstSearchListFile.fnCloseFile();
        gstSearchListFile.fnFileInit(m_hSavedOwner);
        gstSearchListFile.m_hListBox = m_hSavedList;
        gstModuleList.m_dwCount = 0;
        for (const std::string& s : m_vsFiles)
            DeleteFileA(s.c_str());
        RemoveDirectoryA(m_sDir.c_str());
        DestroyWindow(m_hOwner);
    }

    std::string Path(const std::string& sName)
    {
        std::string s = m_sDir + "\\" + sName;
        m_vsFiles.push_back(s);
        return s;
    }

    // Fills the list and the listbox with a known state a failed load must not touch.
    void KnownList()
    {
        fnFillList(3);
        m_stList.Clear();
        for (uint32_t i = 0; i < 3; ++i)
            SendMessageA(m_stList.Handle(), LB_ADDSTRING, 0,
                         reinterpret_cast<LPARAM>(gstModuleList.m_astModule[i].m_achListText));
        m_vsKnownLines = m_stList.Lines();
    }

    uint32_t Load(const std::string& sPath)
    {
        g_stScript.sAnswer = sPath;
        return Idm_SearchListLoad(m_hOwner);
    }

    uint32_t Save(const std::string& sPath)
    {
        g_stScript.sAnswer = sPath;
        return Idm_SearchListSave(m_hOwner);
    }

    std::string m_sDir;
    std::vector<std::string> m_vsFiles;
    std::vector<std::string> m_vsKnownLines;
    HWND m_hOwner = NULL;
    HWND m_hSavedOwner = NULL;
    HWND m_hSavedList = NULL;
    TestListBox m_stList;
};

TEST_F(SearchListFileTest, BothDialogsArePreparedAsTheTechnicianSeesThem)
{
    struct Row
    {
        const OPENFILENAMEA* pstDialog;
        const wchar_t* pwchTitle;
        const char* pchDefExt;
    };
    const Row astRows[] = {
        {&gstSearchListFile.m_stOpen, L"打开搜索列表信息(sli)文件", nullptr},
        {&gstSearchListFile.m_stSave, L"保存搜索列表信息(sli)文件", "sli"},
    };
    for (const Row& stRow : astRows)
    {
        const OPENFILENAMEA& st = *stRow.pstDialog;
        EXPECT_EQ(st.lStructSize, sizeof(OPENFILENAMEA));
        EXPECT_EQ(st.hwndOwner, m_hOwner);
        EXPECT_EQ(fnFromGbk(st.lpstrTitle), stRow.pwchTitle);
        ASSERT_NE(st.lpstrFilter, nullptr);
        EXPECT_EQ(std::memcmp(st.lpstrFilter, "*.sli\0*.sli\0\0", 13), 0);
        EXPECT_EQ(st.nFilterIndex, 1u);
        EXPECT_EQ(st.lpstrFile, gstSearchListFile.m_achPath);
        EXPECT_EQ(st.nMaxFile, 260u);
        EXPECT_EQ(st.Flags, static_cast<DWORD>(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY));
        if (stRow.pchDefExt == nullptr)
        {
            EXPECT_EQ(st.lpstrDefExt, nullptr);
        }
        else
        {
            EXPECT_STREQ(st.lpstrDefExt, stRow.pchDefExt);
        }
    }
}

TEST_F(SearchListFileTest, SaveWritesTheFixedImageFieldByField)
{
    fnFillList(2);
    gstModuleList.m_astModule[0] = fnRecord(0x01, 4, 2);
    MessageCapture stMessages;
    ASSERT_EQ(Save(Path("two.sli")), 0u);
    EXPECT_EQ(stMessages.Count(), 0);
    EXPECT_EQ(g_stScript.stSeen.lpstrTitle, gstSearchListFile.m_stSave.lpstrTitle);

    const std::string s = fnReadFile(m_sDir + "\\two.sli");
    ASSERT_EQ(s.size(), FILE_SIZE);
    const unsigned char* p = reinterpret_cast<const unsigned char*>(s.data());
    const unsigned char abyHeader[] = {0x01, 0x00, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00};
    EXPECT_EQ(std::memcmp(p, abyHeader, 8), 0);
    // Record 0 from offset 8: address, "01" with its stray byte, "4652" with its tail, "GD"...
    const unsigned char abyRecord[] = {
        0x01,                                   // 8 address
        '0',  '1',  0,    0,    0, 'x', 0,   0, // 9 address text, all 8 bytes
        '4',  '6',  '5',  '2',  0, 0,   'z', 0, // 17 model number, all 8 bytes
        'G',  'D',  0,    0,    0, 0,   'q', 0, // 25 variant letters, all 8 bytes
        0x02, 0x00, 0x00, 0x00,                 // 33 variant-letter count
        0x34,                                   // 37 variant code
        0x04, 0x00, 0x00, 0x00,                 // 38 ModuleType
        0x02, 0x00, 0x00, 0x00,                 // 42 ProtocolId
    };
    EXPECT_EQ(std::memcmp(p + 8, abyRecord, sizeof abyRecord), 0);
    EXPECT_EQ(std::string(s.data() + 46), "[01H] VQ-4652GD VQASCII #1");
    EXPECT_EQ(s[46 + 120], 'L');
    EXPECT_EQ(std::string(s.data() + 174), "VQ-4652GD");
    EXPECT_EQ(s[174 + 126], 'M');
    // Record 1 follows without a gap: its address byte at 8 + 294.
    EXPECT_EQ(p[302], 0x01);
    EXPECT_EQ(std::string(s.data() + 303), "01");
    EXPECT_EQ(std::string(s.data() + 302 + 38), "[01H] VQ-4652GD VQASCII #1");
}

TEST_F(SearchListFileTest, SavedListLoadsBackIdenticalLinesAndFields)
{
    for (uint32_t dwCount : {1u, 768u})
    {
        SCOPED_TRACE(dwCount);
        fnFillList(dwCount);
        std::vector<ModuleRecord> vstSaved(gstModuleList.m_astModule,
                                           gstModuleList.m_astModule + dwCount);
        const std::string sPath = Path("list" + std::to_string(dwCount) + ".sli");
        MessageCapture stMessages;
        ASSERT_EQ(Save(sPath), 0u);

        gstModuleList.m_dwCount = 0;
        std::memset(gstModuleList.m_astModule, 0, sizeof gstModuleList.m_astModule);
        m_stList.Clear();
        SendMessageA(m_stList.Handle(), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("stale line"));
        ASSERT_EQ(Load(sPath), 0u);
        EXPECT_EQ(stMessages.Count(), 0);
        ASSERT_EQ(gstModuleList.m_dwCount.load(), dwCount);
        for (uint32_t i = 0; i < dwCount; ++i)
            ASSERT_TRUE(fnSameRecord(gstModuleList.m_astModule[i], vstSaved[i])) << i;
        std::vector<std::string> vsLines = m_stList.Lines();
        ASSERT_EQ(vsLines.size(), dwCount);
        for (uint32_t i = 0; i < dwCount; ++i)
            ASSERT_EQ(vsLines[i], vstSaved[i].m_achListText) << i;
    }
}

// Each damaged or odd file, what the technician is told, and whether the list is replaced.
TEST_F(SearchListFileTest, LoadRefusesDamagedFilesWithTheExactMessageAndKeepsTheList)
{
    struct Row
    {
        const char* pchName;
        std::string sData;
        const wchar_t* pwchMessage; // nullptr: accepted
        uint32_t dwLines;           // lines after an accepted load
    };
    std::string sVersion2 = fnGoodFile(1);
    fnPutLe(sVersion2, 0, 2);
    std::string sCount0 = fnGoodFile(1);
    fnPutLe(sCount0, 4, 0);
    std::string sCount769 = fnGoodFile(1);
    fnPutLe(sCount769, 4, 769);
    std::string sVariant4 = fnGoodFile(3);
    fnPutLe(sVariant4, 8 + 2 * RECORD_SIZE + 25, 4); // only the last record is bad
    std::string sLonger = fnGoodFile(2) + std::string(5000, '\x5A');

    const Row astRows[] = {
        {"version2.sli", sVersion2, CONTENT_ERROR, 0},
        {"count0.sli", sCount0, CONTENT_ERROR, 0},
        {"count769.sli", sCount769, CONTENT_ERROR, 0},
        {"variant4.sli", sVariant4, CONTENT_ERROR, 0},
        {"empty.sli", std::string(), CONTENT_ERROR, 0},
        {"header-only.sli", fnGoodFile(3).substr(0, 5), CONTENT_ERROR, 0},
        {"cut-record.sli", fnGoodFile(3).substr(0, 8 + 2 * RECORD_SIZE + 100), CONTENT_ERROR, 0},
        {"zeros.sli", std::string(FILE_SIZE, '\0'), CONTENT_ERROR, 0},
        {"exact-records.sli", fnGoodFile(3).substr(0, 8 + 3 * RECORD_SIZE), nullptr, 3},
        {"full.sli", fnGoodFile(768), nullptr, 768},
        {"longer.sli", sLonger, nullptr, 2},
    };
    for (const Row& stRow : astRows)
    {
        SCOPED_TRACE(stRow.pchName);
        const std::string sPath = Path(stRow.pchName);
        fnWriteFile(sPath, stRow.sData);
        KnownList();
        MessageCapture stMessages;
        const uint32_t dwResult = Load(sPath);
        gstSearchListFile.fnCloseFile();
        if (stRow.pwchMessage != nullptr)
        {
            EXPECT_EQ(dwResult, 1u);
            ASSERT_EQ(stMessages.Count(), 1);
            EXPECT_EQ(stMessages.Last().wsText, stRow.pwchMessage);
            EXPECT_EQ(stMessages.Last().wsCaption, L"VQ4600Utility");
            EXPECT_EQ(stMessages.Last().uIcon, static_cast<UINT>(MB_ICONHAND));
            EXPECT_EQ(stMessages.Last().hOwner, m_hOwner);
            EXPECT_EQ(gstModuleList.m_dwCount.load(), 3u);
            EXPECT_EQ(m_stList.Lines(), m_vsKnownLines);
            EXPECT_EQ(gstModuleList.m_astModule[2].m_chAddress, 2);
            continue;
        }
        EXPECT_EQ(dwResult, 0u);
        EXPECT_EQ(stMessages.Count(), 0);
        EXPECT_EQ(gstModuleList.m_dwCount.load(), stRow.dwLines);
        EXPECT_EQ(m_stList.Lines().size(), stRow.dwLines);
    }
}

TEST_F(SearchListFileTest, StoredOddValuesAndUnterminatedTextsAreTakenSafely)
{
    std::string s = fnGoodFile(2);
    fnPutLe(s, 8 + 30, 99);
    fnPutLe(s, 8 + RECORD_SIZE + 34, 7);
    std::memset(&s[8 + RECORD_SIZE + 38], 'A', 128);
    const std::string sPath = Path("odd.sli");
    fnWriteFile(sPath, s);
    MessageCapture stMessages;
    ASSERT_EQ(Load(sPath), 0u);
    EXPECT_EQ(gstModuleList.m_astModule[0].m_dwModuleType, 99u);
    EXPECT_EQ(gstModuleList.m_astModule[1].m_dwProtocol, 7u);
    EXPECT_EQ(gstModuleList.m_astModule[0].m_chAddress, 0x10);
    EXPECT_EQ(std::string(gstModuleList.m_astModule[0].m_achListText), "[1AH] VQ-4618 line 0");
    std::vector<std::string> vsLines = m_stList.Lines();
    ASSERT_EQ(vsLines.size(), 2u);
    EXPECT_EQ(vsLines[1], std::string(127, 'A')); // cut at the field, never beyond
}

TEST_F(SearchListFileTest, FilesThatCannotBeOpenedOrReadKeepTheList)
{
    struct Row
    {
        const char* pchWhat;
        std::string sPath;
        const wchar_t* pwchMessage;
    };
    const Row astRows[] = {
        {"missing file", m_sDir + "\\missing.sli", OPEN_ERROR},
        {"a folder", m_sDir, OPEN_ERROR},
        // offset 0 of a process's memory is never mapped: the read itself fails
        {"unreadable", "Z:\\proc\\self\\mem", READ_ERROR},
    };
    for (const Row& stRow : astRows)
    {
        SCOPED_TRACE(stRow.pchWhat);
        KnownList();
        MessageCapture stMessages;
        EXPECT_EQ(Load(stRow.sPath), 1u);
        gstSearchListFile.fnCloseFile();
        ASSERT_EQ(stMessages.Count(), 1);
        EXPECT_EQ(stMessages.Last().wsText, stRow.pwchMessage);
        EXPECT_EQ(stMessages.Last().uIcon, static_cast<UINT>(MB_ICONHAND));
        EXPECT_EQ(gstModuleList.m_dwCount.load(), 3u);
        EXPECT_EQ(m_stList.Lines(), m_vsKnownLines);
    }
}

TEST_F(SearchListFileTest, EmptyListSaveIsRefusedBeforeAnyDialog)
{
    MessageCapture stMessages;
    EXPECT_EQ(Save(Path("never.sli")), 1u);
    EXPECT_EQ(g_stScript.nCalls, 0);
    ASSERT_EQ(stMessages.Count(), 1);
    EXPECT_EQ(stMessages.Last().wsText, L"搜索列表为空，无法保存！");
    EXPECT_EQ(stMessages.Last().wsCaption, L"VQ4600Utility");
    EXPECT_EQ(stMessages.Last().uIcon, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(stMessages.Last().hOwner, m_hOwner);
    EXPECT_EQ(GetFileAttributesA((m_sDir + "\\never.sli").c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(SearchListFileTest, CancelledDialogsChangeNothingAndSayNothing)
{
    KnownList();
    MessageCapture stMessages;
    g_stScript.sAnswer.clear();
    EXPECT_EQ(Idm_SearchListLoad(m_hOwner), 1u);
    EXPECT_EQ(Idm_SearchListSave(m_hOwner), 1u);
    EXPECT_EQ(g_stScript.nCalls, 2);
    EXPECT_EQ(stMessages.Count(), 0);
    EXPECT_EQ(gstModuleList.m_dwCount.load(), 3u);
    EXPECT_EQ(m_stList.Lines(), m_vsKnownLines);
}

// A disk that fills up half-way through the image: the first half goes out, then the write fails.
BOOL fnHalfWrite(HANDLE hFile, const void* pvData, DWORD dwSize, DWORD* pdwWritten)
{
    WriteFile(hFile, pvData, dwSize / 2, pdwWritten, NULL);
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}

// Every failed save says why, owned by the main window, and leaves the file that was there as
// it was, with no temporary file left beside it.
TEST_F(SearchListFileTest, FailedSavesShowTheirMessageAndKeepTheOldFile)
{
    struct Row
    {
        const char* pchWhat;
        std::string sPath;
        bool bOldFile;       // an earlier list is there and must survive
        const char* pchMake; // "temp-dir": a folder squats the temporary name; "dir": the target
        FileWriteHook pfnWrite;
        const wchar_t* pwchMessage;
    };
    const std::string sOld = "an earlier list";
    const Row astRows[] = {
        {"no such folder", m_sDir + "\\no-folder\\x.sli", false, "", nullptr, CREATE_ERROR},
        {"unwritable folder", "Z:\\sys\\vq-h23-never.sli", false, "", nullptr, CREATE_ERROR},
        {"temporary name taken", m_sDir + "\\taken.sli", true, "temp-dir", nullptr, CREATE_ERROR},
        {"disk full mid-write", m_sDir + "\\full.sli", true, "", fnHalfWrite, WRITE_ERROR},
        {"target is a folder", m_sDir + "\\folder.sli", false, "dir", nullptr, CREATE_ERROR},
    };
    fnFillList(2);
    for (const Row& stRow : astRows)
    {
        SCOPED_TRACE(stRow.pchWhat);
        const std::string sTemp = stRow.sPath + ".tmp";
        if (stRow.bOldFile)
            fnWriteFile(Path(stRow.sPath.substr(m_sDir.size() + 1)), sOld);
        const std::string sMake = stRow.pchMake;
        if (sMake == "temp-dir" || sMake == "dir")
        {
            ASSERT_TRUE(CreateDirectoryA((sMake == "dir" ? stRow.sPath : sTemp).c_str(), NULL));
        }
        fnSetFileWriteHook(stRow.pfnWrite);
        MessageCapture stMessages;
        EXPECT_EQ(Save(stRow.sPath), 1u);
        fnSetFileWriteHook(nullptr);
        ASSERT_EQ(stMessages.Count(), 1);
        EXPECT_EQ(stMessages.Last().wsText, stRow.pwchMessage);
        EXPECT_EQ(stMessages.Last().wsCaption, L"VQ4600_TITLE");
        EXPECT_EQ(stMessages.Last().uIcon, static_cast<UINT>(MB_ICONHAND));
        EXPECT_EQ(stMessages.Last().hOwner, m_hOwner);
        EXPECT_EQ(gstSearchListFile.m_hFile, INVALID_HANDLE_VALUE);
        if (stRow.bOldFile)
        {
            EXPECT_EQ(fnReadFile(stRow.sPath), sOld);
        }
        if (sMake == "temp-dir")
        {
            EXPECT_TRUE(RemoveDirectoryA(sTemp.c_str()));
            continue;
        }
        EXPECT_EQ(GetFileAttributesA(sTemp.c_str()), INVALID_FILE_ATTRIBUTES) << "temp left";
        if (sMake == "dir")
        {
            EXPECT_NE(GetFileAttributesA(stRow.sPath.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
            RemoveDirectoryA(stRow.sPath.c_str());
        }
    }
}

// A save over an earlier list replaces it whole, through the temporary file, which is gone
// afterwards.
TEST_F(SearchListFileTest, SaveReplacesAnEarlierFileWhole)
{
    const std::string sPath = Path("again.sli");
    fnWriteFile(sPath, fnGoodFile(768));
    fnFillList(1);
    MessageCapture stMessages;
    ASSERT_EQ(Save(sPath), 0u);
    EXPECT_EQ(stMessages.Count(), 0);
    const std::string s = fnReadFile(sPath);
    ASSERT_EQ(s.size(), FILE_SIZE);
    EXPECT_EQ(static_cast<unsigned char>(s[4]), 1u); // count 1 now
    EXPECT_EQ(GetFileAttributesA((sPath + ".tmp").c_str()), INVALID_FILE_ATTRIBUTES);
}

// The load keeps its file open; a save over the same file must close it first or the create
// meets its own read handle.
TEST_F(SearchListFileTest, LoadThenSaveOverTheSameFileAndTheNameCarriesOver)
{
    const std::string sPath = Path("same.sli");
    fnWriteFile(sPath, fnGoodFile(2));
    MessageCapture stMessages;
    ASSERT_EQ(Load(sPath), 0u);
    gstModuleList.m_astModule[1].m_chAddress = 0x7E;
    g_stScript.sAnswer = sPath;
    ASSERT_EQ(Idm_SearchListSave(m_hOwner), 0u);
    EXPECT_EQ(stMessages.Count(), 0);
    EXPECT_EQ(g_stScript.sPathSeen, sPath); // the save dialog opened with the loaded name
    const std::string s = fnReadFile(sPath);
    ASSERT_EQ(s.size(), FILE_SIZE);
    EXPECT_EQ(static_cast<unsigned char>(s[8 + RECORD_SIZE]), 0x7E);

    const std::string sOther = Path("other.sli");
    ASSERT_EQ(Save(sOther), 0u);
    g_stScript.sAnswer.clear();
    Idm_SearchListLoad(m_hOwner);
    EXPECT_EQ(g_stScript.sPathSeen, sOther); // and the open dialog with the saved one
}

} // namespace
