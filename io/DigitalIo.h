// The exchange of the two digital models (VQ-4652, VQ-4618) without their threads: which frame
// the transmit worker sends next, the output request of the IO window, and the bits the
// receive worker keeps. One DigitalIo per model, set apart only by its DigitalModel row; the
// record gstCommTRCIO_46xx carries it after its two halves.
//
// Committed outputs. A click never reads the boxes: it changes one bit of the committed
// outputs (fnCommittedOutputs), which are the last request while it is not yet confirmed, else
// the outputs as last read back, and the write carries them. The boxes are the user's to
// toggle and the state display's to set from m_byOutputs, the read-back: a poll reply that
// comes before the write has gone out shows the module's current outputs again, while the
// write still carries the click. The module answers in order, so a poll reply that comes while
// a write is on its way (sent, not yet confirmed) answers a poll sent before that write;
// nothing asks to show it, and it is stale and not kept. The write's confirmation sets the
// read-back outputs to what was written, which the next poll reply shows; should it never come
// (a refusal, a garbled reply), the first read-back DIGITAL_CONFIRM_MS after the write counts
// again.
//
// Threading contract (every field atomic, each with one writer):
// - window thread: fnClick writes m_byOutputsSet, m_dwRequestSeq and the two state fields;
//   fnCommittedOutputs may run anywhere.
// - transmit worker: fnStart and fnBuildNext; it writes m_adwSent, m_dwSentMs, m_dwWritesSent
//   and resets the state fields (fnStart also drops an old request: no reply of the new pair
//   can be under way yet).
// - receive worker: fnJudge writes m_byInputs, m_byOutputs, m_dwConfirmedSeq, m_dwWritesAcked.
#pragma once

#include <atomic>
#include <cstdint>

#include "io/DigitalDecode.h"

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
// A write still unconfirmed this long after it left was refused or its reply lost.
const uint32_t DIGITAL_CONFIRM_MS = DIGITAL_MISS_LIMIT * DIGITAL_WAIT_MS;
const uint32_t DIGITAL_INPUTS_MAX = 8;
const uint32_t DIGITAL_OUTPUTS_MAX = 4;
const uint32_t DIGITAL_WRITES_KEPT = 8; // writes on their way at once (one a pace at most)

// One digital model.
struct DigitalModel
{
    uint16_t wInputs;  // input channels, the Read Discrete Inputs quantity
    uint16_t wOutputs; // relay outputs, the Read Coils quantity; 0: no outputs
    DigitalReply (*pfnDecode)(uint32_t dwProtocol, const uint8_t* pbyData, uint32_t dwLen);
};

extern const DigitalModel DIGITAL_MODEL_4652;
extern const DigitalModel DIGITAL_MODEL_4618;

class DigitalIo
{
  public:
    explicit DigitalIo(const DigitalModel& stModel);
    DigitalIo(const DigitalIo&) = delete;
    DigitalIo& operator=(const DigitalIo&) = delete;

    const DigitalModel& m_stModel;
    std::atomic<uint32_t> m_nAsciiState;
    std::atomic<uint32_t> m_nRtuState;
    std::atomic<uint8_t> m_byInputs;     // bit k is INk
    std::atomic<uint8_t> m_byOutputsSet; // bit k is OUTk, as last asked for
    std::atomic<uint8_t> m_byOutputs;    // bit k is OUTk, as read back (or confirmed)

    // Transmit worker start: a write request left over from an earlier window is dropped.
    void fnStart(uint32_t dwProtocol);

    // Builds the next frame for the module's ProtocolId into pbyFrame (FRAME_MAX bytes) and
    // advances the sequence. 0 for a protocol without frames: the worker sends nothing and
    // sleeps its pace before it asks again.
    uint32_t fnBuildNext(uint32_t dwProtocol, uint8_t chAddress, uint8_t* pbyFrame,
                         uint32_t dwNowMs);

    // Window thread, a click on OUTk: the committed outputs with bit k changed become the
    // request, which one write takes in place of the next poll. Returns the new outputs.
    uint8_t fnClick(uint32_t k);

    // The outputs a click starts from: the request until it is confirmed, then the read-back.
    uint8_t fnCommittedOutputs() const;

    // Receive worker: judges one completed read and stores the bits it carries.
    uint32_t fnJudge(uint32_t dwProtocol, const uint8_t* pbyData, uint32_t dwLen, uint32_t dwNowMs);

  private:
    uint8_t fnTakeWrite(uint32_t dwNowMs);
    void fnReadBack(uint8_t byOutputs, uint32_t dwNowMs);
    void fnWriteConfirmed();

    std::atomic<uint32_t> m_dwRequestSeq;   // clicks so far (low 24 bits)
    std::atomic<uint32_t> m_dwConfirmedSeq; // the click whose outputs the module has
    std::atomic<uint32_t> m_dwWritesSent;
    std::atomic<uint32_t> m_dwWritesAcked;
    std::atomic<uint32_t> m_dwSentMs;                     // when the last write was built
    std::atomic<uint32_t> m_adwSent[DIGITAL_WRITES_KEPT]; // click << 8 | outputs, by write count
};
