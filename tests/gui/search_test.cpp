// Module search through its two dialogs against the simulated bus: texts, refused and accepted
// start addresses, a scan over the default bus stopped after its last module, Stop in the
// middle, and a scan that reaches 0xFF and closes its dialog by itself.
#include "tests/gui/GuiFixture.h"

#include <commctrl.h>

namespace
{

// What a scan of the default bus of scripts/gui-tests lists, in bus order.
const wchar_t* const kDefaultBusLines[] = {
    L"[01H] 4652GD (VQASCII)",
    L"[02H] 4618 (VQASCII-CHK)",
    L"[03H] 4624 (Modbus RTU)",
    L"[04H] 4637 (VQASCII)",
};

std::vector<std::string> fnU8(const std::vector<std::wstring>& lines)
{
    std::vector<std::string> out;
    for (const std::wstring& l : lines)
    {
        out.push_back(U8(l));
    }
    return out;
}

std::vector<std::string> fnDefaultLines(size_t n)
{
    std::vector<std::string> out;
    for (size_t i = 0; i < n; ++i)
    {
        out.push_back(U8(kDefaultBusLines[i]));
    }
    return out;
}

} // namespace

class SearchTest : public GuiTest
{
  protected:
    // Presses Stop and expects the progress dialog to close at once.
    void Stop(HWND progress)
    {
        ULONGLONG t0 = GetTickCount64();
        GuiDriver::Click(progress, IDOK);
        ASSERT_TRUE(app.WaitGone(progress, 1500)) << U8(app.LastError());
        EXPECT_LT(GetTickCount64() - t0, 1000u) << "Stop must close the dialog at once";
        gui::fnWaitSearchPairEnd();
    }

    // The list must not change any more: the scan has really ended.
    void ExpectListSettled(const std::vector<std::string>& want)
    {
        EXPECT_EQ(want, fnU8(gui::fnModuleList(app)));
        Sleep(1500);
        EXPECT_EQ(want, fnU8(gui::fnModuleList(app))) << "the scan went on after it ended";
    }
};

TEST_F(SearchTest, StartDialogShowsItsTextsAndCancelStartsNothing)
{
    OPEN_SIM_PORT();
    app.PostCommand(gui::kIdmModuleSearch);
    HWND dlg = app.WaitDialog(gui::kSearchCaption);
    GUI_ASSERT(dlg);
    EXPECT_EQ(U8(gui::kSearchPrompt),
              U8(GuiDriver::Text(GuiDriver::Item(dlg, gui::kIdSearchPrompt))));
    EXPECT_EQ("00", U8(GuiDriver::Text(GuiDriver::Item(dlg, gui::kIdSearchStart))));
    EXPECT_EQ(U8(gui::kOk), U8(GuiDriver::Text(GuiDriver::Item(dlg, IDOK))));
    EXPECT_EQ(U8(gui::kCancel), U8(GuiDriver::Text(GuiDriver::Item(dlg, IDCANCEL))));
    GuiDriver::Click(dlg, IDCANCEL);
    ASSERT_TRUE(app.WaitGone(dlg)) << U8(app.LastError());
    EXPECT_EQ(nullptr, app.WaitDialog(gui::kProgressCaption, 800)) << "Cancel started a search";
}

// Refused texts bring the message and leave the dialog open with the text as typed.
TEST_F(SearchTest, BadStartAddressesAreRefusedWithTheMessage)
{
    OPEN_SIM_PORT();
    const wchar_t* const kRefused[] = {L"", L"1", L"100", L"1 F", L"0x10", L"1F 20", L"G1", L"-1"};
    app.PostCommand(gui::kIdmModuleSearch);
    HWND dlg = app.WaitDialog(gui::kSearchCaption);
    GUI_ASSERT(dlg);
    HWND edit = GuiDriver::Item(dlg, gui::kIdSearchStart);
    for (const wchar_t* text : kRefused)
    {
        SCOPED_TRACE("input '" + U8(text) + "'");
        ASSERT_TRUE(GuiDriver::SetText(edit, text));
        GuiDriver::Click(dlg, IDOK);
        HWND box = app.WaitMessageBox(GuiDriver::kWaitMs, gui::kSearchCaption);
        ASSERT_TRUE(box) << U8(app.LastError());
        EXPECT_EQ(U8(gui::kSearchBadAddress), U8(app.ReadMessageBox(box).text));
        GuiDriver::Click(box, IDOK);
        ASSERT_TRUE(app.WaitGone(box)) << U8(app.LastError());
        EXPECT_TRUE(IsWindowVisible(dlg)) << "the dialog closed on a refused address";
        EXPECT_EQ(U8(text), U8(GuiDriver::Text(edit)));
    }
    EXPECT_EQ(nullptr, app.WaitDialog(gui::kProgressCaption, 300));
    GuiDriver::Click(dlg, IDCANCEL);
}

