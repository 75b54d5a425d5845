// The analog IO windows at the prefix's resolution; scripts/win32-tests runs the *Dpi* tests
// again at 144 dpi. The window paints its chart with its controls hidden, the trend image is
// drawn over it, and the picture is read back: the black chart must clear every control, and
// each channel's legend square must sit just left of its plot box.
#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <climits>
#include <vector>

#include "io/IoDlgAnalog.h"
#include "res/resource.h"
#include "tests/win32/SearchTestSupport.h"

namespace
{
// The client area as 0x00RRGGBB pixels, row by row.
std::vector<DWORD> fnPicture(HWND hDlg, LONG nWidth, LONG nHeight)
{
    std::vector<DWORD> adwPixel(static_cast<size_t>(nWidth * nHeight));
    HDC hDC = GetDC(hDlg);
    HDC hMemDC = CreateCompatibleDC(hDC);
    HBITMAP hBitmap = CreateCompatibleBitmap(hDC, nWidth, nHeight);
    HGDIOBJ hOld = SelectObject(hMemDC, hBitmap);
    BitBlt(hMemDC, 0, 0, nWidth, nHeight, hDC, 0, 0, SRCCOPY);
    SelectObject(hMemDC, hOld);
    BITMAPINFO stInfo = {{sizeof(BITMAPINFOHEADER), nWidth, -nHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0},
                         {}};
    GetDIBits(hMemDC, hBitmap, 0, static_cast<UINT>(nHeight), adwPixel.data(), &stInfo,
              DIB_RGB_COLORS);
    DeleteObject(hBitmap);
    DeleteDC(hMemDC);
    ReleaseDC(hDlg, hDC);
    for (DWORD& dwPixel : adwPixel)
        dwPixel &= 0xFFFFFF;
    return adwPixel;
}

// Grows st (right and bottom exclusive) by the pixels x0 .. x1 - 1 of row y.
void fnAdd(RECT& st, LONG x0, LONG x1, LONG y)
{
    st = {std::min(st.left, x0), std::min(st.top, y), std::max(st.right, x1),
          std::max(st.bottom, y + 1)};
}

BOOL CALLBACK fnHideChild(HWND hChild, LPARAM lParam)
{
    reinterpret_cast<std::vector<RECT>*>(lParam)->push_back(fnRectInParent(hChild));
    return ShowWindow(hChild, SW_HIDE), TRUE;
}

} // namespace

TEST(AnalogDpiTest, ChartClearsEveryControlAndEachSquareSitsBesideItsBox)
{
    const RECT EMPTY = {LONG_MAX, LONG_MAX, LONG_MIN, LONG_MIN};
    struct Row
    {
        int nTemplate;
        DLGPROC pfnProc;
        IOViewAnalog* pstView;
        DWORD adwColour[ANALOG_CHANNELS];
    } const ROWS[] = {
        {IDD_IO_4624,
         DlgProc_ModuleIO_4624,
         &gstIOView_4624,
         {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00}},
        {IDD_IO_4637,
         DlgProc_ModuleIO_4637,
         &gstIOView_4637,
         {0xFF0000, 0x00FF00, 0x0000FF, 0xFFFF00, 0x00FFFF, 0xFF00FF, 0x808000, 0x008080}},
    };
    HDC hScreen = GetDC(NULL);
    const int nDpi = GetDeviceCaps(hScreen, LOGPIXELSY);
    ReleaseDC(NULL, hScreen);
    for (const Row& stRow : ROWS)
    {
        SCOPED_TRACE(testing::Message() << stRow.nTemplate << " at " << nDpi << " dpi");
        HWND hDlg = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(stRow.nTemplate),
                                       NULL, stRow.pfnProc, 0);
        ASSERT_NE(nullptr, hDlg);
        std::vector<RECT> astControl;
        EnumChildWindows(hDlg, fnHideChild, reinterpret_cast<LPARAM>(&astControl));
        SetWindowPos(hDlg, HWND_TOP, 0, 0, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        UpdateWindow(hDlg);
        stRow.pstView->fnRedraw();
        RECT stClient;
        GetClientRect(hDlg, &stClient);
        const LONG nWidth = stClient.right;
        const std::vector<DWORD> adwPixel = fnPicture(hDlg, nWidth, stClient.bottom);
        // The chart: every black run of 100 pixels or more (the labels have none).
        RECT stChart = EMPTY;
        for (LONG y = 0; y < stClient.bottom; ++y)
            for (LONG x = 0, nRun = 0; x <= nWidth; ++x)
            {
                const bool bBlack = x < nWidth && adwPixel[size_t(y * nWidth + x)] == 0;
                if (!bBlack && nRun >= 100)
                    fnAdd(stChart, x - nRun, x, y);
                nRun = bBlack ? nRun + 1 : 0;
            }
        for (const RECT& stControl : astControl)
        {
            RECT stBoth;
            EXPECT_FALSE(IntersectRect(&stBoth, &stChart, &stControl))
                << "a control at " << stControl.left << "," << stControl.top;
        }
        EXPECT_GT(stChart.right, stChart.left) << "no chart";
        for (uint32_t k = 0; k < ANALOG_CHANNELS; ++k)
        {
            // The square: the channel's colour left of its box, one box height above and below.
            const RECT stBox = fnRectInParent(stRow.pstView->m_ahPlot[k]);
            const LONG nHeight = stBox.bottom - stBox.top;
            RECT stSquare = EMPTY;
            for (LONG y = std::max(0L, stBox.top - nHeight); y < stBox.bottom + nHeight; ++y)
                for (LONG x = 0; x < stBox.left; ++x)
                    if (adwPixel[size_t(y * nWidth + x)] == stRow.adwColour[k])
                        fnAdd(stSquare, x, x + 1, y);
            EXPECT_TRUE(stSquare.top >= stBox.top && stSquare.bottom <= stBox.bottom &&
                        stSquare.right <= stBox.left && stSquare.right + nHeight > stBox.left)
                << "CH" << k << " square " << stSquare.left << "," << stSquare.top << " box "
                << stBox.left << "," << stBox.top;
        }
        stRow.pstView->m_hDlg = NULL;
        DestroyWindow(hDlg);
    }
}
