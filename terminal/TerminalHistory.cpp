// History update of the terminal command box.
#include "terminal/TerminalHistory.h"

#include <cstring>

void fnHistoryInsert(char aachCommand[TERMINAL_SLOTS][TERMINAL_COMMAND_MAX])
{
    // A slot that is not NUL-terminated is cut to its last character before comparing.
    for (uint32_t i = 0; i < TERMINAL_SLOTS; ++i)
    {
        aachCommand[i][TERMINAL_COMMAND_MAX - 1] = '\0';
    }
    uint32_t dwFound = TERMINAL_SLOTS; // no match: everything moves down, slot 8 is lost
    for (uint32_t k = 1; k < TERMINAL_SLOTS; ++k)
    {
        if (strcmp(aachCommand[0], aachCommand[k]) == 0)
        {
            dwFound = k;
            break;
        }
    }
    const uint32_t dwLastMoved = dwFound < TERMINAL_SLOTS ? dwFound : TERMINAL_SLOTS - 1;
    for (uint32_t k = dwLastMoved; k > 1; --k)
    {
        memcpy(aachCommand[k], aachCommand[k - 1], TERMINAL_COMMAND_MAX);
    }
    memcpy(aachCommand[1], aachCommand[0], TERMINAL_COMMAND_MAX);
}
