// COM Set dialog and the port commands against the simulated bus: the dialog's texts and
// lists, Cancel, a good open, a port that does not exist, the baud change of the open port
// and COM Close, each checked on the status line and the enabled state of menu and toolbar.
#include "tests/gui/GuiFixture.h"

namespace
{

struct TextRow
{
    int id;
    const wchar_t* text;
};

const TextRow kComSetTexts[] = {
    {1093, L"端    口:"}, {1094, L"波特率:"}, {1095, L"数据位:"},  {1096, L"校    验:"},
    {1097, L"停止位:"},   {IDOK, L"确定"},    {IDCANCEL, L"取消"},
};

const wchar_t* const kBauds[] = {L"1200",  L"2400",  L"4800",  L"9600",
                                 L"19200", L"38400", L"57600", L"115200"};

// Menu items and toolbar buttons that follow the port: usable only while it is open.
const UINT kPortItems[] = {40013, 40014, 40016, 40026, 40027, 40017, 40018, 40019, 40021};
const int kPortButtons[] = {1002, 1003, 1004, 1008, 1009, 1005, 1006, 1007};

bool fnPortExists(int com)
{
    std::wstring path = L"\\\\.\\COM" + std::to_wstring(com);
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE)
    {
        return GetLastError() != ERROR_FILE_NOT_FOUND && GetLastError() != ERROR_PATH_NOT_FOUND;
    }
    CloseHandle(h);
    return true;
}

} // namespace

class ComPortTest : public GuiTest
{
  protected:
    // Checks menu, toolbar, list and status for the open (true) or closed port.
    void ExpectPortState(bool open, const std::wstring& status)
    {
        std::vector<MenuEntry> menu = Menu();
        ASSERT_FALSE(menu.empty());
        EXPECT_EQ(open, MenuProbe::ById(menu, gui::kIdmComOpen)->IsGrayed());
        for (UINT id : kPortItems)
        {
            const MenuEntry* e = MenuProbe::ById(menu, id);
            ASSERT_NE(nullptr, e) << id;
            EXPECT_EQ(!open, e->IsGrayed()) << "menu item " << id;
        }
        EXPECT_EQ(!open, IsWindowEnabled(app.FindControl(1001, L"Button")) != FALSE);
        for (int id : kPortButtons)
        {
            EXPECT_EQ(open, IsWindowEnabled(app.FindControl(id, L"Button")) != FALSE)
                << "toolbar button " << id;
        }
        EXPECT_EQ(open, IsWindowEnabled(app.FindControl(gui::kIdModuleList, L"ListBox")) != FALSE);
        EXPECT_EQ(U8(status), U8(gui::fnStatusText(app)));
    }

    std::wstring OpenStatus(int com, const wchar_t* baud)
    {
        return L"已打开COM" + std::to_wstring(com) + L", " + baud + L", 8, None, 1";
    }
};

TEST_F(ComPortTest, ComSetDialogShowsChineseTextsAndFullLists)
{
    HWND dlg = gui::fnShowComSet(app, gui::kIdmComOpen, error);
    GUI_ASSERT(dlg);
    EXPECT_EQ(U8(gui::kComSetCaption), U8(GuiDriver::Text(dlg)));
    for (const TextRow& row : kComSetTexts)
    {
        EXPECT_EQ(U8(row.text), U8(GuiDriver::Text(GuiDriver::Item(dlg, row.id)))) << row.id;
    }
    std::vector<std::wstring> ports = GuiDriver::ComboLines(GuiDriver::Item(dlg, 1011));
    ASSERT_EQ(256u, ports.size());
    for (size_t i = 0; i < ports.size(); ++i)
    {
        ASSERT_EQ("COM" + std::to_string(i + 1), U8(ports[i])) << "port list line " << i;
    }
    std::vector<std::wstring> bauds = GuiDriver::ComboLines(GuiDriver::Item(dlg, 1012));
    ASSERT_EQ(8u, bauds.size());
    for (size_t i = 0; i < bauds.size(); ++i)
    {
        EXPECT_EQ(U8(kBauds[i]), U8(bauds[i]));
    }
    EXPECT_EQ(0, GuiDriver::ComboSelection(GuiDriver::Item(dlg, 1011)));
    EXPECT_EQ(3, GuiDriver::ComboSelection(GuiDriver::Item(dlg, 1012)));
    EXPECT_TRUE(IsWindowEnabled(GuiDriver::Item(dlg, 1011)));
    GuiDriver::Click(dlg, IDCANCEL);
    EXPECT_TRUE(app.WaitGone(dlg)) << U8(app.LastError());
}

// Cancel opens nothing and keeps the committed choice: the next dialog offers COM1 / 9600.
TEST_F(ComPortTest, CancelOpensNothingAndKeepsTheChoice)
{
    HWND dlg = gui::fnShowComSet(app, gui::kIdmComOpen, error);
    GUI_ASSERT(dlg);
    ASSERT_TRUE(GuiDriver::ComboSelect(GuiDriver::Item(dlg, 1011), 4));
    ASSERT_TRUE(GuiDriver::ComboSelect(GuiDriver::Item(dlg, 1012), 7));
    GuiDriver::Click(dlg, IDCANCEL);
    ASSERT_TRUE(app.WaitGone(dlg)) << U8(app.LastError());
    Sleep(300);
    EXPECT_TRUE(app.NoMessageBox()) << U8(app.Describe());
    ExpectPortState(false, L"");
    dlg = gui::fnShowComSet(app, gui::kIdmComOpen, error);
    GUI_ASSERT(dlg);
    EXPECT_EQ(0, GuiDriver::ComboSelection(GuiDriver::Item(dlg, 1011)));
    EXPECT_EQ(3, GuiDriver::ComboSelection(GuiDriver::Item(dlg, 1012)));
    GuiDriver::Click(dlg, IDCANCEL);
}

