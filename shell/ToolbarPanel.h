// The toolbar panel (template 121): nine icon buttons with Chinese tooltips; a click is sent to
// the main window as the matching menu command.
#pragma once

#include <windows.h>

#include <cstdint>

const uint32_t TOOLBAR_BUTTON_COUNT = 9;
const uint32_t TOOLTIP_TEXT_SIZE = 32;

struct ToolbarButtonDef
{
    int m_nButtonId;
    int m_nIconId;
    int m_nCommandId;
};

// The buttons in the panel's order: 1001, 1002, 1003, 1004, 1008, 1009, 1005, 1006, 1007.
extern const ToolbarButtonDef gastToolbarButtons[TOOLBAR_BUTTON_COUNT];

class ToolBarPanel
{
  public:
    ToolBarPanel();

    HWND m_hPanel;
    HWND m_ahButton[TOOLBAR_BUTTON_COUNT];
    char m_aachToolTip[TOOLBAR_BUTTON_COUNT][TOOLTIP_TEXT_SIZE]; // GBK

    void fnOnInit(HWND hDlg);
    // The command of button nButtonId, or 0 when it is none of the nine.
    static int fnCommandOfButton(int nButtonId);
};

extern ToolBarPanel gstToolBarPanel;

INT_PTR CALLBACK ToolBarDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);

// Adds a tooltip window owned by hPanel that shows the GBK text over hButton. 1 on success,
// 0 when an argument is missing or the tooltip cannot be created.
int fnAddToolTip(HINSTANCE hInstance, HWND hPanel, HWND hButton, const char* pchText);
