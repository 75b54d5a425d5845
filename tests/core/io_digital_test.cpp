// Digital modules: frames on the wire, reply judgement and the write request. Golden frames
// are written out from the command tables; CRCs come from an independent CRC-16/MODBUS
// script, checksums from summing the characters in a Python one-liner ("$016" = 0xBB,
// "#010005" = 0x49, ">" = 0x3E, "!0A0500" = 0x57, "!00FF00" = 0x6D).
#include "io/DigitalDecode.h"
#include "io/DigitalIo.h"
#include "protocol/FrameBuilder.h"
#include "tests/core/TestBytes.h"

#include <gtest/gtest.h>

#include <thread>

namespace
{
const Bytes RTU_COILS = fnBytes("\x01\x01\x00\x00\x00\x04\x3D\xC9");
const Bytes RTU_INPUTS = fnBytes("\x01\x02\x00\x00\x00\x04\x79\xC9");
const Bytes RTU_WRITE_05 = fnBytes("\x01\x0F\x00\x00\x00\x04\x01\x05\xFE\x95");

Bytes fnNext(DigitalIo& st, uint32_t dwProtocol, uint32_t dwNowMs = 0)
{
    uint8_t abyFrame[FRAME_MAX];
    const uint32_t dwLen = st.fnBuildNext(dwProtocol, 0x01, abyFrame, dwNowMs);
    return Bytes(abyFrame, abyFrame + dwLen);
}

TEST(IoDigital, DecodeRows)
{
    const bool M4652 = false;
    const bool M4618 = true;
    const struct
    {
        bool b4618;
        uint32_t dwProtocol;
        Bytes vecReply;
        uint32_t dwKind;
        uint8_t byOutputs, byInputs;
    } aCases[] = {
        {M4652, 1, fnBytes("!0A0500\r"), DigitalReplyPoll, 0x0A, 0x05},
        {M4652, 1, fnBytes("!0a0f00\r"), DigitalReplyPoll, 0x0A, 0x0F},
        {M4652, 1, fnBytes("!0G0500\r"), DigitalReplyNone, 0, 0},
        {M4652, 1, fnBytes("!0A0501\r"), DigitalReplyNone, 0, 0}, // trailer not 00
        {M4652, 1, fnBytes("!0A0500\n"), DigitalReplyNone, 0, 0},
        {M4652, 1, fnBytes(">0A0500\r"), DigitalReplyNone, 0, 0},
        {M4652, 1, fnBytes("!0A0500\r\r"), DigitalReplyNone, 0, 0}, // 9 bytes
        {M4652, 1, fnBytes(">\r"), DigitalReplyWriteAck, 0, 0},
        {M4652, 2, fnBytes("!0A0500\r"), DigitalReplyNone, 0, 0}, // no checksum
        {M4652, 2, fnBytes("!0A050057\r"), DigitalReplyPoll, 0x0A, 0x05},
        {M4652, 2, fnBytes("!0A050058\r"), DigitalReplyNone, 0, 0},
        {M4652, 2, fnBytes(">3E\r"), DigitalReplyWriteAck, 0, 0},
        {M4652, 2, fnBytes(">3e\r"), DigitalReplyNone, 0, 0},
        {M4652, 2, fnBytes(">3F\r"), DigitalReplyNone, 0, 0},
        {M4652, 3, fnBytes("\x01\x01\x01\x0A\xD1\x8F"), DigitalReplyCoils, 0x0A, 0},
        {M4652, 3, fnBytes("\x01\x02\x01\x05\x61\x8B"), DigitalReplyInputs, 0, 5},
        {M4652, 3, fnBytes("\x09\x02\x01\xFF\xE3\xA8"), DigitalReplyInputs, 0, 0xFF}, // address 09
        {M4652, 3, fnBytes("\x01\x01\x01\x0A\xD1\x8E"), DigitalReplyNone, 0, 0},
        {M4652, 3, fnBytes("\x01\x03\x01\x0A\x70\x4F"), DigitalReplyNone, 0, 0},
        {M4652, 3, fnBytes("\x01\x01\x02\x0A\xD1\x7F"), DigitalReplyNone, 0, 0}, // count 2
        {M4652, 3, fnBytes("\x01\x0F\x00\x00\x00\x04\x54\x08"), DigitalReplyWriteAck, 0, 0},
        {M4652, 3, fnBytes("\x01\x0F\x00\x00\x00\x08\x54\x0D"), DigitalReplyNone, 0, 0}, // 8 coils
        {M4652, 4, fnBytes("!0A0500\r"), DigitalReplyNone, 0, 0},
        {M4652, 1, {}, DigitalReplyNone, 0, 0},
        {M4618, 1, fnBytes("!00FF00\r"), DigitalReplyPoll, 0, 0xFF},
        {M4618, 1, fnBytes("!01FF00\r"), DigitalReplyNone, 0, 0}, // first pair not 00
        {M4618, 1, fnBytes("!00FF00\r\r"), DigitalReplyNone, 0, 0},
        {M4618, 1, fnBytes(">\r"), DigitalReplyNone, 0, 0},
        {M4618, 2, fnBytes("!00FF006D\r"), DigitalReplyPoll, 0, 0xFF},
        {M4618, 2, fnBytes("!00FF006C\r"), DigitalReplyNone, 0, 0},
        {M4618, 3, fnBytes("\x09\x02\x01\xFF\xE3\xA8"), DigitalReplyInputs, 0, 0xFF},
        {M4618, 3, fnBytes("\x01\x01\x01\x0A\xD1\x8F"), DigitalReplyNone, 0, 0}, // coils
    };
    for (size_t i = 0; i < sizeof aCases / sizeof aCases[0]; ++i)
    {
        const auto& stCase = aCases[i];
        SCOPED_TRACE(i);
        const auto pfnDecode = stCase.b4618 ? fnDecodeDigital4618 : fnDecodeDigital4652;
        const DigitalReply st =
            pfnDecode(stCase.dwProtocol, stCase.vecReply.data(), fnSize(stCase.vecReply));
        EXPECT_EQ(stCase.dwKind, st.m_dwKind);
        EXPECT_EQ(stCase.byOutputs, st.m_byOutputs);
        EXPECT_EQ(stCase.byInputs, st.m_byInputs);
    }
}

// Under Modbus RTU a VQ-4652 reads coils and inputs in turn and a write takes the next turn;
// a VQ-4618 reads its eight inputs; without a framed protocol nothing is sent.
TEST(IoDigital, RtuFrameOrder)
{
    DigitalIo st(DIGITAL_MODEL_4652);
    st.fnClick(3); // left over from an earlier window: dropped by the start
    st.fnStart(3);
    EXPECT_EQ(RTU_COILS, fnNext(st, 3));
    EXPECT_EQ(RTU_INPUTS, fnNext(st, 3));
    EXPECT_EQ(RTU_COILS, fnNext(st, 3));
    st.fnClick(0);
    st.fnClick(2);
    EXPECT_EQ(RTU_WRITE_05, fnNext(st, 3));
    EXPECT_EQ(RTU_COILS, fnNext(st, 3));
    EXPECT_EQ(RTU_INPUTS, fnNext(st, 3));
    DigitalIo st4618(DIGITAL_MODEL_4618);
    EXPECT_EQ(fnBytes("\x01\x02\x00\x00\x00\x08\x79\xCC"), fnNext(st4618, 3));
    for (uint32_t dwProtocol : {0u, 4u, 7u})
        EXPECT_TRUE(fnNext(st, dwProtocol).empty() && fnNext(st4618, dwProtocol).empty())
            << dwProtocol;
}

// One VQASCII exchange at address 01: the outputs shown (the read-back) and those a click
// starts from (committed). A click replaces one poll by a write of the committed outputs with
// its bit changed; a read-back before the write goes out is shown though the write still
// carries the click, one while the write is on its way is not kept, the confirmation makes
// the write current, and a write never confirmed gives way to the module's state after
// DIGITAL_CONFIRM_MS (a confirmation after that is ignored). Inputs are kept from every reply.
TEST(IoDigital, ShownOutputsFollowRepliesWritesFollowClicks)
{
    const int SEND = -1, REPLY = -2;
    const struct
    {
        int nClick; // OUTk clicked; SEND: vecBytes is the next frame; REPLY: vecBytes arrives
        Bytes vecBytes;
        uint32_t dwMs, dwProtocol;
        uint8_t byShown, byCommitted, byInputs;
    } aSteps[] = {
        {SEND, fnBytes("$016\r"), 0, 1, 0x00, 0x00, 0x00},
        {REPLY, fnBytes("!010500\r"), 0, 1, 0x01, 0x01, 0x05},
        {1, {}, 10, 1, 0x01, 0x03, 0x05},
        {REPLY, fnBytes("!000600\r"), 50, 1, 0x00, 0x03, 0x06}, // before the write goes out
        {SEND, fnBytes("#010003\r"), 100, 1, 0x00, 0x03, 0x06},
        {SEND, fnBytes("$016\r"), 120, 1, 0x00, 0x03, 0x06}, // the write took one poll's place
        {REPLY, fnBytes("!000600\r"), 150, 1, 0x00, 0x03, 0x06},
        {REPLY, fnBytes("\x01\x02\x01\x0C\xA1\x8D"), 160, 3, 0x00, 0x03, 0x0C},
        {REPLY, fnBytes(">\r"), 250, 1, 0x03, 0x03, 0x0C},
        {REPLY, fnBytes("!030C00\r"), 260, 1, 0x03, 0x03, 0x0C},
        {0, {}, 300, 1, 0x03, 0x02, 0x0C},
        {SEND, fnBytes("#010002\r"), 400, 1, 0x03, 0x02, 0x0C},
        {REPLY, fnBytes("!030C00\r"), 1899, 1, 0x03, 0x02, 0x0C},
        {REPLY, fnBytes("!030C00\r"), 1900, 1, 0x03, 0x03, 0x0C}, // the write was refused
        {REPLY, fnBytes(">\r"), 2000, 1, 0x03, 0x03, 0x0C},
        {0, {}, 2100, 1, 0x03, 0x02, 0x0C},
    };
    DigitalIo st(DIGITAL_MODEL_4652);
    st.fnClick(3); // left over from an earlier window: dropped by the start
    st.fnStart(1);
    for (size_t i = 0; i < sizeof aSteps / sizeof aSteps[0]; ++i)
    {
        const auto& stStep = aSteps[i];
        SCOPED_TRACE(i);
        if (stStep.nClick >= 0)
            st.fnClick(static_cast<uint32_t>(stStep.nClick));
        else if (stStep.nClick == SEND)
            EXPECT_EQ(stStep.vecBytes, fnNext(st, 1, stStep.dwMs));
        else
            st.fnJudge(stStep.dwProtocol, stStep.vecBytes.data(), fnSize(stStep.vecBytes),
                       stStep.dwMs);
        EXPECT_EQ(stStep.byShown, st.m_byOutputs);
        EXPECT_EQ(stStep.byCommitted, st.fnCommittedOutputs());
        EXPECT_EQ(stStep.byInputs, st.m_byInputs);
    }
}

TEST(IoDigital, ClickRacingTheTransmitWorkerIsNeverLost)
{
    // The window clicks while the transmit worker builds frames; the last click must still
    // reach the wire, whatever the interleaving.
    DigitalIo st(DIGITAL_MODEL_4652);
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
                if (st.fnBuildNext(3, 0x01, abyFrame, 0) == 10)
                {
                    ++dwWrites;
                    dwLastWritten = abyFrame[7];
                }
            }
        });
    uint32_t dwLast = 0;
    for (int i = 0; i < 2000; ++i)
        dwLast = st.fnClick(static_cast<uint32_t>(i) & 3);
    bDone = true;
    tx.join();
    EXPECT_GE(dwWrites.load(), 1u);
    EXPECT_EQ(dwLast, dwLastWritten.load()); // the last click went out
    EXPECT_NE(static_cast<uint32_t>(DigitalRtuWrite), st.m_nRtuState.load());
}

} // namespace
