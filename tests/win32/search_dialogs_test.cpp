// The two search dialogs built from their templates in-process: the Chinese texts they show,
// which start addresses are accepted, the exact refusal, and the progress dialog's bar, icon
// animation and the stop it gives the search pair however it ends.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>

#include "res/resource.h"
#include "search/ModuleSearch.h"
#include "search/SearchProgressDlg.h"
#include "search/SearchStartDlg.h"
#include "serial/CommTRC.h"
#include "tests/win32/MessageCapture.h"
#include "tests/win32/SearchTestSupport.h"

namespace
{
std::wstring fnText(HWND hWnd)
{
    wchar_t awch[256] = {};
    GetWindowTextW(hWnd, awch, 256);
    return awch;
}

const char* g_pchTyped = "";
MessageCapture* g_pCapture = nullptr;

// Types the text into the address box and presses OK; a refusal leaves the dialog open, so
// then Cancel ends it and the result tells which happened.
void fnTypeAndOk()
{
    HWND hDlg = gstSearchStartDlg.m_hDlg;
    SetDlgItemTextA(hDlg, IDC_SEARCH_START, g_pchTyped);
    SendMessageA(hDlg, WM_COMMAND, IDOK, 0);
    if (IsWindow(hDlg) && g_pCapture->Count() > 0)
        PostMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
}

INT_PTR fnRunStartDialog()
{
    return DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_SEARCH_START), NULL,
                           SearchStartDlgProc, 0);
}
} // namespace

TEST(SearchStartDlgTest, AcceptsOneHexByteAndRefusesAnythingElseWithTheMessage)
{
    struct Row
    {
        const char* pchTyped;
        INT_PTR nResult;
        uint8_t chCommitted;
    };
    const Row astRows[] = {
        {"1f", 1, 0x1F},
        {"  1F  ", 1, 0x1F},
        {"FF", 1, 0xFF},
        {"00", 1, 0x00},
        {"", 0, 0x5A},
        {"1", 0, 0x5A},
        {"100", 0, 0x5A},
        {"1 F", 0, 0x5A},
        {"0x10", 0, 0x5A},
        {"1F 20", 0, 0x5A},
        {"G0", 0, 0x5A},
        {"                1F", 0, 0x5A}, // the pair lies beyond the first 16 positions
    };
    for (const Row& stRow : astRows)
    {
        SCOPED_TRACE(std::string("typed '") + stRow.pchTyped + "'");
        MessageCapture stCapture;
        g_pCapture = &stCapture;
        gstSearchStartDlg.m_chStartAddress = 0x5A;
        g_pchTyped = stRow.pchTyped;
        LoopTimer::Start(10, fnTypeAndOk);
        EXPECT_EQ(stRow.nResult, fnRunStartDialog());
        EXPECT_EQ(stRow.chCommitted, gstSearchStartDlg.m_chStartAddress);
        if (stRow.nResult == 1)
        {
            EXPECT_EQ(0, stCapture.Count());
            continue;
        }
        ASSERT_EQ(1, stCapture.Count());
        CapturedMessage stMsg = stCapture.Last();
        EXPECT_EQ(std::wstring(L"搜索起始地址输入错误！"), stMsg.wsText);
        EXPECT_EQ(std::wstring(L"模块搜索"), stMsg.wsCaption);
        EXPECT_EQ(static_cast<UINT>(MB_ICONINFORMATION), stMsg.uIcon);
        EXPECT_EQ(gstSearchStartDlg.m_hDlg, stMsg.hOwner);
    }
    g_pCapture = nullptr;
}

TEST(SearchStartDlgTest, ShowsItsTextsAndOffersTheLastStartAddress)
{
    gstSearchStartDlg.m_chStartAddress = 0x3C;
    HWND hDlg = CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_SEARCH_START), NULL,
                                   SearchStartDlgProc, 0);
    ASSERT_NE(hDlg, (HWND)NULL);
    EXPECT_EQ(std::wstring(L"模块搜索"), fnText(hDlg));
    EXPECT_EQ(std::wstring(L"输入从00到FF的搜索起始地址(HEX格式)"),
              fnText(GetDlgItem(hDlg, IDC_SEARCH_PROMPT)));
    EXPECT_EQ(std::wstring(L"确定"), fnText(GetDlgItem(hDlg, IDOK)));
    EXPECT_EQ(std::wstring(L"取消"), fnText(GetDlgItem(hDlg, IDCANCEL)));
    EXPECT_EQ(std::wstring(L"3C"), fnText(GetDlgItem(hDlg, IDC_SEARCH_START)));
    SendMessageA(hDlg, WM_COMMAND, IDCANCEL, 0);
    EXPECT_EQ(0x3C, gstSearchStartDlg.m_chStartAddress);
    DestroyWindow(hDlg);
}

