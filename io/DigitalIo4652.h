// The VQ-4652 exchange without its threads: which frame the transmit worker sends next, the
// write request set by the IO window, and the bits the receive worker keeps. The record
// gstCommTRCIO_4652 carries one DigitalIo4652 after its two halves.
//
// Threading contract: the window thread calls fnRequestWrite and reads m_byInputs and
// m_byOutputs; the transmit worker calls fnStart and fnBuildNext; the receive worker calls
// fnJudge. Every field is atomic. A click is never lost: the transmit worker takes the
// request with a compare-exchange, so a click that lands while it builds a poll is seen at
// the next frame.
#pragma once

#include <atomic>
#include <cstdint>

// m_nAsciiState.
enum DigitalAsciiState : uint32_t
{
    DigitalAsciiPoll = 0,
    DigitalAsciiWrite = 1,
};

// m_nRtuState.
enum DigitalRtuState : uint32_t
{
    DigitalRtuCoils = 0,
    DigitalRtuInputs = 1,
    DigitalRtuWrite = 2,
};

// What the receive worker does after fnJudge.
enum DigitalJudge : uint32_t
{
    DigitalIgnored = 0,   // not a reply: the miss count stays as it is
    DigitalConfirmed = 1, // a write confirmation: miss count 0
    DigitalDisplay = 2,   // bits stored: call the state display, miss count 0
};

const uint32_t DIGITAL_PACE_MS = 200;  // sleep after each completed write
const uint32_t DIGITAL_WAIT_MS = 500;  // slice of every write and read wait
const uint32_t DIGITAL_MISS_LIMIT = 3; // empty read waits in a row that end the window

class DigitalIo4652
{
  public:
    DigitalIo4652();
    DigitalIo4652(const DigitalIo4652&) = delete;
    DigitalIo4652& operator=(const DigitalIo4652&) = delete;

    std::atomic<uint32_t> m_nAsciiState;
    std::atomic<uint32_t> m_nRtuState;
    std::atomic<uint8_t> m_byInputs;     // bit k is INk
    std::atomic<uint8_t> m_byOutputsSet; // bit k is OUTk, to be written
    std::atomic<uint8_t> m_byOutputs;    // bit k is OUTk, as read back

    // Transmit worker start: a write request left over from an earlier window is dropped.
    void fnStart(uint32_t dwProtocol);

    // Builds the next frame for the module's ProtocolId into pbyFrame (FRAME_MAX bytes) and
    // advances the sequence. 0 for a protocol without frames: the worker sends nothing and
    // sleeps its pace before it asks again.
    uint32_t fnBuildNext(uint32_t dwProtocol, uint8_t chAddress, uint8_t* pbyFrame);

    // Window thread: all four boxes as they stand now; one write replaces the next poll.
    void fnRequestWrite(uint8_t byOutputs);

    // Receive worker: judges one completed read and stores the bits it carries.
    uint32_t fnJudge(uint32_t dwProtocol, const uint8_t* pbyData, uint32_t dwLen);
};
