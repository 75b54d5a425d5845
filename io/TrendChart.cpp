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

void fnDrawGrid(HDC hDC, const TrendLayout& stLayout, uint32_t dwArea, int32_t nDx, int32_t nDy)
{
    HPEN hPen = CreatePen(PS_SOLID, stLayout.m_nPenWidth, fnColour(TREND_GRID_COLOUR));
    HGDIOBJ hOldPen = SelectObject(hDC, hPen);
    const TrendRect& stArea = stLayout.m_astArea[dwArea];
    for (int32_t nY : stLayout.m_anGridY[dwArea])
    {
        MoveToEx(hDC, stArea.m_nLeft - nDx, nY - nDy, NULL);
        LineTo(hDC, stArea.m_nRight - nDx, nY - nDy);
    }
    SelectObject(hDC, hOldPen);
    DeleteObject(hPen);
}

void fnDrawChannel(HDC hDC, const TrendHistory& stTrend, const TrendLayout& stLayout,
                   uint32_t dwChannel)
{
    HPEN hPen =
        CreatePen(PS_SOLID, stLayout.m_nPenWidth, fnColour(stLayout.m_astColour[dwChannel]));
    HGDIOBJ hOldPen = SelectObject(hDC, hPen);
    const int32_t nCount = stTrend.fnPointCount(dwChannel);
    for (int32_t i = 0; i < nCount; ++i)
    {
        const TrendSegment stSeg = stTrend.fnSegment(dwChannel, i);
        const TrendPoint stFrom = fnTrendImagePoint(stLayout, stSeg.m_nX0, stSeg.m_nY0);
        const TrendPoint stTo = fnTrendImagePoint(stLayout, stSeg.m_nX1, stSeg.m_nY1);
        MoveToEx(hDC, stFrom.m_nX, stFrom.m_nY, NULL);
        LineTo(hDC, stTo.m_nX, stTo.m_nY);
    }
    SelectObject(hDC, hOldPen);
    DeleteObject(hPen);
}
} // namespace

void DrawChartFrame(HDC hDC, const TrendLayout& stLayout, int32_t nOriginX, int32_t nOriginY)
{
    for (uint32_t a = 0; a < stLayout.m_dwAreaCount; ++a)
    {
        const TrendRect& stArea = stLayout.m_astArea[a];
        const TrendRect stRect = {stArea.m_nLeft - nOriginX, stArea.m_nTop - nOriginY,
                                  stArea.m_nRight - nOriginX, stArea.m_nBottom - nOriginY};
        fnFillRect(hDC, stRect, RGB(0, 0, 0));
        fnDrawGrid(hDC, stLayout, a, nOriginX, nOriginY);
    }
}

void DrawChartLegend(HDC hDC, const TrendLayout& stLayout)
{
    for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
        fnFillRect(hDC, stLayout.m_astLegend[k], fnColour(stLayout.m_astColour[k]));
}

void DrawChartLabels(HDC hDC, const TrendLayout& stLayout)
{
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

void DrawTrend(HDC hDC, const TrendHistory& stTrend, const TrendLayout& stLayout)
{
    const TrendRect& stImage = stLayout.m_stImage;
    const int32_t nWidth = stImage.m_nRight - stImage.m_nLeft;
    const int32_t nHeight = stImage.m_nBottom - stImage.m_nTop;
    HDC hMemDC = CreateCompatibleDC(hDC);
    if (hMemDC == NULL)
        return;
    HBITMAP hBitmap = CreateCompatibleBitmap(hDC, nWidth, nHeight);
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
    DrawChartFrame(hMemDC, stLayout, stImage.m_nLeft, stImage.m_nTop);
    for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
    {
        if (stTrend.fnIsPlotted(k))
            fnDrawChannel(hMemDC, stTrend, stLayout, k);
    }
    BitBlt(hDC, stImage.m_nLeft, stImage.m_nTop, nWidth, nHeight, hMemDC, 0, 0, SRCCOPY);
    SelectObject(hMemDC, hOldBitmap);
    DeleteObject(hBitmap);
    DeleteDC(hMemDC);
}
