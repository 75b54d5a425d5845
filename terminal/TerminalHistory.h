// The terminal's command history: slot 0 is the command just read, slots 1..8 the history,
// most recent first. Main thread only.
#pragma once

#include "terminal/TerminalSetting.h"

// Puts slot 0 at the front of the history: a new text pushes the others down (slot 8 is
// lost), a text already there moves to slot 1. Comparison is exact; empty texts count too.
void fnHistoryInsert(char aachCommand[TERMINAL_SLOTS][TERMINAL_COMMAND_MAX]);
