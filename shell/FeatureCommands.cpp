// Entry points of the features that are not part of the shell. Each one calls its feature's
// Idm_ handler and, when it returns 0, shows the feature's modal dialog owned by the main
// window; the features whose code is not in the program yet do nothing here.
#include "shell/FeatureCommands.h"

#include "res/resource.h"
#include "search/SearchListFile.h"
#include "shell/AboutDlg.h"
#include "shell/CreditDlg.h"
#include "shell/ListPanel.h"

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
    (void)hMain;
}

void fnCommandTerminal(HWND hMain)
{
    (void)hMain;
}

int fnCommandModuleIO_4652(HWND hMain)
{
    (void)hMain;
    return 0;
}

int fnCommandModuleIO_4618(HWND hMain)
{
    (void)hMain;
    return 0;
}

int fnCommandModuleIO_4624(HWND hMain)
{
    (void)hMain;
    return 0;
}

int fnCommandModuleIO_4637(HWND hMain)
{
    (void)hMain;
    return 0;
}

void fnCommandAboutBox(HWND hMain)
{
    DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_ABOUT), hMain, AboutDlgProc, 0);
}

void fnCommandCreditWindow(HWND hMain)
{
    DialogBoxParamA(GetModuleHandleA(NULL), MAKEINTRESOURCEA(IDD_CREDIT), hMain, CreditDlgProc,
                    0);
}
