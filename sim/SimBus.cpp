#include "sim/SimBus.h"

#include <cstdlib>

namespace vqsim
{

namespace
{

bool parseCount(const std::string& text, unsigned& value)
{
    if (text.empty() || text.size() > 7)
        return false;
    for (char c : text)
        if (c < '0' || c > '9')
            return false;
    value = static_cast<unsigned>(std::strtoul(text.c_str(), nullptr, 10));
    return true;
}

} // namespace

bool parseFaultRule(const std::string& text, uint8_t& address, FaultSet& into, std::string& error)
{
    if (text.size() < 4 || text[2] != ':' || !parseHex2(text, 0, address))
    {
        error = "fault \"" + text + "\": expected ADDR:KIND[=ARG]";
        return false;
    }
    const std::string rest = text.substr(3);
    const size_t eq = rest.find('=');
    const std::string kind = rest.substr(0, eq);
    const bool hasArg = eq != std::string::npos;
    uint8_t hexArg = 0;
    if ((kind == "from" || kind == "refuse") && hasArg && rest.size() == eq + 3 &&
        parseHex2(rest, eq + 1, hexArg))
    {
        (kind == "from" ? into.from : into.refuse) = hexArg;
        return true;
    }
    unsigned arg = 0;
    if (hasArg && !parseCount(rest.substr(eq + 1), arg))
    {
        error = "fault \"" + text + "\": the argument must be a number";
        return false;
    }
    const bool needsArg =
        kind == "extra" || kind == "split" || kind == "delay" || kind == "flood" || kind == "cut";
    if ((kind == "silent" || kind == "badsum") && !hasArg)
    {
        if (kind == "silent")
            into.silent = true;
        else
            into.badsum = true;
        return true;
    }
    if (needsArg && hasArg)
    {
        if (kind == "extra")
            into.extra = arg;
        else if (kind == "split")
            into.splitMs = arg;
        else if (kind == "delay")
            into.delayMs = arg;
        else if (kind == "cut")
            into.cut = arg;
        else
            into.flood = arg;
        return true;
    }
    error = "fault \"" + text +
            "\": kind must be silent, badsum, extra=N, split=MS, delay=MS, flood=N, cut=N, "
            "from=HH or refuse=HH";
    return false;
}

void Bus::reset(const std::vector<ModuleDef>& defs)
{
    m_modules.clear();
    for (const ModuleDef& def : defs)
        m_modules.emplace_back(def);
    m_faults.clear();
    m_stateChanged = true;
}

bool Bus::addFault(const std::string& rule, std::string& error)
{
    uint8_t address = 0;
    FaultSet check;
    if (!parseFaultRule(rule, address, check, error))
        return false; // bad text changes nothing
    return parseFaultRule(rule, address, m_faults[address], error);
}

void Bus::clearFaults(uint8_t address)
{
    m_faults.erase(address);
}

const FaultSet* Bus::faults(uint8_t address) const
{
    auto it = m_faults.find(address);
    return it == m_faults.end() ? nullptr : &it->second;
}

bool Bus::setInputs(uint8_t address, uint8_t value)
{
    bool found = false;
    for (Module& module : m_modules)
        if (module.def().address == address && !module.isAnalog())
        {
            module.setInputs(value);
            found = true;
        }
    return found;
}

bool Bus::holdAnalog(uint8_t address, unsigned ch, double value)
{
    bool found = false;
    for (Module& module : m_modules)
        if (module.def().address == address && module.holdAnalog(ch, value))
            found = true;
    return found;
}

bool Bus::releaseAnalog(uint8_t address)
{
    bool found = false;
    for (Module& module : m_modules)
        if (module.def().address == address && module.isAnalog())
        {
            module.releaseAnalog();
            found = true;
        }
    return found;
}

void Bus::feed(const uint8_t* data, size_t n, uint32_t lineBaud, int64_t nowMs,
               std::vector<Emission>& out, std::vector<Bytes>* heard)
{
    std::vector<Piece> pieces;
    m_splitter.feed(data, n, nowMs, pieces);
    for (const Piece& piece : pieces)
    {
        if (heard)
            heard->push_back(piece.raw);
        if (piece.isFrame)
            answer(piece.frame, lineBaud, nowMs, out);
    }
}

Bytes Bus::exchange(const Bytes& request, uint32_t lineBaud, int64_t nowMs)
{
    std::vector<Emission> out;
    feed(request.data(), request.size(), lineBaud, nowMs, out);
    Bytes all;
    for (const Emission& e : out)
        all.insert(all.end(), e.bytes.begin(), e.bytes.end());
    return all;
}

// Every module hears the frame. One whose baud differs from the line's cannot make sense
// of it; with --garbage it still "answers" the frames meant for it, as a burst of bytes
// sampled at the wrong rate.
void Bus::answer(const Frame& frame, uint32_t lineBaud, int64_t nowMs, std::vector<Emission>& out)
{
    for (Module& module : m_modules)
    {
        const uint8_t address = module.def().address;
        const Proto proto = module.def().proto;
        Bytes reply;
        if (module.def().baud != lineBaud)
        {
            Module probe = module;
            if (!m_garbage || !probe.handle(frame, nowMs, reply))
                continue;
            reply = noise(reply.size(), true);
        }
        else if (!module.handle(frame, nowMs, reply))
            continue;
        if (module.takeChanged())
            m_stateChanged = true;
        const FaultSet* faults = this->faults(address);
        applyFaults(faults ? *faults : FaultSet(), proto, std::move(reply), nowMs, out);
    }
}

namespace
{

// Puts the checksum digits (chk) or the CRC (rtu) of a rewritten reply right again.
void resealReply(Proto proto, Bytes& reply)
{
    if (proto == Proto::Rtu && reply.size() >= 2)
    {
        reply.resize(reply.size() - 2);
        appendCrc(reply);
    }
    else if (proto == Proto::AsciiChk && reply.size() >= 3)
    {
        const std::string digits = hex2(byteSum(reply.data(), reply.size() - 3));
        reply[reply.size() - 3] = static_cast<uint8_t>(digits[0]);
        reply[reply.size() - 2] = static_cast<uint8_t>(digits[1]);
    }
}

// A refusal in place of the answer: "?" for "!" in ASCII, the exception reply of the
// request's function in RTU.
void refuseReply(Proto proto, uint8_t code, Bytes& reply)
{
    if (proto == Proto::Rtu && reply.size() >= 2)
        reply = {reply[0], static_cast<uint8_t>(reply[1] | 0x80), code, 0x00, 0x00};
    else if (!reply.empty() && reply[0] == '!')
        reply[0] = '?';
    resealReply(proto, reply);
}

// The reply names another address: byte 0 in RTU, the two digits after the lead in ASCII.
void renameReply(Proto proto, uint8_t address, Bytes& reply)
{
    if (proto == Proto::Rtu && !reply.empty())
        reply[0] = address;
    else if (reply.size() >= 3)
    {
        const std::string digits = hex2(address);
        reply[1] = static_cast<uint8_t>(digits[0]);
        reply[2] = static_cast<uint8_t>(digits[1]);
    }
    resealReply(proto, reply);
}

} // namespace

void Bus::applyFaults(const FaultSet& faults, Proto proto, Bytes reply, int64_t nowMs,
                      std::vector<Emission>& out)
{
    if (faults.silent)
        return;
    if (faults.refuse >= 0)
        refuseReply(proto, static_cast<uint8_t>(faults.refuse), reply);
    if (faults.from >= 0)
        renameReply(proto, static_cast<uint8_t>(faults.from), reply);
    if (faults.flood)
        reply = noise(faults.flood, false);
    else if (faults.badsum && proto == Proto::Rtu && reply.size() >= 2)
        reply[reply.size() - 2] ^= 0xFF;
    else if (faults.badsum && proto == Proto::AsciiChk && reply.size() >= 3)
    {
        // One more than the right sum, still two uppercase digits.
        uint8_t sum = byteSum(reply.data(), reply.size() - 3);
        std::string digits = hex2(static_cast<uint8_t>(sum + 1));
        reply[reply.size() - 3] = static_cast<uint8_t>(digits[0]);
        reply[reply.size() - 2] = static_cast<uint8_t>(digits[1]);
    }
    if (faults.cut)
    {
        reply.resize(reply.size() > faults.cut ? reply.size() - faults.cut : 0);
        if (reply.empty() && faults.extra == 0)
            return;
    }
    reply.insert(reply.end(), faults.extra, 0x55);
    const int64_t due = nowMs + faults.delayMs;
    if (faults.splitMs && reply.size() >= 2)
    {
        const size_t half = reply.size() / 2;
        out.push_back({due, Bytes(reply.begin(), reply.begin() + half)});
        out.push_back({due + faults.splitMs, Bytes(reply.begin() + half, reply.end())});
        return;
    }
    out.push_back({due, std::move(reply)});
}

// garbled: what a UART reads from a line at the wrong rate (framing-error bytes);
// otherwise printable line noise without CR, to fill a receiver's buffer.
Bytes Bus::noise(size_t n, bool garbled)
{
    Bytes out;
    out.reserve(n);
    for (size_t i = 0; i < n; ++i)
    {
        m_seed = m_seed * 1103515245u + 12345u;
        const uint8_t r = static_cast<uint8_t>(m_seed >> 16);
        if (garbled)
            out.push_back(static_cast<uint8_t>(0x80 | r)); // never a CR, never plain text
        else
            out.push_back(static_cast<uint8_t>(0x20 + r % 0x5F));
    }
    return out;
}

bool Bus::takeStateChanged()
{
    bool changed = m_stateChanged;
    m_stateChanged = false;
    return changed;
}

std::vector<std::string> Bus::stateLines() const
{
    std::vector<std::string> lines;
    for (const Module& module : m_modules)
    {
        const ModuleDef& def = module.def();
        lines.push_back(hex2(def.address) + "," + modelName(def) + "," + protoName(def.proto) +
                        "," + std::to_string(def.baud) + " outputs=" + hex2(module.outputs()));
    }
    return lines;
}

} // namespace vqsim
