// Where the trend chart of each analog model sits in its IO window, in client pixels, and the
// colour of each channel. Constant tables; the Win32 drawing reads them.
#pragma once

#include "io/AnalogDecode.h"

#include <cstdint>

struct TrendRgb
{
    uint8_t m_byRed, m_byGreen, m_byBlue;
};

struct TrendRect
{
    int32_t m_nLeft, m_nTop, m_nRight, m_nBottom;
};

struct TrendArea
{
    int32_t m_nLeft, m_nTop, m_nWidth, m_nHeight;
};

struct TrendLabel
{
    int32_t m_nTop;
    const char* m_pchText;
};

const uint32_t TREND_LABELS_PER_AREA = 6;
const uint32_t TREND_GRID_LINES = 5; // 40, 80, 120, 160, 200 pixels above the base line
const int32_t TREND_GRID_STEP = 40;

struct TrendLayout
{
    uint32_t m_dwAreaCount;       // 2 for VQ-4624 (current above voltage), 1 for VQ-4637
    TrendArea m_astWindowArea[2]; // chart areas in the window
    TrendArea m_astImageArea[2];  // the same areas in the off-screen image
    int32_t m_nImageWidth;        // off-screen image, copied to m_astWindowArea[0]'s corner
    int32_t m_nImageHeight;
    TrendRect m_stImageFill; // background fill of the image before the areas
    int32_t m_nLabelX;
    TrendLabel m_astLabel[2][TREND_LABELS_PER_AREA];
    TrendRect m_astLegend[ANALOG_CHANNELS];
    TrendRgb m_astColour[ANALOG_CHANNELS];
};

// The layout of an AnalogModel; VQ-4637's for any other value.
const TrendLayout& fnTrendLayout(uint32_t dwModel);

const TrendRgb TREND_GRID_COLOUR = {128, 128, 128};
