#include "sim/SimCodec.h"

namespace vqsim
{

std::string hex2(uint8_t value)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    out += kDigits[value >> 4];
    out += kDigits[value & 0x0F];
    return out;
}

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

bool parseHex2(const std::string& text, size_t pos, uint8_t& value)
{
    if (pos + 2 > text.size())
        return false;
    int hi = hexDigit(text[pos]);
    int lo = hexDigit(text[pos + 1]);
    if (hi < 0 || lo < 0)
        return false;
    value = static_cast<uint8_t>(hi * 16 + lo);
    return true;
}

bool parseHex2Upper(const std::string& text, size_t pos, uint8_t& value)
{
    if (!parseHex2(text, pos, value))
        return false;
    return hex2(value) == text.substr(pos, 2);
}

uint8_t byteSum(const uint8_t* data, size_t n)
{
    unsigned sum = 0;
    for (size_t i = 0; i < n; ++i)
        sum += data[i];
    return static_cast<uint8_t>(sum & 0xFF);
}

uint8_t byteSum(const std::string& text)
{
    return byteSum(reinterpret_cast<const uint8_t*>(text.data()), text.size());
}

uint16_t crc16(const uint8_t* data, size_t n)
{
    uint16_t reg = 0xFFFF;
    for (size_t i = 0; i < n; ++i)
    {
        reg ^= data[i];
        for (int bit = 0; bit < 8; ++bit)
        {
            bool carry = (reg & 1) != 0;
            reg = static_cast<uint16_t>(reg >> 1);
            if (carry)
                reg ^= 0xA001;
        }
    }
    return reg;
}

void appendCrc(Bytes& frame)
{
    uint16_t crc = crc16(frame.data(), frame.size());
    frame.push_back(static_cast<uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<uint8_t>(crc >> 8));
}

bool crcOk(const uint8_t* data, size_t n)
{
    return n >= 3 && crc16(data, n) == 0;
}

std::string hexDump(const uint8_t* data, size_t n)
{
    std::string out;
    for (size_t i = 0; i < n; ++i)
    {
        if (i)
            out += ' ';
        out += hex2(data[i]);
    }
    return out;
}

Bytes toBytes(const std::string& text)
{
    return Bytes(text.begin(), text.end());
}

} // namespace vqsim
