// Builders for every frame the program sends to a module, in the three protocols. Each writes
// into a caller's buffer of at least FRAME_MAX bytes and returns the frame length; a protocol
// without that frame (Modbus ASCII, unknown ids) gives length 0 and writes nothing.
#pragma once

#include <cstdint>

const uint32_t FRAME_MAX = 1024;

// Module name query: "$AAM" (+CS) CR, or Modbus addr 46 00 CRC.
uint32_t fnBuildNameQuery(uint32_t dwProtocol, uint8_t chAddress, uint8_t* pbyFrame);

// Settings in the ASCII protocols: "%" AA NN "40" CC FF (+CS) CR, one frame for all three values.
// dwProtocolIndex is the new protocol as a settings-dialog index (0, 1, 2).
uint32_t fnBuildSettingsAscii(uint32_t dwProtocol, uint8_t chAddress, uint8_t chNewAddress,
                              uint32_t dwBaudIndex, uint32_t dwProtocolIndex, uint8_t* pbyFrame);

// Modbus settings, step 1: AA 46 04 NN 00 00 00 CRC (9 bytes), sent to the current address.
uint32_t fnBuildSettingsRtuAddress(uint8_t chAddress, uint8_t chNewAddress, uint8_t* pbyFrame);

// Modbus settings, step 2: NN 46 06 00 CC 00 00 00 P1 P2 00 CRC (13 bytes), to the new address.
uint32_t fnBuildSettingsRtuBaud(uint8_t chNewAddress, uint32_t dwBaudIndex,
                                uint32_t dwProtocolIndex, uint8_t* pbyFrame);

// Digital poll in the ASCII protocols: "$" AA "6" (+CS) CR.
uint32_t fnBuildDigitalPollAscii(uint32_t dwProtocol, uint8_t chAddress, uint8_t* pbyFrame);

// Modbus Read Coils (0x01) or Read Discrete Inputs (0x02) from 0, wQuantity bits.
uint32_t fnBuildReadBitsRtu(uint8_t chAddress, uint8_t byFunction, uint16_t wQuantity,
                            uint8_t* pbyFrame);

// Relay outputs in the ASCII protocols: "#" AA "00" DD (+CS) CR.
uint32_t fnBuildWriteOutputsAscii(uint32_t dwProtocol, uint8_t chAddress, uint8_t byOutputs,
                                  uint8_t* pbyFrame);

// Modbus Write Multiple Coils: AA 0F 00 00 00 04 01 DD CRC (10 bytes).
uint32_t fnBuildWriteCoilsRtu(uint8_t chAddress, uint8_t byOutputs, uint8_t* pbyFrame);

// Analog poll: "#" AA (+CS) CR, or Modbus Read Input Registers AA 04 00 00 00 08 CRC.
uint32_t fnBuildAnalogPoll(uint32_t dwProtocol, uint8_t chAddress, uint8_t* pbyFrame);
