// Trend history: scaling to pixels, the shift order the drawing relies on, the point-count
// cap and the base lines of the two areas.
#include "io/TrendHistory.h"
#include "io/TrendLayout.h"

#include <gtest/gtest.h>

#include <memory>
#include <thread>

namespace
{
void fnPushAll(TrendHistory& st, float fValue)
{
    float afValue[ANALOG_CHANNELS];
    for (float& f : afValue)
    {
        f = fValue;
    }
    st.PushTrendSamples(afValue);
}
} // namespace

TEST(IoTrend, ScalingOfSamples)
{
    struct Row
    {
        float fValue;
        int32_t nHeight;
    } astRows[] = {
        {4.0f, 32},     {20.0f, 160}, {12.345f, 98}, {25.0f, 200}, {26.25f, 210}, {30.0f, 210},
        {65.535f, 210}, {0.0f, 0},    {0.124f, 0},   {0.125f, 1},  {-1.0f, 0},
    };
    for (const Row& r : astRows)
    {
        EXPECT_EQ(r.nHeight, TrendHistory::fnScale(r.fValue)) << r.fValue;
    }
}

TEST(IoTrend, NewestSampleIsAtTheRightEdge)
{
    auto pst = std::make_unique<TrendHistory>(AnalogModel4637);
    fnPushAll(*pst, 4.0f);
    fnPushAll(*pst, 20.0f);
    EXPECT_EQ(2, pst->fnPointCount(0));
    EXPECT_EQ(160, pst->fnHeight(0, 0));
    EXPECT_EQ(32, pst->fnHeight(0, 1));
    const TrendSegment st0 = pst->fnSegment(0, 0);
    EXPECT_EQ(360, st0.m_nX0);
    EXPECT_EQ(210 - 160, st0.m_nY0);
    EXPECT_EQ(359, st0.m_nX1);
    EXPECT_EQ(210 - 32, st0.m_nY1);
}

TEST(IoTrend, PointCountStopsAt360AndOldSamplesScrollOut)
{
    auto pst = std::make_unique<TrendHistory>(AnalogModel4637);
    fnPushAll(*pst, 10.0f); // 80 px: the oldest sample
    for (int i = 0; i < 360; ++i)
    {
        fnPushAll(*pst, 5.0f); // 40 px
    }
    EXPECT_EQ(360, pst->fnPointCount(7));
    EXPECT_EQ(80, pst->fnHeight(7, 360)); // still the far end of the last segment
    fnPushAll(*pst, 5.0f);
    EXPECT_EQ(360, pst->fnPointCount(7));
    EXPECT_EQ(40, pst->fnHeight(7, 360));
    const TrendSegment stLast = pst->fnSegment(7, 359);
    EXPECT_EQ(1, stLast.m_nX0);
    EXPECT_EQ(0, stLast.m_nX1);
}

TEST(IoTrend, BaseLinesPerModel)
{
    auto p4624 = std::make_unique<TrendHistory>(AnalogModel4624);
    auto p4637 = std::make_unique<TrendHistory>(AnalogModel4637);
    for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
    {
        EXPECT_EQ(k < 4 ? 210 : 435, p4624->fnBaseLine(k)) << k;
        EXPECT_EQ(210, p4637->fnBaseLine(k)) << k;
    }
}

TEST(IoTrend, ResetShowsAllAndRestartsTracesButKeepsHeights)
{
    auto pst = std::make_unique<TrendHistory>(AnalogModel4624);
    fnPushAll(*pst, 4.0f);
    pst->fnSetPlot(1, false);
    EXPECT_FALSE(pst->fnIsPlotted(1));
    EXPECT_TRUE(pst->fnIsPlotted(5));
    pst->ResetTrend();
    for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
    {
        EXPECT_TRUE(pst->fnIsPlotted(k));
        EXPECT_EQ(0, pst->fnPointCount(k));
    }
    EXPECT_EQ(32, pst->fnHeight(0, 0));
}

TEST(IoTrend, DrawingWhilePushingSeesOnlyHeightsThatWerePushed)
{
    // A draw may overlap a push; every height it reads must be one that was stored.
    auto pst = std::make_unique<TrendHistory>(AnalogModel4637);
    std::atomic<bool> bDone(false);
    std::thread rx(
        [&]
        {
            for (int i = 0; i < 2000; ++i)
            {
                fnPushAll(*pst, (i & 1) ? 4.0f : 20.0f);
            }
            bDone = true;
        });
    bool bBad = false;
    while (!bDone)
    {
        for (int32_t i = 0; i < pst->fnPointCount(3); ++i)
        {
            const int32_t nHeight = pst->fnHeight(3, i);
            bBad = bBad || (nHeight != 0 && nHeight != 32 && nHeight != 160);
        }
    }
    rx.join();
    EXPECT_FALSE(bBad);
}
