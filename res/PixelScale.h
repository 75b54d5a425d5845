// Pixel sizes of the program's own drawing follow the dialog they are drawn in. They were laid
// out for the template font at 96 dpi, whose dialog base units are 6 x 13 pixels (4 x 8 dialog
// units); a window's own base units (MapDialogRect, so the font and the screen resolution
// together) give the factor on each axis. Base units of 6 x 13 leave every pixel where it was.
#pragma once

#include <cstdint>

struct PixelScale
{
    int32_t m_nBaseX; // pixels per 4 horizontal dialog units
    int32_t m_nBaseY; // pixels per 8 vertical dialog units
};

const PixelScale PIXEL_SCALE_96 = {6, 13};

// A design pixel coordinate or size on each axis, rounded to the nearest pixel (halves away
// from zero, as MulDiv and the dialog manager round).
int32_t fnScaleX(const PixelScale& stScale, int32_t nX);
int32_t fnScaleY(const PixelScale& stScale, int32_t nY);
// The width of a design 1-pixel line: 1 up to half again the design size, then 2, ...
int32_t fnScalePen(const PixelScale& stScale);
