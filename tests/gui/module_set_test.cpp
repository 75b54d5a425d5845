// Module Settings through the program's own window against the simulated default bus: the
// dialog's Chinese texts and preselected values, a refused new address, and a real change
// whose report box holds the write button off until it is closed.
#include "tests/gui/GuiFixture.h"

namespace
{
// The dialog's texts as a technician must see them.
const wchar_t kSetCaption[] = L"模块设置";
const wchar_t kSetWrite[] = L"写入模块";
const wchar_t kSetBadAddress[] = L"模块新地址输入错误！";
const wchar_t kSetOk[] = L"模块设置成功！";

enum : int
{
    kIdWrite = 1053,
    kIdModel = 1054,
    kIdAddress = 1055,
    kIdBaud = 1056,
    kIdProtocol = 1057,
    kIdNewAddress = 1058,
    kIdNewBaud = 1059,
    kIdNewProtocol = 1060,
};

struct LabelRow
{
    int id;
    const wchar_t* text;
};

const LabelRow kLabels[] = {
    {1100, L"型      号:"}, {1101, L"地 址(H):"},  {1102, L"波 特 率:"},
    {1103, L"协      议:"}, {1104, L"新地址(H):"}, {1105, L"新波特率:"},
    {1106, L"新  协  议:"}, {kIdWrite, kSetWrite}, {IDCANCEL, gui::kCancel},
};

std::string fnItemText(HWND dlg, int id)
{
    return U8(GuiDriver::Text(GuiDriver::Item(dlg, id)));
}
} // namespace

class ModuleSetGuiTest : public GuiTest
{
  protected:
    // Selects a list entry and opens Module Settings.
    HWND OpenSettings(int entry)
    {
        return OpenForEntry(entry, static_cast<WORD>(gui::kIdmModuleSet), kSetCaption);
    }
};

TEST_F(ModuleSetGuiTest, TheDialogShowsItsTextsAndTheModulesPresentValues)
{
    SearchDefaultBus();
    if (IsSkipped() || HasFatalFailure())
        return;
    HWND dlg = OpenSettings(0); // [01H] 4652GD (VQASCII), the port at 9600
    GUI_ASSERT(dlg);
    for (const LabelRow& row : kLabels)
    {
        EXPECT_EQ(U8(row.text), fnItemText(dlg, row.id)) << "control " << row.id;
    }
    EXPECT_EQ("4652GD", fnItemText(dlg, kIdModel));
    EXPECT_EQ("01", fnItemText(dlg, kIdAddress));
    EXPECT_EQ("9600", fnItemText(dlg, kIdBaud));
    EXPECT_EQ("VQASCII", fnItemText(dlg, kIdProtocol));
    EXPECT_EQ("01", fnItemText(dlg, kIdNewAddress));
    const std::vector<std::wstring> bauds = {L"1200",  L"2400",  L"4800",  L"9600",
                                             L"19200", L"38400", L"57600", L"115200"};
    EXPECT_EQ(bauds, GuiDriver::ComboLines(GuiDriver::Item(dlg, kIdNewBaud)));
    const std::vector<std::wstring> protocols = {L"VQASCII", L"VQASCII-CHK", L"Modbus RTU"};
    EXPECT_EQ(protocols, GuiDriver::ComboLines(GuiDriver::Item(dlg, kIdNewProtocol)));
    EXPECT_EQ(3, GuiDriver::ComboSelection(GuiDriver::Item(dlg, kIdNewBaud)));
    EXPECT_EQ(0, GuiDriver::ComboSelection(GuiDriver::Item(dlg, kIdNewProtocol)));
    GuiDriver::Click(dlg, IDCANCEL);
    EXPECT_TRUE(app.WaitGone(dlg)) << U8(app.LastError());
}

