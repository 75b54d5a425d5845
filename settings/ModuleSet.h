// The module settings transaction on the worker pair of gstCommTRCModuleSet. The transmit
// thread waits for the dialog's request, sends the settings frame(s) of the module's present
// protocol to its present address, sleeps the 1000 ms reply window, classifies what the
// accumulator holds and shows the report; the receive thread only collects bytes.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "settings/ModuleSetPlan.h"

// State of the transaction beyond the record's two halves.
class ModuleSet
{
  public:
    ModuleSet();

    ModuleSetPlan m_stPlan; // step states, result codes and the last report text

    // The selected module as it was when the pair started: where every frame goes. The list
    // cannot change while the dialog is open; a copy keeps the thread right even if a later
    // search rewrites the record while a cancelled step still finishes.
    std::atomic<uint32_t> m_dwProtocol; // ProtocolId
    std::atomic<uint32_t> m_chAddress;  // the module's present address, 0x00..0xFF

    std::atomic<uint32_t> m_dwReports; // reports shown since the program started (tests)
};

extern ModuleSet gstModuleSet;

// What the transmit thread sees of the Module Settings dialog; the dialog defines it.
struct ModuleSetWorkerView
{
    HWND (*pfnWindow)();           // owner of the reports; NULL once the dialog has closed
    ModuleSetting (*pfnSetting)(); // the committed setting the request is to send
    void (*pfnEnableWrite)();      // the write button again, after a report
};
extern const ModuleSetWorkerView gstModuleSetWorkerView;

// Creates CommThread_ModuleSet_Tx, then CommThread_ModuleSet_Rx. 0 when both run; 1 after a
// message owned by hOwner.
int Idm_ModuleSet(HWND hOwner);

// Operations of the dialog (main thread). Arm re-initialises the steps and results and sets
// the request; the dialog has stored gstModuleSetDlg.m_stSetting and disabled its write button
// first. Stop clears m_dwTxLen and both run flags and sets the request, so that a waiting
// transmit thread wakes and leaves.
void fnModuleSetArm();
void fnModuleSetStop();

DWORD WINAPI CommThread_ModuleSet_Tx(LPVOID pvParam);
DWORD WINAPI CommThread_ModuleSet_Rx(LPVOID pvParam);
