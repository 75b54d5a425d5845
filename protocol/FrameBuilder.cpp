// Frame builders of every command the program sends. Each frame is written in place into the
// caller's buffer; nothing is kept between calls.
#include "protocol/FrameBuilder.h"

#include "protocol/Codec.h"
#include "protocol/Protocol.h"

namespace
{

const uint8_t CR = 0x0D;
const uint8_t MODBUS_FUNC_USER = 0x46;
const uint8_t MODBUS_FUNC_READ_INPUT_REGS = 0x04;
const uint8_t MODBUS_FUNC_WRITE_COILS = 0x0F;
const uint8_t SUB_NAME = 0x00;
const uint8_t SUB_ADDRESS = 0x04;
const uint8_t SUB_BAUD_PROTOCOL = 0x06;

// Format code of the ASCII settings frame and protocol bytes of the RTU one, by the protocol
// index of the settings dialog.
const char* const FORMAT_CODES[PROTOCOL_INDEX_COUNT] = {"00", "40", "04"};
const uint8_t RTU_PROTOCOL_BYTES[PROTOCOL_INDEX_COUNT][2] = {
    {0x00, 0x00}, {0x00, 0x01}, {0x01, 0x00}};

bool fnIsAsciiProtocol(uint32_t dwProtocol)
{
    return dwProtocol == ProtocolVqAscii || dwProtocol == ProtocolVqAsciiChk;
}

uint32_t fnPutChars(uint8_t* pbyFrame, uint32_t dwPos, const char* pchText)
{
    while (*pchText != '\0')
        pbyFrame[dwPos++] = static_cast<uint8_t>(*pchText++);
    return dwPos;
}

uint32_t fnPutHex2(uint8_t* pbyFrame, uint32_t dwPos, uint8_t byValue)
{
    char achHex[3];
    fnByteToHex2(byValue, achHex);
    return fnPutChars(pbyFrame, dwPos, achHex);
}

// Leading character and address digits of an ASCII command.
uint32_t fnAsciiHead(uint8_t* pbyFrame, char chLead, uint8_t chAddress)
{
    pbyFrame[0] = static_cast<uint8_t>(chLead);
    return fnPutHex2(pbyFrame, 1, chAddress);
}

// Appends the checksum digits for the checked protocol, then CR; returns the frame length.
uint32_t fnAsciiTail(uint32_t dwProtocol, uint8_t* pbyFrame, uint32_t dwPos)
{
    if (dwProtocol == ProtocolVqAsciiChk)
        dwPos = fnPutHex2(pbyFrame, dwPos, fnCheckSum(pbyFrame, dwPos));
    pbyFrame[dwPos++] = CR;
    return dwPos;
}

// Appends the CRC-16, low byte first; returns the frame length.
uint32_t fnRtuTail(uint8_t* pbyFrame, uint32_t dwPos)
{
    uint8_t byHigh = 0;
    uint8_t byLow = 0;
    fnCrc16(pbyFrame, dwPos, &byHigh, &byLow);
    pbyFrame[dwPos++] = byLow;
    pbyFrame[dwPos++] = byHigh;
    return dwPos;
}

uint32_t fnPutZeros(uint8_t* pbyFrame, uint32_t dwPos, uint32_t dwCount)
{
    for (uint32_t i = 0; i < dwCount; ++i)
        pbyFrame[dwPos++] = 0x00;
    return dwPos;
}

} // namespace

uint32_t fnBuildNameQuery(uint32_t dwProtocol, uint8_t chAddress, uint8_t* pbyFrame)
{
    if (fnIsAsciiProtocol(dwProtocol))
    {
        uint32_t dwPos = fnAsciiHead(pbyFrame, '$', chAddress);
        dwPos = fnPutChars(pbyFrame, dwPos, "M");
        return fnAsciiTail(dwProtocol, pbyFrame, dwPos);
    }
    if (dwProtocol != ProtocolModbusRtu)
        return 0;
    pbyFrame[0] = chAddress;
    pbyFrame[1] = MODBUS_FUNC_USER;
    pbyFrame[2] = SUB_NAME;
    return fnRtuTail(pbyFrame, 3);
}

uint32_t fnBuildSettingsAscii(uint32_t dwProtocol, uint8_t chAddress, uint8_t chNewAddress,
                              uint32_t dwBaudIndex, uint32_t dwProtocolIndex, uint8_t* pbyFrame)
{
    if (!fnIsAsciiProtocol(dwProtocol) || dwProtocolIndex >= PROTOCOL_INDEX_COUNT)
        return 0;
    uint32_t dwPos = fnAsciiHead(pbyFrame, '%', chAddress);
    dwPos = fnPutHex2(pbyFrame, dwPos, chNewAddress);
    dwPos = fnPutChars(pbyFrame, dwPos, "40");
    dwPos = fnPutHex2(pbyFrame, dwPos, fnBaudCode(dwBaudIndex));
    dwPos = fnPutChars(pbyFrame, dwPos, FORMAT_CODES[dwProtocolIndex]);
    return fnAsciiTail(dwProtocol, pbyFrame, dwPos);
}

