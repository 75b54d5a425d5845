// The start-address dialog (template 130): one hex byte, offered again at the next search. It
// runs on the main thread only; its committed address is read by the search's transmit thread
// after Idm_ModuleSearch has created it.
#include "search/SearchStartDlg.h"

#include "protocol/Codec.h"
#include "res/GbkText.h"
#include "res/Texts.h"
#include "res/resource.h"

SearchStartDlg gstSearchStartDlg;

namespace
{
const uint32_t SCAN_LIMIT = 16;
const uint32_t MAX_BYTES = 16;
} // namespace

SearchStartDlg::SearchStartDlg()
    : m_hDlg(NULL), m_hEdit(NULL), m_chStartAddress(0), m_achEditText(), m_chEditValue(0)
{
}

void SearchStartDlg::fnInit(HWND hDlg)
{
    m_hDlg = hDlg;
    m_hEdit = GetDlgItem(hDlg, IDC_SEARCH_START);
    fnSetWindowTextGbk(hDlg, TXT_MODULE_SEARCH);
    fnSetDlgItemTextGbk(hDlg, IDC_SEARCH_PROMPT, TXT_SEARCH_START_PROMPT);
    fnSetDlgItemTextGbk(hDlg, IDOK, TXT_OK);
    fnSetDlgItemTextGbk(hDlg, IDCANCEL, TXT_CANCEL);
    m_chEditValue = m_chStartAddress;
    char achHex[3];
    fnByteToHex2(m_chEditValue, achHex);
    fnSetWindowTextGbk(m_hEdit, achHex);
}

bool SearchStartDlg::fnAccept()
{
    GetWindowTextA(m_hEdit, m_achEditText, sizeof(m_achEditText));
    uint8_t abyValue[MAX_BYTES];
    uint32_t dwCount = 0;
    HexTextStatus eStatus =
        fnHexTextToBytes(m_achEditText, abyValue, &dwCount, SCAN_LIMIT, MAX_BYTES);
    if (eStatus != HexTextOk || dwCount != 1)
    {
        fnMessageBoxGbk(m_hDlg, TXT_SEARCH_START_ERROR, TXT_MODULE_SEARCH, MB_ICONINFORMATION);
        return false;
    }
    m_chEditValue = abyValue[0];
    GetWindowTextA(m_hEdit, m_achEditText, sizeof(m_achEditText));
    if (fnIsHexPair(m_achEditText))
        fnHexPairToByte(m_achEditText, &m_chEditValue);
    m_chStartAddress = m_chEditValue;
    return true;
}

INT_PTR CALLBACK SearchStartDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM)
{
    if (uMsg == WM_INITDIALOG)
    {
        gstSearchStartDlg.fnInit(hDlg);
        return TRUE;
    }
    if (uMsg != WM_COMMAND)
        return FALSE;
    switch (LOWORD(wParam))
    {
    case IDOK:
        if (gstSearchStartDlg.fnAccept())
            EndDialog(hDlg, 1);
        return TRUE;
    case IDCANCEL:
        EndDialog(hDlg, 0);
        return TRUE;
    default:
        return FALSE;
    }
}
