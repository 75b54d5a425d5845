// The reply decoder of the analog modules. Input: a protocol byte, then the reply bytes. Only a
// valid reply may touch the values; a valid one fills all eight with texts that end inside
// their slots; a protocol without frames is never counted as a failure.
#include "io/AnalogDecode.h"
#include "protocol/Codec.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cmath>
#include <cstring>

namespace
{
const uint8_t FILL = 0x5A;

bool fnUntouched(const AnalogValues& stValues)
{
    const uint8_t* pby = reinterpret_cast<const uint8_t*>(&stValues);
    for (size_t i = 0; i < sizeof stValues; ++i)
        if (pby[i] != FILL)
            return false;
    return true;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    FuzzInput stIn(pbyData, nSize);
    const uint32_t dwProtocol = stIn.fnTake() % 5;
    const uint32_t dwLen = stIn.fnRestSize();
    uint8_t* pbyReply = new uint8_t[dwLen == 0 ? 1 : dwLen];
    std::memcpy(pbyReply, stIn.fnRest(), dwLen);
    AnalogValues stValues;
    std::memset(&stValues, FILL, sizeof stValues);

    const uint32_t dwJudge = fnDecodeAnalog(dwProtocol, pbyReply, dwLen, &stValues);
    FUZZ_CHECK(dwJudge <= AnalogValid);
    FUZZ_CHECK((dwJudge == AnalogIgnored) == (dwProtocol == 0 || dwProtocol == 4));
    if (dwJudge != AnalogValid)
    {
        FUZZ_CHECK(fnUntouched(stValues));
    }
    else
    {
        if (dwProtocol == 3)
            FUZZ_CHECK(dwLen == 21 && fnCrc16Valid(pbyReply, dwLen));
        else
            FUZZ_CHECK(pbyReply[0] == '>' && pbyReply[dwLen - 1] == '\r');
        for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
        {
            FUZZ_CHECK(std::memchr(stValues.m_szValue[k], '\0', ANALOG_TEXT_MAX) != nullptr);
            FUZZ_CHECK(std::isfinite(stValues.m_fValue[k]));
        }
    }
    delete[] pbyReply;
    return 0;
}
