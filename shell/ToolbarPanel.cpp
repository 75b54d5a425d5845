// The toolbar panel, a modeless child dialog of the main window. Its buttons forward their
// clicks to the main window as synchronous menu commands, so a button and its menu item are one
// command; each button has its own always-active tooltip window. Main thread only.
#include "shell/ToolbarPanel.h"

#include "res/GbkText.h"
#include "res/Texts.h"
#include "res/resource.h"

#include <commctrl.h>

#include <cstring>

ToolBarPanel gstToolBarPanel;

const ToolbarButtonDef gastToolbarButtons[TOOLBAR_BUTTON_COUNT] = {
    {IDC_TB_COM_OPEN, IDI_TB_COM_OPEN, IDM_COM_OPEN},
    {IDC_TB_COM_CLOSE, IDI_TB_COM_CLOSE, IDM_COM_CLOSE},
    {IDC_TB_COM_SET, IDI_TB_COM_SET, IDM_COM_SET},
    {IDC_TB_SEARCH, IDI_TB_SEARCH, IDM_MODULE_SEARCH},
    {IDC_TB_LOAD, IDI_TB_LOAD, IDM_LIST_LOAD},
    {IDC_TB_SAVE, IDI_TB_SAVE, IDM_LIST_SAVE},
    {IDC_TB_IO, IDI_TB_IO, IDM_IO_CONTROL},
    {IDC_TB_MODULE_SET, IDI_TB_MODULE_SET, IDM_MODULE_SET},
    {IDC_TB_TERMINAL, IDI_TB_TERMINAL, IDM_TERMINAL},
};

namespace
{
const char* const apchToolTipText[TOOLBAR_BUTTON_COUNT] = {
    TXT_COM_OPEN, TXT_COM_CLOSE,  TXT_COMSET_CAPTION, TXT_MODULE_SEARCH, TXT_SLI_LOAD,
    TXT_SLI_SAVE, TXT_IO_CONTROL, TXT_MODULE_SET,     TXT_TERMINAL,
};
const int TOOLBAR_ICON_SIZE = 16;
} // namespace

ToolBarPanel::ToolBarPanel() : m_hPanel(nullptr), m_ahButton{}, m_aachToolTip{}
{
    for (uint32_t i = 0; i < TOOLBAR_BUTTON_COUNT; ++i)
    {
        strncpy(m_aachToolTip[i], apchToolTipText[i], TOOLTIP_TEXT_SIZE - 1);
        m_aachToolTip[i][TOOLTIP_TEXT_SIZE - 1] = '\0';
    }
}

int ToolBarPanel::fnCommandOfButton(int nButtonId)
{
    for (const ToolbarButtonDef& stDef : gastToolbarButtons)
        if (stDef.m_nButtonId == nButtonId)
            return stDef.m_nCommandId;
    return 0;
}

void ToolBarPanel::fnOnInit(HWND hDlg)
{
    INITCOMMONCONTROLSEX stInit = {sizeof(stInit), ICC_WIN95_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&stInit);
    HINSTANCE hInstance = reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hDlg, GWLP_HINSTANCE));
    m_hPanel = hDlg;
    for (uint32_t i = 0; i < TOOLBAR_BUTTON_COUNT; ++i)
        m_ahButton[i] = GetDlgItem(hDlg, gastToolbarButtons[i].m_nButtonId);
    for (uint32_t i = 0; i < TOOLBAR_BUTTON_COUNT; ++i)
        fnAddToolTip(hInstance, hDlg, m_ahButton[i], m_aachToolTip[i]);
    for (uint32_t i = 0; i < TOOLBAR_BUTTON_COUNT; ++i)
    {
        HANDLE hIcon = LoadImageW(hInstance, MAKEINTRESOURCEW(gastToolbarButtons[i].m_nIconId),
                                  IMAGE_ICON, TOOLBAR_ICON_SIZE, TOOLBAR_ICON_SIZE, 0);
        SendMessageW(m_ahButton[i], BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(hIcon));
    }
}

int fnAddToolTip(HINSTANCE hInstance, HWND hPanel, HWND hButton, const char* pchText)
{
    if (hInstance == nullptr || hPanel == nullptr || hButton == nullptr || pchText == nullptr)
        return 0;
    HWND hTip = CreateWindowExW(0, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hPanel,
                                nullptr, hInstance, nullptr);
    if (hTip == nullptr)
        return 0;
    wchar_t awchText[TOOLTIP_TEXT_SIZE];
    fnGbkToWide(pchText, awchText, TOOLTIP_TEXT_SIZE);
    TOOLINFOW stTool = {};
    stTool.cbSize = sizeof(stTool);
    stTool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    stTool.hwnd = hPanel;
    stTool.uId = reinterpret_cast<UINT_PTR>(hButton);
    stTool.hinst = hInstance;
    stTool.lpszText = awchText;
    if (!SendMessageW(hTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&stTool)))
        return 0;
    return 1;
}

INT_PTR CALLBACK ToolBarDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    if (uMsg == WM_INITDIALOG)
    {
        gstToolBarPanel.fnOnInit(hDlg);
    }
    else if (uMsg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED)
    {
        int nCommand = ToolBarPanel::fnCommandOfButton(LOWORD(wParam));
        if (nCommand != 0)
            SendMessageW(GetParent(hDlg), WM_COMMAND, static_cast<WPARAM>(nCommand), 0);
    }
    return FALSE;
}
