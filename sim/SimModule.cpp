#include "sim/SimModule.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace vqsim
{

namespace
{

const uint32_t kBauds[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200};

uint8_t modelHigh(Model)
{
    return 0x46; // every model number starts with 46
}

uint8_t modelLow(Model model)
{
    switch (model)
    {
    case Model::M4652:
        return 0x52;
    case Model::M4618:
        return 0x18;
    case Model::M4624:
        return 0x24;
    case Model::M4637:
        return 0x37;
    }
    return 0x00;
}

uint8_t variantCode(const std::string& variant)
{
    if (variant == "D")
        return 1;
    if (variant == "G")
        return 2;
    if (variant == "GD")
        return 3;
    return 0;
}

void put16(Bytes& out, unsigned value)
{
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
    out.push_back(static_cast<uint8_t>(value & 0xFF));
}

unsigned get16(const Bytes& frame, size_t pos)
{
    return (static_cast<unsigned>(frame[pos]) << 8) | frame[pos + 1];
}

} // namespace

bool isValidBaud(uint32_t baud)
{
    for (uint32_t b : kBauds)
        if (b == baud)
            return true;
    return false;
}

uint32_t baudFromCode(uint8_t code)
{
    if (code < 3 || code > 10)
        return 0;
    return kBauds[code - 3];
}

const char* protoName(Proto proto)
{
    switch (proto)
    {
    case Proto::Ascii:
        return "ascii";
    case Proto::AsciiChk:
        return "chk";
    case Proto::Rtu:
        return "rtu";
    }
    return "?";
}

std::string modelName(const ModuleDef& def)
{
    char digits[8];
    std::snprintf(digits, sizeof digits, "46%02X", modelLow(def.model));
    return std::string(digits) + def.variant;
}

bool parseModuleDef(const std::string& text, ModuleDef& def, std::string& error)
{
    std::vector<std::string> parts;
    size_t start = 0;
    for (;;)
    {
        size_t comma = text.find(',', start);
        if (comma == std::string::npos)
        {
            parts.push_back(text.substr(start));
            break;
        }
        parts.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    if (parts.size() != 4)
    {
        error = "module \"" + text + "\": expected ADDR,MODEL,PROTO,BAUD";
        return false;
    }
    ModuleDef out;
    if (parts[0].size() != 2 || !parseHex2(parts[0], 0, out.address))
    {
        error = "module \"" + text + "\": address must be two hex digits";
        return false;
    }
    const std::string& m = parts[1];
    if (m == "4652" || m == "4652D" || m == "4652G" || m == "4652GD")
    {
        out.model = Model::M4652;
        out.variant = m.substr(4);
    }
    else if (m == "4618")
        out.model = Model::M4618;
    else if (m == "4624")
        out.model = Model::M4624;
    else if (m == "4637")
        out.model = Model::M4637;
    else
    {
        error =
            "module \"" + text + "\": model must be 4652, 4652D, 4652G, 4652GD, 4618, 4624 or 4637";
        return false;
    }
    if (parts[2] == "ascii")
        out.proto = Proto::Ascii;
    else if (parts[2] == "chk")
        out.proto = Proto::AsciiChk;
    else if (parts[2] == "rtu")
        out.proto = Proto::Rtu;
    else
    {
        error = "module \"" + text + "\": protocol must be ascii, chk or rtu";
        return false;
    }
    char* end = nullptr;
    unsigned long baud = std::strtoul(parts[3].c_str(), &end, 10);
    if (parts[3].empty() || *end != '\0' || !isValidBaud(static_cast<uint32_t>(baud)))
    {
        error = "module \"" + text +
                "\": baud must be 1200, 2400, 4800, 9600, 19200, 38400, 57600 or 115200";
        return false;
    }
    out.baud = static_cast<uint32_t>(baud);
    def = out;
    return true;
}

Module::Module(const ModuleDef& def) : m_def(def) {}

unsigned Module::inputCount() const
{
    if (m_def.model == Model::M4652)
        return 4;
    if (m_def.model == Model::M4618)
        return 8;
    return 0;
}

void Module::setInputs(uint8_t value)
{
    m_inputs = inputCount() == 4 ? static_cast<uint8_t>(value & 0x0F) : value;
}

bool Module::holdAnalog(unsigned ch, double value)
{
    if (!isAnalog() || ch >= 8 || !std::isfinite(value))
        return false;
    if (value < 0)
        value = 0;
    if (value > 65.535)
        value = 65.535;
    m_held[ch] = true;
    m_heldValue[ch] = value;
    return true;
}

void Module::releaseAnalog()
{
    for (bool& held : m_held)
        held = false;
}

double Module::fullScale(unsigned ch) const
{
    if (m_def.model == Model::M4624 && ch >= 4)
        return 10.0;
    return 20.0;
}

double Module::analogValue(unsigned ch, int64_t nowMs) const
{
    double value;
    if (ch < 8 && m_held[ch])
        value = m_heldValue[ch];
    else
    {
        // A slow triangle per channel, each with its own period and phase, so that the
        // trend chart shows eight distinct lines.
        double period = 40000.0 + 5000.0 * ch;
        double phase = std::fmod(static_cast<double>(nowMs) + period * ch / 8.0, period) / period;
        double tri = phase < 0.5 ? phase * 2.0 : (1.0 - phase) * 2.0;
        value = fullScale(ch) * tri;
    }
    return std::round(value * 1000.0) / 1000.0;
}

bool Module::takeChanged()
{
    bool changed = m_changed;
    m_changed = false;
    return changed;
}

bool Module::handle(const Frame& frame, int64_t nowMs, Bytes& reply)
{
    reply.clear();
    if (frame.rtu)
        return m_def.proto == Proto::Rtu && handleRtu(frame.bytes, nowMs, reply);
    if (m_def.proto == Proto::Rtu || frame.bytes.empty())
        return false;
    std::string text(frame.bytes.begin(), frame.bytes.end());
    const Proto asked = m_def.proto;
    if (asked == Proto::AsciiChk)
    {
        uint8_t sum = 0;
        if (text.size() < 3 || !parseHex2(text, text.size() - 2, sum))
            return false;
        text.resize(text.size() - 2);
        if (byteSum(text) != sum)
            return false;
    }
    std::string body;
    if (!handleAscii(text, nowMs, body))
        return false;
    if (asked == Proto::AsciiChk)
        body += hex2(byteSum(body));
    body += '\r';
    reply = toBytes(body);
    return true;
}

bool Module::handleAscii(const std::string& text, int64_t nowMs, std::string& body)
{
    uint8_t address = 0;
    if (text.size() < 3 || !parseHex2(text, 1, address) || address != m_def.address)
        return false;
    const std::string aa = hex2(m_def.address);
    const std::string cmd = text.substr(3);
    const char lead = text[0];
    if (lead == '$' && cmd == "M")
    {
        body = "!" + aa + modelName(m_def);
        return true;
    }
    if (lead == '$' && cmd == "6" && inputCount() > 0)
    {
        body = "!" + hex2(coilCount() ? m_outputs : 0) + hex2(m_inputs) + "00";
        return true;
    }
    if (lead == '#' && cmd.size() == 4 && cmd.compare(0, 2, "00") == 0 && coilCount() > 0)
    {
        uint8_t value = 0;
        if (!parseHex2(cmd, 2, value))
            return false;
        uint8_t outputs = static_cast<uint8_t>(value & 0x0F);
        if (outputs != m_outputs)
            m_changed = true;
        m_outputs = outputs;
        body = ">";
        return true;
    }
    if (lead == '#' && cmd.empty() && isAnalog())
    {
        body = ">";
        for (unsigned ch = 0; ch < 8; ++ch)
        {
            char field[16];
            std::snprintf(field, sizeof field, "+%06.3f", analogValue(ch, nowMs));
            body += field;
        }
        return true;
    }
    if (lead == '%')
        return asciiSettings(text, body);
    return false;
}

// "%AANN40CCFF": new address NN, fixed "40", baud code CC, format code FF. The module
// answers "!NN" from its new address when it takes the settings, "?NN" when a code is not
// one it knows; the new settings hold from the next frame on.
bool Module::asciiSettings(const std::string& text, std::string& body)
{
    uint8_t newAddress = 0;
    if (text.size() != 11 || !parseHex2(text, 3, newAddress))
        return false;
    const std::string nn = hex2(newAddress);
    uint8_t code = 0;
    const std::string format = text.substr(9, 2);
    uint32_t baud = parseHex2(text, 7, code) ? baudFromCode(code) : 0;
    Proto proto = Proto::Ascii;
    bool formatOk = true;
    if (format == "00")
        proto = Proto::Ascii;
    else if (format == "40")
        proto = Proto::AsciiChk;
    else if (format == "04")
        proto = Proto::Rtu;
    else
        formatOk = false;
    if (text.compare(5, 2, "40") != 0 || baud == 0 || !formatOk)
    {
        body = "?" + nn;
        return true;
    }
    body = "!" + nn;
    m_def.address = newAddress;
    m_def.baud = baud;
    m_def.proto = proto;
    m_changed = true;
    return true;
}

void Module::exception(uint8_t function, uint8_t code, Bytes& reply) const
{
    reply = {m_def.address, static_cast<uint8_t>(function | 0x80), code};
    appendCrc(reply);
}

bool Module::handleRtu(const Bytes& frame, int64_t nowMs, Bytes& reply)
{
    if (frame.size() < 4 || frame[0] != m_def.address)
        return false;
    const uint8_t function = frame[1];
    switch (function)
    {
    case 0x46:
        return rtuFunction46(frame, reply);
    case 0x01:
        if (coilCount() == 0 || frame.size() != 8)
            break;
        return rtuReadBits(frame, m_outputs, coilCount(), reply);
    case 0x02:
        if (inputCount() == 0 || frame.size() != 8)
            break;
        return rtuReadBits(frame, m_inputs, inputCount(), reply);
    case 0x04:
        if (!isAnalog() || frame.size() != 8)
            break;
        return rtuReadInputRegisters(frame, nowMs, reply);
    case 0x05:
        if (coilCount() == 0 || frame.size() != 8)
            break;
        return rtuWriteCoil(frame, reply);
    case 0x0F:
        if (coilCount() == 0)
            break;
        return rtuWriteCoils(frame, reply);
    default:
        break;
    }
    exception(function, 0x01, reply);
    return true;
}

// Function 0x46: 0x00 module name; 0x04 new address (takes effect at once, the reply comes
// from the new address); 0x06 baud rate and protocol (take effect after the reply).
bool Module::rtuFunction46(const Bytes& frame, Bytes& reply)
{
    const uint8_t sub = frame[2];
    if (sub == 0x00 && frame.size() == 5)
    {
        reply = {m_def.address,
                 0x46,
                 0x00,
                 0x00,
                 modelHigh(m_def.model),
                 modelLow(m_def.model),
                 variantCode(m_def.variant)};
        appendCrc(reply);
        return true;
    }
    if (sub == 0x04 && frame.size() == 9)
    {
        const uint8_t newAddress = frame[3];
        if (newAddress == 0x00 || newAddress > 0xF7)
        {
            exception(0x46, 0x03, reply); // 0 is broadcast, 0xF8..0xFF are reserved
            return true;
        }
        reply = {newAddress, 0x46, 0x04, 0x00, 0x00, 0x00, 0x00};
        appendCrc(reply);
        m_def.address = newAddress;
        m_changed = true;
        return true;
    }
    if (sub == 0x06 && frame.size() == 13)
    {
        const uint32_t baud = baudFromCode(frame[4]);
        Proto proto = Proto::Ascii;
        bool protoOk = true;
        if (frame[8] == 0x00 && frame[9] == 0x00)
            proto = Proto::Ascii;
        else if (frame[8] == 0x00 && frame[9] == 0x01)
            proto = Proto::AsciiChk;
        else if (frame[8] == 0x01 && frame[9] == 0x00)
            proto = Proto::Rtu;
        else
            protoOk = false;
        if (baud == 0 || !protoOk)
        {
            exception(0x46, 0x03, reply);
            return true;
        }
        reply = {m_def.address, 0x46, 0x06, 0, 0, 0, 0, 0, 0, 0, 0};
        appendCrc(reply);
        m_def.baud = baud;
        m_def.proto = proto;
        m_changed = true;
        return true;
    }
    exception(0x46, 0x01, reply);
    return true;
}

bool Module::rtuReadBits(const Bytes& frame, uint8_t bits, unsigned count, Bytes& reply)
{
    const unsigned start = get16(frame, 2);
    const unsigned quantity = get16(frame, 4);
    if (quantity == 0 || quantity > 2000)
    {
        exception(frame[1], 0x03, reply);
        return true;
    }
    if (start + quantity > count)
    {
        exception(frame[1], 0x02, reply);
        return true;
    }
    const uint8_t value = static_cast<uint8_t>((bits >> start) & ((1u << quantity) - 1u));
    reply = {m_def.address, frame[1], 0x01, value};
    appendCrc(reply);
    return true;
}

bool Module::rtuWriteCoils(const Bytes& frame, Bytes& reply)
{
    if (frame.size() < 10 || frame.size() != 9u + frame[6])
        return false;
    const unsigned start = get16(frame, 2);
    const unsigned quantity = get16(frame, 4);
    if (quantity == 0 || frame[6] != (quantity + 7) / 8)
    {
        exception(0x0F, 0x03, reply);
        return true;
    }
    if (start + quantity > coilCount())
    {
        exception(0x0F, 0x02, reply);
        return true;
    }
    const unsigned mask = ((1u << quantity) - 1u) << start;
    const unsigned value = (static_cast<unsigned>(frame[7]) << start) & mask;
    const uint8_t outputs = static_cast<uint8_t>((m_outputs & ~mask) | value);
    if (outputs != m_outputs)
        m_changed = true;
    m_outputs = outputs;
    reply.assign(frame.begin(), frame.begin() + 6);
    appendCrc(reply);
    return true;
}

bool Module::rtuWriteCoil(const Bytes& frame, Bytes& reply)
{
    const unsigned coil = get16(frame, 2);
    const unsigned value = get16(frame, 4);
    if (value != 0xFF00 && value != 0x0000)
    {
        exception(0x05, 0x03, reply);
        return true;
    }
    if (coil >= coilCount())
    {
        exception(0x05, 0x02, reply);
        return true;
    }
    uint8_t outputs = m_outputs;
    if (value)
        outputs = static_cast<uint8_t>(outputs | (1u << coil));
    else
        outputs = static_cast<uint8_t>(outputs & ~(1u << coil));
    if (outputs != m_outputs)
        m_changed = true;
    m_outputs = outputs;
    reply.assign(frame.begin(), frame.begin() + 6);
    appendCrc(reply);
    return true;
}

bool Module::rtuReadInputRegisters(const Bytes& frame, int64_t nowMs, Bytes& reply)
{
    const unsigned start = get16(frame, 2);
    const unsigned quantity = get16(frame, 4);
    if (quantity == 0 || quantity > 125)
    {
        exception(0x04, 0x03, reply);
        return true;
    }
    if (start + quantity > 8)
    {
        exception(0x04, 0x02, reply);
        return true;
    }
    reply = {m_def.address, 0x04, static_cast<uint8_t>(quantity * 2)};
    for (unsigned ch = start; ch < start + quantity; ++ch)
        put16(reply, static_cast<unsigned>(std::lround(analogValue(ch, nowMs) * 1000.0)));
    appendCrc(reply);
    return true;
}

} // namespace vqsim
