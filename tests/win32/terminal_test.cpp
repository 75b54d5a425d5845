// The terminal end to end under Wine: Idm_Terminal, its two threads and the Terminal dialog
// (run modally, as the main window runs it) against the simulated bus. An operator thread works
// the dialog with sent messages, so each click has been handled when the call returns; message
// boxes are captured. Golden frames and CRCs were worked out with an independent CRC-16/Modbus
// and byte sum in Python; the wire is read from the simulator's log.
#include <gtest/gtest.h>

#include <functional>

#include "res/resource.h"
#include "terminal/TerminalComm.h"
#include "terminal/TerminalDlg.h"
#include "tests/win32/PairTest.h"

namespace
{

// What an operator does with the open dialog, from its own thread.
struct Operator
{
    HWND hDlg;

    HWND Item(int nId) const { return GetDlgItem(hDlg, nId); }
    void Send(int nId, UINT uMsg, WPARAM wParam, LPARAM lParam = 0) const
    {
        SendMessageW(Item(nId), uMsg, wParam, lParam);
    }
    void Notify(int nId, WORD wCode) const
    {
        SendMessageW(hDlg, WM_COMMAND, MAKEWPARAM(nId, wCode), reinterpret_cast<LPARAM>(Item(nId)));
    }
    void Click(int nId) const { Notify(nId, BN_CLICKED); }
    void Check(int nId, bool bOn) const { Send(nId, BM_SETCHECK, bOn ? BST_CHECKED : 0); }
    void Type(int nId, const wchar_t* pwchText) const
    {
        Send(nId, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(pwchText));
    }
    bool Enabled(int nId) const { return IsWindowEnabled(Item(nId)) != FALSE; }
    bool WaitReturn(const std::wstring& wsWant, DWORD dwMs) const
    {
        return fnWaitUntil([&] { return fnWindowTextW(Item(IDC_TERM_RETURN)) == wsWant; }, dwMs);
    }
};

typedef std::function<void(const Operator&)> Script;
HWND g_hDlg = NULL; // the dialog of the last opening

// Runs the script on the dialog once it is up, then closes the dialog unless the script did.
DWORD WINAPI fnOperate(LPVOID pvParam)
{
    const Script& fnScript = *static_cast<const Script*>(pvParam);
    if (!fnWaitUntil([] { return gstTerminalDlg.m_hDlg.load() != NULL; }, 3000))
        return 1;
    HWND hDlg = g_hDlg = gstTerminalDlg.m_hDlg.load();
    Sleep(600); // the return box is emptied at the first 500 ms without data
    fnScript(Operator{hDlg});
    if (gstTerminalDlg.m_hDlg.load() != NULL)
        SendMessageW(hDlg, WM_COMMAND, IDCANCEL, 0);
    return 0;
}

class TerminalTest : public PairTest
{
  protected:
    void SetUp() override
    {
        PairTest::SetUp();
        gstTerminalDlg.m_stSetting = TerminalSetting();
    }

    // Opens the terminal as the main window does and lets fnScript work it; the dialog's
    // result, -1 when the pair did not start.
    INT_PTR Open(const Script& fnScript)
    {
        if (Idm_Terminal(NULL) != 0)
            return -1;
        HANDLE hThread = CreateThread(NULL, 0, fnOperate, const_cast<Script*>(&fnScript), 0, NULL);
        INT_PTR nResult = DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_TERMINAL),
                                          NULL, TerminalDlgProc, 0);
        DWORD dwExit = 1;
        WaitForSingleObject(hThread, 20000);
        GetExitCodeThread(hThread, &dwExit);
        CloseHandle(hThread);
        EXPECT_EQ(0u, dwExit) << "the dialog did not come up";
        return nResult;
    }

    // The line MessageCapture::Seen gives for the dialog's box with this text.
    static std::wstring Box(const char* pchText)
    {
        return fnMessageLine(fnTableText("TXT_TERMINAL"), fnTableText(pchText), MB_ICONINFORMATION,
                             g_hDlg);
    }
};
} // namespace

