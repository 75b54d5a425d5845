// Classification of what a module sent back in the reply window of a settings exchange, and
// the report texts of each result. Pure functions over the bytes the transmit thread took from
// the accumulator; any thread may call them.
#pragma once

#include <cstdint>

// Results of a VQASCII or VQASCII-CHK settings reply.
enum SetAsciiResult : uint32_t
{
    SetAsciiOk = 0,
    SetAsciiRefused = 1,
    SetAsciiCommError = 2,
    SetAsciiNoReply = 3,
};

// Results of the Modbus RTU new-address step.
enum SetRtuAddressResult : uint32_t
{
    SetRtuAddressOk = 0,
    SetRtuAddressCrcError = 1,
    SetRtuAddressException01 = 2,
    SetRtuAddressException03 = 3,
    SetRtuAddressUnknown = 4,
    SetRtuAddressNoReply = 5,
};

// Results of the Modbus RTU baud-rate-and-protocol step.
enum SetRtuBaudResult : uint32_t
{
    SetRtuBaudOk = 0,
    SetRtuBaudCrcError = 1,
    SetRtuBaudException01 = 2,
    SetRtuBaudException03 = 3,
    SetRtuBaudException04 = 4,
    SetRtuBaudUnknown = 5,
    SetRtuBaudNoReply = 6,
};

// "!" NN CR is success, "?" NN CR refusal (NN the new address, uppercase digits), nothing is no
// reply, any other run of bytes a communication error.
uint32_t fnClassifySetAscii(const uint8_t* pbyReply, uint32_t dwLen, uint8_t chNewAddress);

// As above with the checksum of the first three bytes before the CR (6 bytes in all).
uint32_t fnClassifySetAsciiChk(const uint8_t* pbyReply, uint32_t dwLen, uint8_t chNewAddress);

// The 9-byte echo from the new address, a 5-byte exception 0xC6, or anything else.
uint32_t fnClassifySetRtuAddress(const uint8_t* pbyReply, uint32_t dwLen, uint8_t chNewAddress);

// The 13-byte echo (its address byte is not checked), a 5-byte exception 0xC6, or anything else.
uint32_t fnClassifySetRtuBaud(const uint8_t* pbyReply, uint32_t dwLen);

// Report texts (GBK). A code outside its table gives the text of the table's last row.
const char* fnSetAsciiText(uint32_t dwResult);
const char* fnSetRtuAddressText(uint32_t dwResult);
const char* fnSetRtuBaudText(uint32_t dwResult); // begins with CR LF
