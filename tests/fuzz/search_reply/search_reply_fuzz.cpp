// The name-query parsers of the bus search. Input: a protocol byte, a list-position byte, then
// the reply bytes. A rejected reply must leave its slot as it was; an accepted one must give a
// record whose texts end inside their fields and whose variant count is 0..3; a full list
// takes nothing.
#include "protocol/Codec.h"
#include "search/ModuleList.h"
#include "tests/fuzz/FuzzCheck.h"

#include <algorithm>
#include <iterator>

namespace
{
ModuleList g_stList;
const uint32_t SLOTS[] = {0, 1, MODULE_LIST_MAX - 1, MODULE_LIST_MAX};
const uint32_t TYPES[] = {ModuleTypeUnknown, ModuleType4652, ModuleType4652D, ModuleType4652G,
                          ModuleType4652GD,  ModuleType4618, ModuleType4624,  ModuleType4637};
const uint8_t FILL = 0xA5;

void fnCheckRecord(const ModuleRecord& stRecord, uint32_t dwProtocol, const uint8_t* pbyData,
                   uint32_t dwLen)
{
    FUZZ_CHECK(stRecord.m_dwSubTypeLen <= 3);
    FUZZ_CHECK(stRecord.m_dwProtocol == dwProtocol);
    FUZZ_CHECK(fnTerminated(stRecord.m_achListText) && fnTerminated(stRecord.m_achModName));
    FUZZ_CHECK(fnTerminated(stRecord.m_achAddressHex2));
    FUZZ_CHECK(stRecord.m_achListText[0] == '[');
    FUZZ_CHECK(std::count(std::begin(TYPES), std::end(TYPES), stRecord.m_dwModuleType) == 1);
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
    const std::unique_ptr<uint8_t[]> pbyReply = stIn.fnRestBytes();

    g_stList.m_dwCount.store(dwSlot);
    if (dwSlot < MODULE_LIST_MAX)
        std::memset(&g_stList.m_astModule[dwSlot], FILL, sizeof(ModuleRecord));
    const bool bAccepted = g_stList.fnSearchReply(dwProtocol, pbyReply.get(), dwLen);
    FUZZ_CHECK(g_stList.m_dwCount.load() == dwSlot); // the caller raises the count
    if (dwSlot == MODULE_LIST_MAX || dwProtocol == 0 || dwProtocol == 4)
        FUZZ_CHECK(!bAccepted);
    if (bAccepted)
        fnCheckRecord(g_stList.m_astModule[dwSlot], dwProtocol, pbyReply.get(), dwLen);
    else if (dwSlot < MODULE_LIST_MAX)
        FUZZ_CHECK(fnUntouched(g_stList.m_astModule[dwSlot], FILL));
    return 0;
}
