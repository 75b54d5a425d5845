// Return-text rules of the terminal. The working copy never overflows: when a read would not
// fit, the oldest characters go first, exactly as the 2048/1987 cut would remove them.
#include "terminal/TerminalDisplay.h"

#include "protocol/Codec.h"
#include "terminal/TerminalSetting.h"

#include <cstring>

namespace
{
const uint32_t READ_MAX = 128;
const uint32_t APPENDED_MAX = READ_MAX * 3 + 3; // hex: 3 per byte, CR LF, NUL

uint32_t fnRenderText(const uint8_t* pbyData, uint32_t dwCount, char* pchOut)
{
    uint32_t dwLen = 0;
    for (uint32_t i = 0; i < dwCount; ++i)
    {
        if (pbyData[i] == 0x00)
        {
            continue;
        }
        pchOut[dwLen++] = static_cast<char>(pbyData[i]);
        if (pbyData[i] == '\r')
        {
            pchOut[dwLen++] = '\n';
        }
    }
    return dwLen;
}

uint32_t fnRenderHex(const uint8_t* pbyData, uint32_t dwCount, char* pchOut)
{
    fnBytesToHexText(pbyData, dwCount, pchOut);
    uint32_t dwLen = dwCount * 3;
    pchOut[dwLen++] = '\r';
    pchOut[dwLen++] = '\n';
    return dwLen;
}

// Drops the first dwDrop characters of a text of dwLen characters.
void fnDropFront(char* pchText, uint32_t dwLen, uint32_t dwDrop)
{
    memmove(pchText, pchText + dwDrop, dwLen - dwDrop);
    pchText[dwLen - dwDrop] = '\0';
}
} // namespace

uint32_t fnTerminalAppendRx(char* pchText, uint32_t dwMode, const uint8_t* pbyData,
                            uint32_t dwCount)
{
    pchText[TERMINAL_RETURN_MAX - 1] = '\0';
    uint32_t dwLen = static_cast<uint32_t>(strlen(pchText));
    char achAppend[APPENDED_MAX];
    uint32_t dwAppend = 0;
    const uint32_t dwUsed = dwCount < READ_MAX ? dwCount : READ_MAX;
    if (dwMode == TerminalVqAscii || dwMode == TerminalVqAsciiChk)
    {
        dwAppend = fnRenderText(pbyData, dwUsed, achAppend);
    }
    else if (dwMode == TerminalModbusRtu)
    {
        dwAppend = fnRenderHex(pbyData, dwUsed, achAppend);
    }
    if (dwLen + dwAppend > TERMINAL_RETURN_MAX - 1)
    {
        const uint32_t dwDrop = dwLen + dwAppend - (TERMINAL_RETURN_MAX - 1);
        fnDropFront(pchText, dwLen, dwDrop);
        dwLen -= dwDrop;
    }
    memcpy(pchText + dwLen, achAppend, dwAppend);
    dwLen += dwAppend;
    pchText[dwLen] = '\0';
    if (dwLen >= TERMINAL_RETURN_LIMIT)
    {
        fnDropFront(pchText, dwLen, dwLen - TERMINAL_RETURN_KEEP);
        dwLen = TERMINAL_RETURN_KEEP;
    }
    return dwLen;
}

bool fnTerminalView(uint32_t dwProtocolIndex, uint32_t bAppendCrc, TerminalView* pstView)
{
    switch (dwProtocolIndex)
    {
    case TerminalVqAscii:
    case TerminalVqAsciiChk:
        pstView->m_bShowChk = dwProtocolIndex == TerminalVqAsciiChk;
        pstView->m_bShowCr = true;
        pstView->m_bShowCrc = false;
        pstView->m_bCalcEnabled = false;
        pstView->m_pchModeLabel = "(ASCII)";
        return true;
    case TerminalModbusRtu:
        pstView->m_bShowChk = false;
        pstView->m_bShowCr = false;
        pstView->m_bShowCrc = true;
        pstView->m_bCalcEnabled = bAppendCrc != 1;
        pstView->m_pchModeLabel = "(HEX)";
        return true;
    default:
        return false;
    }
}
