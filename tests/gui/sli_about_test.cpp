// The search-list file commands through the real common dialogs, and the About box and credit
// window as the Help menu shows them. The files live in a folder of the driver's temporary
// directory, which the program reaches by the same path. With VQ_SHOT_DIR set, the disabled
// case SliAboutShots asks for pictures of the three windows (request-/done- files, as the
// screenshot run of the driver does).
#include "tests/gui/GuiFixture.h"

#include <string>

namespace
{

const wchar_t kAboutCaption[] = L"关于";
const wchar_t kCreditCaption[] = L"Secret";
const wchar_t kOpenTitle[] = L"打开搜索列表信息(sli)文件";
const wchar_t kSaveTitle[] = L"保存搜索列表信息(sli)文件";
const wchar_t kListEmpty[] = L"搜索列表为空，无法保存！";

const int kIdAboutVersion = 1088;
const int kIdFileNameCombo = 0x47C; // cmb13 of the common file dialogs
const int kIdFileNameEdit = 0x480;  // edt1
const DWORD kFileSize = 230408;
const DWORD kRecordSize = 294;

void fnPutLe(std::string& s, size_t at, DWORD value)
{
    for (int i = 0; i < 4; ++i)
    {
        s[at + i] = static_cast<char>(value >> (8 * i));
    }
}

// Two records written by hand: a VQ-4618 at 1A and a VQ-4652GD at 2B.
std::string fnTwoRecordFile()
{
    std::string s(kFileSize, '\0');
    fnPutLe(s, 0, 1);
    fnPutLe(s, 4, 2);
    const char* lines[] = {"[1AH] 4618 (VQASCII)", "[2BH] 4652GD (Modbus RTU)"};
    for (DWORD i = 0; i < 2; ++i)
    {
        size_t n = 8 + i * kRecordSize;
        s[n] = static_cast<char>(i == 0 ? 0x1A : 0x2B);
        fnPutLe(s, n + 30, i == 0 ? 6 : 4);
        fnPutLe(s, n + 34, i == 0 ? 1 : 3);
        memcpy(&s[n + 38], lines[i], strlen(lines[i]));
    }
    return s;
}

bool fnWriteFile(const std::wstring& path, const std::string& data)
{
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
    {
        return false;
    }
    DWORD written = 0;
    BOOL ok = WriteFile(h, data.data(), static_cast<DWORD>(data.size()), &written, nullptr);
    CloseHandle(h);
    return ok && written == data.size();
}

std::string fnReadFile(const std::wstring& path)
{
    std::string data;
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
    {
        return data;
    }
    char buf[65536];
    DWORD got = 0;
    while (ReadFile(h, buf, sizeof buf, &got, nullptr) && got > 0)
    {
        data.append(buf, got);
    }
    CloseHandle(h);
    return data;
}

DWORD fnFileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA st = {};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &st))
    {
        return 0;
    }
    return st.nFileSizeLow;
}

} // namespace

class SliAboutTest : public GuiTest
{
  protected:
    void SetUp() override
    {
        GuiTest::SetUp();
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        m_dir = std::wstring(temp) + L"vq-sli-gui-" + std::to_wstring(GetCurrentProcessId());
        CreateDirectoryW(m_dir.c_str(), nullptr);
    }

    void TearDown() override
    {
        GuiTest::TearDown(); // the program may hold a loaded file open
        for (const wchar_t* name : {L"\\two.sli", L"\\saved.sli"})
        {
            DeleteFileW((m_dir + name).c_str());
        }
        RemoveDirectoryW(m_dir.c_str());
    }

    // Types a name into the file dialog and presses its OK button.
    bool ChooseFile(HWND dlg, const std::wstring& path)
    {
        HWND name = GuiDriver::Item(dlg, kIdFileNameCombo);
        if (!name)
        {
            name = GuiDriver::Item(dlg, kIdFileNameEdit);
        }
        if (!name || !GuiDriver::SetText(name, path))
        {
            error = L"no file name field in the file dialog\n" + app.Describe();
            return false;
        }
        PostMessageW(dlg, WM_COMMAND, IDOK, 0);
        if (!app.WaitGone(dlg))
        {
            error = L"the file dialog did not take " + path + L"\n" + app.LastError();
            return false;
        }
        return true;
    }

