// The Terminal dialog (template 133). Everything the user chooses goes through m_stEdit (the
// controls) and m_stSetting (committed, read by the worker threads); a send composes the frame
// with the portable terminal core and stages it for the transmit thread. The return box is
// written only by the receive thread, from its own working copy of the text: reading the box
// back would give the code page's idea of bytes 0x80-0xFF instead of the bytes that came.
#include "terminal/TerminalDlg.h"

#include <cstdio>
#include <cstring>

#include "res/GbkText.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "terminal/TerminalComm.h"
#include "terminal/TerminalHistory.h"

TerminalDlg gstTerminalDlg;

namespace
{
const UINT GBK_CODE_PAGE = 936;
const int WIDE_COMMAND_MAX = TERMINAL_COMMAND_MAX;
const int WIDE_RETURN_MAX = TERMINAL_RETURN_MAX;

const GbkItemText astLabels[] = {
    {IDC_TERM_LBL_PROTOCOL, TXT_TERM_LABEL_PROTOCOL},
    {IDC_TERM_LBL_COMMAND, TXT_TERM_LABEL_COMMAND},
    {IDC_TERM_APPEND_CHK, TXT_TERM_APPEND_CHK},
    {IDC_TERM_APPEND_CR, TXT_TERM_APPEND_CR},
    {IDC_TERM_APPEND_CRC, TXT_TERM_APPEND_CRC},
    {IDC_TERM_CALC_CRC, TXT_TERM_CALC_CRC},
    {IDC_TERM_SEND, TXT_TERM_SEND},
    {IDC_TERM_CONTINUOUS, TXT_TERM_CONTINUOUS},
    {IDC_TERM_STOP, TXT_TERM_STOP},
    {IDC_TERM_LBL_INTERVAL, TXT_TERM_LABEL_INTERVAL},
    {IDC_TERM_LBL_RETURN, TXT_TERM_LABEL_RETURN},
    {IDC_TERM_CLEAR, TXT_TERM_CLEAR},
    {IDC_TERM_EXIT, TXT_TERM_EXIT},
};

// A control's text as GBK bytes, at most nMax - 1 of them, NUL-terminated.
void fnReadGbk(HWND hCtl, char* pchOut, int nMax)
{
    wchar_t awchText[WIDE_COMMAND_MAX];
    GetWindowTextW(hCtl, awchText, WIDE_COMMAND_MAX);
    char achGbk[WIDE_COMMAND_MAX * 2];
    int n = WideCharToMultiByte(GBK_CODE_PAGE, 0, awchText, -1, achGbk, sizeof(achGbk), NULL, NULL);
    if (n <= 0)
        achGbk[0] = '\0';
    size_t nLen = strlen(achGbk);
    if (nLen > static_cast<size_t>(nMax - 1))
        nLen = static_cast<size_t>(nMax - 1);
    memcpy(pchOut, achGbk, nLen);
    pchOut[nLen] = '\0';
}

void fnSetGbk(HWND hCtl, const char* pchGbk)
{
    wchar_t awchText[WIDE_COMMAND_MAX];
    fnGbkToWide(pchGbk, awchText, WIDE_COMMAND_MAX);
    SetWindowTextW(hCtl, awchText);
}

uint32_t fnChecked(HWND hBox)
{
    return SendMessageW(hBox, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void fnSetChecked(HWND hBox, uint32_t bChecked)
{
    SendMessageW(hBox, BM_SETCHECK, bChecked == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
}

void fnShow(HWND hCtl, bool bShow)
{
    ShowWindow(hCtl, bShow ? SW_SHOW : SW_HIDE);
}

bool fnIsLeadOrTrail(unsigned char ch)
{
    return ch >= 0x81 && ch != 0xFF;
}
} // namespace

TerminalDlg::TerminalDlg()
    : m_hDlg(NULL), m_hProtocol(NULL), m_hCommand(NULL), m_hCrc(NULL), m_hReturn(NULL),
      m_hInterval(NULL), m_hCmdMode(NULL), m_hReturnMode(NULL), m_hAppendChk(NULL),
      m_hAppendCr(NULL), m_hAppendCrc(NULL), m_hCalcCrc(NULL), m_hSend(NULL), m_hContinuous(NULL),
      m_hStop(NULL), m_hClear(NULL),
      m_hExit(NULL), m_aachProtocolName{}, m_achReturnText{}, m_achFrameText{}, m_dwFrameTextLen(0),
      m_dwReturnLen(0), m_dwReturnLines(0), m_bClearReturn(0)
{
    for (uint32_t i = 0; i < TERMINAL_PROTOCOL_COUNT; ++i)
        snprintf(m_aachProtocolName[i], TERMINAL_PROTOCOL_NAME_MAX, "%s",
                 fnTerminalProtocolName(i));
}

void TerminalDlg::fnInit(HWND hDlg)
{
    m_hProtocol = GetDlgItem(hDlg, IDC_TERM_PROTOCOL);
    m_hCommand = GetDlgItem(hDlg, IDC_TERM_COMMAND);
    m_hCrc = GetDlgItem(hDlg, IDC_TERM_CRC);
    m_hInterval = GetDlgItem(hDlg, IDC_TERM_INTERVAL);
    m_hCmdMode = GetDlgItem(hDlg, IDC_TERM_CMD_MODE);
    m_hReturnMode = GetDlgItem(hDlg, IDC_TERM_RETURN_MODE);
    m_hAppendChk = GetDlgItem(hDlg, IDC_TERM_APPEND_CHK);
    m_hAppendCr = GetDlgItem(hDlg, IDC_TERM_APPEND_CR);
    m_hAppendCrc = GetDlgItem(hDlg, IDC_TERM_APPEND_CRC);
    m_hCalcCrc = GetDlgItem(hDlg, IDC_TERM_CALC_CRC);
    m_hSend = GetDlgItem(hDlg, IDC_TERM_SEND);
    m_hContinuous = GetDlgItem(hDlg, IDC_TERM_CONTINUOUS);
    m_hStop = GetDlgItem(hDlg, IDC_TERM_STOP);
    m_hClear = GetDlgItem(hDlg, IDC_TERM_CLEAR);
    m_hExit = GetDlgItem(hDlg, IDC_TERM_EXIT);
    m_hDlg = hDlg;
    fnSetTexts();
    SendMessageW(m_hCommand, CB_LIMITTEXT, TERMINAL_COMMAND_CHARS, 0);
    m_bClearReturn = 1;
    m_hReturn = GetDlgItem(hDlg, IDC_TERM_RETURN);
    SendMessageW(m_hProtocol, CB_RESETCONTENT, 0, 0);
    for (const char* pchName : m_aachProtocolName)
        SendMessageA(m_hProtocol, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pchName));
    m_stEdit = m_stSetting;
    fnShowEdit();
}

void TerminalDlg::fnSetTexts()
{
    HWND hDlg = m_hDlg.load();
    fnSetDlgTextsGbk(hDlg, TXT_TERM_CAPTION, astLabels, sizeof(astLabels) / sizeof(astLabels[0]));
}

void TerminalDlg::fnShowEdit()
{
    SendMessageW(m_hProtocol, CB_SETCURSEL, m_stEdit.m_dwProtocolIndex.load(), 0);
    SendMessageW(m_hCommand, CB_RESETCONTENT, 0, 0);
    for (uint32_t i = 1; i < TERMINAL_SLOTS; ++i)
    {
        wchar_t awchRow[WIDE_COMMAND_MAX];
        fnGbkToWide(m_stEdit.m_aachCommand[i], awchRow, WIDE_COMMAND_MAX);
        SendMessageW(m_hCommand, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(awchRow));
    }
    fnSetGbk(m_hCommand, m_stEdit.m_aachCommand[1]);
    fnSetChecked(m_hAppendChk, m_stEdit.m_bAppendChk);
    fnSetChecked(m_hAppendCr, m_stEdit.m_bAppendCr);
    fnSetChecked(m_hAppendCrc, m_stEdit.m_bAppendCrc);
    char achInterval[16];
    snprintf(achInterval, sizeof(achInterval), "%lu",
             static_cast<unsigned long>(m_stEdit.m_dwIntervalMs.load()));
    SetWindowTextA(m_hInterval, achInterval);
    fnSetRunning(false);
    fnApplyView();
}

// Idle (false) or continuous send running (true).
void TerminalDlg::fnSetRunning(bool bRunning)
{
    EnableWindow(m_hSend, !bRunning);
    EnableWindow(m_hContinuous, !bRunning);
    EnableWindow(m_hInterval, !bRunning);
    EnableWindow(m_hStop, bRunning);
    EnableWindow(m_hProtocol, !bRunning);
    EnableWindow(m_hAppendChk, !bRunning);
    EnableWindow(m_hAppendCr, !bRunning);
    EnableWindow(m_hAppendCrc, !bRunning);
    EnableWindow(m_hCommand, !bRunning);
}

void TerminalDlg::fnApplyView()
{
    TerminalView stView;
    if (!fnTerminalView(m_stEdit.m_dwProtocolIndex.load(), m_stEdit.m_bAppendCrc, &stView))
        return;
    fnShow(m_hAppendChk, stView.m_bShowChk);
    fnShow(m_hAppendCr, stView.m_bShowCr);
    fnShow(m_hAppendCrc, stView.m_bShowCrc);
    fnShow(m_hCalcCrc, stView.m_bShowCrc);
    fnShow(m_hCrc, stView.m_bShowCrc);
    if (stView.m_bShowCrc)
    {
        EnableWindow(m_hCalcCrc, stView.m_bCalcEnabled);
        EnableWindow(m_hCrc, stView.m_bCalcEnabled);
    }
    SetWindowTextA(m_hCmdMode, stView.m_pchModeLabel);
    SetWindowTextA(m_hReturnMode, stView.m_pchModeLabel);
}

void TerminalDlg::fnShowHexError()
{
    fnMessageBoxGbk(m_hDlg.load(), TXT_TERM_HEX_ERROR, TXT_TERMINAL, MB_OK | MB_ICONINFORMATION);
}

void TerminalDlg::fnSend(bool bContinuous)
{
    char achInterval[32];
    GetWindowTextA(m_hInterval, achInterval, sizeof(achInterval));
    if (!fnTerminalIntervalInRange(achInterval))
    {
        // Read as 0 it would send without a pause; nothing is sent.
        fnMessageBoxGbk(m_hDlg.load(), TXT_TERM_INTERVAL_RANGE, TXT_TERMINAL,
                        MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (fnTerminalCompose() == 0)
    {
        fnShowHexError();
        return;
    }
    fnTerminalReadControls();
    fnShowEdit();
    if (bContinuous)
        fnSetRunning(true);
    fnTerminalTrigger(bContinuous ? TerminalSendContinuous : TerminalSendSingle);
}

void TerminalDlg::fnStopSending()
{
    fnSetRunning(false);
    fnTerminalStopSending();
}

void TerminalDlg::fnAppendCrcClicked()
{
    bool bChecked = fnChecked(m_hAppendCrc) == 1;
    EnableWindow(m_hCalcCrc, !bChecked);
    EnableWindow(m_hCrc, !bChecked);
    if (bChecked)
        SetWindowTextA(m_hCrc, "");
}

void TerminalDlg::fnCalcCrcClicked()
{
    SetWindowTextA(m_hCrc, "");
    if (fnTerminalCalcCrc() == 0)
        fnShowHexError();
}

void TerminalDlg::fnProtocolChanged()
{
    fnTerminalReadControls();
    fnTerminalCommit();
    fnApplyView();
}

void TerminalDlg::fnCancel()
{
    fnTerminalEnd();
    fnTerminalReadControls();
    fnTerminalCommit();
    // The receive thread may still deliver one read: it must find no box to write into.
    m_hReturn = NULL;
    HWND hDlg = m_hDlg.exchange(NULL);
    if (hDlg != NULL)
        EndDialog(hDlg, 0);
}

void TerminalDlg::fnCommand(int nId, int nCode)
{
    switch (nId)
    {
    case IDC_TERM_PROTOCOL:
        if (nCode == CBN_SELCHANGE)
            fnProtocolChanged();
        break;
    case IDC_TERM_APPEND_CRC:
        if (nCode == BN_CLICKED)
            fnAppendCrcClicked();
        break;
    case IDC_TERM_CALC_CRC:
        fnCalcCrcClicked();
        break;
    case IDC_TERM_SEND:
        fnSend(false);
        break;
    case IDC_TERM_CONTINUOUS:
        fnSend(true);
        break;
    case IDC_TERM_STOP:
        fnStopSending();
        break;
    case IDOK: // Enter reaches the default button "清 空"
    case IDC_TERM_CLEAR:
        m_bClearReturn = 1;
        break;
    case IDC_TERM_EXIT:
        SendMessageW(m_hDlg.load(), WM_COMMAND, IDCANCEL, 0);
        break;
    case IDCANCEL:
        fnCancel();
        break;
    default:
        break;
    }
}

void fnTerminalReadControls()
{
    TerminalDlg& stDlg = gstTerminalDlg;
    TerminalSetting& stEdit = stDlg.m_stEdit;
    LRESULT lSel = SendMessageW(stDlg.m_hProtocol, CB_GETCURSEL, 0, 0);
    if (lSel >= 0 && static_cast<uint32_t>(lSel) < TERMINAL_PROTOCOL_COUNT)
        stEdit.m_dwProtocolIndex = static_cast<uint32_t>(lSel);
    fnReadGbk(stDlg.m_hCommand, stEdit.m_aachCommand[0], TERMINAL_COMMAND_CHARS + 1);
    fnHistoryInsert(stEdit.m_aachCommand);
    stEdit.m_bAppendChk = fnChecked(stDlg.m_hAppendChk);
    stEdit.m_bAppendCr = fnChecked(stDlg.m_hAppendCr);
    stEdit.m_bAppendCrc = fnChecked(stDlg.m_hAppendCrc);
    char achInterval[32];
    GetWindowTextA(stDlg.m_hInterval, achInterval, sizeof(achInterval));
    stEdit.m_dwIntervalMs = fnTerminalParseInterval(achInterval);
}

void fnTerminalCommit()
{
    gstTerminalDlg.m_stSetting = gstTerminalDlg.m_stEdit;
}

uint32_t fnTerminalCompose()
{
    TerminalDlg& stDlg = gstTerminalDlg;
    fnTerminalReadControls();
    fnTerminalCommit();
    char achText[TERMINAL_COMMAND_MAX];
    fnReadGbk(stDlg.m_hCommand, achText, TERMINAL_COMMAND_CHARS + 1);
    uint8_t abyFrame[TERMINAL_FRAME_MAX];
    uint32_t dwLen = 0;
    if (fnTerminalComposeFrame(stDlg.m_stSetting, achText, abyFrame, &dwLen) == 0)
        return 0;
    memcpy(stDlg.m_achFrameText, abyFrame, dwLen);
    stDlg.m_dwFrameTextLen = dwLen;
    fnTerminalStage(abyFrame, dwLen);
    return 1;
}

uint32_t fnTerminalCalcCrc()
{
    char achText[TERMINAL_COMMAND_MAX];
    fnReadGbk(gstTerminalDlg.m_hCommand, achText, TERMINAL_COMMAND_CHARS + 1);
    char achCrc[TERMINAL_CRC_TEXT_MAX];
    if (fnTerminalCrcText(achText, achCrc) == 0)
        return 0;
    SetWindowTextA(gstTerminalDlg.m_hCrc, achCrc);
    return 1;
}

int fnTerminalTextToWide(const char* pchText, uint32_t dwLen, wchar_t* pwchOut, int nOutChars)
{
    int nOut = 0;
    for (uint32_t i = 0; i < dwLen && nOut < nOutChars - 1; ++i)
    {
        const unsigned char ch = static_cast<unsigned char>(pchText[i]);
        if (ch < 0x80)
        {
            pwchOut[nOut++] = static_cast<wchar_t>(ch);
            continue;
        }
        wchar_t wch = 0;
        if (i + 1 < dwLen && fnIsLeadOrTrail(ch) &&
            fnIsLeadOrTrail(static_cast<unsigned char>(pchText[i + 1])) &&
            MultiByteToWideChar(GBK_CODE_PAGE, MB_ERR_INVALID_CHARS, pchText + i, 2, &wch, 1) == 1)
        {
            pwchOut[nOut++] = wch;
            ++i;
            continue;
        }
        pwchOut[nOut++] = static_cast<wchar_t>(ch);
    }
    pwchOut[nOut] = L'\0';
    return nOut;
}

namespace
{
// Shows the working copy in the return box and scrolls its newest line into view.
void fnShowReturnText(HWND hReturn)
{
    TerminalDlg& stDlg = gstTerminalDlg;
    static wchar_t s_awchText[WIDE_RETURN_MAX]; // the receive thread's alone
    fnTerminalTextToWide(stDlg.m_achReturnText, stDlg.m_dwReturnLen.load(), s_awchText,
                         WIDE_RETURN_MAX);
    SetWindowTextW(hReturn, s_awchText);
    LRESULT lLines = SendMessageW(hReturn, EM_GETLINECOUNT, 0, 0);
    stDlg.m_dwReturnLines = lLines > 0 ? static_cast<uint32_t>(lLines) : 0;
    SendMessageW(hReturn, EM_LINESCROLL, 0, lLines);
}
} // namespace

void fnTerminalShowRx(const uint8_t* pbyData, uint32_t dwCount)
{
    TerminalDlg& stDlg = gstTerminalDlg;
    // The working copy is the box's text: only this thread writes the box (see the header).
    stDlg.m_dwReturnLen = fnTerminalAppendRx(
        stDlg.m_achReturnText, stDlg.m_stSetting.m_dwProtocolIndex.load(), pbyData, dwCount);
    HWND hReturn = stDlg.m_hReturn.load();
    if (hReturn != NULL)
        fnShowReturnText(hReturn);
}

void fnTerminalClearReturn()
{
    TerminalDlg& stDlg = gstTerminalDlg;
    stDlg.m_achReturnText[0] = '\0';
    stDlg.m_dwReturnLen = 0;
    stDlg.m_dwReturnLines = 0;
    HWND hReturn = stDlg.m_hReturn.load();
    if (hReturn != NULL)
        SetWindowTextW(hReturn, L"");
}

INT_PTR CALLBACK TerminalDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    switch (uMsg)
    {
    case WM_INITDIALOG:
        gstTerminalDlg.fnInit(hDlg);
        return TRUE;
    case WM_CTLCOLORSTATIC:
        // The read-only return box on white, like a normal edit field.
        if (reinterpret_cast<HWND>(lParam) == GetDlgItem(hDlg, IDC_TERM_RETURN))
        {
            SetBkColor(reinterpret_cast<HDC>(wParam), RGB(255, 255, 255));
            return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
        }
        return FALSE;
    case WM_COMMAND:
        gstTerminalDlg.fnCommand(LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    default:
        return FALSE;
    }
}

namespace
{
HWND fnViewWindow()
{
    return gstTerminalDlg.m_hDlg.load();
}

uint32_t fnViewIntervalMs()
{
    return gstTerminalDlg.m_stSetting.m_dwIntervalMs.load();
}

bool fnViewTakeClearReturn()
{
    return gstTerminalDlg.m_bClearReturn.exchange(0) != 0;
}
} // namespace

const TerminalWorkerView gstTerminalWorkerView = {fnViewWindow, fnViewIntervalMs, fnTerminalShowRx,
                                                  fnViewTakeClearReturn, fnTerminalClearReturn};
