#include "sim/SimSplitter.h"

namespace vqsim
{

namespace
{

bool isAsciiLead(uint8_t c)
{
    return c == '$' || c == '#' || c == '%';
}

} // namespace

int rtuRequestLength(const uint8_t* buf, size_t n)
{
    if (n < 2)
        return -1;
    switch (buf[1])
    {
    case 0x01:
    case 0x02:
    case 0x03:
    case 0x04:
    case 0x05:
    case 0x06:
        return 8;
    case 0x0F:
    case 0x10:
        return n < 7 ? -1 : 9 + buf[6];
    case 0x46:
        if (n < 3)
            return -1;
        if (buf[2] == 0x00)
            return 5;
        if (buf[2] == 0x04)
            return 9;
        if (buf[2] == 0x06)
            return 13;
        return 0;
    default:
        return 0;
    }
}

void FrameSplitter::feed(const uint8_t* data, size_t n, int64_t nowMs, std::vector<Piece>& out)
{
    if (!m_acc.empty() && nowMs - m_lastMs > kStaleMs)
    {
        m_noise.insert(m_noise.end(), m_acc.begin(), m_acc.end());
        m_acc.clear();
    }
    m_lastMs = nowMs;
    m_acc.insert(m_acc.end(), data, data + n);
    while (!m_acc.empty() && takeFrame(out))
    {
    }
    while (m_acc.size() > kMaxPending)
    {
        m_noise.push_back(m_acc.front());
        m_acc.erase(m_acc.begin());
    }
    flushNoise(out);
}

void FrameSplitter::flushNoise(std::vector<Piece>& out)
{
    if (m_noise.empty())
        return;
    Piece piece;
    piece.raw.swap(m_noise);
    out.push_back(std::move(piece));
}

// Takes one frame or one noise byte off the front; false when the front has to wait for
// more bytes.
bool FrameSplitter::takeFrame(std::vector<Piece>& out)
{
    const size_t size = m_acc.size();
    const int len = rtuRequestLength(m_acc.data(), size);
    size_t rtuLen = 0;
    if (len > 0 && size >= static_cast<size_t>(len) && crcOk(m_acc.data(), len))
        rtuLen = static_cast<size_t>(len);
    else if (len == 0 && size >= 4 && crcOk(m_acc.data(), size))
        rtuLen = size; // a function the modules do not know: one write is one frame
    const bool rtuWaiting = len < 0 || (len > 0 && size < static_cast<size_t>(len));
    if (rtuLen)
    {
        flushNoise(out);
        Piece piece;
        piece.isFrame = true;
        piece.frame.rtu = true;
        piece.raw.assign(m_acc.begin(), m_acc.begin() + rtuLen);
        piece.frame.bytes = piece.raw;
        m_acc.erase(m_acc.begin(), m_acc.begin() + rtuLen);
        out.push_back(std::move(piece));
        return true;
    }
    if (isAsciiLead(m_acc[0]))
    {
        size_t cr = 0;
        while (cr < size && m_acc[cr] != '\r')
            ++cr;
        if (cr == size)
            return skipToLaterFrame();
        // A frame restarts at its last leading character: a module drops a half command
        // when a new one begins.
        size_t start = cr;
        while (!isAsciiLead(m_acc[start]))
            --start;
        flushNoise(out);
        Piece piece;
        piece.isFrame = true;
        piece.raw.assign(m_acc.begin(), m_acc.begin() + cr + 1);
        piece.frame.bytes.assign(m_acc.begin() + start, m_acc.begin() + cr);
        m_acc.erase(m_acc.begin(), m_acc.begin() + cr + 1);
        out.push_back(std::move(piece));
        return true;
    }
    if (rtuWaiting)
        return skipToLaterFrame();
    m_noise.push_back(m_acc.front());
    m_acc.erase(m_acc.begin());
    return true;
}

// The front looks like the start of a frame still on its way. If a complete frame already
// follows it, the front was a torn fragment: drop it as noise.
bool FrameSplitter::skipToLaterFrame()
{
    const size_t size = m_acc.size();
    for (size_t k = 1; k < size; ++k)
    {
        const uint8_t* at = m_acc.data() + k;
        const int len = rtuRequestLength(at, size - k);
        bool found = len > 0 && size - k >= static_cast<size_t>(len) && crcOk(at, len);
        if (!found && isAsciiLead(*at))
            for (size_t i = k + 1; i < size && !found; ++i)
                found = m_acc[i] == '\r';
        if (found)
        {
            m_noise.insert(m_noise.end(), m_acc.begin(), m_acc.begin() + k);
            m_acc.erase(m_acc.begin(), m_acc.begin() + k);
            return true;
        }
    }
    return false;
}

} // namespace vqsim
