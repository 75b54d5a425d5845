// Decoding of the analog modules' replies (VQ-4624, VQ-4637) into the eight channel values
// and display texts, the reply wait by baud rate, and which channels are current or voltage.
// Pure functions; the receive workers call them.
#pragma once

#include <cstdint>

const uint32_t ANALOG_CHANNELS = 8;
const uint32_t ANALOG_TEXT_MAX = 32;
const uint32_t ANALOG_FAILURE_LIMIT = 4; // failures in a row that end the window

enum AnalogModel : uint32_t
{
    AnalogModel4624 = 0, // CH0..CH3 current (mA), CH4..CH7 voltage (V)
    AnalogModel4637 = 1, // CH0..CH7 current (mA)
};

// m_szValue and m_fValue of an analog record: written only by a reply that decoded whole.
struct AnalogValues
{
    char m_szValue[ANALOG_CHANNELS][ANALOG_TEXT_MAX]; // without unit: "4.000", "12.345"
    float m_fValue[ANALOG_CHANNELS];                  // mA or V
};

enum AnalogJudge : uint32_t
{
    AnalogIgnored = 0, // a protocol without frames: not counted
    AnalogFailed = 1,  // wrong length or a failed check: one failure more
    AnalogValid = 2,   // all eight values stored: update the window, failure count 0
};

// Judges one completed read of the module's ProtocolId. Only a valid reply touches *pstValues;
// every field (or the CRC) is checked before any slot is written.
uint32_t fnDecodeAnalog(uint32_t dwProtocol, const uint8_t* pbyData, uint32_t dwLen,
                        AnalogValues* pstValues);

// The wait in ms between asking for a poll and starting the read, by BaudIndex.
uint32_t GetReplyWaitTime(uint32_t dwBaudIndex);

// True for the voltage channels (VQ-4624 CH4..CH7).
bool fnAnalogIsVoltage(uint32_t dwModel, uint32_t dwChannel);

// "V" for a voltage channel, "mA" otherwise.
const char* fnAnalogUnit(uint32_t dwModel, uint32_t dwChannel);
