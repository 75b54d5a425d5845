// The module list panel (template 122): the listbox of found modules and the information text.
#pragma once

#include <windows.h>

class ListPanel
{
public:
    ListPanel();

    HWND m_hPanel;
    HWND m_hList; // listbox 1008: entry i shows record i of the module list
    HWND m_hInfo; // text box 1009
    char m_achInfoText[4096];
    char m_achLine[256];

    void fnComposeInfoText();
};

extern ListPanel gstListPanel;

INT_PTR CALLBACK ListPanelDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
