// One run of the real program for what only the whole exe shows: the status line and the menu
// greying that follow the port, the real common dialogs of the search-list file (the save
// dialog adds ".sli"), COM Close emptying the list, the tenth About opening the credit window,
// and Exit ending with code 0; and, until the Win32 suite owns them, the refusals of an empty
// list save, a bad new address and bad hex text. Exact bytes, reports and the menu and dialog
// texts belong to the Win32 suite.
#include "tests/gui/GuiFixture.h"

namespace
{

// Menu items that follow the port: usable only while it is open (COM Open the other way round).
const UINT kPortItems[] = {IDM_COM_CLOSE,  IDM_COM_SET,   IDM_MODULE_SEARCH,
                           IDM_LIST_LOAD,  IDM_LIST_SAVE, IDM_IO_CONTROL,
                           IDM_MODULE_SET, IDM_TERMINAL,  IDM_CLEAR_LIST};
const DWORD kSliSize = 230408;

// A dialog opened on the first list line and a refused input with its message (the dialogs'
// texts and the menu's belong to the Win32 text tests).
struct DialogRow
{
    WORD command;
    const char* caption;
    int protocol;      // the terminal's protocol to choose first, -1 none
    int edit;          // the input typed into, 0 none
    const wchar_t* typed;
    int button;        // pressed to take the input
    const char* refusal;
    int close;
};

// clang-format off
const DialogRow kDialogs[] = {
    {IDM_MODULE_SET, TXT_MODULE_SET, -1, IDC_SET_NEW_ADDRESS, L"G1", IDC_SET_WRITE,
     TXT_SET_ADDRESS_ERROR, IDCANCEL},
    {IDM_TERMINAL, TXT_TERM_CAPTION, 2, IDC_TERM_COMMAND, L"1 F", IDC_TERM_SEND, TXT_TERM_HEX_ERROR,
     IDC_TERM_EXIT},
};
// clang-format on

// A list file of two records (VQ-4618 at 1A, VQ-4652GD at 2B), laid out by hand.
bool fnWriteTwoRecords(const std::wstring& path)
{
    std::string s(kSliSize, '\0');
    const char* lines[] = {"[1AH] 4618 (VQASCII)", "[2BH] 4652GD (Modbus RTU)"};
    const unsigned char fields[2][3] = {{0x1A, 6, 1}, {0x2B, 4, 3}}; // address, baud, protocol
    s[0] = 1;
    s[4] = 2;
    for (int i = 0; i < 2; ++i)
    {
        size_t n = 8 + i * 294;
        s[n] = static_cast<char>(fields[i][0]);
        s[n + 30] = static_cast<char>(fields[i][1]);
        s[n + 34] = static_cast<char>(fields[i][2]);
        memcpy(&s[n + 38], lines[i], strlen(lines[i]));
    }
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    bool ok = h != INVALID_HANDLE_VALUE &&
              WriteFile(h, s.data(), static_cast<DWORD>(s.size()), &written, nullptr) &&
              written == s.size();
    if (h != INVALID_HANDLE_VALUE)
        CloseHandle(h);
    return ok;
}

DWORD fnFileSize(const std::wstring& path)
{
    WIN32_FILE_ATTRIBUTE_DATA st = {};
    return GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &st) ? st.nFileSizeLow : 0;
}

} // namespace

class SmokeTest : public GuiTest
{
  protected:
    // Menu greying and status line for the open or closed port.
    void ExpectPortState(bool open, const std::wstring& status)
    {
        std::vector<MenuEntry> menu = Menu();
        ASSERT_FALSE(menu.empty());
        EXPECT_EQ(open, MenuProbe::ById(menu, IDM_COM_OPEN)->IsGrayed());
        for (UINT id : kPortItems)
        {
            const MenuEntry* e = MenuProbe::ById(menu, id);
            ASSERT_NE(nullptr, e) << id;
            EXPECT_EQ(!open, e->IsGrayed()) << "menu item " << id;
        }
        EXPECT_EQ(U8(status), U8(gui::fnStatusText(app)));
    }

