// The module list panel, a modeless child dialog of the main window: the listbox of found modules
// (entry i is record i of gstModuleList, never sorted) and a fixed information text. The search
// thread appends listbox entries with synchronous messages that the main thread serves; all else
// runs on the main thread.
#include "shell/ListPanel.h"

#include "res/GbkText.h"
#include "res/Texts.h"
#include "res/Version.h"
#include "res/resource.h"

#include <cstring>

ListPanel gstListPanel;

namespace
{
const int LIST_WIDTH = 160;
const int INFO_X = 164;
const char INFO_TITLE[] = VQ_VERSION_TITLE "    " VQ_VERSION_DATE;
const char INFO_TRADEMARK[] = "VQ and VQ4600 are trademarks of their maker. All rights reserved.";
const int INFO_RULE_LENGTH = 79;
} // namespace

ListPanel::ListPanel() : m_hPanel(nullptr), m_hList(nullptr), m_hInfo(nullptr), m_achInfoText{}
{
    m_achLine[0] = '\0';
    fnComposeInfoText();
}

void ListPanel::fnComposeInfoText()
{
    auto fnAppendLine = [this](const char* pchText)
    {
        size_t nUsed = strlen(m_achInfoText);
        size_t nRoom = sizeof(m_achInfoText) - nUsed;
        size_t nText = strlen(pchText);
        if (nText + 3 > nRoom)
            return;
        memcpy(m_achInfoText + nUsed, pchText, nText);
        memcpy(m_achInfoText + nUsed + nText, "\r\n", 3);
    };
    m_achInfoText[0] = '\0';
    fnAppendLine(INFO_TITLE);
    fnAppendLine(INFO_TRADEMARK);
    memset(m_achLine, '-', INFO_RULE_LENGTH);
    m_achLine[INFO_RULE_LENGTH] = '\0';
    fnAppendLine(m_achLine);
    fnAppendLine(TXT_INFO_MODELS_HEADER);
    fnAppendLine("");
    fnAppendLine(TXT_INFO_4624);
    fnAppendLine(TXT_INFO_4637);
    fnAppendLine(TXT_INFO_4618);
    fnAppendLine(TXT_INFO_4652);
}

INT_PTR CALLBACK ListPanelDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    if (uMsg == WM_INITDIALOG)
    {
        gstListPanel.m_hPanel = hDlg;
        gstListPanel.m_hList = GetDlgItem(hDlg, IDC_MODULE_LIST);
        gstListPanel.m_hInfo = GetDlgItem(hDlg, IDC_INFO_TEXT);
        fnSetWindowTextGbk(gstListPanel.m_hInfo, gstListPanel.m_achInfoText);
    }
    else if (uMsg == WM_SIZE)
    {
        int nWidth = LOWORD(lParam);
        int nHeight = HIWORD(lParam);
        MoveWindow(gstListPanel.m_hList, 1, 1, LIST_WIDTH, nHeight - 2, TRUE);
        MoveWindow(gstListPanel.m_hInfo, INFO_X, 1, nWidth - INFO_X, nHeight - 2, TRUE);
    }
    else if (uMsg == WM_COMMAND && LOWORD(wParam) == IDC_MODULE_LIST &&
             HIWORD(wParam) == LBN_DBLCLK)
    {
        SendMessageW(GetParent(hDlg), WM_COMMAND, IDM_IO_CONTROL, 0);
    }
    return FALSE;
}
