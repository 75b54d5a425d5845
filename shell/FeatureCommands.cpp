// Entry points of the features that are not part of the shell. Each one calls its feature's
// Idm_ handler and, when it returns 0, shows the feature's modal dialog owned by the main
// window; the features whose code is not in the program yet do nothing here.
#include "shell/FeatureCommands.h"

#include "io/IoDlg4618.h"
#include "io/IoDlg4652.h"
#include "io/IoDlgAnalog.h"
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
        DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_MODULE_SET), hMain,
                        ModuleSetDlgProc, 0);
}

void fnCommandTerminal(HWND hMain)
{
    // Its command box hands typed text over as UTF-16 (see TerminalDlg.h).
    if (Idm_Terminal(hMain) == 0)
        DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_TERMINAL), hMain,
                        TerminalDlgProc, 0);
}

int fnCommandModuleIO_4652(HWND hMain)
{
    if (Idm_ModuleIO_4652(hMain) != 0)
        return 1;
    DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_IO_4652), hMain,
                    DlgProc_ModuleIO_4652, 0);
    return 0;
}

int fnCommandModuleIO_4618(HWND hMain)
{
    if (Idm_ModuleIO_4618(hMain) != 0)
        return 1;
    DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_IO_4618), hMain,
                    DlgProc_ModuleIO_4618, 0);
    return 0;
}

int fnCommandModuleIO_4624(HWND hMain)
{
    if (Idm_ModuleIO_4624(hMain) != 0)
        return 1;
    DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_IO_4624), hMain,
                    DlgProc_ModuleIO_4624, 0);
    return 0;
}

int fnCommandModuleIO_4637(HWND hMain)
{
    if (Idm_ModuleIO_4637(hMain) != 0)
        return 1;
    DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_IO_4637), hMain,
                    DlgProc_ModuleIO_4637, 0);
    return 0;
}

void fnCommandAboutBox(HWND hMain)
{
    DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_ABOUT), hMain, AboutDlgProc, 0);
}

void fnCommandCreditWindow(HWND hMain)
{
    DialogBoxParamW(GetModuleHandleW(NULL), MAKEINTRESOURCEW(IDD_CREDIT), hMain, CreditDlgProc,
                    0);
}
