// The transaction record and the worker skeleton under real threads and the simulator's port:
// the accumulator hand-over under contention, how fast a pair stops, that a receive thread's
// outstanding read dies with it, and what a new pair does while an old one still runs.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "serial/CommIo.h"
#include "serial/CommPort.h"
#include "tests/win32/MessageCapture.h"

namespace
{
CommTRC g_stTRC; // the record of the test pairs below

const CommRxTexts RX_TEXTS = {"RX_EVENT", "RX_READ %d", "RX_WAIT", nullptr, nullptr};

// A transmit thread of the request-driven kind: it sleeps on its request event.
DWORD WINAPI fnRequestTx(LPVOID)
{
    CommTx& stTx = g_stTRC.m_stTx;
    if (!g_stTRC.fnCreateEvent(&stTx.m_hIsTransmitData))
        return 1;
    while (fnCommRunning(stTx.m_bRun))
        WaitForSingleObject(stTx.m_hIsTransmitData, INFINITE);
    g_stTRC.fnCloseEvent(&stTx.m_hIsTransmitData);
    return 1;
}

DWORD WINAPI fnCollectRx(LPVOID)
{
    return fnCommRxRun(g_stTRC, RX_TEXTS, [](CommTRC& stTRC) { stTRC.fnRxDataAppend(); });
}

// A transmit thread that ignores the stop until g_hRelease is set; before it ends it sends a
// message to a window of the test thread, as the search does with its dialog.
HANDLE g_hRelease = NULL;
HWND g_hPeer = NULL;

DWORD WINAPI fnStubbornTx(LPVOID)
{
    WaitForSingleObject(g_hRelease, INFINITE);
    SendMessageA(g_hPeer, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("served"));
    return 1;
}

DWORD WINAPI fnIdleRx(LPVOID)
{
    while (g_stTRC.m_stRx.m_bRun.load() == 1)
        Sleep(5);
    return 1;
}

const CommPairDesc REQUEST_PAIR = {fnRequestTx, fnCollectRx, false, "TX_CREATE", "RX_CREATE"};
const CommPairDesc STUBBORN_PAIR = {fnStubbornTx, fnIdleRx, false, "TX_CREATE", "RX_CREATE"};
const CommPairDesc IDLE_PAIR = {fnIdleRx, fnIdleRx, false, "TX_CREATE", "RX_CREATE"};

// Byte i of a test stream: no period short enough to hide a lost or doubled chunk.
uint8_t fnStreamByte(uint32_t i)
{
    return static_cast<uint8_t>(i * 7 + i / 251);
}

// Hands dwCount bytes of the stream, from byte dwFrom on, to the accumulator as one read.
void fnAppend(uint32_t dwFrom, uint32_t dwCount)
{
    for (uint32_t i = 0; i < dwCount; ++i)
        g_stTRC.m_stRx.m_achRxBuf[i] = fnStreamByte(dwFrom + i);
    g_stTRC.m_stRx.m_dwRxRead = dwCount;
    g_stTRC.fnRxDataAppend();
}

class CommTRCTest : public testing::Test
{
  protected:
    void SetUp() override
    {
        fnCommSetCreateThreadHook(nullptr);
        g_stTRC.fnRxDataClear();
        g_hRelease = CreateEventA(NULL, TRUE, FALSE, NULL);
    }
    void TearDown() override
    {
        fnCommSetCreateThreadHook(nullptr);
        SetEvent(g_hRelease);
        EXPECT_TRUE(fnCommPairWait(g_stTRC, 3000)) << "a test pair did not end";
        CloseHandle(g_hRelease);
    }

    SimBus m_stBus;
};

} // namespace

TEST_F(CommTRCTest, AccumulatorLosesAndDuplicatesNothingUnderContention)
{
    static const uint32_t TOTAL = 300000;
    LPTHREAD_START_ROUTINE pfnAppender = [](LPVOID) -> DWORD
    {
        for (uint32_t dwNext = 0, dwChunk = 1; dwNext < TOTAL; dwChunk = dwChunk % 37 + 1)
        {
            // Never overfill: a drop would be correct behaviour, not the fault looked for.
            while (g_stTRC.m_stRx.m_dwRxDataLen.load() > RX_BUF_SIZE - 64)
                SwitchToThread();
            const uint32_t dwCount = std::min(dwChunk, TOTAL - dwNext);
            fnAppend(dwNext, dwCount);
            dwNext += dwCount;
        }
        return 0;
    };
    HANDLE hThread = CreateThread(NULL, 0, pfnAppender, NULL, 0, NULL);
    ASSERT_NE(hThread, (HANDLE)NULL);
    std::vector<uint8_t> abyTaken;
    uint8_t abyChunk[RX_BUF_SIZE];
    for (DWORD dwStart = GetTickCount();
         abyTaken.size() < TOTAL && GetTickCount() - dwStart < 20000;)
    {
        uint32_t dwLen = g_stTRC.fnRxDataTake(abyChunk);
        abyTaken.insert(abyTaken.end(), abyChunk, abyChunk + dwLen);
    }
    WaitForSingleObject(hThread, 5000);
    CloseHandle(hThread);
    abyTaken.insert(abyTaken.end(), abyChunk, abyChunk + g_stTRC.fnRxDataTake(abyChunk));
    ASSERT_EQ(TOTAL, abyTaken.size());
    for (uint32_t i = 0; i < TOTAL; ++i)
        ASSERT_EQ(fnStreamByte(i), abyTaken[i]) << "at byte " << i;
}

