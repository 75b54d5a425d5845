// GDI drawing of the analog trend chart: legend squares, empty chart areas with their grid,
// axis labels, and the traces, which go into a private memory bitmap first and reach the
// window in one BitBlt. Any thread may draw: each call creates the GDI objects it needs and
// deletes each of them once before it returns, so two threads never share one. All places and
// line widths come from a TrendLayout at the window's pixel scale.
#pragma once

#include <windows.h>

#include <cstdint>

#include "io/TrendHistory.h"
#include "io/TrendLayout.h"

// The black areas with five grey grid lines each, shifted left and up by (nOriginX, nOriginY):
// (0, 0) on the window, the image's corner in the off-screen image.
void DrawChartFrame(HDC hDC, const TrendLayout& stLayout, int32_t nOriginX, int32_t nOriginY);
// One filled square per channel, in the channel's colour.
void DrawChartLegend(HDC hDC, const TrendLayout& stLayout);
// The unit labels right of the areas, black on a transparent background.
void DrawChartLabels(HDC hDC, const TrendLayout& stLayout);
// The traces of the plotted channels onto a DC of the IO window.
void DrawTrend(HDC hDC, const TrendHistory& stTrend, const TrendLayout& stLayout);
