// The pixel scale of a dialog: its own dialog base units, read once when it opens. The program
// is system-DPI aware (see res/dpi-awareness.md), so a window keeps its scale while it is open.
#pragma once

#include <windows.h>

#include "res/PixelScale.h"

// Base units of hDlg through MapDialogRect; PIXEL_SCALE_96 when it cannot be measured.
PixelScale fnDialogScale(HWND hDlg);
