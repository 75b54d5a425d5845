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
        f = fValue;
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
        EXPECT_EQ(r.nHeight, TrendHistory::fnScale(r.fValue)) << r.fValue;
}

TEST(IoTrend, PointCountStopsAt360AndOldSamplesScrollOut)
{
    auto pst = std::make_unique<TrendHistory>(AnalogModel4637);
    fnPushAll(*pst, 10.0f); // 80 px: the oldest sample
    for (int i = 0; i < 360; ++i)
        fnPushAll(*pst, 5.0f); // 40 px
    EXPECT_EQ(360, pst->fnPointCount(7));
    EXPECT_EQ(80, pst->fnHeight(7, 360)); // still the far end of the last segment
    const TrendSegment stOldest = pst->fnSegment(7, 359);
    EXPECT_TRUE(stOldest.m_nY0 == 210 - 40 && stOldest.m_nY1 == 210 - 80);
    fnPushAll(*pst, 5.0f);
    EXPECT_EQ(360, pst->fnPointCount(7));
    EXPECT_EQ(40, pst->fnHeight(7, 360));
    const TrendSegment stLast = pst->fnSegment(7, 359);
    EXPECT_EQ(1, stLast.m_nX0);
    EXPECT_EQ(0, stLast.m_nX1);
}

// At every window scale the off-screen image covers the areas WM_PAINT draws and each trace
// lands inside its own area (VQ-4624: CH4..CH7 in the lower one): full scale on the area's top
// row, zero in its bottom rows, the newest sample at its right edge and the oldest at its left.
TEST(IoTrend, ScaledTracesAndGridStayInsideTheirAreas)
{
    for (uint32_t dwModel : {AnalogModel4624, AnalogModel4637})
    {
        auto pst = std::make_unique<TrendHistory>(dwModel);
        for (const PixelScale& stScale : {PIXEL_SCALE_96, {7, 15}, {9, 19}, {12, 25}})
        {
            SCOPED_TRACE(testing::Message() << dwModel << " at " << stScale.m_nBaseY);
            const TrendLayout st = fnTrendLayout(dwModel, stScale);
            const TrendRect& stImage = st.m_stImage;
            for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
            {
                const TrendRect& stArea = st.m_astArea[k >= 4 && st.m_dwAreaCount == 2 ? 1 : 0];
                EXPECT_TRUE(
                    stImage.m_nLeft <= stArea.m_nLeft && stArea.m_nRight <= stImage.m_nRight &&
                    stImage.m_nTop <= stArea.m_nTop && stArea.m_nBottom <= stImage.m_nBottom);
                const int32_t nBase = pst->fnBaseLine(k);
                const TrendPoint stTop = fnTrendImagePoint(st, TREND_WIDTH, nBase - TREND_HEIGHT);
                const TrendPoint stZero = fnTrendImagePoint(st, 0, nBase);
                EXPECT_EQ(stArea.m_nTop, stImage.m_nTop + stTop.m_nY) << "CH" << k;
                EXPECT_EQ(stArea.m_nRight, stImage.m_nLeft + stTop.m_nX) << "CH" << k;
                EXPECT_EQ(stArea.m_nLeft, stImage.m_nLeft + stZero.m_nX) << "CH" << k;
                EXPECT_NEAR(stArea.m_nBottom - 1.5, stImage.m_nTop + stZero.m_nY, 0.5) << "CH" << k;
            }
        }
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
                fnPushAll(*pst, (i & 1) ? 4.0f : 20.0f);
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
