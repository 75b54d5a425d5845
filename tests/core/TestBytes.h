// Literal frames for the core tests. A string literal written with hex escapes becomes exactly
// its bytes, NULs included, in a buffer of its own size, so a parser reading past a reply is
// caught by the address sanitizer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

template <size_t N> Bytes fnBytes(const char (&achText)[N])
{
    return Bytes(achText, achText + N - 1);
}

inline Bytes fnBytes(const std::string& strText)
{
    return Bytes(strText.begin(), strText.end());
}

inline uint32_t fnSize(const Bytes& vecBytes)
{
    return static_cast<uint32_t>(vecBytes.size());
}
