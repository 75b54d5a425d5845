// One run of the real program for what only the whole exe shows: the status line and the menu
// greying that follow the port, the real common dialogs of the search-list file (the save
// dialog adds ".sli"), COM Close emptying the list, the tenth About opening the credit window,
// and Exit ending with code 0. Exact bytes, reports, refusals and the menu and dialog texts
// belong to the Win32 suite.
#include "tests/gui/GuiFixture.h"
#include "tools/driver/ResourceProbe.h"

#include <map>
#include <sstream>

namespace
{

// Menu items that follow the port: usable only while it is open (COM Open the other way round).
const UINT kPortItems[] = {IDM_COM_CLOSE,  IDM_COM_SET,   IDM_MODULE_SEARCH,
                           IDM_LIST_LOAD,  IDM_LIST_SAVE, IDM_IO_CONTROL,
                           IDM_MODULE_SET, IDM_TERMINAL,  IDM_CLEAR_LIST};

// The state of every menu item by command id, read through the probe hook (Wine keeps menus
// inside the owning process); empty when the probe failed.
std::map<UINT, UINT> fnMenuStates(GuiDriver& app)
{
    ResourceSample sample;
    std::wstring why;
    std::map<UINT, UINT> states;
    std::wistringstream lines(
        ResourceProbe(app.Pid()).Read(app.MainWindow(), sample, why) ? sample.menu : L"");
    int sub, pos;
    UINT id, type, state;
    for (std::wstring l; std::getline(lines, l);)
        if (swscanf(l.c_str(), L"%d\t%d\t%u\t%u\t%u", &sub, &pos, &id, &type, &state) == 5 &&
            sub >= 0 && !(type & MFT_SEPARATOR))
            states[id] = state;
    return states;
}

} // namespace

class SmokeTest : public GuiTest
{
  protected:
    // Menu greying and status line for the open or closed port.
    void ExpectPortState(bool open, const std::wstring& status)
    {
        std::map<UINT, UINT> menu = fnMenuStates(app);
        ASSERT_EQ(1u, menu.count(IDM_COM_OPEN)) << "no menu from the probe";
        EXPECT_EQ(open, (menu[IDM_COM_OPEN] & MFS_GRAYED) != 0);
        for (UINT id : kPortItems)
        {
            ASSERT_EQ(1u, menu.count(id)) << id;
            EXPECT_EQ(!open, (menu[id] & MFS_GRAYED) != 0) << "menu item " << id;
        }
        EXPECT_EQ(U8(status), U8(gui::fnStatusText(app)));
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
    GUI_ASSERT(gui::fnSearch(app, L"01", L"02", error));
    gui::fnWaitSearchPairEnd();
    ASSERT_FALSE(gui::fnModuleList(app).empty());

    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring saved =
        temp + std::wstring(L"vq-smoke-list-") + std::to_wstring(GetCurrentProcessId());
    app.PostCommand(IDM_LIST_SAVE);
    GUI_ASSERT(gui::fnChooseFile(app, gui::fnText(TXT_SLI_SAVE_TITLE), saved, error));
    EXPECT_TRUE(GuiDriver::WaitUntil(
        [&] { return GetFileAttributesW((saved + L".sli").c_str()) != INVALID_FILE_ATTRIBUTES; },
        3000))
        << "the save dialog did not add .sli";
    EXPECT_TRUE(app.NoMessageBox()) << U8(app.Describe());

    app.PostCommand(IDM_COM_CLOSE);
    EXPECT_TRUE(GuiDriver::WaitUntil([&] { return gui::fnModuleList(app).empty(); }, 3000));
    ExpectPortState(false, L"");
    DeleteFileW((saved + L".sli").c_str());

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
