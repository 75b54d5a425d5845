// Chart geometry of the two analog IO windows: the design in 96-dpi pixels and its scaling.
#include "io/TrendLayout.h"

namespace
{
struct TrendArea
{
    int32_t m_nLeft, m_nTop, m_nWidth, m_nHeight;
};

struct TrendDesign
{
    uint32_t m_dwAreaCount;
    TrendArea m_astArea[2];
    int32_t m_nImageWidth; // the image starts at the first area's corner
    int32_t m_nImageHeight;
    TrendRect m_stImageFill;
    int32_t m_nLabelX;
    TrendLabel m_astLabel[2][TREND_LABELS_PER_AREA];
    TrendRect m_astLegend[ANALOG_CHANNELS];
    TrendRgb m_astColour[ANALOG_CHANNELS];
};

const TrendRgb RED = {255, 0, 0};
const TrendRgb GREEN = {0, 255, 0};
const TrendRgb BLUE = {0, 0, 255};
const TrendRgb YELLOW = {255, 255, 0};

const TrendDesign DESIGN_4624 = {
    2,
    {{245, 5, 360, 210}, {245, 230, 360, 210}},
    360,
    436,
    {0, 0, 360, 435},
    607,
    {{{8, "25mA"}, {48, "20mA"}, {88, "15mA"}, {128, "10mA"}, {168, "5mA"}, {208, "0mA"}},
     {{232, "25V"}, {272, "20V"}, {312, "15V"}, {352, "10V"}, {392, "5V"}, {432, "0V"}}},
    {{180, 80, 196, 90},
     {180, 101, 196, 111},
     {180, 122, 196, 132},
     {180, 143, 196, 153},
     {180, 304, 196, 314},
     {180, 325, 196, 335},
     {180, 346, 196, 356},
     {180, 367, 196, 377}},
    {RED, GREEN, BLUE, YELLOW, RED, GREEN, BLUE, YELLOW},
};

const TrendDesign DESIGN_4637 = {
    1,
    {{252, 39, 360, 210}, {0, 0, 0, 0}},
    360,
    211,
    {0, 0, 360, 210},
    615,
    {{{41, "25mA"}, {81, "20mA"}, {121, "15mA"}, {161, "10mA"}, {201, "5mA"}, {241, "0mA"}},
     {{0, ""}, {0, ""}, {0, ""}, {0, ""}, {0, ""}, {0, ""}}},
    {{189, 62, 205, 72},
     {189, 85, 205, 95},
     {189, 108, 205, 118},
     {189, 131, 205, 141},
     {189, 154, 205, 164},
     {189, 177, 205, 187},
     {189, 200, 205, 210},
     {189, 223, 205, 233}},
    {RED, GREEN, BLUE, YELLOW, {0, 255, 255}, {255, 0, 255}, {128, 128, 0}, {0, 128, 128}},
};

TrendRect fnScaleRect(const PixelScale& stScale, const TrendRect& stRect)
{
    return TrendRect{fnScaleX(stScale, stRect.m_nLeft), fnScaleY(stScale, stRect.m_nTop),
                     fnScaleX(stScale, stRect.m_nRight), fnScaleY(stScale, stRect.m_nBottom)};
}

// The design area's black fill, from (left, top) to (left + width, top + height + 1).
TrendRect fnAreaRect(const TrendArea& stArea)
{
    return TrendRect{stArea.m_nLeft, stArea.m_nTop, stArea.m_nLeft + stArea.m_nWidth,
                     stArea.m_nTop + stArea.m_nHeight + 1};
}
} // namespace

TrendLayout fnTrendLayout(uint32_t dwModel, const PixelScale& stScale)
{
    const TrendDesign& stDesign = dwModel == AnalogModel4624 ? DESIGN_4624 : DESIGN_4637;
    TrendLayout stLayout = {};
    stLayout.m_dwAreaCount = stDesign.m_dwAreaCount;
    stLayout.m_stScale = stScale;
    const TrendArea& stFirst = stDesign.m_astArea[0];
    stLayout.m_stDesignOrigin = TrendPoint{stFirst.m_nLeft, stFirst.m_nTop};
    for (uint32_t a = 0; a < stDesign.m_dwAreaCount; ++a)
    {
        const TrendArea& stArea = stDesign.m_astArea[a];
        stLayout.m_astArea[a] = fnScaleRect(stScale, fnAreaRect(stArea));
        for (uint32_t k = 0; k < TREND_GRID_LINES; ++k)
            stLayout.m_anGridY[a][k] =
                fnScaleY(stScale, stArea.m_nTop + stArea.m_nHeight -
                                      static_cast<int32_t>(k + 1) * TREND_GRID_STEP);
        for (uint32_t k = 0; k < TREND_LABELS_PER_AREA; ++k)
            stLayout.m_astLabel[a][k] =
                TrendLabel{fnScaleY(stScale, stDesign.m_astLabel[a][k].m_nTop),
                           stDesign.m_astLabel[a][k].m_pchText};
    }
    stLayout.m_nPenWidth = fnScalePen(stScale);
    stLayout.m_stImage = fnScaleRect(stScale, TrendRect{stFirst.m_nLeft, stFirst.m_nTop,
                                                        stFirst.m_nLeft + stDesign.m_nImageWidth,
                                                        stFirst.m_nTop + stDesign.m_nImageHeight});
    const TrendPoint stFillFrom =
        fnTrendImagePoint(stLayout, stDesign.m_stImageFill.m_nLeft, stDesign.m_stImageFill.m_nTop);
    const TrendPoint stFillTo = fnTrendImagePoint(stLayout, stDesign.m_stImageFill.m_nRight,
                                                  stDesign.m_stImageFill.m_nBottom);
    stLayout.m_stImageFill =
        TrendRect{stFillFrom.m_nX, stFillFrom.m_nY, stFillTo.m_nX, stFillTo.m_nY};
    stLayout.m_nLabelX = fnScaleX(stScale, stDesign.m_nLabelX);
    for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
    {
        stLayout.m_astLegend[k] = fnScaleRect(stScale, stDesign.m_astLegend[k]);
        stLayout.m_astColour[k] = stDesign.m_astColour[k];
    }
    return stLayout;
}

TrendPoint fnTrendImagePoint(const TrendLayout& stLayout, int32_t nX, int32_t nY)
{
    const TrendPoint& stOrigin = stLayout.m_stDesignOrigin;
    return TrendPoint{fnScaleX(stLayout.m_stScale, stOrigin.m_nX + nX) - stLayout.m_stImage.m_nLeft,
                      fnScaleY(stLayout.m_stScale, stOrigin.m_nY + nY) - stLayout.m_stImage.m_nTop};
}
