// The Module Settings dialog (template 132). It runs on the main thread and never touches the
// port: "写入模块" commits the controls into m_stSetting and arms the transaction, Cancel stops
// it. While an exchange runs the write button is disabled and the dialog writes nothing the
// transmit thread reads; the thread enables the button again after its report.
#include "settings/ModuleSetDlg.h"

#include <cstdio>
#include <cstring>

#include "protocol/Codec.h"
#include "res/GbkText.h"
#include "res/Texts.h"
#include "res/resource.h"
#include "search/ModuleList.h"
#include "serial/CommPort.h"
#include "settings/ModuleSet.h"
#include "settings/ModuleSetInput.h"

ModuleSetDlg gstModuleSetDlg;

namespace
{
const GbkItemText astLabels[] = {
    {IDC_SET_WRITE, TXT_SET_WRITE},
    {IDCANCEL, TXT_CANCEL},
    {IDC_SET_LBL_MODEL, TXT_SET_LABEL_MODEL},
    {IDC_SET_LBL_ADDRESS, TXT_SET_LABEL_ADDRESS},
    {IDC_SET_LBL_BAUD, TXT_SET_LABEL_BAUD},
    {IDC_SET_LBL_PROTOCOL, TXT_SET_LABEL_PROTOCOL},
    {IDC_SET_LBL_NEW_ADDRESS, TXT_SET_LABEL_NEW_ADDRESS},
    {IDC_SET_LBL_NEW_BAUD, TXT_SET_LABEL_NEW_BAUD},
    {IDC_SET_LBL_NEW_PROTOCOL, TXT_SET_LABEL_NEW_PROTOCOL},
};

uint32_t fnComboSelection(HWND hCombo, uint32_t dwCount, uint32_t dwDefault)
{
    LRESULT lSel = SendMessageA(hCombo, CB_GETCURSEL, 0, 0);
    return lSel >= 0 && static_cast<uint32_t>(lSel) < dwCount ? static_cast<uint32_t>(lSel)
                                                              : dwDefault;
}
} // namespace

ModuleSetDlg::ModuleSetDlg()
    : m_hDlg(NULL), m_hModel(NULL), m_hAddress(NULL), m_hBaud(NULL), m_hProtocol(NULL),
      m_hNewAddress(NULL), m_hNewBaud(NULL), m_hNewProtocol(NULL),
      m_hWrite(NULL), m_achModelText{}, m_achAddressText{}, m_aachBaudName{}, m_aachProtocolName{},
      m_stSetting{0, BAUD_INDEX_DEFAULT, 0}, m_stEdit{0, BAUD_INDEX_DEFAULT, 0}
{
    for (uint32_t i = 0; i < BAUD_INDEX_COUNT; ++i)
        snprintf(m_aachBaudName[i], SET_BAUD_NAME_MAX, "%s", fnBaudName(i));
    for (uint32_t i = 0; i < PROTOCOL_INDEX_COUNT; ++i)
        snprintf(m_aachProtocolName[i], SET_PROTOCOL_NAME_MAX, "%s",
                 fnModuleSetProtocolIndexName(i));
}

void ModuleSetDlg::fnInit(HWND hDlg)
{
    m_hModel = GetDlgItem(hDlg, IDC_SET_MODEL);
    m_hAddress = GetDlgItem(hDlg, IDC_SET_ADDRESS);
    m_hBaud = GetDlgItem(hDlg, IDC_SET_BAUD);
    m_hProtocol = GetDlgItem(hDlg, IDC_SET_PROTOCOL);
    m_hNewAddress = GetDlgItem(hDlg, IDC_SET_NEW_ADDRESS);
    m_hNewBaud = GetDlgItem(hDlg, IDC_SET_NEW_BAUD);
    m_hNewProtocol = GetDlgItem(hDlg, IDC_SET_NEW_PROTOCOL);
    m_hWrite = GetDlgItem(hDlg, IDC_SET_WRITE);
    m_hDlg = hDlg;
    fnSetTexts();
    fnShowPresent();
    fnFillLists();
    const ModuleRecord* pstRecord = gstModuleList.fnSelected();
    m_stSetting = fnModuleSetInitial(pstRecord != nullptr ? pstRecord->m_chAddress : 0,
                                     pstRecord != nullptr ? pstRecord->m_dwProtocol : 0,
                                     gstCommPort.m_stDCB.BaudRate);
    m_stEdit = m_stSetting;
    fnShowEdit();
}

void ModuleSetDlg::fnSetTexts()
{
    HWND hDlg = m_hDlg.load();
    fnSetDlgTextsGbk(hDlg, TXT_MODULE_SET, astLabels, sizeof(astLabels) / sizeof(astLabels[0]));
}

