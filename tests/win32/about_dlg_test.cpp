// The About box and the credit window run modally as the main window runs them; a timer in
// their modal loop looks at their font and drawn pixels, then presses a button. The brand
// font must be 14 points at the control's own resolution and must be gone once the box closes.
#include "res/resource.h"
#include "shell/AboutDlg.h"
#include "shell/CreditDlg.h"
#include "tests/win32/SearchTestSupport.h"

#include <gtest/gtest.h>

namespace
{
struct AboutSeen
{
    HWND hDlg = NULL;
    LOGFONTA stFont = {};
    HFONT hFont = NULL;
    int nPixelsPerInch = 0;
    COLORREF aclrRule[4] = {}; // y = 109, 110, 111, 112 at x = 20
    int nInk = 0;              // signature box: black pixels
    int nWhite = 0;            // signature box: white pixels
    int nBoxBackground = 0;    // signature box: pixels of the window background
    WORD wButton = IDOK;
};
AboutSeen g_stSeen;

void fnLookAtAbout()
{
    HWND hDlg = gstAboutBox.m_hDlg;
    g_stSeen.hDlg = hDlg;
    if (hDlg == NULL)
        return;
    UpdateWindow(hDlg);
    HWND hBrand = GetDlgItem(hDlg, IDC_ABOUT_BRAND);
    g_stSeen.hFont = reinterpret_cast<HFONT>(SendMessageA(hBrand, WM_GETFONT, 0, 0));
    GetObjectA(g_stSeen.hFont, sizeof g_stSeen.stFont, &g_stSeen.stFont);
    HDC hBrandDC = GetDC(hBrand);
    g_stSeen.nPixelsPerInch = GetDeviceCaps(hBrandDC, LOGPIXELSY);
    ReleaseDC(hBrand, hBrandDC);
    HDC hDC = GetDC(hDlg);
    for (int i = 0; i < 4; ++i)
        g_stSeen.aclrRule[i] = GetPixel(hDC, 20, 109 + i);
    ReleaseDC(hDlg, hDC);
    PostMessageA(hDlg, WM_COMMAND, g_stSeen.wButton, 0);
}

void fnLookAtCredit()
{
    HWND hDlg = gstCreditWindow.m_hDlg;
    g_stSeen.hDlg = hDlg;
    if (hDlg == NULL)
        return;
    UpdateWindow(hDlg);
    HDC hDC = GetDC(hDlg);
    const COLORREF clrFace = GetSysColor(COLOR_BTNFACE);
    for (int y = CREDIT_SIGNATURE_Y; y < CREDIT_SIGNATURE_Y + CREDIT_SIGNATURE_HEIGHT; ++y)
        for (int x = CREDIT_SIGNATURE_X; x < CREDIT_SIGNATURE_X + CREDIT_SIGNATURE_WIDTH; ++x)
        {
            COLORREF clr = GetPixel(hDC, x, y);
            g_stSeen.nInk += clr == RGB(0, 0, 0);
            g_stSeen.nWhite += clr == RGB(255, 255, 255);
            g_stSeen.nBoxBackground += clr == clrFace;
        }
    ReleaseDC(hDlg, hDC);
    PostMessageA(hDlg, WM_COMMAND, g_stSeen.wButton, 0);
}

INT_PTR fnRun(int nTemplate, DLGPROC pfnProc, LoopTimer::Action pfnLook, WORD wButton)
{
    g_stSeen = AboutSeen();
    g_stSeen.wButton = wButton;
    LoopTimer::Start(300, pfnLook);
    INT_PTR nResult =
        DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(nTemplate), NULL, pfnProc, 0);
    LoopTimer::Cancel();
    return nResult;
}

// OK ends the box with 1, Cancel with 0; each time the brand font is gone afterwards.
TEST(AboutBoxTest, BrandFontGrayRuleAndTheFontReleasedEveryTime)
{
    const struct
    {
        WORD wButton;
        INT_PTR nResult;
    } astRows[] = {{IDOK, 1}, {IDCANCEL, 0}};
    for (const auto& stRow : astRows)
    {
        SCOPED_TRACE(stRow.wButton);
        ASSERT_EQ(fnRun(IDD_ABOUT, AboutDlgProc, fnLookAtAbout, stRow.wButton), stRow.nResult);
        ASSERT_NE(g_stSeen.hDlg, static_cast<HWND>(NULL));
        // 14 points whatever the resolution: -(14 x R / 72), rounded.
        ASSERT_GT(g_stSeen.nPixelsPerInch, 0);
        EXPECT_EQ(g_stSeen.stFont.lfHeight, -MulDiv(14, g_stSeen.nPixelsPerInch, 72));
        EXPECT_EQ(g_stSeen.stFont.lfWeight, 700);
        EXPECT_STREQ(g_stSeen.stFont.lfFaceName, "Verdana");
        EXPECT_FALSE(g_stSeen.stFont.lfItalic || g_stSeen.stFont.lfUnderline);
        // Two gray lines at y = 110 and 111, nothing gray just above or below.
        const bool abGray[4] = {false, true, true, false};
        for (int i = 0; i < 4; ++i)
            EXPECT_EQ(g_stSeen.aclrRule[i] == RGB(128, 128, 128), abGray[i]) << "y = " << 109 + i;
        ASSERT_NE(g_stSeen.hFont, static_cast<HFONT>(NULL));
        EXPECT_EQ(GetObjectType(g_stSeen.hFont), 0u) << "the brand font outlived its box";
        EXPECT_EQ(gstAboutBox.m_hBrandFont, static_cast<HFONT>(NULL));
    }
}

TEST(CreditWindowTest, SignatureIsDrawnThroughItsMaskWithoutAWhiteBox)
{
    ASSERT_EQ(fnRun(IDD_CREDIT, CreditDlgProc, fnLookAtCredit, IDOK), 1);
    ASSERT_NE(g_stSeen.hDlg, static_cast<HWND>(NULL));
    EXPECT_GT(g_stSeen.nInk, 100) << "no signature strokes";
    EXPECT_EQ(g_stSeen.nWhite, 0) << "the image's white background was copied";
    EXPECT_GT(g_stSeen.nBoxBackground, g_stSeen.nInk) << "the window background is gone";
    EXPECT_EQ(fnRun(IDD_CREDIT, CreditDlgProc, fnLookAtCredit, IDCANCEL), 0);
}

} // namespace
