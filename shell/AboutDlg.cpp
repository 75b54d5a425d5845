// The About box runs modally on the main thread. On initialisation it sets its texts, sizes the
// brand font from the brand control's own vertical resolution so that it is 14 points on any
// screen, and on painting draws a two-pixel gray rule; every GDI object it makes is released
// within the message that needs it, except the brand font, which lives until the dialog goes.
#include "shell/AboutDlg.h"

#include "res/GbkText.h"
#include "res/Texts.h"
#include "res/Version.h"
#include "res/resource.h"
#include "shell/DialogEnd.h"

AboutBox gstAboutBox;

namespace
{
const char BRAND_TEXT[] = "VQSYS";
const char VERSION_TEXT[] = VQ_VERSION_TITLE;
const char COMPANY_TEXT[] = "VQ Systems Automation Co., Ltd.";
const char NOTICE_TEXT[] = "Copyright (C) 2023 VQ Systems";
const char WEB1_TEXT[] = "www.vqsys.example";
const char WEB2_TEXT[] = "help.vqsys.example";
const char BRAND_FACE[] = "Verdana";

const DWORD CHOOSE_FONT_FLAGS = CF_SCREENFONTS | CF_INITTOLOGFONTSTRUCT | CF_EFFECTS; // 0x141
const COLORREF RULE_COLOR = RGB(128, 128, 128);
const int POINTS_PER_INCH = 72;

LOGFONTA fnBrandLogFont()
{
    LOGFONTA stFont = {};
    stFont.lfWeight = FW_BOLD;
    stFont.lfCharSet = ANSI_CHARSET;
    stFont.lfOutPrecision = OUT_DEFAULT_PRECIS;
    stFont.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    stFont.lfQuality = DEFAULT_QUALITY;
    stFont.lfPitchAndFamily = DEFAULT_PITCH;
    lstrcpynA(stFont.lfFaceName, BRAND_FACE, LF_FACESIZE);
    return stFont;
}
} // namespace

AboutBox::AboutBox()
    : m_hDlg(NULL), m_hBrand(NULL), m_hPaintDC(NULL), m_hBrandDC(NULL), m_stChooseFont(),
      m_stLogFont(fnBrandLogFont()), m_hBrandFont(NULL)
{
    m_stChooseFont.lStructSize = sizeof m_stChooseFont;
    m_stChooseFont.lpLogFont = &m_stLogFont;
    m_stChooseFont.iPointSize = ABOUT_BRAND_POINTS * 10; // in tenths of a point
    m_stChooseFont.Flags = CHOOSE_FONT_FLAGS;
}

void AboutBox::fnInit(HWND hDlg)
{
    m_hDlg = hDlg;
    fnSetWindowTextGbk(hDlg, TXT_ABOUT);
    SetDlgItemTextA(hDlg, IDC_ABOUT_BRAND, BRAND_TEXT);
    SetDlgItemTextA(hDlg, IDC_ABOUT_VERSION, VERSION_TEXT);
    SetDlgItemTextA(hDlg, IDC_ABOUT_COMPANY, COMPANY_TEXT);
    SetDlgItemTextA(hDlg, IDC_ABOUT_NOTICE, NOTICE_TEXT);
    SetDlgItemTextA(hDlg, IDC_ABOUT_WEB1, WEB1_TEXT);
    SetDlgItemTextA(hDlg, IDC_ABOUT_WEB2, WEB2_TEXT);
    fnSetDlgItemTextGbk(hDlg, IDOK, TXT_OK);

    m_hBrand = GetDlgItem(hDlg, IDC_ABOUT_BRAND);
    m_hBrandDC = GetDC(m_hBrand);
    const int nPixelsPerInch = GetDeviceCaps(m_hBrandDC, LOGPIXELSY);
    ReleaseDC(m_hBrand, m_hBrandDC);
    m_hBrandDC = NULL;

    m_stLogFont.lfHeight = -MulDiv(ABOUT_BRAND_POINTS, nPixelsPerInch, POINTS_PER_INCH);
    if (m_hBrandFont != NULL)
        DeleteObject(m_hBrandFont);
    m_hBrandFont = CreateFontIndirectA(&m_stLogFont);
    SendMessageA(m_hBrand, WM_SETFONT, reinterpret_cast<WPARAM>(m_hBrandFont), TRUE);
}

void AboutBox::fnPaint()
{
    PAINTSTRUCT stPaint;
    m_hPaintDC = BeginPaint(m_hDlg, &stPaint);
    HPEN hPen = CreatePen(PS_SOLID, 1, RULE_COLOR);
    HGDIOBJ hOldPen = SelectObject(m_hPaintDC, hPen);
    for (int y = ABOUT_RULE_Y; y <= ABOUT_RULE_Y + 1; ++y)
    {
        MoveToEx(m_hPaintDC, 0, y, NULL);
        LineTo(m_hPaintDC, ABOUT_RULE_WIDTH, y);
    }
    SelectObject(m_hPaintDC, hOldPen);
    DeleteObject(hPen);
    EndPaint(m_hDlg, &stPaint);
    m_hPaintDC = NULL;
}

// The brand control lets go of the font before it is deleted.
void AboutBox::fnRelease()
{
    if (m_hBrand != NULL)
        SendMessageA(m_hBrand, WM_SETFONT, 0, FALSE);
    if (m_hBrandFont != NULL)
        DeleteObject(m_hBrandFont);
    m_hBrandFont = NULL;
    m_hBrand = NULL;
    m_hDlg = NULL;
}

INT_PTR CALLBACK AboutDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM)
{
    switch (uMsg)
    {
    case WM_INITDIALOG:
        gstAboutBox.fnInit(hDlg);
        return TRUE;
    case WM_PAINT:
        gstAboutBox.fnPaint();
        return TRUE;
    case WM_DESTROY:
        gstAboutBox.fnRelease();
        return FALSE;
    case WM_COMMAND:
        return fnEndOnOkCancel(hDlg, wParam);
    default:
        return FALSE;
    }
}