// A port that does not exist: the exact message, the window stays closed, and COM Open still
// works afterwards on the simulated port.
TEST_F(ComPortTest, MissingPortIsReportedAndOpenStaysUsable)
{
    const int kMissing[] = {256, 250, 99};
    for (int com : kMissing)
    {
        SCOPED_TRACE(testing::Message() << "COM" << com);
        if (fnPortExists(com))
        {
            continue;
        }
        HWND dlg = gui::fnShowComSet(app, gui::kIdmComOpen, error);
        GUI_ASSERT(dlg);
        ASSERT_TRUE(GuiDriver::ComboSelect(GuiDriver::Item(dlg, 1011), com - 1));
        GuiDriver::Click(dlg, IDOK);
        HWND box = app.WaitMessageBox();
        ASSERT_TRUE(box) << U8(app.LastError());
        MessageBoxInfo info = app.ReadMessageBox(box);
        EXPECT_EQ(U8(gui::kOpenPortCaption), U8(info.caption));
        EXPECT_EQ("串口 COM" + std::to_string(com) + " 打开错误", U8(info.text));
        GuiDriver::Click(box, IDOK);
        ASSERT_TRUE(app.WaitGone(box)) << U8(app.LastError());
        ExpectPortState(false, L"");
    }
    OPEN_SIM_PORT();
    ExpectPortState(true, OpenStatus(gui::fnTestCom(), L"9600"));
}

// Open, change the baud of the open port, close: status line and enabled state follow.
TEST_F(ComPortTest, OpenSetBaudAndCloseFollowThePort)
{
    OPEN_SIM_PORT();
    int com = gui::fnTestCom();
    ExpectPortState(true, OpenStatus(com, L"9600"));

    HWND dlg = gui::fnShowComSet(app, gui::kIdmComSet, error);
    GUI_ASSERT(dlg);
    EXPECT_FALSE(IsWindowEnabled(GuiDriver::Item(dlg, 1011))) << "the port must not change";
    EXPECT_EQ(com - 1, GuiDriver::ComboSelection(GuiDriver::Item(dlg, 1011)));
    EXPECT_EQ(3, GuiDriver::ComboSelection(GuiDriver::Item(dlg, 1012)));
    ASSERT_TRUE(GuiDriver::ComboSelect(GuiDriver::Item(dlg, 1012), 7));
    GuiDriver::Click(dlg, IDOK);
    std::wstring want = OpenStatus(com, L"115200");
    EXPECT_TRUE(GuiDriver::WaitUntil([&] { return gui::fnStatusText(app) == want; }, 3000))
        << U8(gui::fnStatusText(app));
    EXPECT_TRUE(app.NoMessageBox()) << U8(app.Describe());

    app.PostCommand(gui::kIdmComClose);
    EXPECT_TRUE(GuiDriver::WaitUntil([&] { return gui::fnStatusText(app).empty(); }, 3000))
        << U8(gui::fnStatusText(app));
    ExpectPortState(false, L"");
}

// IO Control and Module Settings need a selected list entry.
TEST_F(ComPortTest, FeatureCommandsWithoutSelectionExplainWhy)
{
    OPEN_SIM_PORT();
    const int kCommands[] = {gui::kIdmIoControl, gui::kIdmModuleSet};
    for (int command : kCommands)
    {
        SCOPED_TRACE(testing::Message() << "command " << command);
        app.PostCommand(static_cast<WORD>(command));
        HWND box = app.WaitMessageBox();
        ASSERT_TRUE(box) << U8(app.LastError());
        MessageBoxInfo info = app.ReadMessageBox(box);
        EXPECT_EQ(U8(gui::kProgramCaption), U8(info.caption));
        EXPECT_EQ(U8(gui::kNoSelection), U8(info.text));
        GuiDriver::Click(box, IDOK);
        ASSERT_TRUE(app.WaitGone(box)) << U8(app.LastError());
    }
}

// A toolbar button sends its menu command: the same dialog comes up, in both port states.
TEST_F(ComPortTest, ToolbarButtonsOpenTheSameDialogsAsTheMenu)
{
    const struct
    {
        bool open;
        int button;
        const wchar_t* caption;
    } kRows[] = {
        {false, 1001, gui::kComSetCaption},
        {true, 1003, gui::kComSetCaption},
        {true, 1004, gui::kSearchCaption},
    };
    for (const auto& row : kRows)
    {
        SCOPED_TRACE(testing::Message() << "button " << row.button);
        if (row.open && gui::fnStatusText(app).empty())
        {
            OPEN_SIM_PORT();
        }
        HWND button = app.FindControl(row.button, L"Button");
        ASSERT_NE(nullptr, button);
        GuiDriver::Click(GetParent(button), row.button);
        HWND dlg = app.WaitDialog(row.caption);
        GUI_ASSERT(dlg);
        GuiDriver::Click(dlg, IDCANCEL);
        ASSERT_TRUE(app.WaitGone(dlg)) << U8(app.LastError());
    }
}
