// Turning the typed terminal command into the frame that goes on the wire (checksum, CR or
// CRC appended by protocol), the CRC calculator and the interval field. Pure functions on the
// main thread; the dialog copies the frame into the transaction record before it triggers.
#pragma once

#include "terminal/TerminalSetting.h"

#include <cstdint>

const uint32_t TERMINAL_FRAME_MAX = 514; // 511 typed characters, two checksum digits, CR
const uint32_t TERMINAL_HEX_SCAN_LIMIT = 512;
const uint32_t TERMINAL_CRC_TEXT_MAX = 7; // "0A 84 " and NUL

// Composes pchText (at most 511 characters are used) for stSetting's protocol index:
//  0 VQASCII: the text, then CR when m_bAppendCr;
//  1 VQASCII-CHK: the text, the checksum of the text as two uppercase digits when
//    m_bAppendChk, then CR when m_bAppendCr;
//  2 Modbus RTU: the hex text converted, then CRC low, CRC high when m_bAppendCrc.
// Returns 1 and writes pbyFrame (TERMINAL_FRAME_MAX bytes) and *pdwLen; returns 0 for bad hex
// text (empty included) or an unknown index and leaves both untouched. A frame of length 0
// (an empty ASCII text without CR) is valid: nothing goes on the wire.
uint32_t fnTerminalComposeFrame(const TerminalSetting& stSetting, const char* pchText,
                                uint8_t* pbyFrame, uint32_t* pdwLen);

// The CRC-16 of the hex text, high byte first, as "HH LL " (fnBytesToHexText). Returns 1, or
// 0 for text that does not convert (pchOut then is the empty text).
uint32_t fnTerminalCrcText(const char* pchText, char achOut[TERMINAL_CRC_TEXT_MAX]);

// The interval field as an unsigned decimal number of ms: leading blanks skipped, digits up to
// the first other character; 0 when there is no digit or the number does not fit 32 bits.
uint32_t fnTerminalParseInterval(const char* pchText);
// False when the field's number does not fit 32 bits (fnTerminalParseInterval reads it as 0).
bool fnTerminalIntervalInRange(const char* pchText);
