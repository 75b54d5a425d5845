// Frame sequence of the VQ-4652: ASCII polls with an output write in place of one poll on
// request; Modbus RTU alternates Read Coils and Read Discrete Inputs, a write takes the place
// of one of them and the sequence resumes with Read Coils.
#include "io/DigitalIo4652.h"

#include "io/DigitalDecode.h"
#include "protocol/FrameBuilder.h"
#include "protocol/Protocol.h"

namespace
{
const uint16_t QUANTITY_4652 = 4;
}

DigitalIo4652::DigitalIo4652()
    : m_nAsciiState(DigitalAsciiPoll), m_nRtuState(DigitalRtuCoils), m_byInputs(0),
      m_byOutputsSet(0), m_byOutputs(0)
{
}

void DigitalIo4652::fnStart(uint32_t dwProtocol)
{
    if (dwProtocol == ProtocolVqAscii || dwProtocol == ProtocolVqAsciiChk)
    {
        m_nAsciiState = DigitalAsciiPoll;
    }
    else if (dwProtocol == ProtocolModbusRtu)
    {
        m_nRtuState = DigitalRtuCoils;
    }
}

uint32_t DigitalIo4652::fnBuildNext(uint32_t dwProtocol, uint8_t chAddress, uint8_t* pbyFrame)
{
    if (dwProtocol == ProtocolVqAscii || dwProtocol == ProtocolVqAsciiChk)
    {
        if (m_nAsciiState.exchange(DigitalAsciiPoll) == DigitalAsciiWrite)
        {
            return fnBuildWriteOutputsAscii(dwProtocol, chAddress, m_byOutputsSet, pbyFrame);
        }
        return fnBuildDigitalPollAscii(dwProtocol, chAddress, pbyFrame);
    }
    if (dwProtocol != ProtocolModbusRtu)
    {
        return 0;
    }
    for (;;)
    {
        uint32_t nState = m_nRtuState;
        const uint32_t nNext = nState == DigitalRtuCoils ? DigitalRtuInputs : DigitalRtuCoils;
        if (!m_nRtuState.compare_exchange_weak(nState, nNext))
        {
            continue; // the window asked for a write meanwhile
        }
        switch (nState)
        {
        case DigitalRtuCoils:
            return fnBuildReadBitsRtu(chAddress, 0x01, QUANTITY_4652, pbyFrame);
        case DigitalRtuInputs:
            return fnBuildReadBitsRtu(chAddress, 0x02, QUANTITY_4652, pbyFrame);
        default:
            return fnBuildWriteCoilsRtu(chAddress, m_byOutputsSet, pbyFrame);
        }
    }
}

void DigitalIo4652::fnRequestWrite(uint8_t byOutputs)
{
    m_byOutputsSet = byOutputs;
    m_nAsciiState = DigitalAsciiWrite;
    m_nRtuState = DigitalRtuWrite;
}

uint32_t DigitalIo4652::fnJudge(uint32_t dwProtocol, const uint8_t* pbyData, uint32_t dwLen)
{
    const DigitalReply stReply = fnDecodeDigital4652(dwProtocol, pbyData, dwLen);
    switch (stReply.m_dwKind)
    {
    case DigitalReplyPoll:
        m_byOutputs = stReply.m_byOutputs;
        m_byInputs = stReply.m_byInputs;
        return DigitalDisplay;
    case DigitalReplyCoils:
        m_byOutputs = stReply.m_byOutputs;
        return DigitalDisplay;
    case DigitalReplyInputs:
        m_byInputs = stReply.m_byInputs;
        return DigitalDisplay;
    case DigitalReplyWriteAck:
        return DigitalConfirmed;
    default:
        return DigitalIgnored;
    }
}
