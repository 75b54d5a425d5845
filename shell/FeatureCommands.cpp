// Entry points of the features that are not part of the shell. Each one calls its feature's
// Idm_ handler and, when it returns 0, shows the feature's modal dialog owned by the main
// window; the features whose code is not in the program yet do nothing here.
#include "shell/FeatureCommands.h"

#include "io/IoDlgAnalog.h"
#include "io/IoDlgDigital.h"
#include "io/ModuleIO.h"
#include "res/resource.h"
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

int fnCommandModuleIO_4652(HWND hMain)
{
    if (Idm_ModuleIO_4652(hMain) != 0)
        return 1;
    fnShowDialog(IDD_IO_4652, hMain, DlgProc_ModuleIO_4652);
    return 0;
}

int fnCommandModuleIO_4618(HWND hMain)
{
    if (Idm_ModuleIO_4618(hMain) != 0)
        return 1;
    fnShowDialog(IDD_IO_4618, hMain, DlgProc_ModuleIO_4618);
    return 0;
}

int fnCommandModuleIO_4624(HWND hMain)
{
    if (Idm_ModuleIO_4624(hMain) != 0)
        return 1;
    fnShowDialog(IDD_IO_4624, hMain, DlgProc_ModuleIO_4624);
    return 0;
}

int fnCommandModuleIO_4637(HWND hMain)
{
    if (Idm_ModuleIO_4637(hMain) != 0)
        return 1;
    fnShowDialog(IDD_IO_4637, hMain, DlgProc_ModuleIO_4637);
    return 0;
}

void fnCommandAboutBox(HWND hMain)
{
    fnShowDialog(IDD_ABOUT, hMain, AboutDlgProc);
}

void fnCommandCreditWindow(HWND hMain)
{
    fnShowDialog(IDD_CREDIT, hMain, CreditDlgProc);
}