TEST_F(ModuleSetGuiTest, ABadNewAddressIsRefusedAndNothingIsSent)
{
    SearchDefaultBus();
    if (IsSkipped() || HasFatalFailure())
        return;
    HWND dlg = OpenSettings(2); // [03H] 4624 (Modbus RTU)
    GUI_ASSERT(dlg);
    EXPECT_EQ("Modbus RTU", fnItemText(dlg, kIdProtocol));
    EXPECT_EQ(2, GuiDriver::ComboSelection(GuiDriver::Item(dlg, kIdNewProtocol)));
    size_t mark = sim.BusLog().size();
    for (const wchar_t* bad : {L"0G", L"A", L"0A0B", L""})
    {
        GuiDriver::SetText(GuiDriver::Item(dlg, kIdNewAddress), bad);
        GuiDriver::Click(dlg, kIdWrite);
        HWND box = app.WaitMessageBox(GuiDriver::kWaitMs, kSetCaption);
        GUI_ASSERT(box);
        EXPECT_EQ(U8(kSetBadAddress), U8(app.ReadMessageBox(box).text)) << U8(bad);
        GuiDriver::Click(box, IDOK);
        ASSERT_TRUE(app.WaitGone(box)) << U8(app.LastError());
        EXPECT_TRUE(IsWindowEnabled(GuiDriver::Item(dlg, kIdWrite)));
    }
    Sleep(300);
    EXPECT_TRUE(sim.SentSince(mark).empty()) << "a refused address reached the bus";
    GuiDriver::Click(dlg, IDCANCEL);
    EXPECT_TRUE(app.WaitGone(dlg)) << U8(app.LastError());
}

TEST_F(ModuleSetGuiTest, AChangeIsReportedAndTheListKeepsTheOldEntry)
{
    SearchDefaultBus();
    if (IsSkipped() || HasFatalFailure())
        return;
    HWND dlg = OpenSettings(1); // [02H] 4618 (VQASCII-CHK)
    GUI_ASSERT(dlg);
    m_bBusChanged = true;
    size_t mark = sim.BusLog().size();
    GuiDriver::SetText(GuiDriver::Item(dlg, kIdNewAddress), L"05");
    GuiDriver::ComboSelect(GuiDriver::Item(dlg, kIdNewProtocol), 0);
    GuiDriver::Click(dlg, kIdWrite);
    HWND box = app.WaitMessageBox(3000, gui::kProgramCaption);
    GUI_ASSERT(box);
    EXPECT_EQ(U8(kSetOk), U8(app.ReadMessageBox(box).text));
    EXPECT_FALSE(IsWindowEnabled(GuiDriver::Item(dlg, kIdWrite))) << "on while the report is up";
    // "%0205400600" and its byte sum 0x16.
    const std::vector<std::string> sent = {"25 30 32 30 35 34 30 30 36 30 30 31 36 0D"};
    EXPECT_EQ(sent, sim.SentSince(mark));
    GuiDriver::Click(box, IDOK);
    ASSERT_TRUE(app.WaitGone(box)) << U8(app.LastError());
    EXPECT_TRUE(GuiDriver::WaitUntil(
        [&] { return IsWindowEnabled(GuiDriver::Item(dlg, kIdWrite)) != FALSE; }, 2000));
    EXPECT_NE(std::string::npos, sim.State().find("05,4618,ascii,9600"));
    EXPECT_EQ("02", fnItemText(dlg, kIdAddress)) << "the present values are not refreshed";
    GuiDriver::Click(dlg, IDCANCEL);
    ASSERT_TRUE(app.WaitGone(dlg)) << U8(app.LastError());
    EXPECT_EQ("[02H] 4618 (VQASCII-CHK)", U8(gui::fnModuleList(app)[1]));
}

// Cancel pressed while a step is under way closes the dialog at once; the step ends without a
// box (its owner is gone) and, for Modbus RTU, the second frame never goes out.
TEST_F(ModuleSetGuiTest, CancelDuringAStepClosesAtOnceAndNothingMoreHappens)
{
    SearchDefaultBus();
    if (IsSkipped() || HasFatalFailure())
        return;
    HWND dlg = OpenSettings(2); // [03H] 4624 (Modbus RTU), kept at 03
    GUI_ASSERT(dlg);
    m_bBusChanged = true;
    size_t mark = sim.BusLog().size();
    GuiDriver::Click(dlg, kIdWrite);
    Sleep(300); // inside the reply window of the address step
    DWORD cancelled = GetTickCount();
    GuiDriver::Click(dlg, IDCANCEL);
    ASSERT_TRUE(app.WaitGone(dlg, 1000)) << U8(app.LastError());
    EXPECT_LE(GetTickCount() - cancelled, 500u) << "the dialog waited for the step";
    EXPECT_FALSE(app.WaitMessageBox(2500)) << "a report came after Cancel";
    // 03 46 04 03 00 00 00 and its CRC; the baud/protocol frame must not follow.
    const std::vector<std::string> sent = {"03 46 04 03 00 00 00 D7 22"};
    EXPECT_EQ(sent, sim.SentSince(mark));
    // The program is still there for the next opening.
    dlg = OpenSettings(0);
    GUI_ASSERT(dlg);
    GuiDriver::Click(dlg, IDCANCEL);
    EXPECT_TRUE(app.WaitGone(dlg)) << U8(app.LastError());
}