void ModuleSetDlg::fnShowPresent()
{
    const ModuleRecord* pstRecord = gstModuleList.fnSelected();
    if (pstRecord == nullptr)
        return;
    snprintf(m_achModelText, sizeof(m_achModelText), "%s", pstRecord->m_achModName);
    snprintf(m_achAddressText, sizeof(m_achAddressText), "%s", pstRecord->m_achAddressHex2);
    SetWindowTextA(m_hModel, m_achModelText);
    SetWindowTextA(m_hAddress, m_achAddressText);
    char achBaud[16];
    snprintf(achBaud, sizeof(achBaud), "%lu",
             static_cast<unsigned long>(gstCommPort.m_stDCB.BaudRate));
    SetWindowTextA(m_hBaud, achBaud);
    const char* pchProtocol = fnModuleSetProtocolName(pstRecord->m_dwProtocol);
    if (pchProtocol != nullptr)
        SetWindowTextA(m_hProtocol, pchProtocol);
}

void ModuleSetDlg::fnFillLists()
{
    SendMessageA(m_hNewBaud, CB_RESETCONTENT, 0, 0);
    for (const char* pchName : m_aachBaudName)
        SendMessageA(m_hNewBaud, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pchName));
    SendMessageA(m_hNewProtocol, CB_RESETCONTENT, 0, 0);
    for (const char* pchName : m_aachProtocolName)
        SendMessageA(m_hNewProtocol, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(pchName));
}

void ModuleSetDlg::fnShowEdit()
{
    char achHex[3];
    fnByteToHex2(m_stEdit.m_chAddress, achHex);
    SetWindowTextA(m_hNewAddress, achHex);
    SendMessageA(m_hNewBaud, CB_SETCURSEL, m_stEdit.m_dwBaudIndex, 0);
    SendMessageA(m_hNewProtocol, CB_SETCURSEL, m_stEdit.m_dwProtocolIndex, 0);
}

bool ModuleSetDlg::fnWrite()
{
    HWND hWrite = m_hWrite.load();
    // Enter reaches here only while the button is enabled; a stray command must not rewrite
    // the triple under a running exchange.
    if (hWrite == NULL || !IsWindowEnabled(hWrite))
        return false;
    char achText[SET_ADDRESS_TEXT_MAX + 1];
    GetWindowTextA(m_hNewAddress, achText, sizeof(achText));
    uint8_t chAddress = 0;
    const char* pchError = fnModuleSetCheckAddress(achText, &chAddress);
    if (pchError != nullptr)
    {
        fnMessageBoxGbk(m_hDlg.load(), pchError, TXT_MODULE_SET, MB_OK | MB_ICONINFORMATION);
        return false;
    }
    m_stEdit.m_chAddress = chAddress;
    m_stEdit.m_dwBaudIndex = fnComboSelection(m_hNewBaud, BAUD_INDEX_COUNT, BAUD_INDEX_DEFAULT);
    m_stEdit.m_dwProtocolIndex = fnComboSelection(m_hNewProtocol, PROTOCOL_INDEX_COUNT, 0);
    m_stSetting = m_stEdit;
    EnableWindow(hWrite, FALSE);
    fnModuleSetArm();
    return true;
}

void ModuleSetDlg::fnCancel()
{
    fnModuleSetStop();
    // The handles go before the dialog does: a thread finishing its step afterwards neither
    // owns a box by a dead window nor enables a button that is gone.
    m_hWrite = NULL;
    HWND hDlg = m_hDlg.exchange(NULL);
    if (hDlg != NULL)
        EndDialog(hDlg, 0);
}

INT_PTR CALLBACK ModuleSetDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM)
{
    switch (uMsg)
    {
    case WM_INITDIALOG:
        gstModuleSetDlg.fnInit(hDlg);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) == IDC_SET_WRITE)
            gstModuleSetDlg.fnWrite();
        else if (LOWORD(wParam) == IDCANCEL)
            gstModuleSetDlg.fnCancel();
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
    return gstModuleSetDlg.m_hDlg.load();
}

ModuleSetting fnViewSetting()
{
    return gstModuleSetDlg.m_stSetting;
}

void fnViewEnableWrite()
{
    // The handle is cleared before the dialog ends; a dead handle makes this a no-op.
    HWND hWrite = gstModuleSetDlg.m_hWrite.load();
    if (hWrite != NULL)
        EnableWindow(hWrite, TRUE);
}
} // namespace

const ModuleSetWorkerView gstModuleSetWorkerView = {fnViewWindow, fnViewSetting, fnViewEnableWrite};
