// Rounding to the nearest pixel in 64 bits, so that no coordinate of a window can overflow.
#include "res/PixelScale.h"

namespace
{
int32_t fnMulDivRound(int32_t nValue, int32_t nNum, int32_t nDen)
{
    if (nDen <= 0 || nNum <= 0)
        return nValue; // no window measured: keep the design size
    const int64_t llProduct = static_cast<int64_t>(nValue) * nNum;
    const int64_t llHalf = nDen / 2;
    return static_cast<int32_t>(llProduct >= 0 ? (llProduct + llHalf) / nDen
                                               : -((-llProduct + llHalf) / nDen));
}
} // namespace

int32_t fnScaleX(const PixelScale& stScale, int32_t nX)
{
    return fnMulDivRound(nX, stScale.m_nBaseX, PIXEL_SCALE_96.m_nBaseX);
}

int32_t fnScaleY(const PixelScale& stScale, int32_t nY)
{
    return fnMulDivRound(nY, stScale.m_nBaseY, PIXEL_SCALE_96.m_nBaseY);
}

int32_t fnScalePen(const PixelScale& stScale)
{
    const int32_t nWidth = fnScaleY(stScale, 1);
    return nWidth < 1 ? 1 : nWidth;
}
