// Protocol numbering and the baud-rate table shared by the port, the module list, the
// search-list file and every feature thread.
#pragma once

#include <cstdint>

enum ProtocolId : uint32_t
{
    ProtocolVqAscii = 1,
    ProtocolVqAsciiChk = 2,
    ProtocolModbusRtu = 3,
    ProtocolModbusAscii = 4, // a name only: no frame of it is ever built or parsed
};

// "(VQASCII)", "(VQASCII-CHK)", "(Modbus RTU)", "(Modbus ASCII)", else "Unknow Protocol!".
const char* fnProtocolListText(uint32_t dwProtocol);

const uint32_t BAUD_INDEX_COUNT = 8;
const uint32_t BAUD_INDEX_DEFAULT = 3; // 9600

// 0 -> 1200 ... 7 -> 115200; any other index gives 0.
uint32_t fnBaudRate(uint32_t dwBaudIndex);

// The module's own rate code: index + 3; an index outside 0..7 gives the code of 9600 (6).
uint8_t fnBaudCode(uint32_t dwBaudIndex);

// The rate as text: "1200" ... "115200"; "" for an index outside the table.
const char* fnBaudName(uint32_t dwBaudIndex);

// Protocol index of the settings and terminal dialogs (0 VQASCII, 1 VQASCII-CHK, 2 Modbus RTU).
const uint32_t PROTOCOL_INDEX_COUNT = 3;
