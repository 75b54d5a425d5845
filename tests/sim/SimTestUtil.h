// Helpers shared by the simulator tests: build a bus from module texts, and turn literal
// frames into bytes. Expected CRCs and checksums in the tests were worked out with a
// separate Python implementation of CRC-16/MODBUS and of the byte sum, not with sim/.
#pragma once

#include "sim/SimBus.h"
#include "tests/core/TestBytes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vqsim_test
{

// Bytes of a literal, NULs included: S("$01M\r"), S("\x01\x46\x00\x12\x60").
inline const auto S = [](const auto& text) { return fnBytes(text); };

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
