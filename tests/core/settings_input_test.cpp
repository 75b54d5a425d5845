// What a technician types and what the settings dialog preselects. The exchange itself (frames
// per step, reports, arming again) is owned by the Win32 ModuleSetTest, which runs it on the
// simulated bus; the reply classification by SettingsReply.
#include "settings/ModuleSetInput.h"

#include "res/Texts.h"

#include <gtest/gtest.h>

TEST(SettingsInput, NewAddressTexts)
{
    struct Row
    {
        const char* pchText;
        bool bGood;
        uint8_t chAddress;
    } astRows[] = {
        {"0a", true, 0x0A},  {"0A", true, 0x0A}, {"  0A  ", true, 0x0A},
        {"FF", true, 0xFF},  {"00", true, 0x00}, {"A", false, 0},
        {"0G", false, 0},    {"0A0B", false, 0}, {"", false, 0},
        {"   ", false, 0},   {"0 A", false, 0},  {"                0A", false, 0},
        {"0A 0B", false, 0},
    };
    for (const Row& r : astRows)
    {
        uint8_t chAddress = 0x77;
        const char* pchMessage = fnModuleSetCheckAddress(r.pchText, &chAddress);
        EXPECT_STREQ(r.bGood ? nullptr : TXT_SET_ADDRESS_ERROR, pchMessage) << r.pchText;
        EXPECT_EQ(r.bGood ? r.chAddress : 0x77, chAddress) << r.pchText;
    }
}

TEST(SettingsInput, PreselectionFromModuleAndPort)
{
    // Every rate of the baud table maps back to its index: the table the port is opened from.
    struct Row
    {
        uint32_t dwProtocol;
        uint32_t dwRate;
        uint32_t dwBaudIndex;
        uint32_t dwProtocolIndex;
        const char* pchName;
    } astRows[] = {
        {1, 1200, 0, 0, "VQASCII"},    {2, 115200, 7, 1, "VQASCII-CHK"},
        {3, 9600, 3, 2, "Modbus RTU"}, {4, 19200, 4, 0, nullptr},
        {0, 14400, 3, 0, nullptr},     {3, 57600, 6, 2, "Modbus RTU"},
        {1, 2400, 1, 0, "VQASCII"},    {1, 4800, 2, 0, "VQASCII"},
        {1, 38400, 5, 0, "VQASCII"},
    };
    for (const Row& r : astRows)
    {
        const ModuleSetting st = fnModuleSetInitial(0x3C, r.dwProtocol, r.dwRate);
        EXPECT_EQ(0x3C, st.m_chAddress);
        EXPECT_EQ(r.dwBaudIndex, st.m_dwBaudIndex) << r.dwRate;
        EXPECT_EQ(r.dwProtocolIndex, st.m_dwProtocolIndex) << r.dwProtocol;
        EXPECT_STREQ(r.pchName, fnModuleSetProtocolName(r.dwProtocol));
    }
}
