// How the terminal shows what arrives: the return text grows by each read, as text or as hex
// lines, and is cut to its tail when it gets long; plus the protocol view of the dialog
// (which check boxes show, the "(ASCII)"/"(HEX)" labels). The return-text functions run on the
// receive thread, on its own working copy; the view on the main thread.
#pragma once

#include <cstdint>

const uint32_t TERMINAL_RETURN_MAX = 8000;   // working copy, NUL included
const uint32_t TERMINAL_RETURN_LIMIT = 2048; // a text this long or longer is cut ...
const uint32_t TERMINAL_RETURN_KEEP = 1987;  // ... to its last this many characters

// Appends the dwCount bytes of one read (1..128) to the NUL-terminated text in pchText (a
// buffer of TERMINAL_RETURN_MAX) by display mode, the terminal's protocol index:
//  0, 1 text: CR becomes CR LF, NUL bytes are dropped, every other byte is kept;
//  2 hex: two uppercase digits and a space per byte, then CR LF (one line per read);
//  any other: nothing is appended.
// Then cuts the text to its last 1987 characters when it is 2048 or longer. Returns the
// resulting length.
uint32_t fnTerminalAppendRx(char* pchText, uint32_t dwMode, const uint8_t* pbyData,
                            uint32_t dwCount);

// Visibility of the dialog's protocol-dependent controls.
struct TerminalView
{
    bool m_bShowChk;            // "追加CHK"
    bool m_bShowCr;             // "追加Cr"
    bool m_bShowCrc;            // "追加CRC", "计算CRC" and the CRC field
    bool m_bCalcEnabled;        // "计算CRC" and its field, when shown
    const char* m_pchModeLabel; // "(ASCII)" or "(HEX)"
};

// The view of a protocol index; false (nothing changes) for any other index.
bool fnTerminalView(uint32_t dwProtocolIndex, uint32_t bAppendCrc, TerminalView* pstView);
