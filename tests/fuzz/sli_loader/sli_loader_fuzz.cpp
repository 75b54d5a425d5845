// The search-list file loader: the fuzzer's input is the file as read (at most the image size).
// A refused file must leave the module list as it was; an accepted one gives 1..768 records
// whose texts end inside their fields and whose variant counts are 0..3, and saving that list
// again loads again to the same lines.
#include "search/SearchListImage.h"
#include "tests/fuzz/FuzzCheck.h"

namespace
{
SearchListImage g_stImage;
SearchListImage g_stAgain;
ModuleList g_stList;

void fnCheckList()
{
    const uint32_t dwCount = g_stList.m_dwCount.load();
    FUZZ_CHECK(dwCount >= 1 && dwCount <= MODULE_LIST_MAX);
    for (uint32_t i = 0; i < dwCount; ++i)
    {
        const ModuleRecord& st = g_stList.m_astModule[i];
        FUZZ_CHECK(st.m_dwSubTypeLen <= 3);
        FUZZ_CHECK(fnTerminated(st.m_achAddressHex2) && fnTerminated(st.m_achTypeDec4));
        FUZZ_CHECK(fnTerminated(st.m_achSubType) && fnTerminated(st.m_achListText));
        FUZZ_CHECK(fnTerminated(st.m_achModName));
    }
}

void fnCheckSavedAgain()
{
    std::memset(g_stAgain.m_abyImage, 0, SLI_FILE_SIZE);
    g_stAgain.fnListToFile(g_stList);
    FUZZ_CHECK(g_stAgain.fnLoadRead(SLI_FILE_SIZE) == SliParseOk);
    FUZZ_CHECK(g_stAgain.m_dwCount == g_stList.m_dwCount.load());
    for (uint32_t i = 0; i < g_stAgain.m_dwCount; ++i)
        FUZZ_CHECK(std::strcmp(g_stAgain.m_astModule[i].m_achListText,
                               g_stList.m_astModule[i].m_achListText) == 0);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pbyData, size_t nSize)
{
    const uint32_t dwRead = nSize < SLI_FILE_SIZE ? static_cast<uint32_t>(nSize) : SLI_FILE_SIZE;
    // What the last file left in the image must not leak into this one.
    std::memset(g_stImage.m_abyImage, 0xEE, SLI_FILE_SIZE);
    std::memcpy(g_stImage.m_abyImage, pbyData, dwRead);

    g_stList.m_dwCount.store(1);
    std::memset(&g_stList.m_astModule[0], 0x77, sizeof(ModuleRecord));
    const uint32_t dwResult = g_stImage.fnLoadRead(dwRead);
    FUZZ_CHECK(dwResult <= SliParseShort);
    if (dwResult != SliParseOk)
    {
        FUZZ_CHECK(g_stList.m_dwCount.load() == 1);
        FUZZ_CHECK(reinterpret_cast<const uint8_t*>(&g_stList.m_astModule[0])[0] == 0x77);
        return 0;
    }
    FUZZ_CHECK(dwRead >= SLI_HEADER_SIZE + g_stImage.m_dwCount * SLI_RECORD_SIZE);
    g_stImage.fnFileToList(g_stList);
    fnCheckList();
    fnCheckSavedAgain();
    return 0;
}
