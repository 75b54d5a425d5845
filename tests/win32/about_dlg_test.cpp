// The About box run modally as the main window runs it; a timer in its modal loop takes the
// brand font, then presses a button. The font must be gone once the box closes, whichever way.
#include "res/resource.h"
#include "shell/AboutDlg.h"
#include "tests/win32/SearchTestSupport.h"

#include <gtest/gtest.h>

namespace
{
HFONT g_hFont = NULL;
WORD g_wButton = IDOK;

void fnTakeFontAndClose()
{
    HWND hDlg = gstAboutBox.m_hDlg;
    if (hDlg == NULL)
        return;
    g_hFont = reinterpret_cast<HFONT>(SendDlgItemMessageA(hDlg, IDC_ABOUT_BRAND, WM_GETFONT, 0, 0));
    PostMessageA(hDlg, WM_COMMAND, g_wButton, 0);
}

TEST(AboutBoxTest, TheBrandFontIsReleasedEveryTime)
{
    for (WORD wButton : {IDOK, IDCANCEL})
    {
        SCOPED_TRACE(wButton);
        g_hFont = NULL;
        g_wButton = wButton;
        LoopTimer::Start(300, fnTakeFontAndClose);
        EXPECT_EQ(wButton == IDOK ? 1 : 0,
                  DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_ABOUT), NULL,
                                  AboutDlgProc, 0));
        LoopTimer::Cancel();
        ASSERT_NE(g_hFont, static_cast<HFONT>(NULL));
        EXPECT_EQ(GetObjectType(g_hFont), 0u) << "the brand font outlived its box";
        EXPECT_EQ(gstAboutBox.m_hBrandFont, static_cast<HFONT>(NULL));
    }
}
} // namespace
