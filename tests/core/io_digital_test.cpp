// Digital modules: frames on the wire, reply judgement and the write request. Golden frames
// are written out from the command tables; CRCs come from an independent CRC-16/MODBUS
// script, checksums from summing the characters in a Python one-liner ("$016" = 0xBB,
// "#010005" = 0x49, ">" = 0x3E, "!0A0500" = 0x57, "!00FF00" = 0x6D).
#include "io/DigitalDecode.h"
#include "io/DigitalIo4618.h"
#include "io/DigitalIo4652.h"

#include "protocol/FrameBuilder.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace
{
using Bytes = std::vector<uint8_t>;

Bytes fnText(const std::string& s)
{
    return Bytes(s.begin(), s.end());
}

Bytes fnNext(DigitalIo4652& st, uint32_t dwProtocol, uint8_t chAddress = 0x01)
{
    uint8_t abyFrame[FRAME_MAX];
    const uint32_t dwLen = st.fnBuildNext(dwProtocol, chAddress, abyFrame);
    return Bytes(abyFrame, abyFrame + dwLen);
}

struct DecodeRow
{
    const char* pchName;
    uint32_t dwProtocol;
    Bytes vReply;
    uint32_t dwKind;
    uint8_t byOutputs;
    uint8_t byInputs;
};
} // namespace

TEST(IoDigital, Decode4652Rows)
{
    const DecodeRow astRows[] = {
        {"ascii poll", 1, fnText("!0A0500\r"), DigitalReplyPoll, 0x0A, 0x05},
        {"ascii poll lowercase pairs", 1, fnText("!0a0f00\r"), DigitalReplyPoll, 0x0A, 0x0F},
        {"ascii poll bad pair", 1, fnText("!0G0500\r"), DigitalReplyNone, 0, 0},
        {"ascii poll trailer not 00", 1, fnText("!0A0501\r"), DigitalReplyNone, 0, 0},
        {"ascii poll no CR", 1, fnText("!0A0500\n"), DigitalReplyNone, 0, 0},
        {"ascii poll wrong lead", 1, fnText(">0A0500\r"), DigitalReplyNone, 0, 0},
        {"ascii poll 9 bytes", 1, fnText("!0A0500\r\r"), DigitalReplyNone, 0, 0},
        {"ascii write ack", 1, fnText(">\r"), DigitalReplyWriteAck, 0, 0},
        {"ascii poll sent as chk", 2, fnText("!0A0500\r"), DigitalReplyNone, 0, 0},
        {"chk poll", 2, fnText("!0A050057\r"), DigitalReplyPoll, 0x0A, 0x05},
        {"chk poll bad sum", 2, fnText("!0A050058\r"), DigitalReplyNone, 0, 0},
        {"chk write ack", 2, fnText(">3E\r"), DigitalReplyWriteAck, 0, 0},
        {"chk write ack lowercase sum", 2, fnText(">3e\r"), DigitalReplyNone, 0, 0},
        {"chk write ack bad sum", 2, fnText(">3F\r"), DigitalReplyNone, 0, 0},
        {"rtu coils", 3, {0x01, 0x01, 0x01, 0x0A, 0xD1, 0x8F}, DigitalReplyCoils, 0x0A, 0},
        {"rtu inputs", 3, {0x01, 0x02, 0x01, 0x05, 0x61, 0x8B}, DigitalReplyInputs, 0, 0x05},
        {"rtu other address", 3, {0x09, 0x02, 0x01, 0xFF, 0xE3, 0xA8}, DigitalReplyInputs, 0, 0xFF},
        {"rtu bad crc", 3, {0x01, 0x01, 0x01, 0x0A, 0xD1, 0x8E}, DigitalReplyNone, 0, 0},
        {"rtu other function", 3, {0x01, 0x03, 0x01, 0x0A, 0x70, 0x4F}, DigitalReplyNone, 0, 0},
        {"rtu byte count 2", 3, {0x01, 0x01, 0x02, 0x0A, 0xD1, 0x7F}, DigitalReplyNone, 0, 0},
        {"rtu write ack",
         3,
         {0x01, 0x0F, 0x00, 0x00, 0x00, 0x04, 0x54, 0x08},
         DigitalReplyWriteAck,
         0,
         0},
        {"rtu write ack 8 coils",
         3,
         {0x01, 0x0F, 0x00, 0x00, 0x00, 0x08, 0x54, 0x0D},
         DigitalReplyNone,
         0,
         0},
        {"modbus ascii", 4, fnText("!0A0500\r"), DigitalReplyNone, 0, 0},
        {"empty read", 1, {}, DigitalReplyNone, 0, 0},
    };
    for (const DecodeRow& r : astRows)
    {
        const DigitalReply st = fnDecodeDigital4652(r.dwProtocol, r.vReply.data(),
                                                    static_cast<uint32_t>(r.vReply.size()));
        EXPECT_EQ(r.dwKind, st.m_dwKind) << r.pchName;
        if (st.m_dwKind == r.dwKind && r.dwKind != DigitalReplyNone)
        {
            EXPECT_EQ(r.byOutputs, st.m_byOutputs) << r.pchName;
            EXPECT_EQ(r.byInputs, st.m_byInputs) << r.pchName;
        }
    }
}

