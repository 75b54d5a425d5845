// VQ-4618: "$AA6" in the ASCII protocols, Read Discrete Inputs of 8 bits in Modbus RTU.
#include "io/DigitalIo4618.h"

#include "io/DigitalDecode.h"
#include "io/DigitalIo4652.h"
#include "protocol/FrameBuilder.h"
#include "protocol/Protocol.h"

namespace
{
const uint16_t QUANTITY_4618 = 8;
}

DigitalIo4618::DigitalIo4618() : m_byInputs(0) {}

uint32_t DigitalIo4618::fnBuildNext(uint32_t dwProtocol, uint8_t chAddress, uint8_t* pbyFrame) const
{
    if (dwProtocol == ProtocolVqAscii || dwProtocol == ProtocolVqAsciiChk)
    {
        return fnBuildDigitalPollAscii(dwProtocol, chAddress, pbyFrame);
    }
    if (dwProtocol == ProtocolModbusRtu)
    {
        return fnBuildReadBitsRtu(chAddress, 0x02, QUANTITY_4618, pbyFrame);
    }
    return 0;
}

uint32_t DigitalIo4618::fnJudge(uint32_t dwProtocol, const uint8_t* pbyData, uint32_t dwLen)
{
    const DigitalReply stReply = fnDecodeDigital4618(dwProtocol, pbyData, dwLen);
    if (stReply.m_dwKind == DigitalReplyNone)
    {
        return DigitalIgnored;
    }
    m_byInputs = stReply.m_byInputs;
    return DigitalDisplay;
}
