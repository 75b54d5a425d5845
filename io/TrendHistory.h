// The trend history of an analog IO window: per channel the last 360 sample heights in
// pixels (index 0 newest), how many segments to draw and whether the trace is shown, and the
// scaling of a sample to chart coordinates. The window record (gstIOView_4624/_4637) holds
// one; the GDI drawing itself lives in the Win32 layer.
//
// Threading contract: PushTrendSamples runs on the receive worker only; fnSegment and the
// plot flags are read by whichever thread draws (receive worker or window thread);
// ResetTrend and fnSetPlot run on the window thread. Every cell is an atomic word (relaxed),
// so a draw that overlaps a push sees a mix of old and new heights for one frame, never a
// torn value; the next sample redraws it right.
#pragma once

#include "io/AnalogDecode.h"

#include <atomic>
#include <cstdint>

const int32_t TREND_WIDTH = 360;       // samples across an area, one pixel each
const int32_t TREND_HEIGHT = 210;      // pixels of an area; the top stands for 26.25 units
const int32_t TREND_HISTORY = 361;     // heights kept per channel (segments + 1)
const double TREND_FULL_SCALE = 26.25; // units at the top of an area (8 pixels per unit)

struct TrendSegment
{
    int32_t m_nX0, m_nY0; // the newer end
    int32_t m_nX1, m_nY1; // one pixel to the left
};

class TrendHistory
{
  public:
    explicit TrendHistory(uint32_t dwModel); // AnalogModel
    TrendHistory(const TrendHistory&) = delete;
    TrendHistory& operator=(const TrendHistory&) = delete;

    // All plot flags 1, all point counts 0; the heights stay as they are.
    void ResetTrend();

    // Eight values, CH0..CH7, in mA or V: each history shifts by one, the new height goes to
    // entry 0 and the point count grows by one up to 360.
    void PushTrendSamples(const float afValue[ANALOG_CHANNELS]);

    void fnSetPlot(uint32_t dwChannel, bool bPlot);
    bool fnIsPlotted(uint32_t dwChannel) const;
    int32_t fnPointCount(uint32_t dwChannel) const;
    int32_t fnHeight(uint32_t dwChannel, int32_t nIndex) const;

    // Line i (0 .. point count - 1) of a channel's trace in off-screen image coordinates:
    // from (360 - i, B - h[i]) to (359 - i, B - h[i + 1]), B the channel's base line.
    TrendSegment fnSegment(uint32_t dwChannel, int32_t nIndex) const;

    // The base line in the off-screen image: 210, or 435 for the VQ-4624 voltage channels.
    int32_t fnBaseLine(uint32_t dwChannel) const;

    // trunc(value x 210 / 26.25) in double precision, limited to 0..210.
    static int32_t fnScale(double dValue);

  private:
    uint32_t m_dwModel;
    std::atomic<int32_t> m_anHistory[ANALOG_CHANNELS][TREND_HISTORY];
    std::atomic<int32_t> m_anPointCount[ANALOG_CHANNELS];
    std::atomic<uint32_t> m_adwPlot[ANALOG_CHANNELS];
};
