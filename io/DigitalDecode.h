// Decoding of the replies of the digital modules (VQ-4652, VQ-4618) in the three protocols.
// A completed read is judged on its own, by its exact length and content; the address byte of
// a Modbus reply is not compared. Pure functions; the receive workers call them.
#pragma once

#include <cstdint>

enum DigitalReplyKind : uint32_t
{
    DigitalReplyNone = 0,     // ignored: other length, failed check, protocol without frames
    DigitalReplyPoll = 1,     // ASCII poll reply: outputs and inputs (VQ-4618: inputs only)
    DigitalReplyCoils = 2,    // Modbus Read Coils reply: outputs
    DigitalReplyInputs = 3,   // Modbus Read Discrete Inputs reply: inputs
    DigitalReplyWriteAck = 4, // output write confirmed; carries no bits
};

struct DigitalReply
{
    uint32_t m_dwKind;
    uint8_t m_byOutputs; // valid for Poll (VQ-4652) and Coils
    uint8_t m_byInputs;  // valid for Poll and Inputs
};

// VQ-4652: "!" OO II "00" (CS) CR, ">" (CS) CR; Modbus 01/02 with one data byte, 0F echo.
DigitalReply fnDecodeDigital4652(uint32_t dwProtocol, const uint8_t* pbyData, uint32_t dwLen);

// VQ-4618: "!" "00" II "00" (CS) CR; Modbus 02 with one data byte.
DigitalReply fnDecodeDigital4618(uint32_t dwProtocol, const uint8_t* pbyData, uint32_t dwLen);
