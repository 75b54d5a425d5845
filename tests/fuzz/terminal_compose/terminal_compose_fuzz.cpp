// The terminal composer and CRC calculator. Input: a settings byte (protocol index in the low
// two bits, then the checksum, CR and CRC flags), then the typed text (made NUL-terminated).
// A refused text leaves the frame alone; a composed frame starts with what was typed and ends
// with exactly what the flags append; the CRC calculator agrees with the appended CRC.
#include "protocol/Codec.h"
#include "terminal/TerminalCompose.h"
#include "tests/fuzz/FuzzCheck.h"

namespace
{
const uint8_t FILL = 0xC3;

void fnCheckAscii(const TerminalSetting& stSetting, const char* pchText, const uint8_t* pbyFrame,
                  uint32_t dwLen)
{
    const uint32_t dwTyped = static_cast<uint32_t>(strnlen(pchText, TERMINAL_COMMAND_CHARS));
    const bool bChk = stSetting.m_dwProtocolIndex == TerminalVqAsciiChk && stSetting.m_bAppendChk;
    FUZZ_CHECK(dwLen == dwTyped + (bChk ? 2 : 0) + (stSetting.m_bAppendCr ? 1 : 0));
    FUZZ_CHECK(std::memcmp(pbyFrame, pchText, dwTyped) == 0);
    if (bChk)
    {
        char achSum[3];
        fnByteToHex2(fnCheckSum(pbyFrame, dwTyped), achSum);
        FUZZ_CHECK(pbyFrame[dwTyped] == achSum[0] && pbyFrame[dwTyped + 1] == achSum[1]);
    }
    if (stSetting.m_bAppendCr)
        FUZZ_CHECK(pbyFrame[dwLen - 1] == '\r');
}

void fnCheckRtu(const TerminalSetting& stSetting, const char* pchText, uint32_t dwResult,
                const uint8_t* pbyFrame, uint32_t dwLen)
{
    char achCrc[TERMINAL_CRC_TEXT_MAX];
    std::memset(achCrc, 'x', sizeof achCrc);
    FUZZ_CHECK(fnTerminalCrcText(pchText, achCrc) == dwResult);
    FUZZ_CHECK(fnTerminated(achCrc) && std::strlen(achCrc) == (dwResult == 0 ? 0u : 6u));
    if (dwResult == 0 || !stSetting.m_bAppendCrc)
        return;
    FUZZ_CHECK(dwLen >= 3 && fnCrc16Valid(pbyFrame, dwLen));
    char achFrameCrc[TERMINAL_CRC_TEXT_MAX];
    const uint8_t abyHighLow[2] = {pbyFrame[dwLen - 1], pbyFrame[dwLen - 2]};
    fnBytesToHexText(abyHighLow, 2, achFrameCrc);
    FUZZ_CHECK(std::strcmp(achCrc, achFrameCrc) == 0);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    FuzzInput stIn(pbyData, nSize);
    const uint8_t bySetting = stIn.fnTake();
    static TerminalSetting s_stSetting;
    s_stSetting.m_dwProtocolIndex = bySetting & 3u;
    s_stSetting.m_bAppendChk = (bySetting >> 2) & 1u;
    s_stSetting.m_bAppendCr = (bySetting >> 3) & 1u;
    s_stSetting.m_bAppendCrc = (bySetting >> 4) & 1u;
    const std::unique_ptr<char[]> pchOwned = stIn.fnRestText();
    const char* pchText = pchOwned.get();
    const std::unique_ptr<uint8_t[]> pbyOwned(new uint8_t[TERMINAL_FRAME_MAX]);
    uint8_t* pbyFrame = pbyOwned.get();
    std::memset(pbyFrame, FILL, TERMINAL_FRAME_MAX);
    uint32_t dwFrameLen = 0xDEADBEEF;
    const uint32_t dwResult = fnTerminalComposeFrame(s_stSetting, pchText, pbyFrame, &dwFrameLen);
    FUZZ_CHECK(dwResult <= 1);
    FUZZ_CHECK(dwResult == 1 ? dwFrameLen <= TERMINAL_FRAME_MAX : dwFrameLen == 0xDEADBEEF);
    for (uint32_t i = 0; dwResult == 0 && i < TERMINAL_FRAME_MAX; ++i)
        FUZZ_CHECK(pbyFrame[i] == FILL);
    switch (s_stSetting.m_dwProtocolIndex)
    {
    case TerminalVqAscii:
    case TerminalVqAsciiChk:
        FUZZ_CHECK(dwResult == 1);
        fnCheckAscii(s_stSetting, pchText, pbyFrame, dwFrameLen);
        break;
    case TerminalModbusRtu:
        fnCheckRtu(s_stSetting, pchText, dwResult, pbyFrame, dwFrameLen);
        break;
    default:
        FUZZ_CHECK(dwResult == 0);
    }
    if (fnTerminalParseInterval(pchText) != 0)
        FUZZ_CHECK(std::strpbrk(pchText, "123456789") != nullptr);
    return 0;
}