TEST(IoDigital, Decode4618Rows)
{
    const DecodeRow astRows[] = {
        {"ascii all lit", 1, fnText("!00FF00\r"), DigitalReplyPoll, 0, 0xFF},
        {"ascii first pair not 00", 1, fnText("!01FF00\r"), DigitalReplyNone, 0, 0},
        {"ascii 9 bytes", 1, fnText("!00FF00\r\r"), DigitalReplyNone, 0, 0},
        {"ascii write ack is not for 4618", 1, fnText(">\r"), DigitalReplyNone, 0, 0},
        {"chk", 2, fnText("!00FF006D\r"), DigitalReplyPoll, 0, 0xFF},
        {"chk bad sum", 2, fnText("!00FF006C\r"), DigitalReplyNone, 0, 0},
        {"rtu inputs", 3, {0x09, 0x02, 0x01, 0xFF, 0xE3, 0xA8}, DigitalReplyInputs, 0, 0xFF},
        {"rtu coils not for 4618", 3, {0x01, 0x01, 0x01, 0x0A, 0xD1, 0x8F}, DigitalReplyNone, 0, 0},
    };
    for (const DecodeRow& r : astRows)
    {
        const DigitalReply st = fnDecodeDigital4618(r.dwProtocol, r.vReply.data(),
                                                    static_cast<uint32_t>(r.vReply.size()));
        EXPECT_EQ(r.dwKind, st.m_dwKind) << r.pchName;
        if (st.m_dwKind == r.dwKind && r.dwKind != DigitalReplyNone)
        {
            EXPECT_EQ(r.byInputs, st.m_byInputs) << r.pchName;
        }
    }
}

TEST(IoDigital, Sequence4652Ascii)
{
    struct Row
    {
        uint32_t dwProtocol;
        std::string strPoll;
        std::string strWrite;
    } astRows[] = {
        {1, "$016\r", "#010005\r"},
        {2, "$016BB\r", "#01000549\r"},
    };
    for (const Row& r : astRows)
    {
        DigitalIo4652 st;
        st.fnStart(r.dwProtocol);
        EXPECT_EQ(fnText(r.strPoll), fnNext(st, r.dwProtocol));
        st.fnRequestWrite(0x05);
        EXPECT_EQ(fnText(r.strWrite), fnNext(st, r.dwProtocol));
        EXPECT_EQ(fnText(r.strPoll), fnNext(st, r.dwProtocol)); // one write, then polls again
    }
}

TEST(IoDigital, Sequence4652RtuAlternatesAndWriteResumesWithCoils)
{
    const Bytes vCoils = {0x01, 0x01, 0x00, 0x00, 0x00, 0x04, 0x3D, 0xC9};
    const Bytes vInputs = {0x01, 0x02, 0x00, 0x00, 0x00, 0x04, 0x79, 0xC9};
    const Bytes vWrite = {0x01, 0x0F, 0x00, 0x00, 0x00, 0x04, 0x01, 0x05, 0xFE, 0x95};
    DigitalIo4652 st;
    st.fnStart(3);
    EXPECT_EQ(vCoils, fnNext(st, 3));
    EXPECT_EQ(vInputs, fnNext(st, 3));
    EXPECT_EQ(vCoils, fnNext(st, 3));
    st.fnRequestWrite(0x01);
    st.fnRequestWrite(0x05); // two clicks before the next frame: one write of the last state
    EXPECT_EQ(vWrite, fnNext(st, 3));
    EXPECT_EQ(vCoils, fnNext(st, 3));
    EXPECT_EQ(vInputs, fnNext(st, 3));
}

