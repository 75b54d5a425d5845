// The VQ-4618 exchange without its threads: every frame is the poll of the module's protocol,
// and the receive worker keeps the input byte. gstCommTRCIO_4618 carries one DigitalIo4618.
// m_byInputs is written by the receive worker and read by the window thread (atomic).
#pragma once

#include <atomic>
#include <cstdint>

class DigitalIo4618
{
  public:
    DigitalIo4618();
    DigitalIo4618(const DigitalIo4618&) = delete;
    DigitalIo4618& operator=(const DigitalIo4618&) = delete;

    std::atomic<uint8_t> m_byInputs; // bit k is INk

    // The poll into pbyFrame (FRAME_MAX bytes); 0 for a protocol without frames.
    uint32_t fnBuildNext(uint32_t dwProtocol, uint8_t chAddress, uint8_t* pbyFrame) const;

    // A DigitalJudge (io/DigitalIo4652.h): DigitalDisplay after a valid poll reply.
    uint32_t fnJudge(uint32_t dwProtocol, const uint8_t* pbyData, uint32_t dwLen);
};
