// GDI drawing of the analog trend chart: legend squares, empty chart areas with their grid,
// axis labels, and the traces, which go into a private memory bitmap first and reach the
// window in one BitBlt. Any thread may draw: each call creates the GDI objects it needs and
// deletes each of them once before it returns, so two threads never share one.
#pragma once

#include <windows.h>

#include <cstdint>

#include "io/TrendHistory.h"
#include "io/TrendLayout.h"

// Black areas (left, top, width, height) with five grey grid lines each.
void DrawChartFrame(HDC hDC, const TrendArea* pstAreas, uint32_t dwCount);
// One filled square per channel, in the channel's colour.
void DrawChartLegend(HDC hDC, uint32_t dwModel);
// The unit labels right of the areas, black on a transparent background.
void DrawChartLabels(HDC hDC, uint32_t dwModel);
// The traces of the plotted channels onto a DC of the IO window.
void DrawTrend(HDC hDC, const TrendHistory& stTrend, uint32_t dwModel);
