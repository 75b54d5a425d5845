// Fixture and shared checks of the GUI cases.
#include "tests/gui/GuiFixture.h"

void GuiTest::SetUp()
{
    ASSERT_TRUE(app.Start(gui::fnAppExe())) << U8(app.LastError());
}

void GuiTest::TearDown()
{
    app.Kill();
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
