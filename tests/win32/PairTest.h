// The fixture of the tests that run a feature's worker pair against the bus simulator: the
// module list selects the one module a test works on, as a search would have left it, and every
// test leaves no pair running, an empty list and the simulator's default bus behind.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

#include "protocol/Protocol.h"
#include "search/ModuleList.h"
#include "serial/CommIo.h"
#include "tests/win32/MessageCapture.h"

class PairTest : public SimTest
{
  protected:
    void TearDown() override
    {
        EXPECT_TRUE(fnCommPairsEnd(3000)) << "a pair still runs";
        gstModuleList.m_dwCount = 0;
        gstModuleList.m_dwSelected = 0;
        if (m_stBus.Available())
            m_stBus.Reset("01,4652,ascii,9600");
    }

    // The bus holds this one module ("E0,4652,ascii,115200") and the list selects its record:
    // address, model number, the given type, and the protocol the bus gives it.
    void Select(const std::string& sModule, uint32_t dwType = ModuleType4652)
    {
        ASSERT_TRUE(m_stBus.Reset(sModule));
        ModuleRecord& stRecord = gstModuleList.m_astModule[0];
        stRecord = ModuleRecord{};
        stRecord.m_chAddress = static_cast<uint8_t>(strtoul(sModule.c_str(), nullptr, 16));
        snprintf(stRecord.m_achAddressHex2, sizeof(stRecord.m_achAddressHex2), "%.2s",
                 sModule.c_str());
        snprintf(stRecord.m_achTypeDec4, sizeof(stRecord.m_achTypeDec4), "%.4s",
                 sModule.c_str() + 3);
        snprintf(stRecord.m_achModName, sizeof(stRecord.m_achModName), "%.4s", sModule.c_str() + 3);
        stRecord.m_dwModuleType = dwType;
        stRecord.m_dwProtocol = sModule.find(",rtu,") != std::string::npos   ? ProtocolModbusRtu
                                : sModule.find(",chk,") != std::string::npos ? ProtocolVqAsciiChk
                                                                             : ProtocolVqAscii;
        gstModuleList.m_dwCount = 1;
        gstModuleList.m_dwSelected = 0;
    }
};
