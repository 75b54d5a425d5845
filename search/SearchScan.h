// Bookkeeping of the bus scan: which address and protocol to ask next, when the scan is over,
// where the progress bar stands. Portable; only the search's transmit thread calls these while
// a search runs, and it owns the scan state of the list it passes in.
#pragma once

#include "search/ModuleList.h"

#include <cstdint>

// Protocol 1 at the start address, an empty list.
void fnScanStart(ModuleList& stList, uint8_t chStartAddress);

// The name query for the current address and protocol; returns its length.
uint32_t fnScanFrame(const ModuleList& stList, uint8_t* pbyFrame);

// Moves to the next protocol, and after Modbus RTU back to VQASCII at the next address.
// Returns false when the step just asked was the last one (Modbus RTU at 0xFF); the address then
// stays at 0xFF and the protocol returns to 1.
bool fnScanAdvance(ModuleList& stList);

enum ScanReplyResult : uint32_t
{
    ScanReplyIgnored = 0, // not one exact reply of the protocol asked
    ScanReplyAdded = 1,   // a new record at index m_dwCount - 1
};

// Parses the bytes collected after a query with the parser of the protocol asked and, on
// success, raises the count.
ScanReplyResult fnScanReply(ModuleList& stList, const uint8_t* pbyData, uint32_t dwLen);

// True once the list holds MODULE_LIST_MAX records: the scan must stop.
bool fnScanListFull(const ModuleList& stList);

// Progress bar range maximum (0 .. 255 minus the start address) and position.
uint32_t fnScanProgressRange(uint8_t chStartAddress);
uint32_t fnScanProgressPos(const ModuleList& stList, uint8_t chStartAddress);
