// Entry points of the features that are not part of the shell. Each one calls its feature's
// Idm_ handler and, when it returns 0, shows the feature's modal dialog owned by the main
// window; the features whose code is not in the program yet do nothing here.
#include "shell/FeatureCommands.h"

#include "io/IoDlgAnalog.h"
#include "io/IoDlgDigital.h"
#include "io/ModuleIO.h"
#include "res/resource.h"
#include "search/ModuleList.h"
#include "search/SearchListFile.h"
#include "settings/ModuleSet.h"
#include "settings/ModuleSetDlg.h"
#include "shell/AboutDlg.h"
#include "shell/CreditDlg.h"
#include "shell/ListPanel.h"
#include "terminal/TerminalComm.h"
#include "terminal/TerminalDlg.h"

INT_PTR fnShowDialog(int nTemplate, HWND hOwner, DLGPROC pfnProc)
{
    return DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(nTemplate), hOwner, pfnProc, 0);
}

void fnCommandFileInit(HWND hMain)
{
    gstSearchListFile.fnFileInit(hMain);
    gstSearchListFile.m_hListBox = gstListPanel.m_hList;
}

void fnCommandListLoad(HWND hMain)
{
    Idm_SearchListLoad(hMain);
}

void fnCommandListSave(HWND hMain)
{
    Idm_SearchListSave(hMain);
}

void fnCommandModuleSet(HWND hMain)
{
    if (Idm_ModuleSet(hMain) == 0)
        fnShowDialog(IDD_MODULE_SET, hMain, ModuleSetDlgProc);
}

void fnCommandTerminal(HWND hMain)
{
    if (Idm_Terminal(hMain) == 0)
        fnShowDialog(IDD_TERMINAL, hMain, TerminalDlgProc);
}

namespace
{

// The IO window of each model: its handler, its dialog, and what the list panel says when the
// handler fails.
struct IoCommandDef
{
    uint32_t m_dwModuleType;
    int (*m_pfnHandler)(HWND);
    int m_nTemplate;
    DLGPROC m_pfnDlgProc;
    const char* m_pchFailure;
};

const char* const PCH_4652_FAILURE = "INF:MainWndProc()_01 VQ-4652 IO thread build false!";

const IoCommandDef astIoCommands[] = {
    {ModuleType4652, Idm_ModuleIO_4652, IDD_IO_4652, DlgProc_ModuleIO_4652, PCH_4652_FAILURE},
    {ModuleType4652D, Idm_ModuleIO_4652, IDD_IO_4652, DlgProc_ModuleIO_4652, PCH_4652_FAILURE},
    {ModuleType4652G, Idm_ModuleIO_4652, IDD_IO_4652, DlgProc_ModuleIO_4652, PCH_4652_FAILURE},
    {ModuleType4652GD, Idm_ModuleIO_4652, IDD_IO_4652, DlgProc_ModuleIO_4652, PCH_4652_FAILURE},
    {ModuleType4618, Idm_ModuleIO_4618, IDD_IO_4618, DlgProc_ModuleIO_4618,
     "INF:MainWndProc()_02 VQ-4618 IO thread build false!"},
    {ModuleType4624, Idm_ModuleIO_4624, IDD_IO_4624, DlgProc_ModuleIO_4624,
     "INF:MainWndProc()_03 VQ-4624 IO thread build false!"},
    {ModuleType4637, Idm_ModuleIO_4637, IDD_IO_4637, DlgProc_ModuleIO_4637,
     "INF:MainWndProc()_04 VQ-4637 IO thread build false!"},
};

} // namespace

const char* fnCommandModuleIO(HWND hMain, uint32_t dwModuleType)
{
    for (const IoCommandDef& stDef : astIoCommands)
    {
        if (stDef.m_dwModuleType != dwModuleType)
            continue;
        if (stDef.m_pfnHandler(hMain) != 0)
            return stDef.m_pchFailure;
        fnShowDialog(stDef.m_nTemplate, hMain, stDef.m_pfnDlgProc);
        return nullptr;
    }
    return nullptr;
}

void fnCommandAboutBox(HWND hMain)
{
    fnShowDialog(IDD_ABOUT, hMain, AboutDlgProc);
}

void fnCommandCreditWindow(HWND hMain)
{
    fnShowDialog(IDD_CREDIT, hMain, CreditDlgProc);
}