TEST_F(CommTRCTest, AccumulatorKeepsTheFirst4096BytesAndDropsTheRest)
{
    const uint32_t ADWROWS[][2] = {{1, 4100}, {4096, 2}, {100, 41}}; // chunk size, chunks
    for (const auto& adwRow : ADWROWS)
    {
        SCOPED_TRACE(adwRow[0]);
        g_stTRC.fnRxDataClear();
        for (uint32_t c = 0; c < adwRow[1]; ++c)
            fnAppend(c * adwRow[0], adwRow[0]);
        uint8_t abyOut[RX_BUF_SIZE];
        ASSERT_EQ(RX_BUF_SIZE, g_stTRC.fnRxDataTake(abyOut));
        for (uint32_t i = 0; i < RX_BUF_SIZE; ++i)
            ASSERT_EQ(fnStreamByte(i), abyOut[i]) << "at byte " << i;
        EXPECT_EQ(0u, g_stTRC.m_stRx.m_dwRxDataLen.load());
    }
}

// The reply reaches the record whole; the stop wakes the transmit thread at once and the
// receive thread within one wait; the read it left behind never completes into the record.
TEST_F(CommTRCTest, ReceiveThreadCollectsAReplyAndItsLastReadDiesWithIt)
{
    if (!m_stBus.Available() || !m_stBus.Reset("01,4652,ascii,9600"))
        GTEST_SKIP() << "no bus simulator (run scripts/win32-tests)";
    SimPort stPort(INDEX_9600);
    ASSERT_TRUE(stPort.IsOpen());
    MessageCapture stCapture;
    ASSERT_EQ(0, fnCommPairStart(g_stTRC, NULL, REQUEST_PAIR));
    Sleep(100);
    ASSERT_TRUE(fnPortWrite("$01M\r"));
    ASSERT_TRUE(fnWaitUntil([] { return g_stTRC.m_stRx.m_dwRxDataLen.load() >= 8; }, 2000))
        << "the reply never reached the record";
    Sleep(50);
    EXPECT_EQ(std::string("!014652\r"),
              std::string(reinterpret_cast<const char*>(g_stTRC.m_stRx.m_achRxData),
                          g_stTRC.m_stRx.m_dwRxDataLen.load()));

    Sleep(200); // both asleep now: one on its request event, one on a pending read
    ASSERT_EQ(1u, g_stTRC.m_stRx.m_bPending.load()) << "the receive thread should be reading";
    DWORD dwStop = GetTickCount();
    g_stTRC.fnStop();
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_stTRC.m_stTx.m_hThread, 2000));
    EXPECT_LE(GetTickCount() - dwStop, 100u) << "the request event was not set by the stop";
    EXPECT_EQ(WAIT_OBJECT_0, WaitForSingleObject(g_stTRC.m_stRx.m_hThread, 2000));
    EXPECT_LE(GetTickCount() - dwStop, COMM_WAIT_MS + 200) << "the receive thread outlived a wait";
    DWORD dwCode = 0;
    GetExitCodeThread(g_stTRC.m_stRx.m_hThread, &dwCode);
    EXPECT_EQ(1u, dwCode);
    EXPECT_EQ(0u, g_stTRC.m_stRx.m_bPending.load());

    memset(g_stTRC.m_stRx.m_achRxBuf, 0xEE, 16);
    g_stTRC.m_stRx.m_dwRxRead = 0xDEAD;
    // The reply must wait in the driver for the next reader, not complete the dead read.
    EXPECT_EQ(std::string("!014652\r"), fnPortExchange("$01M\r", 2000));
    for (int i = 0; i < 16; ++i)
        ASSERT_EQ(0xEE, g_stTRC.m_stRx.m_achRxBuf[i]) << "byte " << i;
    EXPECT_EQ(0xDEADu, g_stTRC.m_stRx.m_dwRxRead);
    EXPECT_EQ(0, stCapture.Count());
}

