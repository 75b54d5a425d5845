// The scan order and its end: a walk of the whole scan counts the queries and checks the bytes
// of the first ones.
#include "search/SearchScan.h"

#include "protocol/FrameBuilder.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace
{

using Bytes = std::vector<uint8_t>;

struct Query
{
    uint32_t dwProtocol;
    uint8_t chAddress;
};

// Runs the scan from chStart to its end, answering every query with pfnReply (may be null).
std::vector<Query> fnRunScan(ModuleList& stList, uint8_t chStart, const Bytes* pvecReply = nullptr)
{
    std::vector<Query> vecQueries;
    fnScanStart(stList, chStart);
    for (;;)
    {
        vecQueries.push_back({stList.m_dwScanProtocol, stList.m_chScanAddress});
        if (vecQueries.size() > 1000)
            break; // would never end
        if (pvecReply != nullptr)
            fnScanReply(stList, pvecReply->data(), static_cast<uint32_t>(pvecReply->size()));
        if (fnScanListFull(stList) || !fnScanAdvance(stList))
            break;
    }
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

TEST(SearchScan, FramesOfTheFirstSteps)
{
    std::unique_ptr<ModuleList> pList(new ModuleList());
    fnScanStart(*pList, 0x01);
    const Bytes avecExpected[] = {
        {0x24, 0x30, 0x31, 0x4D, 0x0D},
        {0x24, 0x30, 0x31, 0x4D, 0x44, 0x32, 0x0D},
        {0x01, 0x46, 0x00, 0x12, 0x60},
        {0x24, 0x30, 0x32, 0x4D, 0x0D},
    };
    for (const Bytes& vecExpected : avecExpected)
    {
        uint8_t abyFrame[FRAME_MAX];
        const uint32_t dwLen = fnScanFrame(*pList, abyFrame);
        EXPECT_EQ(vecExpected, Bytes(abyFrame, abyFrame + dwLen));
        ASSERT_TRUE(fnScanAdvance(*pList));
    }
    EXPECT_EQ(1u, fnScanProgressPos(*pList, 0x01));
}

TEST(SearchScan, RepliesAreTakenOnlyInTheirProtocol)
{
    std::unique_ptr<ModuleList> pList(new ModuleList());
    pList->m_dwCount = 9; // a new search starts empty
    const Bytes vecAscii = {'!', '0', '1', '4', '6', '5', '2', '\r'};
    const std::vector<Query> vecQueries = fnRunScan(*pList, 0xFE, &vecAscii);
    EXPECT_EQ(6u, vecQueries.size());
    // Only the VQASCII steps of 0xFE and 0xFF accept the reply: two records, both at 01.
    ASSERT_EQ(2u, pList->m_dwCount.load());
    EXPECT_STREQ("[01H] 4652 (VQASCII)", pList->m_astModule[0].m_achListText);
    EXPECT_STREQ("[01H] 4652 (VQASCII)", pList->m_astModule[1].m_achListText);
}

TEST(SearchScan, SameAddressInEveryProtocolListedInOrder)
{
    std::unique_ptr<ModuleList> pList(new ModuleList());
    fnScanStart(*pList, 0x01);
    const Bytes avecReplies[] = {
        {'!', '0', '1', '4', '6', '5', '2', '\r'},
        {'!', '0', '1', '4', '6', '5', '2', '5', '3', '\r'},
        {0x01, 0x46, 0x00, 0x00, 0x46, 0x52, 0x03, 0x99, 0xD2},
    };
    for (const Bytes& vecReply : avecReplies)
    {
        EXPECT_EQ(ScanReplyAdded,
                  fnScanReply(*pList, vecReply.data(), static_cast<uint32_t>(vecReply.size())));
        fnScanAdvance(*pList);
    }
    ASSERT_EQ(3u, pList->m_dwCount.load());
    EXPECT_STREQ("[01H] 4652 (VQASCII)", pList->m_astModule[0].m_achListText);
    EXPECT_STREQ("[01H] 4652 (VQASCII-CHK)", pList->m_astModule[1].m_achListText);
    EXPECT_STREQ("[01H] 4652GD (Modbus RTU)", pList->m_astModule[2].m_achListText);
}

TEST(SearchScan, StopsWhenTheListIsFull)
{
    std::unique_ptr<ModuleList> pList(new ModuleList());
    // A bus where every address answers every protocol: only possible through a reply that fits
    // each parser in turn, so feed the matching reply per protocol.
    fnScanStart(*pList, 0x00);
    const Bytes avecReplies[] = {
        {'!', '0', '1', '4', '6', '5', '2', '\r'},
        {'!', '0', '1', '4', '6', '5', '2', '5', '3', '\r'},
        {0x01, 0x46, 0x00, 0x00, 0x46, 0x52, 0x03, 0x99, 0xD2},
    };
    uint32_t dwQueries = 0;
    do
    {
        const Bytes& vecReply = avecReplies[pList->m_dwScanProtocol - 1];
        fnScanReply(*pList, vecReply.data(), static_cast<uint32_t>(vecReply.size()));
        ++dwQueries;
    } while (!fnScanListFull(*pList) && fnScanAdvance(*pList) && dwQueries < 1000);
    EXPECT_EQ(768u, dwQueries);
    EXPECT_EQ(MODULE_LIST_MAX, pList->m_dwCount.load());
    EXPECT_EQ(ScanReplyIgnored, fnScanReply(*pList, avecReplies[0].data(), 8));
    EXPECT_EQ(MODULE_LIST_MAX, pList->m_dwCount.load());
}

} // namespace
