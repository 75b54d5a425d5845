// Frame sequence of the digital models: the ASCII protocols poll, with an output write in
// place of one poll on request; Modbus RTU alternates Read Coils and Read Discrete Inputs (the
// VQ-4618 reads only its inputs), a write takes the place of one of them and the sequence
// resumes with Read Coils.
#include "io/DigitalIo.h"

#include "protocol/FrameBuilder.h"
#include "protocol/Protocol.h"

namespace
{
const uint32_t SEQ_MASK = 0x00FFFFFF;

bool fnIsAscii(uint32_t dwProtocol)
{
    return dwProtocol == ProtocolVqAscii || dwProtocol == ProtocolVqAsciiChk;
}
} // namespace

const DigitalModel DIGITAL_MODEL_4652 = {4, 4, fnDecodeDigital4652};
const DigitalModel DIGITAL_MODEL_4618 = {8, 0, fnDecodeDigital4618};

DigitalIo::DigitalIo(const DigitalModel& stModel)
    : m_stModel(stModel), m_nAsciiState(DigitalAsciiPoll), m_nRtuState(DigitalRtuCoils),
      m_byInputs(0), m_byOutputsSet(0), m_byOutputs(0), m_dwRequestSeq(0), m_dwConfirmedSeq(0),
      m_dwWritesSent(0), m_dwWritesAcked(0), m_dwSentMs(0), m_adwSent{}
{
}

void DigitalIo::fnStart(uint32_t dwProtocol)
{
    if (fnIsAscii(dwProtocol))
        m_nAsciiState = DigitalAsciiPoll;
    else if (dwProtocol == ProtocolModbusRtu)
        m_nRtuState = DigitalRtuCoils;
    m_dwWritesAcked = m_dwWritesSent.load();
    m_dwConfirmedSeq = m_dwRequestSeq.load() & SEQ_MASK;
}

uint32_t DigitalIo::fnBuildNext(uint32_t dwProtocol, uint8_t chAddress, uint8_t* pbyFrame,
                                uint32_t dwNowMs)
{
    if (fnIsAscii(dwProtocol))
    {
        if (m_stModel.wOutputs != 0 &&
            m_nAsciiState.exchange(DigitalAsciiPoll) == DigitalAsciiWrite)
            return fnBuildWriteOutputsAscii(dwProtocol, chAddress, fnTakeWrite(dwNowMs), pbyFrame);
        return fnBuildDigitalPollAscii(dwProtocol, chAddress, pbyFrame);
    }
    if (dwProtocol != ProtocolModbusRtu)
        return 0;
    if (m_stModel.wOutputs == 0)
        return fnBuildReadBitsRtu(chAddress, 0x02, m_stModel.wInputs, pbyFrame);
    for (;;)
    {
        uint32_t nState = m_nRtuState;
        const uint32_t nNext = nState == DigitalRtuCoils ? DigitalRtuInputs : DigitalRtuCoils;
        if (!m_nRtuState.compare_exchange_weak(nState, nNext))
            continue; // the window asked for a write meanwhile
        switch (nState)
        {
        case DigitalRtuCoils:
            return fnBuildReadBitsRtu(chAddress, 0x01, m_stModel.wOutputs, pbyFrame);
        case DigitalRtuInputs:
            return fnBuildReadBitsRtu(chAddress, 0x02, m_stModel.wInputs, pbyFrame);
        default:
            return fnBuildWriteCoilsRtu(chAddress, fnTakeWrite(dwNowMs), pbyFrame);
        }
    }
}

uint8_t DigitalIo::fnTakeWrite(uint32_t dwNowMs)
{
    // The click count first: a click stores its outputs before it counts itself.
    const uint32_t dwSeq = m_dwRequestSeq.load() & SEQ_MASK;
    const uint8_t byOutputs = m_byOutputsSet.load();
    const uint32_t nSent = m_dwWritesSent.load();
    m_adwSent[nSent % DIGITAL_WRITES_KEPT] = dwSeq << 8 | byOutputs;
    m_dwSentMs = dwNowMs;
    m_dwWritesSent = nSent + 1;
    return byOutputs;
}

uint8_t DigitalIo::fnClick(uint32_t k)
{
    const uint8_t byOutputs = static_cast<uint8_t>(fnCommittedOutputs() ^ (1u << k));
    m_byOutputsSet = byOutputs;
    m_dwRequestSeq = m_dwRequestSeq.load() + 1;
    m_nAsciiState = DigitalAsciiWrite;
    m_nRtuState = DigitalRtuWrite;
    return byOutputs;
}

uint8_t DigitalIo::fnCommittedOutputs() const
{
    if ((m_dwRequestSeq.load() & SEQ_MASK) != m_dwConfirmedSeq.load())
        return m_byOutputsSet.load();
    return m_byOutputs.load(); // stored before the confirmation that made it current
}

void DigitalIo::fnReadBack(uint8_t byOutputs, uint32_t dwNowMs)
{
    const uint32_t nSent = m_dwWritesSent.load();
    if (m_dwWritesAcked.load() != nSent)
    {
        if (dwNowMs - m_dwSentMs.load() < DIGITAL_CONFIRM_MS)
            return; // the answer to a poll sent before the write
        m_dwConfirmedSeq = m_adwSent[(nSent - 1) % DIGITAL_WRITES_KEPT].load() >> 8;
        m_dwWritesAcked = nSent; // no confirmation is coming: the module's state counts again
    }
    m_byOutputs = byOutputs;
}

void DigitalIo::fnWriteConfirmed()
{
    const uint32_t nAcked = m_dwWritesAcked.load();
    if (nAcked == m_dwWritesSent.load())
        return; // a late confirmation of a write already given up
    const uint32_t dwSent = m_adwSent[nAcked % DIGITAL_WRITES_KEPT].load();
    m_byOutputs = static_cast<uint8_t>(dwSent);
    m_dwConfirmedSeq = dwSent >> 8;
    m_dwWritesAcked = nAcked + 1;
}

uint32_t DigitalIo::fnJudge(uint32_t dwProtocol, const uint8_t* pbyData, uint32_t dwLen,
                            uint32_t dwNowMs)
{
    const DigitalReply stReply = m_stModel.pfnDecode(dwProtocol, pbyData, dwLen);
    switch (stReply.m_dwKind)
    {
    case DigitalReplyPoll:
        if (m_stModel.wOutputs != 0)
            fnReadBack(stReply.m_byOutputs, dwNowMs);
        m_byInputs = stReply.m_byInputs;
        return DigitalDisplay;
    case DigitalReplyCoils:
        fnReadBack(stReply.m_byOutputs, dwNowMs);
        return DigitalDisplay;
    case DigitalReplyInputs:
        m_byInputs = stReply.m_byInputs;
        return DigitalDisplay;
    case DigitalReplyWriteAck:
        fnWriteConfirmed();
        return DigitalConfirmed;
    default:
        return DigitalIgnored;
    }
}