    // Load command through the open dialog.
    bool LoadFile(const std::wstring& path)
    {
        app.PostCommand(gui::kIdmListLoad);
        HWND dlg = app.WaitDialog(kOpenTitle);
        if (!dlg)
        {
            error = app.LastError();
            return false;
        }
        return ChooseFile(dlg, path);
    }

    // Shows the About box or, on the tenth command of the run, the credit window.
    HWND About(const wchar_t* caption)
    {
        app.PostCommand(gui::kIdmAbout);
        return app.WaitDialog(caption);
    }

    std::wstring m_dir;
};

TEST_F(SliAboutTest, TenthAboutShowsTheCreditWindowAndOnlyThatOne)
{
    for (int n = 1; n <= 11; ++n)
    {
        SCOPED_TRACE(n);
        HWND dlg = About(n == 10 ? kCreditCaption : kAboutCaption);
        GUI_ASSERT(dlg);
        if (n == 1)
        {
            EXPECT_EQ(U8(L"VQ4600Utility V2.4.19"),
                      U8(GuiDriver::Text(GuiDriver::Item(dlg, kIdAboutVersion))));
            EXPECT_EQ(U8(gui::kOk), U8(GuiDriver::Text(GuiDriver::Item(dlg, IDOK))));
        }
        // Esc on some, OK on others: both close it and the count goes on.
        PostMessageW(dlg, WM_COMMAND, n % 2 ? IDOK : IDCANCEL, 0);
        ASSERT_TRUE(app.WaitGone(dlg)) << U8(app.LastError());
    }
}

// Load a list, save it through the save dialog under a new name, empty the list and load the
// saved file: the same lines come back, and the saved records are the loaded bytes.
TEST_F(SliAboutTest, SavedThroughTheDialogLoadsBackIntoAnEmptyList)
{
    OPEN_SIM_PORT();
    const std::wstring two = m_dir + L"\\two.sli";
    const std::string original = fnTwoRecordFile();
    ASSERT_TRUE(fnWriteFile(two, original));
    GUI_ASSERT(LoadFile(two));
    EXPECT_TRUE(app.NoMessageBox());
    const std::vector<std::wstring> loaded = gui::fnModuleList(app);
    ASSERT_EQ(2u, loaded.size());
    EXPECT_EQ("[1AH] 4618 (VQASCII)", U8(loaded[0]));
    EXPECT_EQ("[2BH] 4652GD (Modbus RTU)", U8(loaded[1]));

    // A new name without its extension: the dialog adds "sli" and the file is created.
    app.PostCommand(gui::kIdmListSave);
    HWND dlg = app.WaitDialog(kSaveTitle);
    GUI_ASSERT(dlg);
    GUI_ASSERT(ChooseFile(dlg, m_dir + L"\\saved"));
    const std::wstring saved = m_dir + L"\\saved.sli";
    ASSERT_TRUE(GuiDriver::WaitUntil([&] { return fnFileSize(saved) == kFileSize; }, 3000))
        << "saved.sli has " << fnFileSize(saved) << " bytes";
    EXPECT_TRUE(app.NoMessageBox());
    const std::string bytes = fnReadFile(saved);
    ASSERT_EQ(kFileSize, bytes.size());
    EXPECT_EQ(original.substr(0, 8 + 2 * kRecordSize), bytes.substr(0, 8 + 2 * kRecordSize));
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW((saved + L".tmp").c_str()));

    app.PostCommand(gui::kIdmClearList);
    ASSERT_TRUE(GuiDriver::WaitUntil([&] { return gui::fnModuleList(app).empty(); }, 3000));
    GUI_ASSERT(LoadFile(saved));
    EXPECT_TRUE(app.NoMessageBox());
    EXPECT_EQ(loaded, gui::fnModuleList(app));
}

