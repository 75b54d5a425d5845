// One simulated I/O module: its identity (address, model, protocol, baud), its remembered
// relay outputs, its digital inputs and its analog channels, and how it answers one frame
// heard on the bus. A module answers only frames in its own protocol and to its own
// address; anything it does not understand is met with silence, as on a shared RS-485 line
// an error reply could collide with the answer of another module.
#pragma once

#include "sim/SimCodec.h"

#include <cstdint>
#include <string>

namespace vqsim
{

enum class Model
{
    M4652,
    M4618,
    M4624,
    M4637
};

enum class Proto
{
    Ascii,
    AsciiChk,
    Rtu
};

struct ModuleDef
{
    uint8_t address = 0x01;
    Model model = Model::M4652;
    std::string variant; // "", "D", "G" or "GD" (VQ-4652 only)
    Proto proto = Proto::Ascii;
    uint32_t baud = 9600;
};

// Parses "ADDR,MODEL,PROTO,BAUD", e.g. "01,4652GD,ascii,9600". On failure returns false and
// puts a one-line reason into error.
bool parseModuleDef(const std::string& text, ModuleDef& def, std::string& error);
std::string modelName(const ModuleDef& def); // "4652GD"
const char* protoName(Proto proto);          // "ascii", "chk", "rtu"
bool isValidBaud(uint32_t baud);
// Baud rate of a module's rate code 0x03..0x0A, or 0 for any other code.
uint32_t baudFromCode(uint8_t code);

// A frame as the bus splitter found it.
struct Frame
{
    bool rtu = false;
    Bytes bytes; // ASCII: from the leading character up to, not including, the CR
};

class Module
{
  public:
    explicit Module(const ModuleDef& def);

    const ModuleDef& def() const { return m_def; }
    uint8_t outputs() const { return m_outputs; }
    uint8_t inputs() const { return m_inputs; }
    void setInputs(uint8_t value);
    // Holds channel ch (0..7) at value (mA or V); out of range channels are refused.
    bool holdAnalog(unsigned ch, double value);
    void releaseAnalog();
    bool isAnalog() const { return m_def.model == Model::M4624 || m_def.model == Model::M4637; }
    // Value of channel ch at time nowMs, in mA or V, rounded to 0.001.
    double analogValue(unsigned ch, int64_t nowMs) const;
    // Full scale of channel ch: 20 mA for current channels, 10 V for voltage channels.
    double fullScale(unsigned ch) const;

    // Answers one frame; returns false for silence. A settings command takes effect after
    // its reply has been built: the reply still goes out in the old protocol.
    bool handle(const Frame& frame, int64_t nowMs, Bytes& reply);
    // True when the last handled frame changed address, baud, protocol or outputs.
    bool takeChanged();

  private:
    bool handleAscii(const std::string& text, int64_t nowMs, std::string& body);
    bool handleRtu(const Bytes& frame, int64_t nowMs, Bytes& reply);
    bool asciiSettings(const std::string& text, std::string& body);
    bool rtuFunction46(const Bytes& frame, Bytes& reply);
    bool rtuReadBits(const Bytes& frame, uint8_t bits, unsigned count, Bytes& reply);
    bool rtuWriteCoils(const Bytes& frame, Bytes& reply);
    bool rtuWriteCoil(const Bytes& frame, Bytes& reply);
    bool rtuReadInputRegisters(const Bytes& frame, int64_t nowMs, Bytes& reply);
    void exception(uint8_t function, uint8_t code, Bytes& reply) const;
    unsigned coilCount() const { return m_def.model == Model::M4652 ? 4u : 0u; }
    unsigned inputCount() const;

    ModuleDef m_def;
    uint8_t m_outputs = 0;
    uint8_t m_inputs = 0;
    bool m_held[8] = {};
    double m_heldValue[8] = {};
    bool m_changed = false;
};

} // namespace vqsim
