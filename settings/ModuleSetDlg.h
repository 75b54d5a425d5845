// The Module Settings dialog (template 132): the selected module's present values, the new
// address, baud rate and protocol, "写入模块" to arm the transaction and Cancel to stop it. The
// dialog runs on the main thread; the settings transmit thread, through gstModuleSetWorkerView
// (settings/ModuleSet.h, defined in ModuleSetDlg.cpp), reads m_stSetting after the request,
// owns its message boxes by m_hDlg and enables m_hWrite after each report, so those two handles
// are atomic and are cleared before the dialog goes away.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "protocol/Protocol.h"
#include "settings/ModuleSetPlan.h"

const uint32_t SET_VALUE_TEXT_MAX = 128;
const uint32_t SET_BAUD_NAME_MAX = 16;
const uint32_t SET_PROTOCOL_NAME_MAX = 32;

class ModuleSetDlg
{
  public:
    ModuleSetDlg();

    std::atomic<HWND> m_hDlg;   // owner of the transaction's message boxes; NULL when closed
    HWND m_hModel;              // 1054
    HWND m_hAddress;            // 1055
    HWND m_hBaud;               // 1056
    HWND m_hProtocol;           // 1057
    HWND m_hNewAddress;         // 1058
    HWND m_hNewBaud;            // 1059
    HWND m_hNewProtocol;        // 1060
    std::atomic<HWND> m_hWrite; // 1053 "写入模块"
    char m_achModelText[SET_VALUE_TEXT_MAX];
    char m_achAddressText[SET_VALUE_TEXT_MAX];
    char m_aachBaudName[BAUD_INDEX_COUNT][SET_BAUD_NAME_MAX];
    char m_aachProtocolName[PROTOCOL_INDEX_COUNT][SET_PROTOCOL_NAME_MAX];
    ModuleSetting m_stSetting; // committed: what the transmit thread sends
    ModuleSetting m_stEdit;    // mirrors the controls

    void fnInit(HWND hDlg);
    // "写入模块": check the address, commit the controls, arm. False when the address was bad
    // (the message was shown) or an exchange still runs.
    bool fnWrite();
    // Cancel: stop the pair, forget the handles, end the dialog with 0.
    void fnCancel();

  private:
    void fnSetTexts();
    void fnShowPresent();
    void fnFillLists();
    void fnShowEdit();
};

extern ModuleSetDlg gstModuleSetDlg;

INT_PTR CALLBACK ModuleSetDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
