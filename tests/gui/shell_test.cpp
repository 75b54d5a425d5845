// The main window as it starts: caption, place, menu texts by position, closed-port state,
// the toolbar switch and the two ways to end the program.
#include "tests/gui/GuiFixture.h"

namespace
{

struct MenuRow
{
    int sub;
    int pos;
    UINT id; // 0 for a menu-bar title or a separator
    const wchar_t* text;
};

const MenuRow kMenuRows[] = {
    {-1, 0, 0, L"串口操作"},
    {-1, 1, 0, L"模块操作"},
    {-1, 2, 0, L"窗口"},
    {-1, 3, 0, L"帮助"},
    {0, 0, 40012, L"打开串口"},
    {0, 1, 40013, L"关闭串口"},
    {0, 2, 0, nullptr},
    {0, 3, 40014, L"串口设置"},
    {0, 4, 0, nullptr},
    {0, 5, 40015, L"退出"},
    {1, 0, 40016, L"模块搜索"},
    {1, 1, 40026, L"从sli文件载入搜索列表"},
    {1, 2, 40027, L"保存搜索列表到sli文件"},
    {1, 3, 0, nullptr},
    {1, 4, 40017, L"IO控制"},
    {1, 5, 40018, L"模块设置"},
    {1, 6, 0, nullptr},
    {1, 7, 40019, L"终端"},
    {2, 0, 40020, L"显示工具栏"},
    {2, 1, 0, nullptr},
    {2, 2, 40021, L"清空搜索列表"},
    {3, 0, 40023, L"关于"},
};

// Menu items that stay enabled while the port is closed.
const UINT kAlwaysEnabled[] = {40012, 40015, 40020, 40023};

// Toolbar buttons in panel order; only COM Open may be pressed while the port is closed.
const int kToolbarButtons[] = {1001, 1002, 1003, 1004, 1008, 1009, 1005, 1006, 1007};

bool fnIn(UINT id, const UINT* first, const UINT* last)
{
    for (; first != last; ++first)
    {
        if (*first == id)
        {
            return true;
        }
    }
    return false;
}

} // namespace

TEST_F(GuiTest, MainWindowIsCentredWithItsCaption)
{
    EXPECT_EQ(U8(gui::kMainCaption), U8(GuiDriver::Text(app.MainWindow())));
    RECT r;
    ASSERT_TRUE(GetWindowRect(app.MainWindow(), &r));
    EXPECT_EQ(640, r.right - r.left);
    EXPECT_EQ(480, r.bottom - r.top);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN) / 2 - 320, r.left);
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN) / 2 - 240, r.top);
}

TEST_F(GuiTest, MenuShowsChineseTextsByPosition)
{
    std::vector<MenuEntry> menu = Menu();
    ASSERT_FALSE(menu.empty());
    int counts[4] = {0, 0, 0, 0};
    for (const MenuEntry& e : menu)
    {
        if (e.sub >= 0 && e.sub < 4)
        {
            ++counts[e.sub];
        }
    }
    EXPECT_EQ(6, counts[0]);
    EXPECT_EQ(8, counts[1]);
    EXPECT_EQ(3, counts[2]);
    EXPECT_EQ(1, counts[3]);
    for (const MenuRow& row : kMenuRows)
    {
        SCOPED_TRACE(testing::Message() << "submenu " << row.sub << " position " << row.pos);
        const MenuEntry* e = MenuProbe::At(menu, row.sub, row.pos);
        ASSERT_NE(nullptr, e);
        if (!row.text)
        {
            EXPECT_TRUE(e->IsSeparator());
            continue;
        }
        EXPECT_FALSE(e->IsSeparator());
        EXPECT_EQ(U8(row.text), U8(e->text));
        if (row.id != 0)
        {
            EXPECT_EQ(row.id, e->id);
        }
    }
}

TEST_F(GuiTest, ClosedPortLeavesOnlyOpenAndAlwaysItemsUsable)
{
    std::vector<MenuEntry> menu = Menu();
    ASSERT_FALSE(menu.empty());
    for (const MenuRow& row : kMenuRows)
    {
        if (row.id == 0)
        {
            continue;
        }
        const MenuEntry* e = MenuProbe::ById(menu, row.id);
        ASSERT_NE(nullptr, e) << row.id;
        bool enabled = fnIn(row.id, std::begin(kAlwaysEnabled), std::end(kAlwaysEnabled));
        EXPECT_EQ(!enabled, e->IsGrayed()) << "menu item " << row.id;
    }
    EXPECT_TRUE(MenuProbe::ById(menu, gui::kIdmToolbar)->IsChecked());
    for (int id : kToolbarButtons)
    {
        HWND b = app.FindControl(id, L"Button");
        ASSERT_NE(nullptr, b) << "toolbar button " << id;
        EXPECT_EQ(id == 1001, IsWindowEnabled(b) != FALSE) << "toolbar button " << id;
    }
    EXPECT_EQ("", U8(gui::fnStatusText(app)));
    HWND list = app.FindControl(gui::kIdModuleList, L"ListBox");
    ASSERT_NE(nullptr, list);
    EXPECT_FALSE(IsWindowEnabled(list));
}

// Hiding the toolbar moves the module list panel up to y = 2; showing it puts it back at 37.
TEST_F(GuiTest, ToolbarCommandMovesTheListPanelAndTheCheckMark)
{
    HWND list = app.FindControl(gui::kIdModuleList, L"ListBox");
    ASSERT_NE(nullptr, list);
    HWND panel = GetParent(list);
    auto top = [&]
    {
        RECT r;
        GetWindowRect(panel, &r);
        POINT p = {r.left, r.top};
        ScreenToClient(app.MainWindow(), &p);
        return p.y;
    };
    const struct
    {
        bool checked;
        LONG top;
    } steps[] = {{false, 2}, {true, 37}, {false, 2}};
    EXPECT_EQ(37, top());
    for (const auto& step : steps)
    {
        app.PostCommand(gui::kIdmToolbar);
        EXPECT_TRUE(GuiDriver::WaitUntil([&] { return top() == step.top; }, 2000))
            << "list panel top " << top() << ", expected " << step.top;
        std::vector<MenuEntry> menu = Menu();
        ASSERT_FALSE(menu.empty());
        EXPECT_EQ(step.checked, MenuProbe::ById(menu, gui::kIdmToolbar)->IsChecked());
    }
}

TEST_F(GuiTest, ExitAndCloseBoxEndTheProgramWithCodeZero)
{
    for (int viaMenu = 1; viaMenu >= 0; --viaMenu)
    {
        SCOPED_TRACE(viaMenu ? "Exit command" : "close box");
        if (!app.MainWindow())
        {
            ASSERT_TRUE(app.Start(gui::fnAppExe())) << U8(app.LastError());
        }
        if (viaMenu)
        {
            // By position, as a technician finds it: the last item of the first menu.
            std::vector<MenuEntry> menu = Menu();
            const MenuEntry* exit = MenuProbe::At(menu, 0, 5);
            ASSERT_NE(nullptr, exit);
            app.PostCommand(static_cast<WORD>(exit->id));
        }
        else
        {
            app.PostClose();
        }
        DWORD code = 1234;
        ASSERT_TRUE(app.WaitExit(GuiDriver::kWaitMs, &code)) << U8(app.LastError());
        EXPECT_EQ(0u, code);
        app.Kill();
    }
}
