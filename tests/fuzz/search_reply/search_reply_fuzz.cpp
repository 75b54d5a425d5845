// The name-query parsers of the bus search. Input: a protocol byte, a list-position byte, then
// the reply bytes. A rejected reply must leave its slot as it was; an accepted one must give a
// record whose texts end inside their fields and whose variant count is 0..3; a full list
// takes nothing.
#include "protocol/Codec.h"
#include "search/ModuleList.h"
#include "tests/fuzz/FuzzCheck.h"

#include <cstring>

namespace
{
ModuleList g_stList;
const uint32_t SLOTS[] = {0, 1, MODULE_LIST_MAX - 1, MODULE_LIST_MAX};
const uint8_t FILL = 0xA5;

bool fnTerminated(const char* pchText, size_t nSize)
{
    return std::memchr(pchText, '\0', nSize) != nullptr;
}

bool fnSlotUntouched(const ModuleRecord& stRecord)
{
    const uint8_t* pby = reinterpret_cast<const uint8_t*>(&stRecord);
    for (size_t i = 0; i < sizeof stRecord; ++i)
        if (pby[i] != FILL)
            return false;
    return true;
}

void fnCheckRecord(const ModuleRecord& stRecord, uint32_t dwProtocol, const uint8_t* pbyData,
                   uint32_t dwLen)
{
    FUZZ_CHECK(stRecord.m_dwSubTypeLen <= 3);
    FUZZ_CHECK(stRecord.m_dwProtocol == dwProtocol);
    FUZZ_CHECK(fnTerminated(stRecord.m_achListText, sizeof stRecord.m_achListText));
    FUZZ_CHECK(fnTerminated(stRecord.m_achModName, sizeof stRecord.m_achModName));
    FUZZ_CHECK(fnTerminated(stRecord.m_achAddressHex2, sizeof stRecord.m_achAddressHex2));
    FUZZ_CHECK(stRecord.m_achListText[0] == '[');
    switch (stRecord.m_dwModuleType)
    {
    case ModuleTypeUnknown:
    case ModuleType4652:
    case ModuleType4652D:
    case ModuleType4652G:
    case ModuleType4652GD:
    case ModuleType4618:
    case ModuleType4624:
    case ModuleType4637:
        break;
    default:
        FUZZ_CHECK(!"unknown ModuleType");
    }
    if (dwProtocol == 3)
    {
        FUZZ_CHECK(dwLen == 9 && fnCrc16Valid(pbyData, dwLen));
        FUZZ_CHECK(stRecord.m_chAddress == pbyData[0]);
        return;
    }
    FUZZ_CHECK(dwLen >= 8 && pbyData[0] == '!' && pbyData[dwLen - 1] == '\r');
    if (dwProtocol == 2)
        FUZZ_CHECK(fnCheckSumVerify(pbyData, dwLen - 1)); // the digits before the CR
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    FuzzInput stIn(pbyData, nSize);
    const uint32_t dwProtocol = stIn.fnTake() % 5; // 0 and 4 have no parser
    const uint32_t dwSlot = SLOTS[stIn.fnTake() % 4];
    const uint32_t dwLen = stIn.fnRestSize();
    // The reply in a buffer of its own size, so a read past it is caught.
    uint8_t* pbyReply = new uint8_t[dwLen == 0 ? 1 : dwLen];
    std::memcpy(pbyReply, stIn.fnRest(), dwLen);

    g_stList.m_dwCount.store(dwSlot);
    if (dwSlot < MODULE_LIST_MAX)
        std::memset(&g_stList.m_astModule[dwSlot], FILL, sizeof(ModuleRecord));
    const bool bAccepted = g_stList.fnSearchReply(dwProtocol, pbyReply, dwLen);
    FUZZ_CHECK(g_stList.m_dwCount.load() == dwSlot); // the caller raises the count
    if (dwSlot == MODULE_LIST_MAX || dwProtocol == 0 || dwProtocol == 4)
        FUZZ_CHECK(!bAccepted);
    if (bAccepted)
        fnCheckRecord(g_stList.m_astModule[dwSlot], dwProtocol, pbyReply, dwLen);
    else if (dwSlot < MODULE_LIST_MAX)
        FUZZ_CHECK(fnSlotUntouched(g_stList.m_astModule[dwSlot]));
    delete[] pbyReply;
    return 0;
}
