// The reply decoders of the digital modules. Input: a protocol byte, then the reply bytes,
// decoded as a VQ-4652 and as a VQ-4618 reply. A kind comes only from a reply of its exact
// form and check, the bits are those of the reply, and nothing else is reported.
#include "io/DigitalDecode.h"
#include "protocol/Codec.h"
#include "tests/fuzz/FuzzCheck.h"

namespace
{
void fnCheckPoll(const DigitalReply& stReply, const uint8_t* pbyData, uint32_t dwLen, bool b4652)
{
    FUZZ_CHECK(dwLen >= 8 && pbyData[0] == '!' && pbyData[dwLen - 1] == '\r');
    uint8_t byFirst = 0;
    uint8_t byInputs = 0;
    FUZZ_CHECK(fnHexPairToByte(reinterpret_cast<const char*>(pbyData + 1), &byFirst));
    FUZZ_CHECK(fnHexPairToByte(reinterpret_cast<const char*>(pbyData + 3), &byInputs));
    FUZZ_CHECK(stReply.m_byInputs == byInputs);
    FUZZ_CHECK(b4652 ? stReply.m_byOutputs == byFirst : byFirst == 0 && stReply.m_byOutputs == 0);
}

void fnCheck(const DigitalReply& stReply, uint32_t dwProtocol, const uint8_t* pbyData,
             uint32_t dwLen, bool b4652)
{
    switch (stReply.m_dwKind)
    {
    case DigitalReplyNone:
        FUZZ_CHECK(stReply.m_byOutputs == 0 && stReply.m_byInputs == 0);
        break;
    case DigitalReplyPoll:
        FUZZ_CHECK(dwProtocol == 1 || dwProtocol == 2);
        fnCheckPoll(stReply, pbyData, dwLen, b4652);
        break;
    case DigitalReplyCoils:
    case DigitalReplyInputs:
        FUZZ_CHECK(dwProtocol == 3 && dwLen == 6 && fnCrc16Valid(pbyData, dwLen));
        FUZZ_CHECK(pbyData[2] == 1);
        FUZZ_CHECK(b4652 || stReply.m_dwKind == DigitalReplyInputs);
        FUZZ_CHECK(stReply.m_dwKind == DigitalReplyCoils ? stReply.m_byOutputs == pbyData[3]
                                                         : stReply.m_byInputs == pbyData[3]);
        break;
    case DigitalReplyWriteAck:
        FUZZ_CHECK(b4652 && dwProtocol >= 1 && dwProtocol <= 3);
        if (dwProtocol == 3)
            FUZZ_CHECK(fnCrc16Valid(pbyData, dwLen));
        else
            FUZZ_CHECK(pbyData[0] == '>' && pbyData[dwLen - 1] == '\r');
        break;
    default:
        FUZZ_CHECK(!"unknown reply kind");
    }
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    FuzzInput stIn(pbyData, nSize);
    const uint32_t dwProtocol = stIn.fnTake() % 5;
    const uint32_t dwLen = stIn.fnRestSize();
    const std::unique_ptr<uint8_t[]> p = stIn.fnRestBytes();
    fnCheck(fnDecodeDigital4652(dwProtocol, p.get(), dwLen), dwProtocol, p.get(), dwLen, true);
    fnCheck(fnDecodeDigital4618(dwProtocol, p.get(), dwLen), dwProtocol, p.get(), dwLen, false);
    return 0;
}