    // Takes the one message box up and checks its text.
    void ExpectBox(const char* text)
    {
        HWND box = app.WaitMessageBox();
        ASSERT_TRUE(box) << U8(app.LastError());
        EXPECT_EQ(U8(gui::fnText(text)), U8(app.ReadMessageBox(box).text));
        app.CloseDialog(box);
    }

    void CheckDialog(const DialogRow& row)
    {
        SCOPED_TRACE(U8(gui::fnText(row.caption)));
        HWND dlg = OpenForEntry(0, row.command, gui::fnText(row.caption));
        ASSERT_TRUE(dlg) << U8(app.LastError());
        if (row.protocol >= 0)
        {
            HWND combo = GuiDriver::Item(dlg, IDC_TERM_PROTOCOL);
            GuiDriver::ComboSelect(combo, row.protocol);
            PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDC_TERM_PROTOCOL, CBN_SELCHANGE),
                         reinterpret_cast<LPARAM>(combo));
        }
        if (row.edit)
        {
            GuiDriver::SetText(GuiDriver::Item(dlg, row.edit), row.typed);
            GuiDriver::Click(dlg, row.button);
            ExpectBox(row.refusal);
        }
        GuiDriver::Click(dlg, row.close);
        EXPECT_TRUE(app.WaitGone(dlg)) << U8(app.LastError());
    }
};

TEST_F(SmokeTest, PortListFileAndAboutAsTheRealProgramShowsThem)
{
    ExpectPortState(false, L"");
    OPEN_SIM_PORT();
    std::wstring status = gui::fnText(TXT_STATUS_OPEN_FMT);
    status = status.substr(0, status.find(L'%')) + L"COM" + std::to_wstring(gui::fnTestCom()) +
             L", 9600, 8, None, 1";
    ExpectPortState(true, status);
    app.PostCommand(IDM_LIST_SAVE);
    ExpectBox(TXT_SLI_LIST_EMPTY);

    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring dir =
        temp + std::wstring(L"vq-smoke-") + std::to_wstring(GetCurrentProcessId());
    CreateDirectoryW(dir.c_str(), nullptr);
    ASSERT_TRUE(fnWriteTwoRecords(dir + L"\\two.sli"));
    app.PostCommand(IDM_LIST_LOAD);
    GUI_ASSERT(gui::fnChooseFile(app, gui::fnText(TXT_SLI_OPEN_TITLE), dir + L"\\two.sli", error));
    EXPECT_EQ(2u, gui::fnModuleList(app).size());
    for (const DialogRow& row : kDialogs)
        CheckDialog(row);
    app.PostCommand(IDM_LIST_SAVE);
    GUI_ASSERT(gui::fnChooseFile(app, gui::fnText(TXT_SLI_SAVE_TITLE), dir + L"\\saved", error));
    EXPECT_TRUE(
        GuiDriver::WaitUntil([&] { return fnFileSize(dir + L"\\saved.sli") == kSliSize; }, 3000))
        << "the save dialog did not add .sli";
    EXPECT_TRUE(app.NoMessageBox()) << U8(app.Describe());

    app.PostCommand(IDM_COM_CLOSE);
    EXPECT_TRUE(GuiDriver::WaitUntil([&] { return gui::fnModuleList(app).empty(); }, 3000));
    ExpectPortState(false, L"");
    for (const wchar_t* name : {L"\\two.sli", L"\\saved.sli"})
        DeleteFileW((dir + name).c_str());
    RemoveDirectoryW(dir.c_str());

    for (int n = 1; n <= 11; ++n)
    {
        SCOPED_TRACE(n);
        app.PostCommand(IDM_ABOUT);
        HWND dlg = app.WaitDialog(n == 10 ? gui::kCreditCaption : gui::fnText(TXT_ABOUT));
        GUI_ASSERT(dlg);
        PostMessageW(dlg, WM_COMMAND, n % 2 ? IDOK : IDCANCEL, 0);
        ASSERT_TRUE(app.WaitGone(dlg)) << U8(app.LastError());
    }
    app.PostCommand(IDM_EXIT);
    DWORD code = 1234;
    ASSERT_TRUE(app.WaitExit(GuiDriver::kWaitMs, &code)) << U8(app.LastError());
    EXPECT_EQ(0u, code);
}