// Accepted texts start the search; the next start dialog offers the address in upper case.
TEST_F(SearchTest, AcceptedStartAddressIsOfferedAgain)
{
    OPEN_SIM_PORT();
    // Range: the bar runs from 0 to 255 minus the start address. First: the first query sent.
    const struct
    {
        const wchar_t* typed;
        const wchar_t* offered;
        int range;
        const char* first;
    } kAccepted[] = {
        {L"1f", L"1F", 224, "24 31 46 4D 0D"},
        {L"  3C  ", L"3C", 195, "24 33 43 4D 0D"},
        {L"fe", L"FE", 1, "24 46 45 4D 0D"},
    };
    for (const auto& row : kAccepted)
    {
        SCOPED_TRACE("input '" + U8(row.typed) + "'");
        size_t mark = sim.BusLog().size();
        HWND progress = gui::fnStartSearch(app, row.typed, error);
        GUI_ASSERT(progress);
        HWND bar = GuiDriver::Item(progress, gui::kIdSearchProgress);
        EXPECT_EQ(row.range, static_cast<int>(GuiDriver::Send(bar, PBM_GETRANGE, FALSE, 0)));
        if (IsWindowVisible(progress))
        {
            GuiDriver::Click(progress, IDOK);
        }
        ASSERT_TRUE(app.WaitGone(progress)) << U8(app.LastError());
        std::vector<std::string> sent = sim.SentSince(mark);
        if (!sim.BusLog().empty())
        {
            ASSERT_FALSE(sent.empty()) << "the search sent nothing";
            EXPECT_EQ(row.first, sent.front());
        }
        app.PostCommand(gui::kIdmModuleSearch);
        HWND dlg = app.WaitDialog(gui::kSearchCaption);
        GUI_ASSERT(dlg);
        EXPECT_EQ(U8(row.offered), U8(GuiDriver::Text(GuiDriver::Item(dlg, gui::kIdSearchStart))));
        GuiDriver::Click(dlg, IDCANCEL);
        ASSERT_TRUE(app.WaitGone(dlg)) << U8(app.LastError());
    }
}

// A scan from 00 finds the whole default bus, one line per module in bus order; Stop after
// the last module keeps them all.
TEST_F(SearchTest, ScanFromZeroListsTheDefaultBus)
{
    OPEN_SIM_PORT();
    HWND progress = gui::fnStartSearch(app, L"00", error);
    GUI_ASSERT(progress);
    EXPECT_EQ(U8(gui::kProgressLabel),
              U8(GuiDriver::Text(GuiDriver::Item(progress, gui::kIdSearchLabel))));
    EXPECT_EQ(U8(gui::kStop), U8(GuiDriver::Text(GuiDriver::Item(progress, IDOK))));
    GUI_ASSERT(gui::fnWaitSearchAddress(app, progress, L"06", 30000, error));
    Stop(progress);
    ExpectListSettled(fnDefaultLines(4));
}

// Stop in the middle keeps what was found, and the scan does not go on behind the user.
TEST_F(SearchTest, StopKeepsTheModulesFoundSoFar)
{
    OPEN_SIM_PORT();
    HWND progress = gui::fnStartSearch(app, L"00", error);
    GUI_ASSERT(progress);
    GUI_ASSERT(gui::fnWaitSearchAddress(app, progress, L"02", 15000, error));
    Stop(progress);
    std::vector<std::string> got = fnU8(gui::fnModuleList(app));
    // The query in flight when Stop came may have been recorded: 02 answers the second one.
    ASSERT_GE(got.size(), 1u);
    ASSERT_LE(got.size(), 2u);
    ExpectListSettled(fnDefaultLines(got.size()));
}

