// The reply decoder of the analog modules. Input: a protocol byte, then the reply bytes. Only a
// valid reply may touch the values; a valid one fills all eight with texts that end inside
// their slots; a protocol without frames is never counted as a failure.
#include "io/AnalogDecode.h"
#include "protocol/Codec.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cmath>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    FuzzInput stIn(pbyData, nSize);
    const uint32_t dwProtocol = stIn.fnTake() % 5;
    const uint32_t dwLen = stIn.fnRestSize();
    const std::unique_ptr<uint8_t[]> pbyReply = stIn.fnRestBytes();
    const uint8_t FILL = 0x5A;
    AnalogValues stValues;
    std::memset(&stValues, FILL, sizeof stValues);

    const uint32_t dwJudge = fnDecodeAnalog(dwProtocol, pbyReply.get(), dwLen, &stValues);
    FUZZ_CHECK(dwJudge <= AnalogValid);
    FUZZ_CHECK((dwJudge == AnalogIgnored) == (dwProtocol == 0 || dwProtocol == 4));
    if (dwJudge != AnalogValid)
    {
        FUZZ_CHECK(fnUntouched(stValues, FILL));
        return 0;
    }
    if (dwProtocol == 3)
        FUZZ_CHECK(dwLen == 21 && fnCrc16Valid(pbyReply.get(), dwLen));
    else
        FUZZ_CHECK(pbyReply[0] == '>' && pbyReply[dwLen - 1] == '\r');
    for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
    {
        FUZZ_CHECK(fnTerminated(stValues.m_szValue[k]));
        FUZZ_CHECK(std::isfinite(stValues.m_fValue[k]));
    }
    return 0;
}