// A folder nobody may write to: the program says the file could not be created.
TEST_F(SliAboutTest, SaveIntoAnUnwritableFolderSaysSo)
{
    OPEN_SIM_PORT();
    const std::wstring two = m_dir + L"\\two.sli";
    ASSERT_TRUE(fnWriteFile(two, fnTwoRecordFile()));
    GUI_ASSERT(LoadFile(two));
    app.PostCommand(gui::kIdmListSave);
    HWND dlg = app.WaitDialog(kSaveTitle);
    GUI_ASSERT(dlg);
    // sysfs takes no new files, not even from root.
    GUI_ASSERT(ChooseFile(dlg, L"Z:\\sys\\vq-never.sli"));
    HWND box = app.WaitMessageBox(GuiDriver::kWaitMs, L"VQ4600_TITLE");
    GUI_ASSERT(box);
    EXPECT_EQ("INF:fnFileSaveAs()_02 CreateFile() return INVALID_HANDLE_VALUE! ",
              U8(app.ReadMessageBox(box).text));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(app.WaitGone(box));
    EXPECT_EQ(2u, gui::fnModuleList(app).size());
}

TEST_F(SliAboutTest, EmptyListSaveIsRefusedAndCancelSaysNothing)
{
    OPEN_SIM_PORT();
    app.PostCommand(gui::kIdmListSave);
    HWND box = app.WaitMessageBox(GuiDriver::kWaitMs, gui::kProgramCaption);
    GUI_ASSERT(box);
    EXPECT_EQ(U8(kListEmpty), U8(app.ReadMessageBox(box).text));
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(app.WaitGone(box));

    app.PostCommand(gui::kIdmListLoad);
    HWND dlg = app.WaitDialog(kOpenTitle);
    GUI_ASSERT(dlg);
    PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(app.WaitGone(dlg)) << U8(app.LastError());
    Sleep(300);
    EXPECT_TRUE(app.NoMessageBox());
    EXPECT_TRUE(gui::fnModuleList(app).empty());
}

namespace
{
// request-<name> in VQ_SHOT_DIR, then wait for done-<name>.
bool fnShoot(const std::wstring& dir, const wchar_t* name)
{
    Sleep(400);
    std::wstring done = dir + L"\\done-" + name;
    DeleteFileW(done.c_str());
    HANDLE h = CreateFileW((dir + L"\\request-" + name).c_str(), GENERIC_WRITE, 0, nullptr,
                           CREATE_ALWAYS, 0, nullptr);
    if (h == INVALID_HANDLE_VALUE)
    {
        return false;
    }
    CloseHandle(h);
    return GuiDriver::WaitUntil(
        [&] { return GetFileAttributesW(done.c_str()) != INVALID_FILE_ATTRIBUTES; }, 10000);
}
} // namespace

TEST_F(SliAboutTest, DISABLED_SliAboutShots)
{
    const std::wstring dir = fnWinPath(fnEnv(L"VQ_SHOT_DIR"));
    if (dir.empty())
    {
        GTEST_SKIP() << "VQ_SHOT_DIR is not set";
    }
    OPEN_SIM_PORT();
    app.PostCommand(gui::kIdmListLoad);
    HWND dlg = app.WaitDialog(kOpenTitle);
    GUI_ASSERT(dlg);
    EXPECT_TRUE(fnShoot(dir, L"sli_open"));
    PostMessageW(dlg, WM_COMMAND, IDCANCEL, 0);
    ASSERT_TRUE(app.WaitGone(dlg));
    for (int n = 1; n <= 10; ++n)
    {
        dlg = About(n == 10 ? kCreditCaption : kAboutCaption);
        GUI_ASSERT(dlg);
        if (n == 1)
        {
            EXPECT_TRUE(fnShoot(dir, L"about"));
        }
        if (n == 10)
        {
            EXPECT_TRUE(fnShoot(dir, L"credit"));
        }
        PostMessageW(dlg, WM_COMMAND, IDOK, 0);
        ASSERT_TRUE(app.WaitGone(dlg));
    }
}