// A new search empties the list only once it starts; COM Close empties it for good.
TEST_F(SearchTest, ListIsEmptiedByANewSearchAndByComClose)
{
    OPEN_SIM_PORT();
    HWND progress = gui::fnStartSearch(app, L"00", error);
    GUI_ASSERT(progress);
    GUI_ASSERT(gui::fnWaitSearchAddress(app, progress, L"02", 15000, error));
    Stop(progress);
    ASSERT_FALSE(gui::fnModuleList(app).empty());
    size_t found = gui::fnModuleList(app).size();

    app.PostCommand(gui::kIdmModuleSearch);
    HWND dlg = app.WaitDialog(gui::kSearchCaption);
    GUI_ASSERT(dlg);
    GuiDriver::Click(dlg, IDCANCEL);
    ASSERT_TRUE(app.WaitGone(dlg)) << U8(app.LastError());
    EXPECT_EQ(found, gui::fnModuleList(app).size()) << "a cancelled search emptied the list";

    progress = gui::fnStartSearch(app, L"FF", error);
    GUI_ASSERT(progress);
    ASSERT_TRUE(app.WaitGone(progress, 10000)) << U8(app.LastError());
    EXPECT_TRUE(gui::fnModuleList(app).empty());

    progress = gui::fnStartSearch(app, L"01", error);
    GUI_ASSERT(progress);
    GUI_ASSERT(gui::fnWaitSearchAddress(app, progress, L"02", 15000, error));
    Stop(progress);
    ASSERT_FALSE(gui::fnModuleList(app).empty());
    app.PostCommand(gui::kIdmComClose);
    EXPECT_TRUE(GuiDriver::WaitUntil([&] { return gui::fnModuleList(app).empty(); }, 3000));
    OPEN_SIM_PORT();
    EXPECT_TRUE(gui::fnModuleList(app).empty()) << "reopening brought old entries back";
}

// A scan that reaches 0xFF ends by itself and closes its dialog; two modules at one address
// in different protocols give one line each, in protocol order.
TEST_F(SearchTest, ScanToTheLastAddressEndsByItself)
{
    if (!sim.Available())
    {
        GTEST_SKIP() << "VQ_SIM_CONTROL is not set";
    }
    m_bBusChanged = true;
    ASSERT_TRUE(sim.Command("reset FD,4618,rtu,9600 FE,4652G,chk,9600 FF,4652D,ascii,9600 "
                            "FF,4637,rtu,9600"))
        << "the simulator did not take the new bus";
    OPEN_SIM_PORT();
    HWND progress = gui::fnStartSearch(app, L"fd", error);
    GUI_ASSERT(progress);
    // Nine queries of 350 ms each at 9600 baud, then the dialog closes without a click.
    ASSERT_TRUE(app.WaitGone(progress, 10000)) << U8(app.LastError());
    EXPECT_TRUE(app.NoMessageBox()) << U8(app.Describe());
    ExpectListSettled({"[FDH] 4618 (Modbus RTU)", "[FEH] 4652G (VQASCII-CHK)",
                       "[FFH] 4652D (VQASCII)", "[FFH] 4637 (Modbus RTU)"});
}

// Start address FF: exactly three queries, one per protocol, then the dialog closes by itself.
TEST_F(SearchTest, ScanFromTheLastAddressSendsThreeQueries)
{
    OPEN_SIM_PORT();
    if (sim.BusLog().empty())
    {
        GTEST_SKIP() << "VQ_SIM_LOG is not set";
    }
    size_t mark = sim.BusLog().size();
    HWND progress = gui::fnStartSearch(app, L"ff", error);
    GUI_ASSERT(progress);
    ASSERT_TRUE(app.WaitGone(progress, 5000)) << U8(app.LastError());
    Sleep(800); // a fourth query would come within one reply wait
    // $FFM CR; $FFM FD CR (0x24+0x46+0x46+0x4D = 0x1FD); FF 46 00 with CRC 0x9073, low byte first.
    const std::vector<std::string> want = {"24 46 46 4D 0D", "24 46 46 4D 46 44 0D",
                                           "FF 46 00 73 90"};
    EXPECT_EQ(want, sim.SentSince(mark));
    EXPECT_TRUE(gui::fnModuleList(app).empty());
}
