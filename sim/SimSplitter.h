// Cuts the byte stream the PC writes into frames. A pseudo-terminal has no line timing, so
// frames cannot be told apart by silence: an ASCII frame runs from its leading "$", "#" or
// "%" to the CR, a Modbus RTU frame is recognised by the length its function code implies
// and a valid CRC. Bytes that fit neither are dropped, one at a time, until a frame starts.
#pragma once

#include "sim/SimModule.h"

#include <vector>

namespace vqsim
{

struct Piece
{
    bool isFrame = false; // false: bytes that were dropped as noise
    Frame frame;
    Bytes raw; // every byte this piece consumed, for the log
};

class FrameSplitter
{
  public:
    // Bytes left waiting longer than this are no longer part of a frame.
    static constexpr int64_t kStaleMs = 500;
    static constexpr size_t kMaxPending = 2048;

    void feed(const uint8_t* data, size_t n, int64_t nowMs, std::vector<Piece>& out);
    size_t pending() const { return m_acc.size(); }

  private:
    bool takeFrame(std::vector<Piece>& out);
    bool skipToLaterFrame();
    void flushNoise(std::vector<Piece>& out);

    Bytes m_acc;
    Bytes m_noise;
    int64_t m_lastMs = 0;
};

// Expected length of an RTU request that starts buf: > 0 known, 0 unknown function,
// -1 when more bytes are needed to tell.
int rtuRequestLength(const uint8_t* buf, size_t n);

} // namespace vqsim