TEST(IoDigital, StartDropsALeftoverWriteRequest)
{
    DigitalIo4652 st;
    st.fnRequestWrite(0x0F);
    st.fnStart(1);
    EXPECT_EQ(fnText("$016\r"), fnNext(st, 1));
    st.fnRequestWrite(0x0F);
    st.fnStart(3);
    EXPECT_EQ(0x01, fnNext(st, 3)[1]); // Read Coils, not the write
}

TEST(IoDigital, NoFramesForModbusAscii)
{
    DigitalIo4652 st4652;
    DigitalIo4618 st4618;
    uint8_t abyFrame[FRAME_MAX];
    for (uint32_t dwProtocol : {0u, 4u, 7u})
    {
        EXPECT_TRUE(fnNext(st4652, dwProtocol).empty());
        EXPECT_EQ(0u, st4618.fnBuildNext(dwProtocol, 0x01, abyFrame));
    }
}

TEST(IoDigital, Poll4618)
{
    DigitalIo4618 st;
    uint8_t abyFrame[FRAME_MAX];
    const Bytes vRtu = {0x01, 0x02, 0x00, 0x00, 0x00, 0x08, 0x79, 0xCC};
    uint32_t dwLen = st.fnBuildNext(3, 0x01, abyFrame);
    EXPECT_EQ(vRtu, Bytes(abyFrame, abyFrame + dwLen));
    dwLen = st.fnBuildNext(2, 0x01, abyFrame);
    EXPECT_EQ(fnText("$016BB\r"), Bytes(abyFrame, abyFrame + dwLen));
}

TEST(IoDigital, JudgeStoresOnlyTheBitsTheReplyCarries)
{
    DigitalIo4652 st;
    const Bytes vPoll = fnText("!0A0500\r");
    EXPECT_EQ(DigitalDisplay, st.fnJudge(1, vPoll.data(), 8));
    EXPECT_EQ(0x0A, st.m_byOutputs);
    EXPECT_EQ(0x05, st.m_byInputs);
    const Bytes vInputs = {0x01, 0x02, 0x01, 0x0C, 0xA1, 0x8D};
    // outputs keep their stored value.
    EXPECT_EQ(DigitalDisplay, st.fnJudge(3, vInputs.data(), 6));
    EXPECT_EQ(0x0C, st.m_byInputs);
    EXPECT_EQ(0x0A, st.m_byOutputs);
    const Bytes vAck = fnText(">\r");
    EXPECT_EQ(DigitalConfirmed, st.fnJudge(1, vAck.data(), 2));
    const Bytes vJunk = fnText("!0A05");
    EXPECT_EQ(DigitalIgnored, st.fnJudge(1, vJunk.data(), 5));
    EXPECT_EQ(0x0C, st.m_byInputs);
}

TEST(IoDigital, ClickRacingTheTransmitWorkerIsNeverLost)
{
    // The window clicks while the transmit worker builds frames; the last click must still
    // reach the wire, whatever the interleaving.
    DigitalIo4652 st;
    st.fnStart(3);
    std::atomic<uint32_t> dwWrites(0);
    std::atomic<uint32_t> dwLastWritten(0xFFFF);
    std::atomic<bool> bDone(false);
    std::thread tx(
        [&]
        {
            uint8_t abyFrame[FRAME_MAX];
            while (!bDone || st.m_nRtuState == DigitalRtuWrite)
            {
                if (st.fnBuildNext(3, 0x01, abyFrame) == 10)
                {
                    ++dwWrites;
                    dwLastWritten = abyFrame[7];
                }
            }
        });
    for (int i = 0; i < 2000; ++i)
    {
        st.fnRequestWrite(static_cast<uint8_t>(i & 0x07));
    }
    st.fnRequestWrite(0x0F);
    bDone = true;
    tx.join();
    EXPECT_GE(dwWrites.load(), 1u);
    EXPECT_EQ(0x0Fu, dwLastWritten.load()); // the last click went out
    EXPECT_NE(static_cast<uint32_t>(DigitalRtuWrite), st.m_nRtuState.load());
}
