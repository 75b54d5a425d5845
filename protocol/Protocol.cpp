// Protocol names and the baud-rate table: constant lookups, safe from any thread.
#include "protocol/Protocol.h"

namespace
{

const uint32_t BAUD_RATES[BAUD_INDEX_COUNT] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};
const char* const BAUD_NAMES[BAUD_INDEX_COUNT] = {"1200",  "2400",  "4800",  "9600",
                                                  "19200", "38400", "57600", "115200"};
const uint8_t BAUD_CODE_OFFSET = 3;

} // namespace

const char* fnProtocolListText(uint32_t dwProtocol)
{
    switch (dwProtocol)
    {
    case ProtocolVqAscii:
        return "(VQASCII)";
    case ProtocolVqAsciiChk:
        return "(VQASCII-CHK)";
    case ProtocolModbusRtu:
        return "(Modbus RTU)";
    case ProtocolModbusAscii:
        return "(Modbus ASCII)";
    default:
        return "Unknow Protocol!";
    }
}

uint32_t fnBaudRate(uint32_t dwBaudIndex)
{
    return dwBaudIndex < BAUD_INDEX_COUNT ? BAUD_RATES[dwBaudIndex] : 0;
}

uint8_t fnBaudCode(uint32_t dwBaudIndex)
{
    if (dwBaudIndex >= BAUD_INDEX_COUNT)
        dwBaudIndex = BAUD_INDEX_DEFAULT;
    return static_cast<uint8_t>(dwBaudIndex + BAUD_CODE_OFFSET);
}

const char* fnBaudName(uint32_t dwBaudIndex)
{
    return dwBaudIndex < BAUD_INDEX_COUNT ? BAUD_NAMES[dwBaudIndex] : "";
}
