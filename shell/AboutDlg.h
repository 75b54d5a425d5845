// The About box (template 123): the maker's brand in a bold 14-point Verdana, the program's
// name and version, the maker's texts and a gray rule drawn on painting. Main thread only.
#pragma once

#include <windows.h>

#include <commdlg.h>

const int ABOUT_BRAND_POINTS = 14;
const int ABOUT_RULE_Y = 110; // client y of the first of the two rule lines, in pixels
const int ABOUT_RULE_WIDTH = 400;

class AboutBox
{
  public:
    AboutBox();

    HWND m_hDlg;
    HWND m_hBrand;  // control 1010
    HDC m_hPaintDC; // while painting
    HDC m_hBrandDC; // the brand control's, to read its resolution
    CHOOSEFONTA m_stChooseFont;
    LOGFONTA m_stLogFont;
    HFONT m_hBrandFont; // created on initialisation, deleted when the dialog goes

    void fnInit(HWND hDlg);
    void fnPaint();
    void fnRelease();
};

extern AboutBox gstAboutBox;

// Ends with 1 on OK and 0 on Esc or the close box.
INT_PTR CALLBACK AboutDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
