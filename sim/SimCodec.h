// Small byte helpers of the bus simulator: hex digits, the VQASCII-CHK byte sum and the
// Modbus CRC-16. The simulator keeps its own copy on purpose, so that a fault in the
// program's codec cannot hide behind the same fault in the device it is tested against.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vqsim
{

using Bytes = std::vector<uint8_t>;

// Two uppercase hex digits of a byte.
std::string hex2(uint8_t value);
// Value of one hex digit (either case), or -1.
int hexDigit(char c);
// Parses two hex digits at text[pos]; false when they are not both hex digits.
bool parseHex2(const std::string& text, size_t pos, uint8_t& value);
// Parses two UPPERCASE hex digits at text[pos], as a module expects them in its commands.
bool parseHex2Upper(const std::string& text, size_t pos, uint8_t& value);
// Low 8 bits of the byte sum.
uint8_t byteSum(const uint8_t* data, size_t n);
uint8_t byteSum(const std::string& text);
// CRC-16/MODBUS register after the bytes (initial 0xFFFF, polynomial 0xA001 reflected).
uint16_t crc16(const uint8_t* data, size_t n);
// Appends the CRC, low byte first.
void appendCrc(Bytes& frame);
// True when the CRC over the whole frame, its own two CRC bytes included, is zero.
bool crcOk(const uint8_t* data, size_t n);
// "24 30 31 4D 0D" (uppercase, single spaces, no trailing blank).
std::string hexDump(const uint8_t* data, size_t n);
Bytes toBytes(const std::string& text);

} // namespace vqsim