// A command of each protocol, completed as the check boxes say, reaches the wire byte for byte,
// and the module's answer shows in the return box (text or hex); hex text that is no bytes is
// refused with a message, and nothing goes out.
TEST_F(TerminalTest, ACommandOfEachProtocolGoesOutExactlyAndItsAnswerIsShown)
{
    struct Row
    {
        int nProtocol;
        bool bChk, bCrc; // the CR box is always on: VQASCII needs it, Modbus ignores it
        const wchar_t* pwchCommand;
        const char* pchFrame; // nullptr: refused
        const wchar_t* pwchShown;
    };
    const wchar_t* const RTU_NAME = L"03 46 00 00 46 24 00 DC 73 \r\n";
    const Row astRows[] = {
        // VQASCII ignores the (hidden) checksum box.
        {0, true, true, L"$01M", "24 30 31 4D 0D", L"!014652\r\n"},
        {1, true, true, L"$02M", "24 30 32 4D 44 33 0D", L"!02461856\r\n"},
        // The checksum digits typed by hand, nothing appended but the CR.
        {1, false, true, L"$02MD3", "24 30 32 4D 44 33 0D", L"!02461856\r\n"},
        // CRC typed by hand with "追加CRC" off, and appended.
        {2, false, false, L"03 46 00 b3 a0", "03 46 00 B3 A0", RTU_NAME},
        {2, true, true, L"03 46 00", "03 46 00 B3 A0", RTU_NAME},
        {2, true, true, L"1 F", nullptr, L""},
    };
    SimPort stPort(INDEX_9600);
    ASSERT_TRUE(stPort.IsOpen());
    ASSERT_TRUE(m_stBus.Reset("01,4652,ascii,9600 02,4618,chk,9600 03,4624,rtu,9600"));
    for (const Row& stRow : astRows)
    {
        SCOPED_TRACE(testing::PrintToString(std::wstring(stRow.pwchCommand)));
        MessageCapture stCapture;
        size_t nLog = fnSimLogSize();
        bool bShown = false;
        auto fnScript = [&](const Operator& stOp)
        {
            stOp.Send(IDC_TERM_PROTOCOL, CB_SETCURSEL, stRow.nProtocol);
            stOp.Notify(IDC_TERM_PROTOCOL, CBN_SELCHANGE);
            stOp.Check(IDC_TERM_APPEND_CHK, stRow.bChk);
            stOp.Check(IDC_TERM_APPEND_CR, true);
            stOp.Check(IDC_TERM_APPEND_CRC, stRow.bCrc);
            stOp.Type(IDC_TERM_COMMAND, stRow.pwchCommand);
            stOp.Click(IDC_TERM_SEND);
            bShown = stOp.WaitReturn(stRow.pwchShown, 2000);
            EXPECT_FALSE(stOp.Enabled(IDC_TERM_STOP));
        };
        EXPECT_EQ(0, Open(fnScript));
        EXPECT_TRUE(bShown);
        const bool bRefused = stRow.pchFrame == nullptr;
        EXPECT_EQ(bRefused ? std::vector<std::string>{} : std::vector<std::string>{stRow.pchFrame},
                  fnSimLogFramesSince(nLog));
        EXPECT_EQ(bRefused ? Box("TXT_TERM_HEX_ERROR") : L"", stCapture.Seen());
        EXPECT_TRUE(fnCommPairWait(gstCommTRCTerminal, 3000));
    }
}

// A continuous run repeats the same frame at its interval: 100 ms for 5 s writes it 50 times
// (+-1), with the command and interval locked, and Stop ends it at once. Exit during a run ends
// the pair at once, whatever the interval, even one that would be INFINITE; a number too big
// for 32 bits is refused with a message, not read as 0 ms, and nothing goes out.
TEST_F(TerminalTest, ExitEndsAnyRunAtOnceAndAnIntervalOutOfRangeIsRefused)
{
    SimPort stPort(INDEX_9600);
    ASSERT_TRUE(stPort.IsOpen());
    const struct
    {
        const wchar_t* pwchInterval;
        DWORD dwRunMs; // then Stop; 0: Exit after 300 ms
        size_t nFrames;
    } ROWS[] = {{L"100", 5000, 50}, {L"10000", 0, 1}, {L"4294967295", 0, 1}, {L"4294967296", 0, 0}};
    for (const auto& stRow : ROWS)
    {
        SCOPED_TRACE(testing::PrintToString(stRow.pwchInterval));
        const bool bRefused = stRow.nFrames == 0;
        MessageCapture stCapture;
        const size_t nLog = fnSimLogSize();
        size_t nAtStop = 0;
        Open(
            [&](const Operator& stOp)
            {
                stOp.Type(IDC_TERM_INTERVAL, stRow.pwchInterval);
                stOp.Type(IDC_TERM_COMMAND, L"$01M");
                stOp.Click(IDC_TERM_CONTINUOUS);
                for (int nId : {IDC_TERM_SEND, IDC_TERM_COMMAND, IDC_TERM_INTERVAL, IDC_TERM_STOP})
                    EXPECT_EQ((nId == IDC_TERM_STOP) != bRefused, stOp.Enabled(nId)) << nId;
                Sleep(stRow.dwRunMs == 0 ? 300 : stRow.dwRunMs);
                if (stRow.dwRunMs == 0)
                    return;
                stOp.Click(IDC_TERM_STOP);
                Sleep(150); // the last frame's log line
                nAtStop = fnSimLogFramesSince(nLog).size();
                Sleep(700);
                for (int nId : {IDC_TERM_SEND, IDC_TERM_COMMAND, IDC_TERM_STOP})
                    EXPECT_EQ(nId != IDC_TERM_STOP, stOp.Enabled(nId)) << "control " << nId;
            });
        EXPECT_TRUE(fnWaitUntil([] { return !fnCommPairRunning(gstCommTRCTerminal); }, 1000))
            << "the pair outlived its dialog";
        const std::vector<std::string> asFrames = fnSimLogFramesSince(nLog);
        EXPECT_NEAR(double(stRow.nFrames), double(asFrames.size()), stRow.dwRunMs ? 1.0 : 0.0);
        EXPECT_TRUE(stRow.dwRunMs == 0 || nAtStop == asFrames.size()) << "a frame after Stop";
        for (const std::string& sFrame : asFrames)
            ASSERT_EQ("24 30 31 4D 0D", sFrame) << "every frame of a run repeats the same bytes";
        EXPECT_EQ(bRefused ? Box("TXT_TERM_INTERVAL_RANGE") : L"", stCapture.Seen());
    }
}

