// The reply classifiers of the module settings exchange. Input: the new address byte, then the
// reply bytes, judged by all four classifiers. Each result must be one of its table, success
// only for a reply of the exact form with a good check, and every result must have its text.
#include "protocol/Codec.h"
#include "settings/ModuleSetReply.h"
#include "tests/fuzz/FuzzCheck.h"

namespace
{
bool fnAsciiAddressIs(const uint8_t* pbyReply, uint8_t chAddress)
{
    char achDigits[3];
    fnByteToHex2(chAddress, achDigits);
    return pbyReply[1] == static_cast<uint8_t>(achDigits[0]) &&
           pbyReply[2] == static_cast<uint8_t>(achDigits[1]);
}

// Both ASCII classifiers: success and refusal only from "!" or "?", the new address in
// uppercase digits, the checksum when there is one, and CR.
void fnCheckAscii(const uint8_t* pbyReply, uint32_t dwLen, uint8_t chAddress, bool bChk)
{
    const uint32_t dwResult = bChk ? fnClassifySetAsciiChk(pbyReply, dwLen, chAddress)
                                   : fnClassifySetAscii(pbyReply, dwLen, chAddress);
    FUZZ_CHECK(dwResult <= SetAsciiNoReply);
    FUZZ_CHECK((dwResult == SetAsciiNoReply) == (dwLen == 0));
    if (dwResult == SetAsciiOk || dwResult == SetAsciiRefused)
    {
        FUZZ_CHECK(dwLen == (bChk ? 6u : 4u) && pbyReply[dwLen - 1] == '\r');
        FUZZ_CHECK(fnAsciiAddressIs(pbyReply, chAddress));
        FUZZ_CHECK(pbyReply[0] == (dwResult == SetAsciiOk ? '!' : '?'));
        FUZZ_CHECK(!bChk || fnCheckSumVerify(pbyReply, dwLen - 1)); // the digits before the CR
    }
    FUZZ_CHECK(fnSetAsciiText(dwResult) != nullptr);
}

void fnCheckRtuAddress(const uint8_t* pbyReply, uint32_t dwLen, uint8_t chAddress)
{
    const uint32_t dwResult = fnClassifySetRtuAddress(pbyReply, dwLen, chAddress);
    FUZZ_CHECK(dwResult <= SetRtuAddressNoReply);
    FUZZ_CHECK((dwResult == SetRtuAddressNoReply) == (dwLen == 0));
    if (dwResult == SetRtuAddressOk)
        FUZZ_CHECK(dwLen == 9 && pbyReply[0] == chAddress && fnCrc16Valid(pbyReply, dwLen));
    if (dwResult == SetRtuAddressException01 || dwResult == SetRtuAddressException03)
        FUZZ_CHECK(dwLen == 5 && pbyReply[1] == 0xC6 && fnCrc16Valid(pbyReply, dwLen));
    FUZZ_CHECK(fnSetRtuAddressText(dwResult) != nullptr);
}

void fnCheckRtuBaud(const uint8_t* pbyReply, uint32_t dwLen)
{
    const uint32_t dwResult = fnClassifySetRtuBaud(pbyReply, dwLen);
    FUZZ_CHECK(dwResult <= SetRtuBaudNoReply);
    FUZZ_CHECK((dwResult == SetRtuBaudNoReply) == (dwLen == 0));
    if (dwResult == SetRtuBaudOk)
        FUZZ_CHECK(dwLen == 13 && fnCrc16Valid(pbyReply, dwLen));
    if (dwResult >= SetRtuBaudException01 && dwResult <= SetRtuBaudException04)
        FUZZ_CHECK(dwLen == 5 && pbyReply[1] == 0xC6 && fnCrc16Valid(pbyReply, dwLen));
    FUZZ_CHECK(fnSetRtuBaudText(dwResult) != nullptr);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    FuzzInput stIn(pbyData, nSize);
    const uint8_t chAddress = stIn.fnTake();
    const uint32_t dwLen = stIn.fnRestSize();
    const std::unique_ptr<uint8_t[]> pbyReply = stIn.fnRestBytes();
    fnCheckAscii(pbyReply.get(), dwLen, chAddress, false);
    fnCheckAscii(pbyReply.get(), dwLen, chAddress, true);
    fnCheckRtuAddress(pbyReply.get(), dwLen, chAddress);
    fnCheckRtuBaud(pbyReply.get(), dwLen);
    return 0;
}
