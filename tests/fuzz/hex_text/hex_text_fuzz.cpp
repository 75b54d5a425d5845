// fnHexTextToBytes. Input: a scan-limit byte, an output-size byte, then the text (made
// NUL-terminated). The result is checked against a plain reference reading of the same rules,
// the output buffer is exactly the size given so a store past it is caught, and converted
// bytes written back as hex text convert again to the same bytes.
#include "protocol/Codec.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstring>

namespace
{
int fnDigit(char ch)
{
    if (ch >= '0' && ch <= '9')
        return ch - '0';
    if (ch >= 'a' && ch <= 'f')
        return ch - 'a' + 10;
    if (ch >= 'A' && ch <= 'F')
        return ch - 'A' + 10;
    return -1;
}

// The same rules, written out plainly: blanks skipped, pairs converted, the NUL ends the text.
HexTextStatus fnReference(const char* pchText, uint8_t* pbyOut, uint32_t* pdwCount,
                          uint32_t dwLimit, uint32_t dwOutSize)
{
    uint32_t dwStored = 0;
    *pdwCount = 0;
    for (uint32_t i = 0; i < dwLimit;)
    {
        if (pchText[i] == ' ')
        {
            ++i;
        }
        else if (pchText[i] == '\0')
        {
            *pdwCount = dwStored;
            return dwStored == 0 ? HexTextEmpty : HexTextOk;
        }
        else if (fnDigit(pchText[i]) < 0 || fnDigit(pchText[i + 1]) < 0)
        {
            return HexTextInvalid;
        }
        else if (dwStored == dwOutSize)
        {
            return HexTextTooLong;
        }
        else
        {
            pbyOut[dwStored++] =
                static_cast<uint8_t>(fnDigit(pchText[i]) * 16 + fnDigit(pchText[i + 1]));
            i += 2;
        }
    }
    return HexTextTooLong;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    FuzzInput stIn(pbyData, nSize);
    const uint32_t dwLimit = stIn.fnTake() * 4u;
    const uint32_t dwOutSize = stIn.fnTake() % 200u;
    const uint32_t dwLen = stIn.fnRestSize();
    char* pchText = new char[dwLen + 1];
    std::memcpy(pchText, stIn.fnRest(), dwLen);
    pchText[dwLen] = '\0';
    uint8_t* pbyOut = new uint8_t[dwOutSize == 0 ? 1 : dwOutSize];
    uint8_t* pbyRef = new uint8_t[dwOutSize + 1];

    uint32_t dwCount = 0xFFFFFFFF;
    uint32_t dwRefCount = 0;
    const HexTextStatus eStatus = fnHexTextToBytes(pchText, pbyOut, &dwCount, dwLimit, dwOutSize);
    const HexTextStatus eRef = fnReference(pchText, pbyRef, &dwRefCount, dwLimit, dwOutSize);
    FUZZ_CHECK(eStatus == eRef);
    FUZZ_CHECK(dwCount == (eStatus == HexTextOk ? dwRefCount : 0));
    FUZZ_CHECK(dwCount <= dwOutSize);
    if (eStatus == HexTextOk)
    {
        FUZZ_CHECK(std::memcmp(pbyOut, pbyRef, dwCount) == 0);
        char* pchAgain = new char[3 * dwCount + 1];
        fnBytesToHexText(pbyOut, dwCount, pchAgain);
        FUZZ_CHECK(std::strlen(pchAgain) == 3 * dwCount);
        uint8_t* pbyAgain = new uint8_t[dwCount];
        uint32_t dwAgain = 0;
        FUZZ_CHECK(fnHexTextToBytes(pchAgain, pbyAgain, &dwAgain, 3 * dwCount + 1, dwCount) ==
                   HexTextOk);
        FUZZ_CHECK(dwAgain == dwCount && std::memcmp(pbyAgain, pbyOut, dwCount) == 0);
        delete[] pbyAgain;
        delete[] pchAgain;
    }
    delete[] pbyRef;
    delete[] pbyOut;
    delete[] pchText;
    return 0;
}
