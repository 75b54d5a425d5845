// Defaults and copying of the terminal choices (the commit copies every field).
#include "terminal/TerminalSetting.h"

#include <cstring>

TerminalSetting::TerminalSetting()
    : m_dwProtocolIndex(TerminalVqAscii), m_dwIntervalMs(TERMINAL_DEFAULT_INTERVAL_MS),
      m_bAppendChk(1), m_bAppendCr(1), m_bAppendCrc(1)
{
    memset(m_aachCommand, 0, sizeof(m_aachCommand));
}

TerminalSetting::TerminalSetting(const TerminalSetting& stOther) : TerminalSetting()
{
    *this = stOther;
}

TerminalSetting& TerminalSetting::operator=(const TerminalSetting& stOther)
{
    if (this != &stOther)
    {
        m_dwProtocolIndex = stOther.m_dwProtocolIndex.load();
        memcpy(m_aachCommand, stOther.m_aachCommand, sizeof(m_aachCommand));
        m_dwIntervalMs = stOther.m_dwIntervalMs.load();
        m_bAppendChk = stOther.m_bAppendChk;
        m_bAppendCr = stOther.m_bAppendCr;
        m_bAppendCrc = stOther.m_bAppendCrc;
    }
    return *this;
}

const char* fnTerminalProtocolName(uint32_t dwProtocolIndex)
{
    static const char* const s_apchName[] = {"VQASCII", "VQASCII-CHK", "ModbusRTU"};
    return dwProtocolIndex <= TerminalModbusRtu ? s_apchName[dwProtocolIndex] : "";
}
