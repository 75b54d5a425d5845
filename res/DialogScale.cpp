// MapDialogRect of 4 x 8 dialog units is the dialog's base units, font and resolution together,
// rounded as the dialog manager places the controls.
#include "res/DialogScale.h"

PixelScale fnDialogScale(HWND hDlg)
{
    RECT stUnits = {0, 0, 4, 8};
    if (hDlg == NULL || !MapDialogRect(hDlg, &stUnits) || stUnits.right <= 0 || stUnits.bottom <= 0)
        return PIXEL_SCALE_96;
    return PixelScale{static_cast<int32_t>(stUnits.right), static_cast<int32_t>(stUnits.bottom)};
}
