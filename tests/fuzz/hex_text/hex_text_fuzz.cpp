// fnHexTextToBytes. Input: a scan-limit byte, an output-size byte, then the text (made
// NUL-terminated). The result is checked against a plain reference reading of the same rules,
// the output buffer is exactly the size given so a store past it is caught, and converted
// bytes written back as hex text convert again to the same bytes.
#include "protocol/Codec.h"
#include "tests/fuzz/FuzzCheck.h"

namespace
{
int fnDigit(char ch)
{
    const char* const DIGITS = "0123456789abcdef0123456789ABCDEF";
    const char* pch = ch == '\0' ? nullptr : std::strchr(DIGITS, ch);
    return pch == nullptr ? -1 : static_cast<int>(pch - DIGITS) % 16;
}

// The same rules, written out plainly: blanks skipped, pairs converted, the NUL ends the text.
HexTextStatus fnReference(const char* pchText, uint8_t* pbyOut, uint32_t* pdwCount,
                          uint32_t dwLimit, uint32_t dwOutSize)
{
    uint32_t dwStored = 0;
    *pdwCount = 0;
    uint32_t i = 0;
    while (i < dwLimit && pchText[i] != '\0')
    {
        if (pchText[i] == ' ')
            ++i;
        else if (fnDigit(pchText[i]) < 0 || fnDigit(pchText[i + 1]) < 0)
            return HexTextInvalid;
        else if (dwStored == dwOutSize)
            return HexTextTooLong;
        else
        {
            pbyOut[dwStored++] =
                static_cast<uint8_t>(fnDigit(pchText[i]) * 16 + fnDigit(pchText[i + 1]));
            i += 2;
        }
    }
    if (i >= dwLimit)
        return HexTextTooLong; // no NUL inside the limit
    *pdwCount = dwStored;
    return dwStored == 0 ? HexTextEmpty : HexTextOk;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    FuzzInput stIn(pbyData, nSize);
    const uint32_t dwLimit = stIn.fnTake() * 4u;
    const uint32_t dwOutSize = stIn.fnTake() % 200u;
    const std::unique_ptr<char[]> pchText = stIn.fnRestText();
    const std::unique_ptr<uint8_t[]> pbyOut(new uint8_t[dwOutSize == 0 ? 1 : dwOutSize]);
    const std::unique_ptr<uint8_t[]> pbyRef(new uint8_t[dwOutSize + 1]);

    uint32_t dwCount = 0xFFFFFFFF;
    uint32_t dwRefCount = 0;
    const HexTextStatus eStatus =
        fnHexTextToBytes(pchText.get(), pbyOut.get(), &dwCount, dwLimit, dwOutSize);
    FUZZ_CHECK(eStatus ==
               fnReference(pchText.get(), pbyRef.get(), &dwRefCount, dwLimit, dwOutSize));
    FUZZ_CHECK(dwCount == (eStatus == HexTextOk ? dwRefCount : 0));
    FUZZ_CHECK(dwCount <= dwOutSize);
    if (eStatus != HexTextOk)
        return 0;
    FUZZ_CHECK(std::memcmp(pbyOut.get(), pbyRef.get(), dwCount) == 0);
    // Written back as hex text, the bytes convert again to themselves.
    const std::unique_ptr<char[]> pchAgain(new char[3 * dwCount + 1]);
    fnBytesToHexText(pbyOut.get(), dwCount, pchAgain.get());
    FUZZ_CHECK(std::strlen(pchAgain.get()) == 3 * dwCount);
    const std::unique_ptr<uint8_t[]> pbyAgain(new uint8_t[dwCount]);
    uint32_t dwAgain = 0;
    FUZZ_CHECK(fnHexTextToBytes(pchAgain.get(), pbyAgain.get(), &dwAgain, 3 * dwCount + 1,
                                dwCount) == HexTextOk);
    FUZZ_CHECK(dwAgain == dwCount && std::memcmp(pbyAgain.get(), pbyOut.get(), dwCount) == 0);
    return 0;
}
