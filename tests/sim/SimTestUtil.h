// Helpers shared by the simulator tests: build a bus from module texts, and turn literal
// frames into bytes. Expected CRCs and checksums in the tests were worked out with a
// separate Python implementation of CRC-16/MODBUS and of the byte sum, not with sim/.
#pragma once

#include "sim/SimBus.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace vqsim_test
{

// A frame written as text ("$01M\r"), or as hex bytes when it holds a space ("01 46 00 12 60");
// null is no bytes.
inline vqsim::Bytes F(const char* text)
{
    std::string s = text ? text : "";
    if (s.find(' ') == std::string::npos)
        return vqsim::Bytes(s.begin(), s.end());
    vqsim::Bytes bytes;
    std::istringstream in(s);
    for (unsigned b; in >> std::hex >> b;)
        bytes.push_back(static_cast<uint8_t>(b));
    return bytes;
}

inline std::string Hex(const vqsim::Bytes& bytes)
{
    return vqsim::hexDump(bytes.data(), bytes.size());
}

inline void MakeBus(vqsim::Bus& bus, const std::vector<std::string>& modules)
{
    std::vector<vqsim::ModuleDef> defs;
    for (const std::string& text : modules)
    {
        vqsim::ModuleDef def;
        std::string error;
        ASSERT_TRUE(vqsim::parseModuleDef(text, def, error)) << error;
        defs.push_back(def);
    }
    bus.reset(defs);
}

} // namespace vqsim_test
