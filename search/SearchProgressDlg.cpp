// The progress dialog of the search (template 131): address, bar, a four-frame animation and
// Stop. The main thread owns it; the search's transmit thread reads the atomic handles to
// update it and sends it IDOK at the end of the scan. However the dialog ends, it clears its
// handles first and stops both search threads, so no thread touches a dead window and no
// second search can meet a pair that still runs.
#include "search/SearchProgressDlg.h"

#include <commctrl.h>

#include "res/GbkText.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "search/ModuleSearch.h"
#include "search/SearchScan.h"
#include "serial/CommLife.h"

SearchProgressDlg gstSearchProgressDlg;

namespace
{
const UINT_PTR ANIMATION_TIMER_ID = 2;
const UINT ANIMATION_PERIOD_MS = 600;

void fnEnsureProgressClass()
{
    static std::atomic<uint32_t> s_bDone{0};
    if (s_bDone.load() != 0)
        return;
    INITCOMMONCONTROLSEX stInit = {sizeof(stInit), ICC_PROGRESS_CLASS};
    if (InitCommonControlsEx(&stInit))
        s_bDone = 1;
}
} // namespace

SearchProgressDlg::SearchProgressDlg()
    : m_hDlg(NULL), m_hIcon(NULL), m_hAddress(NULL), m_hProgress(NULL), m_uTimerId(0),
      m_dwIconNumber(IDI_SEARCH_FRAME0)
{
}

void SearchProgressDlg::fnInit(HWND hDlg)
{
    m_hIcon = GetDlgItem(hDlg, IDC_SEARCH_ICON);
    m_hAddress = GetDlgItem(hDlg, IDC_SEARCH_ADDRESS);
    m_hProgress = GetDlgItem(hDlg, IDC_SEARCH_PROGRESS);
    fnSetWindowTextGbk(hDlg, TXT_SEARCH_PROGRESS_CAPTION);
    fnSetDlgItemTextGbk(hDlg, IDC_SEARCH_LABEL, TXT_SEARCH_CURRENT_ADDRESS);
    fnSetDlgItemTextGbk(hDlg, IDOK, TXT_STOP);
    m_uTimerId = SetTimer(hDlg, ANIMATION_TIMER_ID, ANIMATION_PERIOD_MS, NULL);
    m_dwIconNumber = IDI_SEARCH_FRAME0;
    uint32_t dwRange = fnScanProgressRange(gstModuleSearch.m_chStartAddress);
    SendMessageA(m_hProgress.load(), PBM_SETRANGE32, 0, dwRange);
    // The dialog handle last: the transmit thread takes it as the sign that the dialog is up.
    m_hDlg = hDlg;
    // A scan that ended before the dialog came up could not close it; do it now.
    if (gstModuleSearch.m_bScanOver.load() != 0)
        PostMessageA(hDlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

void SearchProgressDlg::fnNextIcon()
{
    m_dwIconNumber = m_dwIconNumber >= IDI_SEARCH_FRAME3 ? IDI_SEARCH_FRAME0 : m_dwIconNumber + 1;
    HICON hIcon = LoadIconA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(m_dwIconNumber));
    SendMessageA(m_hIcon.load(), STM_SETICON, reinterpret_cast<WPARAM>(hIcon), 0);
}

void SearchProgressDlg::fnEnd(INT_PTR nResult)
{
    HWND hDlg = m_hDlg.exchange(NULL);
    if (hDlg == NULL)
        return; // already ending: a second IDOK from the scan's end
    m_hAddress = NULL;
    m_hProgress = NULL;
    m_hIcon = NULL;
    KillTimer(hDlg, m_uTimerId);
    fnCommPairStop(gstCommTRCModuleSearch);
    EndDialog(hDlg, nResult);
}

INT_PTR CALLBACK SearchProgressDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM)
{
    fnEnsureProgressClass();
    switch (uMsg)
    {
    case WM_INITDIALOG:
        gstSearchProgressDlg.fnInit(hDlg);
        return TRUE;
    case WM_TIMER:
        gstSearchProgressDlg.fnNextIcon();
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK)
            gstSearchProgressDlg.fnEnd(1);
        else if (LOWORD(wParam) == IDCANCEL)
            gstSearchProgressDlg.fnEnd(0);
        else
            return FALSE;
        return TRUE;
    default:
        return FALSE;
    }
}

namespace
{
HWND fnViewWindow()
{
    return gstSearchProgressDlg.m_hDlg.load();
}

HWND fnViewProgress()
{
    return gstSearchProgressDlg.m_hProgress.load();
}
} // namespace

const SearchWorkerView gstSearchWorkerView = {fnViewWindow, fnViewProgress};
