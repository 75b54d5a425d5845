// The Terminal dialog (template 133) and the terminal's state gstTerminalDlg, which outlives
// the dialog so that protocol, history, check boxes and interval come back at the next opening.
// The dialog runs on the main thread and is a Unicode dialog: commands are read as UTF-16 and
// turned into GBK bytes (code page 936) whatever the system locale. The workers see the dialog
// only through gstTerminalWorkerView (terminal/TerminalComm.h), which TerminalDlg.cpp defines.
// The receive thread shows what arrives through fnTerminalShowRx; it alone uses m_achReturnText
// and its counters, and it finds the return box through the atomic m_hReturn, which the dialog
// clears before it ends.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

#include "terminal/TerminalCompose.h"
#include "terminal/TerminalDisplay.h"
#include "terminal/TerminalSetting.h"

const uint32_t TERMINAL_PROTOCOL_NAME_MAX = 32;
const uint32_t TERMINAL_PROTOCOL_COUNT = 3;

class TerminalDlg
{
  public:
    TerminalDlg();

    std::atomic<HWND> m_hDlg;    // owner of every terminal message box; NULL while closed
    HWND m_hProtocol;            // 1062
    HWND m_hCommand;             // 1078
    HWND m_hCrc;                 // 1068
    std::atomic<HWND> m_hReturn; // 1075, written by the receive thread
    HWND m_hInterval;            // 1073
    HWND m_hCmdMode;             // 1063
    HWND m_hReturnMode;          // 1074
    HWND m_hAppendChk;           // 1064
    HWND m_hAppendCr;            // 1065
    HWND m_hAppendCrc;           // 1066
    HWND m_hCalcCrc;             // 1067
    HWND m_hSend;                // 1070
    HWND m_hContinuous;          // 1071
    HWND m_hStop;                // 1072
    HWND m_hClear;               // 1076
    HWND m_hExit;                // 1077
    char m_aachProtocolName[TERMINAL_PROTOCOL_COUNT][TERMINAL_PROTOCOL_NAME_MAX];
    char m_achReturnText[TERMINAL_RETURN_MAX];
    char m_achFrameText[TERMINAL_FRAME_MAX];
    uint32_t m_dwFrameTextLen;
    std::atomic<uint32_t> m_dwReturnLen;
    std::atomic<uint32_t> m_dwReturnLines;
    std::atomic<uint32_t> m_bClearReturn; // set by the dialog, served by the receive thread
    TerminalSetting m_stSetting;          // committed
    TerminalSetting m_stEdit;             // mirrors the controls

    void fnInit(HWND hDlg);
    // Show m_stEdit: protocol, history list and command, check boxes, interval, idle buttons,
    // protocol view.
    void fnShowEdit();
    void fnApplyView();
    void fnCommand(int nId, int nCode);

  private:
    void fnSetTexts();
    void fnSend(bool bContinuous);
    void fnStopSending();
    void fnAppendCrcClicked();
    void fnCalcCrcClicked();
    void fnProtocolChanged();
    void fnCancel();
    void fnSetRunning(bool bRunning);
    void fnShowHexError();
};

extern TerminalDlg gstTerminalDlg;

// Operations on gstTerminalDlg (main thread, except the two receive-thread ones).
void fnTerminalReadControls();
void fnTerminalCommit();
uint32_t fnTerminalCompose(); // 1 composed and staged, 0 bad input
uint32_t fnTerminalCalcCrc(); // 1 shown in field 1068, 0 bad input
void fnTerminalShowRx(const uint8_t* pbyData, uint32_t dwCount); // receive thread
void fnTerminalClearReturn();                                    // receive thread

// How the return text is shown: ASCII as it is; two bytes from 0x81 up that code page 936
// turns into one character as that character; every other byte from 0x80 up as the one
// character U+0080..U+00FF of the same number. So no byte ever swallows the byte after it, and
// each byte of the text stands for at least one character on screen. Returns the characters
// written (a NUL follows; at most nOutChars - 1).
int fnTerminalTextToWide(const char* pchText, uint32_t dwLen, wchar_t* pwchOut, int nOutChars);

INT_PTR CALLBACK TerminalDlgProc(HWND hDlg, UINT uMsg, WPARAM wParam, LPARAM lParam);