// A new pair waits (bounded) for the old one, serving the messages its threads send to this
// thread meanwhile; an old pair that will not end is left alone and the start is refused.
TEST_F(CommTRCTest, ANewPairWaitsForTheOldOneOrIsRefusedWithAMessage)
{
    g_hPeer = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, NULL, NULL, NULL, NULL);
    ASSERT_NE(g_hPeer, (HWND)NULL);
    LPTHREAD_START_ROUTINE pfnRelease = [](LPVOID) -> DWORD
    {
        Sleep(400);
        SetEvent(g_hRelease);
        return 0;
    };
    for (const bool bReleased : {true, false})
    {
        SCOPED_TRACE(bReleased);
        SetWindowTextA(g_hPeer, "");
        ResetEvent(g_hRelease);
        MessageCapture stCapture;
        ASSERT_EQ(0, fnCommPairStart(g_stTRC, NULL, STUBBORN_PAIR));
        HANDLE hOldTx = g_stTRC.m_stTx.m_hThread;
        HANDLE hReleaser = bReleased ? CreateThread(NULL, 0, pfnRelease, NULL, 0, NULL) : NULL;
        const DWORD dwStart = GetTickCount();
        EXPECT_EQ(bReleased ? 0 : 1, fnCommPairStart(g_stTRC, NULL, IDLE_PAIR));
        const DWORD dwSpent = GetTickCount() - dwStart;
        EXPECT_GE(dwSpent, bReleased ? 350u : COMM_PAIR_WAIT_MS - 100);
        EXPECT_LT(dwSpent, bReleased ? COMM_PAIR_WAIT_MS : COMM_PAIR_WAIT_MS + 1000);
        EXPECT_EQ(bReleased ? L""
                            : fnMessageLine(L"VQ4600Utility", fnTableText("TXT_COMM_PAIR_BUSY"),
                                            MB_ICONINFORMATION),
                  stCapture.Seen());
        // The old thread's SendMessage was served while the new pair waited.
        EXPECT_EQ(bReleased ? L"served" : L"", fnWindowTextW(g_hPeer));
        EXPECT_TRUE(bReleased || hOldTx == g_stTRC.m_stTx.m_hThread)
            << "the old pair's handles must stay";
        SetEvent(g_hRelease);
        EXPECT_TRUE(fnCommPairWait(g_stTRC, 3000));
        WaitForSingleObject(hReleaser, 1000);
        CloseHandle(hReleaser);
    }
    DestroyWindow(g_hPeer);
}

namespace
{
std::vector<LPTHREAD_START_ROUTINE> g_apfnCreated;
int g_nFailAt = -1;

HANDLE fnFailingCreate(LPTHREAD_START_ROUTINE pfnProc, DWORD* pdwId)
{
    int nIndex = static_cast<int>(g_apfnCreated.size());
    g_apfnCreated.push_back(pfnProc);
    return nIndex == g_nFailAt ? NULL : CreateThread(NULL, 0, pfnProc, NULL, 0, pdwId);
}
} // namespace

TEST_F(CommTRCTest, WhenTheSecondThreadCannotBeCreatedTheFirstIsStopped)
{
    struct Row
    {
        bool bRxFirst;
        int nFailAt;
        const wchar_t* pwchText;
    };
    const Row astRows[] = {
        {true, 1, L"TX_CREATE"},  // the search's order: receive first, transmit fails
        {false, 1, L"RX_CREATE"}, // the others: transmit first, receive fails
        {false, 0, L"TX_CREATE"},
    };
    for (const Row& stRow : astRows)
    {
        SCOPED_TRACE(stRow.nFailAt);
        MessageCapture stCapture;
        g_apfnCreated.clear();
        g_nFailAt = stRow.nFailAt;
        fnCommSetCreateThreadHook(fnFailingCreate);
        // fnIdleRx as transmit and fnRequestTx as receive: both end on their run flag alone
        // (the latter through the request event the stop sets).
        const CommPairDesc stDesc = {fnIdleRx, fnRequestTx, stRow.bRxFirst, "TX_CREATE",
                                     "RX_CREATE"};
        EXPECT_EQ(1, fnCommPairStart(g_stTRC, NULL, stDesc));
        fnCommSetCreateThreadHook(nullptr);
        EXPECT_EQ(fnMessageLine(L"VQ4600Utility", stRow.pwchText, MB_ICONHAND), stCapture.Seen());
        ASSERT_GE(g_apfnCreated.size(), 1u);
        EXPECT_EQ(stRow.bRxFirst ? fnRequestTx : fnIdleRx, g_apfnCreated[0]);
        EXPECT_EQ(0u, g_stTRC.m_stTx.m_bRun.load());
        EXPECT_EQ(0u, g_stTRC.m_stRx.m_bRun.load());
        HANDLE hLeft = stRow.bRxFirst ? g_stTRC.m_stRx.m_hThread : g_stTRC.m_stTx.m_hThread;
        // The first thread, when it was made, must not run on alone.
        EXPECT_TRUE(stRow.nFailAt == 0 || WaitForSingleObject(hLeft, 1000) == WAIT_OBJECT_0);
        EXPECT_FALSE(fnCommPairRunning(g_stTRC));
    }
}
