// The user's terminal choices: protocol index, command and history, send interval and the
// three append flags. The terminal dialog state keeps two of them (committed and edited);
// the transmit thread reads the committed interval, the receive thread its protocol index.
#pragma once

#include <atomic>
#include <cstdint>

const uint32_t TERMINAL_COMMAND_MAX = 512;   // characters per slot, NUL included
const uint32_t TERMINAL_COMMAND_CHARS = 511; // characters read from the command box
const uint32_t TERMINAL_HISTORY_DEPTH = 8;
const uint32_t TERMINAL_SLOTS = TERMINAL_HISTORY_DEPTH + 1; // slot 0 is the current command
const uint32_t TERMINAL_DEFAULT_INTERVAL_MS = 1000;

enum TerminalProtocolIndex : uint32_t
{
    TerminalVqAscii = 0,
    TerminalVqAsciiChk = 1,
    TerminalModbusRtu = 2,
};

struct TerminalSetting
{
    TerminalSetting(); // protocol 0, all nine texts empty, 1000 ms, all three flags 1
    TerminalSetting(const TerminalSetting& stOther);
    TerminalSetting& operator=(const TerminalSetting& stOther);

    // Atomic: the receive thread reads the display mode while the dialog may commit.
    std::atomic<uint32_t> m_dwProtocolIndex;
    char m_aachCommand[TERMINAL_SLOTS][TERMINAL_COMMAND_MAX];
    std::atomic<uint32_t> m_dwIntervalMs; // read by the transmit thread
    uint32_t m_bAppendChk;
    uint32_t m_bAppendCr;
    uint32_t m_bAppendCrc;
};

// The names of the terminal's protocol list by index: "VQASCII", "VQASCII-CHK", "ModbusRTU";
// "" outside.
const char* fnTerminalProtocolName(uint32_t dwProtocolIndex);
