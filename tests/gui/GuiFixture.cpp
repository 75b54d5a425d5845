// Fixture and shared checks of the GUI cases.
#include "tests/gui/GuiFixture.h"

void GuiTest::SetUp()
{
    ASSERT_TRUE(app.Start(gui::fnAppExe())) << U8(app.LastError());
}

void GuiTest::TearDown()
{
    app.Kill();
    if (m_bBusChanged)
    {
        EXPECT_TRUE(sim.ResetDefaultBus()) << "the simulator did not take back its default bus";
    }
}

void GuiTest::OpenSimPort()
{
    int com = gui::fnTestCom();
    if (com <= 0)
    {
        GTEST_SKIP() << "VQ_TEST_COM is not set: no simulated bus";
    }
    GUI_ASSERT(gui::fnOpenPort(app, com, 3, error));
}

HWND GuiTest::OpenForEntry(int entry, WORD command, const std::wstring& caption)
{
    if (!GuiDriver::ListSelect(app.FindControl(IDC_MODULE_LIST, L"ListBox"), entry))
        return nullptr;
    app.PostCommand(command);
    return app.WaitDialog(caption);
}