// Sends pressed faster than the transmit thread writes are neither lost nor reordered, and no
// frame is written over while it goes out.
TEST_F(TerminalTest, SendsPressedInQuickSuccessionAllGoOutInOrder)
{
    SimPort stPort(INDEX_9600);
    ASSERT_TRUE(stPort.IsOpen());
    const wchar_t* const apwchCommands[] = {L"$01M", L"$016", L"$02M", L"$03M",
                                            L"$04M", L"$056", L"$06M", L"$07M"};
    const std::vector<std::string> asWant = {"24 30 31 4D 0D", "24 30 31 36 0D", "24 30 32 4D 0D",
                                             "24 30 33 4D 0D", "24 30 34 4D 0D", "24 30 35 36 0D",
                                             "24 30 36 4D 0D", "24 30 37 4D 0D"};
    for (int nRound = 0; nRound < 2; ++nRound)
    {
        SCOPED_TRACE(nRound);
        size_t nLog = fnSimLogSize();
        Open(
            [&](const Operator& stOp)
            {
                // Round 0 lets the thread run; round 1 holds it on its request event (where it
                // holds no lock), so that every press comes while it is busy.
                HANDLE hTx = gstCommTRCTerminal.m_stTx.m_hThread;
                if (nRound > 0)
                    SuspendThread(hTx);
                for (const wchar_t* pwch : apwchCommands)
                {
                    stOp.Type(IDC_TERM_COMMAND, pwch);
                    stOp.Click(IDC_TERM_SEND);
                }
                if (nRound > 0)
                    ResumeThread(hTx);
                Sleep(800);
            });
        EXPECT_EQ(asWant, fnSimLogFramesSince(nLog));
    }
}

// Every byte from 0x80 up stands for a character of its own unless it pairs with another high
// byte into a Chinese character; an ASCII byte after it is never swallowed.
TEST(TerminalReturnText, HighBytesNeverHideTheBytesAroundThem)
{
    std::vector<std::pair<std::string, std::wstring>> aRows = {
        {"\xC4\xE3\xBA\xC3", L"\x4F60\x597D"}, // a GBK text from a module reads as Chinese
        {"\xFF\xFF", L"\x00FF\x00FF"},
        {"\x80\x80\x41", L"\x0080\x0080\x0041"},
        {"\xC4", L"\x00C4"},
    };
    // GBK would take the 'B' after a lead byte as its trail byte; we never do.
    for (int nByte = 0x01; nByte <= 0xFF; ++nByte)
        aRows.push_back({{'A', char(nByte), 'B'}, {L'A', wchar_t(nByte), L'B'}});
    for (const auto& stRow : aRows)
    {
        wchar_t awch[16];
        EXPECT_EQ(int(stRow.second.size()),
                  fnTerminalTextToWide(stRow.first.data(), uint32_t(stRow.first.size()), awch, 16));
        EXPECT_EQ(stRow.second, awch) << testing::PrintToString(stRow.first);
    }
}
