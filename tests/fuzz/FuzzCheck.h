// Shared by the fuzz targets: a check that stops the run with the failed condition, so a wrong
// classification is a finding like a crash, and a reader that takes parameter bytes off the
// front of the fuzzer's input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

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

    const uint8_t* fnRest() const { return m_pbyData; }
    uint32_t fnRestSize() const { return static_cast<uint32_t>(m_nSize); }

  private:
    const uint8_t* m_pbyData;
    size_t m_nSize;
};
