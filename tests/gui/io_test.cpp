// IO Control through the program's own windows against the simulated default bus: each model's
// window with its Chinese texts and title line, a relay click that reaches the module, lamps
// that follow the module's inputs, analog values that follow the module, and Close. (A window
// reopened at once is the Win32 suite's IoTest, on the same handlers.)
#include "tests/gui/GuiFixture.h"

namespace
{
const wchar_t kIoCaption[] = L"IO控制";
const wchar_t kIoClose[] = L"关 闭";

struct TextRow
{
    int id;
    const wchar_t* text;
};

struct WindowRow
{
    int entry; // line of the default bus list
    std::vector<TextRow> texts;
};

const WindowRow kWindows[] = {
    {0,
     {{1038, L"模块型号: 4652GD     地址(Hex): 01"},
      {1115, L"输入通道"},
      {1116, L"输出通道"},
      {IDOK, kIoClose},
      {1046, L"IN0"},
      {1050, L"OUT0"}}},
    {1, {{1052, L"模块型号: 4618     地址(Hex): 02"}, {1114, L"输入通道"}, {IDOK, kIoClose}}},
    {2,
     {{1013, L"模块型号: 4624     地址(Hex): 03"},
      {1111, L"电流输入"},
      {1112, L"电压输入"},
      {IDOK, kIoClose},
      {1087, L"Iin0"},
      {1086, L"Uin3"}}},
    {3, {{1019, L"模块型号: 4637     地址(Hex): 04"}, {1113, L"电流输入"}, {IDOK, kIoClose}}},
};
} // namespace

class IoGuiTest : public GuiTest
{
  protected:
    HWND OpenIo(int entry) { return OpenForEntry(entry, gui::kIdmIoControl, kIoCaption); }

    // Close ends the window within the worker's stop time.
    void CloseIo(HWND dlg, DWORD ms)
    {
        ULONGLONG t0 = GetTickCount64();
        GuiDriver::Click(dlg, IDOK);
        ASSERT_TRUE(app.WaitGone(dlg, ms + 1000)) << U8(app.LastError());
        EXPECT_LT(GetTickCount64() - t0, ms);
    }

    std::string Text(HWND dlg, int id) { return U8(GuiDriver::Text(GuiDriver::Item(dlg, id))); }
};

TEST_F(IoGuiTest, EachModelOpensItsWindowWithItsTexts)
{
    SearchDefaultBus();
    if (IsSkipped() || HasFatalFailure())
        return;
    for (const WindowRow& row : kWindows)
    {
        SCOPED_TRACE("list entry " + std::to_string(row.entry));
        HWND dlg = OpenIo(row.entry);
        GUI_ASSERT(dlg);
        for (const TextRow& text : row.texts)
            EXPECT_EQ(U8(text.text), Text(dlg, text.id)) << "control " << text.id;
        EXPECT_TRUE(app.NoMessageBox());
        CloseIo(dlg, 2000);
    }
}

TEST_F(IoGuiTest, RelayClickReachesTheModuleAndInputsLightTheLamps)
{
    SearchDefaultBus();
    if (IsSkipped() || HasFatalFailure())
        return;
    ASSERT_TRUE(sim.Command("inputs 01 05"));
    HWND dlg = OpenIo(0);
    GUI_ASSERT(dlg);
    GuiDriver::Click(dlg, 1049); // OUT1
    EXPECT_TRUE(GuiDriver::WaitUntil(
        [&] { return sim.State().find("01,4652GD,ascii,9600 outputs=02") != std::string::npos; },
        3000))
        << sim.State();
    EXPECT_TRUE(GuiDriver::WaitUntil(
        [&] { return GuiDriver::Send(GuiDriver::Item(dlg, 1049), BM_GETCHECK, 0, 0) == 1; }, 2000));
    // Inputs 05: IN0 and IN2 show one bitmap, IN1 and IN3 the other (lamps 1042..1039).
    auto image = [&](int id)
    { return GuiDriver::Send(GuiDriver::Item(dlg, id), STM_GETIMAGE, IMAGE_BITMAP, 0); };
    EXPECT_TRUE(GuiDriver::WaitUntil(
        [&] {
            return image(1042) == image(1040) && image(1041) == image(1039) &&
                   image(1042) != image(1041);
        },
        2000));
    ASSERT_TRUE(sim.Command("inputs 01 0A"));
    const LRESULT lit = image(1042);
    EXPECT_TRUE(
        GuiDriver::WaitUntil([&] { return image(1041) == lit && image(1042) != lit; }, 1000))
        << "IN1 did not light within two polls";
    CloseIo(dlg, 1000);
}

TEST_F(IoGuiTest, AnalogValuesFollowTheModuleUntilClose)
{
    SearchDefaultBus();
    if (IsSkipped() || HasFatalFailure())
        return;
    for (int ch = 0; ch < 8; ++ch)
        ASSERT_TRUE(sim.Command("analog 03 " + std::to_string(ch) + (ch < 4 ? " 12.345" : " 7.5")));
    HWND dlg = OpenIo(2); // [03H] 4624 (Modbus RTU)
    GUI_ASSERT(dlg);
    EXPECT_EQ("00.000", Text(dlg, 1018));
    EXPECT_TRUE(GuiDriver::WaitUntil(
        [&] { return Text(dlg, 1018) == "12.345" && Text(dlg, 1029) == "7.500"; }, 4000))
        << Text(dlg, 1018) << " " << Text(dlg, 1029);
    // Close waits for the receive worker: the 800 ms reply wait, the read and one wait.
    CloseIo(dlg, 2300);
    EXPECT_TRUE(app.NoMessageBox());
}
