// The trend chart of the analog IO windows. DrawTrend runs on the receive worker after each
// sample and on the window thread after a plot box click; WM_PAINT draws only the static parts.
// Every pen, brush, bitmap and memory DC made here is selected out and deleted in the same call.
#include "io/TrendChart.h"

#include <cstring>

namespace
{
COLORREF fnColour(const TrendRgb& stRgb)
{
    return RGB(stRgb.m_byRed, stRgb.m_byGreen, stRgb.m_byBlue);
}

// Fills (left, top, right, bottom) with pen and brush of one colour.
void fnFillRect(HDC hDC, const TrendRect& stRect, COLORREF crColour)
{
    HPEN hPen = CreatePen(PS_SOLID, 1, crColour);
    HBRUSH hBrush = CreateSolidBrush(crColour);
    HGDIOBJ hOldPen = SelectObject(hDC, hPen);
    HGDIOBJ hOldBrush = SelectObject(hDC, hBrush);
    Rectangle(hDC, stRect.m_nLeft, stRect.m_nTop, stRect.m_nRight, stRect.m_nBottom);
    SelectObject(hDC, hOldBrush);
    SelectObject(hDC, hOldPen);
    DeleteObject(hBrush);
    DeleteObject(hPen);
}

void fnDrawGrid(HDC hDC, const TrendArea& stArea)
{
    HPEN hPen = CreatePen(PS_SOLID, 1, fnColour(TREND_GRID_COLOUR));
    HGDIOBJ hOldPen = SelectObject(hDC, hPen);
    const int32_t nBase = stArea.m_nTop + stArea.m_nHeight;
    for (uint32_t k = 1; k <= TREND_GRID_LINES; ++k)
    {
        const int32_t nY = nBase - static_cast<int32_t>(k) * TREND_GRID_STEP;
        MoveToEx(hDC, stArea.m_nLeft, nY, NULL);
        LineTo(hDC, stArea.m_nLeft + stArea.m_nWidth, nY);
    }
    SelectObject(hDC, hOldPen);
    DeleteObject(hPen);
}

void fnDrawChannel(HDC hDC, const TrendHistory& stTrend, uint32_t dwChannel, COLORREF crColour)
{
    HPEN hPen = CreatePen(PS_SOLID, 1, crColour);
    HGDIOBJ hOldPen = SelectObject(hDC, hPen);
    const int32_t nCount = stTrend.fnPointCount(dwChannel);
    for (int32_t i = 0; i < nCount; ++i)
    {
        const TrendSegment stSeg = stTrend.fnSegment(dwChannel, i);
        MoveToEx(hDC, stSeg.m_nX0, stSeg.m_nY0, NULL);
        LineTo(hDC, stSeg.m_nX1, stSeg.m_nY1);
    }
    SelectObject(hDC, hOldPen);
    DeleteObject(hPen);
}
} // namespace

void DrawChartFrame(HDC hDC, const TrendArea* pstAreas, uint32_t dwCount)
{
    for (uint32_t i = 0; i < dwCount; ++i)
    {
        const TrendArea& stArea = pstAreas[i];
        const TrendRect stRect = {stArea.m_nLeft, stArea.m_nTop, stArea.m_nLeft + stArea.m_nWidth,
                                  stArea.m_nTop + stArea.m_nHeight + 1};
        fnFillRect(hDC, stRect, RGB(0, 0, 0));
        fnDrawGrid(hDC, stArea);
    }
}

void DrawChartLegend(HDC hDC, uint32_t dwModel)
{
    const TrendLayout& stLayout = fnTrendLayout(dwModel);
    for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
        fnFillRect(hDC, stLayout.m_astLegend[k], fnColour(stLayout.m_astColour[k]));
}

void DrawChartLabels(HDC hDC, uint32_t dwModel)
{
    const TrendLayout& stLayout = fnTrendLayout(dwModel);
    const int nOldMode = SetBkMode(hDC, TRANSPARENT);
    const COLORREF crOld = SetTextColor(hDC, RGB(0, 0, 0));
    for (uint32_t a = 0; a < stLayout.m_dwAreaCount; ++a)
    {
        for (const TrendLabel& stLabel : stLayout.m_astLabel[a])
            TextOutA(hDC, stLayout.m_nLabelX, stLabel.m_nTop, stLabel.m_pchText,
                     static_cast<int>(strlen(stLabel.m_pchText)));
    }
    SetTextColor(hDC, crOld);
    SetBkMode(hDC, nOldMode);
}

void DrawTrend(HDC hDC, const TrendHistory& stTrend, uint32_t dwModel)
{
    const TrendLayout& stLayout = fnTrendLayout(dwModel);
    HDC hMemDC = CreateCompatibleDC(hDC);
    if (hMemDC == NULL)
        return;
    HBITMAP hBitmap = CreateCompatibleBitmap(hDC, stLayout.m_nImageWidth, stLayout.m_nImageHeight);
    if (hBitmap == NULL)
    {
        DeleteDC(hMemDC);
        return;
    }
    HGDIOBJ hOldBitmap = SelectObject(hMemDC, hBitmap);
    COLORREF crBack = GetPixel(hDC, 1, 1);
    if (crBack == CLR_INVALID)
        crBack = GetSysColor(COLOR_BTNFACE); // the pixel is covered
    fnFillRect(hMemDC, stLayout.m_stImageFill, crBack);
    DrawChartFrame(hMemDC, stLayout.m_astImageArea, stLayout.m_dwAreaCount);
    for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
    {
        if (stTrend.fnIsPlotted(k))
            fnDrawChannel(hMemDC, stTrend, k, fnColour(stLayout.m_astColour[k]));
    }
    const TrendArea& stFirst = stLayout.m_astWindowArea[0];
    BitBlt(hDC, stFirst.m_nLeft, stFirst.m_nTop, stLayout.m_nImageWidth, stLayout.m_nImageHeight,
           hMemDC, 0, 0, SRCCOPY);
    SelectObject(hMemDC, hOldBitmap);
    DeleteObject(hBitmap);
    DeleteDC(hMemDC);
}