TEST(SearchProgressDlgTest, TextsBarRangeAnimationAndTheStopOnEveryEnding)
{
    struct Row
    {
        uint8_t chStart;
        WPARAM wCommand;
    };
    const Row astRows[] = {{0x3C, IDOK}, {0x00, IDCANCEL}, {0xFF, IDOK}};
    for (const Row& stRow : astRows)
    {
        SCOPED_TRACE(static_cast<int>(stRow.chStart));
        gstModuleSearch.m_chStartAddress = stRow.chStart;
        gstModuleSearch.m_bScanOver = 0;
        gstCommTRCModuleSearch.m_stTx.m_bRun = 1;
        gstCommTRCModuleSearch.m_stRx.m_bRun = 1;
        HWND hDlg =
            CreateDialogParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_SEARCH_PROGRESS), NULL,
                               SearchProgressDlgProc, 0);
        ASSERT_NE(hDlg, (HWND)NULL);
        EXPECT_EQ(hDlg, gstSearchProgressDlg.m_hDlg.load());
        EXPECT_EQ(std::wstring(L"模块搜索信息"), fnText(hDlg));
        EXPECT_EQ(std::wstring(L"当前搜索地址(Hex):"), fnText(GetDlgItem(hDlg, IDC_SEARCH_LABEL)));
        EXPECT_EQ(std::wstring(L"停止"), fnText(GetDlgItem(hDlg, IDOK)));
        EXPECT_EQ(std::wstring(L"00"), fnText(GetDlgItem(hDlg, IDC_SEARCH_ADDRESS)));
        EXPECT_EQ(0, GetWindowLongA(hDlg, GWL_STYLE) & WS_SYSMENU) << "no close box";
        HWND hBar = GetDlgItem(hDlg, IDC_SEARCH_PROGRESS);
        EXPECT_EQ(0, SendMessageA(hBar, PBM_GETRANGE, TRUE, 0));
        EXPECT_EQ(0xFF - stRow.chStart, SendMessageA(hBar, PBM_GETRANGE, FALSE, 0));

        // Two timer periods: at least one new frame of the animation.
        HWND hIcon = GetDlgItem(hDlg, IDC_SEARCH_ICON);
        LRESULT nFirst = SendMessageA(hIcon, STM_GETICON, 0, 0);
        DWORD dwStart = GetTickCount();
        while (GetTickCount() - dwStart < 1300)
        {
            MSG stMsg;
            while (PeekMessageA(&stMsg, NULL, 0, 0, PM_REMOVE))
                DispatchMessageA(&stMsg);
            Sleep(10);
        }
        EXPECT_NE(nFirst, SendMessageA(hIcon, STM_GETICON, 0, 0));
        EXPECT_NE(0, SendMessageA(hIcon, STM_GETICON, 0, 0));

        SendMessageA(hDlg, WM_COMMAND, stRow.wCommand, 0);
        EXPECT_EQ(nullptr, gstSearchProgressDlg.m_hDlg.load());
        EXPECT_EQ(0u, gstCommTRCModuleSearch.m_stTx.m_bRun.load());
        EXPECT_EQ(0u, gstCommTRCModuleSearch.m_stRx.m_bRun.load());
        DestroyWindow(hDlg);
    }
}

TEST(SearchProgressDlgTest, AScanThatEndedBeforeTheDialogCameUpStillClosesIt)
{
    gstModuleSearch.m_chStartAddress = 0xFF;
    gstModuleSearch.m_bScanOver = 1;
    DWORD dwStart = GetTickCount();
    EXPECT_EQ(1, DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_SEARCH_PROGRESS),
                                 NULL, SearchProgressDlgProc, 0));
    EXPECT_LE(GetTickCount() - dwStart, 1000u);
    gstModuleSearch.m_bScanOver = 0;
}
