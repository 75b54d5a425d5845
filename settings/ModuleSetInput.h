// What the Module Settings dialog needs besides its controls: the check of the typed new
// address, and the preselection of the new values from the module and the port. Pure
// functions, called on the main thread.
#pragma once

#include "settings/ModuleSetPlan.h"

#include <cstdint>

const uint32_t SET_ADDRESS_TEXT_MAX = 63; // characters read from the new-address edit
const uint32_t SET_ADDRESS_SCAN_LIMIT = 16;

// Converts the new-address text (exactly one hex pair, spaces around it allowed). Returns
// nullptr and stores the byte when it is good; otherwise the GBK message to show (caption
// "模块设置") and leaves *pchAddress as it was.
const char* fnModuleSetCheckAddress(const char* pchText, uint8_t* pchAddress);

// The BaudIndex preselected for the port's present rate: 1200 -> 0 ... 115200 -> 7; any rate
// outside the table, 9600 included, -> 3.
uint32_t fnModuleSetBaudIndexOfRate(uint32_t dwRate);

// The protocol index preselected for a module's ProtocolId: 2 -> 1, 3 -> 2, any other -> 0.
uint32_t fnModuleSetProtocolIndexOfId(uint32_t dwProtocol);

// The present-protocol field: "VQASCII", "VQASCII-CHK", "Modbus RTU" for ProtocolId 1..3;
// nullptr for any other id (the field keeps its template text).
const char* fnModuleSetProtocolName(uint32_t dwProtocol);

// The names of the new-protocol list, by protocol index 0..2; "" outside.
const char* fnModuleSetProtocolIndexName(uint32_t dwProtocolIndex);

// The values the dialog opens with: the module's address and protocol, the port's rate.
ModuleSetting fnModuleSetInitial(uint8_t chAddress, uint32_t dwProtocol, uint32_t dwPortRate);
