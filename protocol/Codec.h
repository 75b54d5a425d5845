// Byte and text conversions shared by every exchange with the bus: hex text, the two-digit
// checksum of the checked ASCII protocol and the Modbus CRC-16. Stateless; any thread may call.
#pragma once

#include <cstdint>

enum HexTextStatus : uint32_t
{
    HexTextOk = 0,      // converted; the byte count is valid
    HexTextTooLong = 1, // the scan limit was reached before the terminating NUL
    HexTextInvalid = 2, // a character that is neither a space nor the start of a hex pair
    HexTextEmpty = 3,   // the NUL came before any hex pair
};

// True when both of the first two characters are hex digits. Reads exactly two characters.
bool fnIsHexPair(const char* pchText);

// Converts the first two characters (high nibble first, either case) into *pbyOut.
// Leaves *pbyOut untouched and returns false when either is not a hex digit.
bool fnHexPairToByte(const char* pchText, uint8_t* pbyOut);

// Converts hex text, pairs optionally separated by spaces, scanning at most dwLimit positions.
// At most dwOutSize bytes are stored; a text that would need more ends as HexTextTooLong.
// *pdwCount is the number of bytes for HexTextOk and 0 for every other status.
HexTextStatus fnHexTextToBytes(const char* pchText, uint8_t* pbyOut, uint32_t* pdwCount,
                               uint32_t dwLimit, uint32_t dwOutSize);

// Two UPPERCASE hex digits and a NUL: 0x3A gives "3A".
void fnByteToHex2(uint8_t byValue, char achOut[3]);

// For each byte its two uppercase digits and a space, then a NUL (3n + 1 characters).
void fnBytesToHexText(const uint8_t* pbyData, uint32_t dwCount, char* pchOut);

// True when each of the first four characters is '0'..'9'.
bool fnIsDec4(const char* pchText);

// Low 8 bits of the byte sum.
uint8_t fnCheckSum(const uint8_t* pbyData, uint32_t dwCount);

// dwLen excludes the CR; the last two of the dwLen bytes are the checksum digits, which must
// equal the UPPERCASE rendering of the sum of the bytes before them. False for dwLen < 3.
bool fnCheckSumVerify(const uint8_t* pbyFrame, uint32_t dwLen);

// CRC-16/MODBUS; the register's high byte goes to *pbyHigh, its low byte to *pbyLow.
// On the wire the low byte is sent first.
void fnCrc16(const uint8_t* pbyData, uint32_t dwCount, uint8_t* pbyHigh, uint8_t* pbyLow);

// True when the CRC-16 over the whole frame, its two CRC bytes included, is zero.
bool fnCrc16Valid(const uint8_t* pbyFrame, uint32_t dwLen);