uint32_t fnBuildSettingsRtuAddress(uint8_t chAddress, uint8_t chNewAddress, uint8_t* pbyFrame)
{
    pbyFrame[0] = chAddress;
    pbyFrame[1] = MODBUS_FUNC_USER;
    pbyFrame[2] = SUB_ADDRESS;
    pbyFrame[3] = chNewAddress;
    const uint32_t dwPos = fnPutZeros(pbyFrame, 4, 3);
    return fnRtuTail(pbyFrame, dwPos);
}

uint32_t fnBuildSettingsRtuBaud(uint8_t chNewAddress, uint32_t dwBaudIndex,
                                uint32_t dwProtocolIndex, uint8_t* pbyFrame)
{
    if (dwProtocolIndex >= PROTOCOL_INDEX_COUNT)
        return 0;
    pbyFrame[0] = chNewAddress;
    pbyFrame[1] = MODBUS_FUNC_USER;
    pbyFrame[2] = SUB_BAUD_PROTOCOL;
    pbyFrame[3] = 0x00;
    pbyFrame[4] = fnBaudCode(dwBaudIndex);
    uint32_t dwPos = fnPutZeros(pbyFrame, 5, 3);
    pbyFrame[dwPos++] = RTU_PROTOCOL_BYTES[dwProtocolIndex][0];
    pbyFrame[dwPos++] = RTU_PROTOCOL_BYTES[dwProtocolIndex][1];
    pbyFrame[dwPos++] = 0x00;
    return fnRtuTail(pbyFrame, dwPos);
}

uint32_t fnBuildDigitalPollAscii(uint32_t dwProtocol, uint8_t chAddress, uint8_t* pbyFrame)
{
    if (!fnIsAsciiProtocol(dwProtocol))
        return 0;
    uint32_t dwPos = fnAsciiHead(pbyFrame, '$', chAddress);
    dwPos = fnPutChars(pbyFrame, dwPos, "6");
    return fnAsciiTail(dwProtocol, pbyFrame, dwPos);
}

uint32_t fnBuildReadBitsRtu(uint8_t chAddress, uint8_t byFunction, uint16_t wQuantity,
                            uint8_t* pbyFrame)
{
    pbyFrame[0] = chAddress;
    pbyFrame[1] = byFunction;
    pbyFrame[2] = 0x00;
    pbyFrame[3] = 0x00;
    pbyFrame[4] = static_cast<uint8_t>(wQuantity >> 8);
    pbyFrame[5] = static_cast<uint8_t>(wQuantity & 0xFF);
    return fnRtuTail(pbyFrame, 6);
}

uint32_t fnBuildWriteOutputsAscii(uint32_t dwProtocol, uint8_t chAddress, uint8_t byOutputs,
                                  uint8_t* pbyFrame)
{
    if (!fnIsAsciiProtocol(dwProtocol))
        return 0;
    uint32_t dwPos = fnAsciiHead(pbyFrame, '#', chAddress);
    dwPos = fnPutChars(pbyFrame, dwPos, "00");
    dwPos = fnPutHex2(pbyFrame, dwPos, byOutputs);
    return fnAsciiTail(dwProtocol, pbyFrame, dwPos);
}

uint32_t fnBuildWriteCoilsRtu(uint8_t chAddress, uint8_t byOutputs, uint8_t* pbyFrame)
{
    pbyFrame[0] = chAddress;
    pbyFrame[1] = MODBUS_FUNC_WRITE_COILS;
    pbyFrame[2] = 0x00;
    pbyFrame[3] = 0x00;
    pbyFrame[4] = 0x00;
    pbyFrame[5] = 0x04;
    pbyFrame[6] = 0x01;
    pbyFrame[7] = byOutputs;
    return fnRtuTail(pbyFrame, 8);
}

uint32_t fnBuildAnalogPoll(uint32_t dwProtocol, uint8_t chAddress, uint8_t* pbyFrame)
{
    if (fnIsAsciiProtocol(dwProtocol))
        return fnAsciiTail(dwProtocol, pbyFrame, fnAsciiHead(pbyFrame, '#', chAddress));
    if (dwProtocol != ProtocolModbusRtu)
        return 0;
    pbyFrame[0] = chAddress;
    pbyFrame[1] = MODBUS_FUNC_READ_INPUT_REGS;
    pbyFrame[2] = 0x00;
    pbyFrame[3] = 0x00;
    pbyFrame[4] = 0x00;
    pbyFrame[5] = 0x08;
    return fnRtuTail(pbyFrame, 6);
}
