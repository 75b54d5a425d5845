// The Terminal through the program's own window against the simulated default bus: its Chinese
// texts and protocol views, a command typed and sent in text and in hex with the exact answer
// in the return box, wrong hex text refused, and Enter in the command box clearing the box.
#include "tests/gui/GuiFixture.h"

namespace
{
const wchar_t kTermCaption[] = L"终  端";
const wchar_t kHexErrorCaption[] = L"终端";
const wchar_t kHexError[] = L"输入的HEX格式数据错误！";

enum : int
{
    kIdProtocol = 1062,
    kIdCmdMode = 1063,
    kIdAppendChk = 1064,
    kIdAppendCr = 1065,
    kIdAppendCrc = 1066,
    kIdCalcCrc = 1067,
    kIdCrc = 1068,
    kIdSend = 1070,
    kIdContinuous = 1071,
    kIdStop = 1072,
    kIdInterval = 1073,
    kIdReturnMode = 1074,
    kIdReturn = 1075,
    kIdClear = 1076,
    kIdExit = 1077,
    kIdCommand = 1078,
};

struct LabelRow
{
    int id;
    const wchar_t* text;
};

const LabelRow kLabels[] = {
    {1107, L"协    议:"},        {1108, L"命 令 输 入:"},      {kIdCmdMode, L"(ASCII)"},
    {kIdAppendChk, L"追加CHK"},  {kIdAppendCr, L"追加Cr"},     {kIdAppendCrc, L"追加CRC"},
    {kIdCalcCrc, L"计算CRC"},    {kIdSend, L"发 送"},          {kIdContinuous, L"连续发送"},
    {kIdStop, L"停 止"},         {1109, L"发送间隔时间(ms):"}, {1110, L"模块返回信息:"},
    {kIdReturnMode, L"(ASCII)"}, {kIdClear, L"清 空"},         {kIdExit, L"退 出"},
};

bool fnVisible(HWND dlg, int id)
{
    return IsWindowVisible(GuiDriver::Item(dlg, id)) != FALSE;
}

bool fnEnabled(HWND dlg, int id)
{
    return IsWindowEnabled(GuiDriver::Item(dlg, id)) != FALSE;
}
} // namespace

class TerminalGuiTest : public GuiTest
{
  protected:
    HWND OpenTerminal()
    {
        app.PostCommand(gui::kIdmTerminal);
        return app.WaitDialog(kTermCaption);
    }

    void SelectProtocol(HWND dlg, int index)
    {
        HWND combo = GuiDriver::Item(dlg, kIdProtocol);
        ASSERT_TRUE(GuiDriver::ComboSelect(combo, index));
        PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(kIdProtocol, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(combo));
        ASSERT_TRUE(GuiDriver::WaitUntil(
            [&]
            {
                return GuiDriver::Text(GuiDriver::Item(dlg, kIdCmdMode)) ==
                       (index == 2 ? L"(HEX)" : L"(ASCII)");
            },
            2000));
    }

    // Types the command, presses Send and waits for the return box to show want exactly.
    bool SendAndSee(HWND dlg, const std::wstring& command, const std::wstring& want)
    {
        GuiDriver::SetText(GuiDriver::Item(dlg, kIdCommand), command);
        GuiDriver::Click(dlg, kIdSend);
        return GuiDriver::WaitUntil(
            [&] { return GuiDriver::Text(GuiDriver::Item(dlg, kIdReturn)) == want; }, 3000);
    }
};

// A technician's exchange: the dialog's texts, the name query in text, then in hex (module 03
// speaks Modbus RTU), a wrong hex text, and Enter, which clears the box and sends nothing.
TEST_F(TerminalGuiTest, TypedCommandsGoOutExactlyAndTheAnswersShowInTextAndHex)
{
    OPEN_SIM_PORT();
    HWND dlg = OpenTerminal();
    GUI_ASSERT(dlg);
    for (const LabelRow& row : kLabels)
    {
        EXPECT_EQ(U8(row.text), U8(GuiDriver::Text(GuiDriver::Item(dlg, row.id))))
            << "control " << row.id;
    }
    const std::vector<std::wstring> protocols = {L"VQASCII", L"VQASCII-CHK", L"ModbusRTU"};
    EXPECT_EQ(protocols, GuiDriver::ComboLines(GuiDriver::Item(dlg, kIdProtocol)));
    EXPECT_FALSE(fnVisible(dlg, kIdAppendChk)) << "VQASCII has no checksum";
    EXPECT_FALSE(fnEnabled(dlg, kIdStop));
    Sleep(600); // the first 500 ms without data empty the box
    size_t mark = sim.BusLog().size();
    EXPECT_TRUE(SendAndSee(dlg, L"$01M", L"!014652GD\r\n"))
        << U8(GuiDriver::Text(GuiDriver::Item(dlg, kIdReturn)));
    SelectProtocol(dlg, 2);
    EXPECT_EQ(L"(HEX)", GuiDriver::Text(GuiDriver::Item(dlg, kIdReturnMode)));
    EXPECT_FALSE(fnEnabled(dlg, kIdCalcCrc)) << "off while 追加CRC is checked";
    EXPECT_TRUE(SendAndSee(dlg, L"03 46 00", L"!014652GD\r\n03 46 00 00 46 24 00 DC 73 \r\n"))
        << U8(GuiDriver::Text(GuiDriver::Item(dlg, kIdReturn)));
    const std::vector<std::string> sent = {"24 30 31 4D 0D", "03 46 00 B3 A0"};
    EXPECT_EQ(sent, sim.SentSince(mark));

    GuiDriver::SetText(GuiDriver::Item(dlg, kIdCommand), L"03 4");
    GuiDriver::Click(dlg, kIdSend);
    HWND box = app.WaitMessageBox(GuiDriver::kWaitMs, kHexErrorCaption);
    GUI_ASSERT(box);
    EXPECT_EQ(U8(kHexError), U8(app.ReadMessageBox(box).text));
    GuiDriver::Click(box, IDOK);
    ASSERT_TRUE(app.WaitGone(box)) << U8(app.LastError());

    // Enter in the command box presses the default button "清 空".
    HWND edit = FindWindowExW(GuiDriver::Item(dlg, kIdCommand), nullptr, L"Edit", nullptr);
    ASSERT_TRUE(edit != nullptr);
    PostMessageW(edit, WM_KEYDOWN, VK_RETURN, 0);
    PostMessageW(edit, WM_KEYUP, VK_RETURN, 0);
    EXPECT_TRUE(GuiDriver::WaitUntil(
        [&] { return GuiDriver::Text(GuiDriver::Item(dlg, kIdReturn)).empty(); }, 2000));
    Sleep(300);
    EXPECT_EQ(sent, sim.SentSince(mark)) << "a refused text or Enter reached the bus";
    GuiDriver::Click(dlg, kIdExit);
    EXPECT_TRUE(app.WaitGone(dlg)) << U8(app.LastError());
}
