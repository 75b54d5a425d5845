// Fixed-capacity trend history: a shift register of 361 heights per channel. Shifting (360
// moves per channel per sample) keeps index 0 the newest, which is what the drawing walks.
#include "io/TrendHistory.h"

namespace
{
const int32_t VOLTAGE_BASE_LINE = 435; // the voltage area starts 225 pixels down the image
const std::memory_order RELAXED = std::memory_order_relaxed;
} // namespace

TrendHistory::TrendHistory(uint32_t dwModel) : m_dwModel(dwModel)
{
    for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
    {
        for (int32_t i = 0; i < TREND_HISTORY; ++i)
        {
            m_anHistory[k][i].store(0, RELAXED);
        }
        m_anPointCount[k].store(0, RELAXED);
        m_adwPlot[k].store(1, RELAXED);
    }
}

void TrendHistory::ResetTrend()
{
    for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
    {
        m_adwPlot[k] = 1;
        m_anPointCount[k] = 0;
    }
}

void TrendHistory::PushTrendSamples(const float afValue[ANALOG_CHANNELS])
{
    for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
    {
        std::atomic<int32_t>* pnHistory = m_anHistory[k];
        for (int32_t i = TREND_HISTORY - 1; i >= 1; --i)
        {
            pnHistory[i].store(pnHistory[i - 1].load(RELAXED), RELAXED);
        }
        pnHistory[0].store(fnScale(afValue[k]), RELAXED);
        const int32_t nCount = m_anPointCount[k].load(RELAXED);
        m_anPointCount[k].store(nCount < TREND_WIDTH ? nCount + 1 : TREND_WIDTH, RELAXED);
    }
}

void TrendHistory::fnSetPlot(uint32_t dwChannel, bool bPlot)
{
    if (dwChannel < ANALOG_CHANNELS)
    {
        m_adwPlot[dwChannel] = bPlot ? 1 : 0;
    }
}

bool TrendHistory::fnIsPlotted(uint32_t dwChannel) const
{
    return dwChannel < ANALOG_CHANNELS && m_adwPlot[dwChannel] == 1;
}

int32_t TrendHistory::fnPointCount(uint32_t dwChannel) const
{
    return dwChannel < ANALOG_CHANNELS ? m_anPointCount[dwChannel].load(RELAXED) : 0;
}

int32_t TrendHistory::fnHeight(uint32_t dwChannel, int32_t nIndex) const
{
    if (dwChannel >= ANALOG_CHANNELS || nIndex < 0 || nIndex >= TREND_HISTORY)
    {
        return 0;
    }
    return m_anHistory[dwChannel][nIndex].load(RELAXED);
}

TrendSegment TrendHistory::fnSegment(uint32_t dwChannel, int32_t nIndex) const
{
    const int32_t nBase = fnBaseLine(dwChannel);
    TrendSegment stSegment;
    stSegment.m_nX0 = TREND_WIDTH - nIndex;
    stSegment.m_nY0 = nBase - fnHeight(dwChannel, nIndex);
    stSegment.m_nX1 = TREND_WIDTH - 1 - nIndex;
    stSegment.m_nY1 = nBase - fnHeight(dwChannel, nIndex + 1);
    return stSegment;
}

int32_t TrendHistory::fnBaseLine(uint32_t dwChannel) const
{
    return fnAnalogIsVoltage(m_dwModel, dwChannel) ? VOLTAGE_BASE_LINE : TREND_HEIGHT;
}

int32_t TrendHistory::fnScale(double dValue)
{
    const double dHeight = dValue * TREND_HEIGHT / TREND_FULL_SCALE;
    if (!(dHeight > 0.0))
    {
        return 0; // also NaN
    }
    if (dHeight >= TREND_HEIGHT)
    {
        return TREND_HEIGHT;
    }
    return static_cast<int32_t>(dHeight);
}
