// The module an IO window serves: address and protocol of the selected list record, read
// afresh by the workers on every cycle. The main thread sets the selection before it starts a
// pair and does not change it while an IO window is open.
#pragma once

#include <cstdint>

struct IoTarget
{
    uint8_t m_chAddress;
    uint32_t m_dwProtocol; // ProtocolId; 0 when nothing valid is selected (no frames)
};

IoTarget fnIoTarget();
