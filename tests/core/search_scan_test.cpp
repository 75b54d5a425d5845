// The scan order and its end: a walk of the whole scan counts the queries in their order.
#include "search/SearchScan.h"

#include "tests/core/TestBytes.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

namespace
{

struct Query
{
    uint32_t dwProtocol;
    uint8_t chAddress;
};

// A module at 01 answering the name query in each protocol, by ProtocolId - 1.
const Bytes REPLIES[] = {
    fnBytes("!014652\r"),
    fnBytes("!01465253\r"),
    fnBytes("\x01\x46\x00\x00\x46\x52\x03\x99\xD2"),
};

// Runs the scan from chStart to its end, answering each query with the reply for its protocol
// in apReply (null: no reply).
std::vector<Query> fnRunScan(ModuleList& stList, uint8_t chStart,
                             const std::array<const Bytes*, 3>& apReply = {})
{
    std::vector<Query> vecQueries;
    fnScanStart(stList, chStart);
    do
    {
        vecQueries.push_back({stList.m_dwScanProtocol, stList.m_chScanAddress});
        if (const Bytes* pvecReply = apReply[stList.m_dwScanProtocol - 1])
            fnScanReply(stList, pvecReply->data(), fnSize(*pvecReply));
    } while (!fnScanListFull(stList) && fnScanAdvance(stList) && vecQueries.size() < 1000);
    return vecQueries;
}

TEST(SearchScan, OrderAndEnd)
{
    std::unique_ptr<ModuleList> pList(new ModuleList());
    const struct
    {
        uint8_t chStart;
        size_t nQueries;
    } aCases[] = {{0xFF, 3}, {0xFE, 6}, {0x00, 768}, {0x80, 384}};
    for (const auto& stCase : aCases)
    {
        SCOPED_TRACE(stCase.chStart);
        const std::vector<Query> vecQueries = fnRunScan(*pList, stCase.chStart);
        ASSERT_EQ(stCase.nQueries, vecQueries.size());
        for (size_t i = 0; i < vecQueries.size(); ++i)
        {
            EXPECT_EQ(1 + i % 3, vecQueries[i].dwProtocol);
            EXPECT_EQ(stCase.chStart + i / 3, vecQueries[i].chAddress);
        }
        // The last values stay after the scan.
        EXPECT_EQ(0xFF, pList->m_chScanAddress);
        EXPECT_EQ(1u, pList->m_dwScanProtocol);
        EXPECT_EQ(0xFFu - stCase.chStart, fnScanProgressRange(stCase.chStart));
        EXPECT_EQ(0xFFu - stCase.chStart, fnScanProgressPos(*pList, stCase.chStart));
    }
}

TEST(SearchScan, RepliesAreTakenOnlyInTheirProtocol)
{
    std::unique_ptr<ModuleList> pList(new ModuleList());
    pList->m_dwCount = 9; // a new search starts empty
    EXPECT_EQ(6u, fnRunScan(*pList, 0xFE, {&REPLIES[0], &REPLIES[0], &REPLIES[0]}).size());
    // Only the VQASCII steps of 0xFE and 0xFF accept the reply: two records, both at 01.
    ASSERT_EQ(2u, pList->m_dwCount.load());
    EXPECT_STREQ("[01H] 4652 (VQASCII)", pList->m_astModule[0].m_achListText);
    EXPECT_STREQ("[01H] 4652 (VQASCII)", pList->m_astModule[1].m_achListText);
}

TEST(SearchScan, StopsWhenTheListIsFull)
{
    // Every address answers every protocol: the list fills at the last of the 768 queries.
    std::unique_ptr<ModuleList> pList(new ModuleList());
    EXPECT_EQ(768u, fnRunScan(*pList, 0x00, {&REPLIES[0], &REPLIES[1], &REPLIES[2]}).size());
    EXPECT_EQ(MODULE_LIST_MAX, pList->m_dwCount.load());
    EXPECT_EQ(ScanReplyIgnored, fnScanReply(*pList, REPLIES[0].data(), 8));
    EXPECT_EQ(MODULE_LIST_MAX, pList->m_dwCount.load());
}

} // namespace
