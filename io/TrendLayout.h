// Where the trend chart of each analog model sits in its IO window and the colour of each
// channel. The chart was laid out in pixels for the template font at 96 dpi; fnTrendLayout maps
// that design through the window's pixel scale, so chart and legend keep their place beside the
// controls at any resolution. Every window coordinate is scaled on its own, and the off-screen
// image is measured from the scaled corner of the first area, so the image lands exactly on the
// areas that WM_PAINT draws.
#pragma once

#include "io/AnalogDecode.h"
#include "res/PixelScale.h"

#include <cstdint>

struct TrendRgb
{
    uint8_t m_byRed, m_byGreen, m_byBlue;
};

struct TrendRect
{
    int32_t m_nLeft, m_nTop, m_nRight, m_nBottom;
};

struct TrendPoint
{
    int32_t m_nX, m_nY;
};

struct TrendLabel
{
    int32_t m_nTop;
    const char* m_pchText;
};

const uint32_t TREND_LABELS_PER_AREA = 6;
const uint32_t TREND_GRID_LINES = 5; // 40, 80, 120, 160, 200 design pixels above the base line
const int32_t TREND_GRID_STEP = 40;

struct TrendLayout
{
    uint32_t m_dwAreaCount; // 2 for VQ-4624 (current above voltage), 1 for VQ-4637
    // Black chart areas in the window, right and bottom exclusive (the base line is inside).
    TrendRect m_astArea[2];
    int32_t m_anGridY[2][TREND_GRID_LINES]; // window y of each area's grid lines
    int32_t m_nPenWidth;                    // grid lines and traces
    TrendRect m_stImage;                    // the off-screen image's place in the window
    TrendRect m_stImageFill;                // its background, in image coordinates
    int32_t m_nLabelX;
    TrendLabel m_astLabel[2][TREND_LABELS_PER_AREA];
    TrendRect m_astLegend[ANALOG_CHANNELS]; // filled squares, right and bottom exclusive
    TrendRgb m_astColour[ANALOG_CHANNELS];
    PixelScale m_stScale;
    TrendPoint m_stDesignOrigin; // the image's corner in design pixels
};

// The layout of an AnalogModel (VQ-4637's for any other value) at a window's pixel scale.
TrendLayout fnTrendLayout(uint32_t dwModel, const PixelScale& stScale);

// A point of the off-screen image given in design pixels (TrendHistory::fnSegment) in the
// scaled image.
TrendPoint fnTrendImagePoint(const TrendLayout& stLayout, int32_t nX, int32_t nY);

const TrendRgb TREND_GRID_COLOUR = {128, 128, 128};
