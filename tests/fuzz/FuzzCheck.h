// Shared by the fuzz targets: a check that stops the run with the failed condition, so a wrong
// classification is a finding like a crash; a reader that takes parameter bytes off the front
// of the fuzzer's input and copies the rest into a block of exactly its size, so a read past
// it is caught; and the two checks of stored records.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#define FUZZ_CHECK(cond)                                                                           \
    do                                                                                             \
    {                                                                                              \
        if (!(cond))                                                                               \
        {                                                                                          \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #cond);          \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

class FuzzInput
{
  public:
    FuzzInput(const uint8_t* pbyData, size_t nSize) : m_pbyData(pbyData), m_nSize(nSize) {}

    // The next byte, or 0 once the input is used up.
    uint8_t fnTake()
    {
        if (m_nSize == 0)
            return 0;
        --m_nSize;
        return *m_pbyData++;
    }

    uint32_t fnRestSize() const { return static_cast<uint32_t>(m_nSize); }

    // The rest as bytes (one byte for an empty rest, never read) ...
    std::unique_ptr<uint8_t[]> fnRestBytes() const
    {
        std::unique_ptr<uint8_t[]> p(new uint8_t[m_nSize == 0 ? 1 : m_nSize]);
        std::memcpy(p.get(), m_pbyData, m_nSize);
        return p;
    }

    // ... or as a NUL-terminated text.
    std::unique_ptr<char[]> fnRestText() const
    {
        std::unique_ptr<char[]> p(new char[m_nSize + 1]);
        std::memcpy(p.get(), m_pbyData, m_nSize);
        p[m_nSize] = '\0';
        return p;
    }

  private:
    const uint8_t* m_pbyData;
    size_t m_nSize;
};

// The text field ends inside its array.
template <size_t N> bool fnTerminated(const char (&achText)[N])
{
    return std::memchr(achText, '\0', N) != nullptr;
}

// Every byte of the object is still the fill it was given.
template <class T> bool fnUntouched(const T& stObject, uint8_t byFill)
{
    const uint8_t* pby = reinterpret_cast<const uint8_t*>(&stObject);
    for (size_t i = 0; i < sizeof stObject; ++i)
        if (pby[i] != byFill)
            return false;
    return true;
}
