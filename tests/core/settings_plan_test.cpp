// The settings exchange as the transmit thread drives it: frame per pass, classification,
// report, and the state the next pass sees. Frames are the worked example of a module at
// 0x01 moving to 0x02, 9600 bit/s and VQASCII-CHK (checksum 0x16 of "%0102400640"; RTU CRCs
// from an independent CRC-16/MODBUS script).
#include "settings/ModuleSetInput.h"
#include "settings/ModuleSetPlan.h"
#include "settings/ModuleSetReply.h"

#include "protocol/FrameBuilder.h"
#include "res/Texts.h"
#include "tests/core/TestBytes.h"

#include <gtest/gtest.h>

namespace
{
const ModuleSetting NEW_SETTING = {0x02, 3, 1};

Bytes fnFrame(const ModuleSetPlan& stPlan, uint32_t dwProtocol)
{
    uint8_t abyFrame[FRAME_MAX] = {};
    const uint32_t dwLen = stPlan.fnBuildFrame(dwProtocol, 0x01, NEW_SETTING, abyFrame);
    return Bytes(abyFrame, abyFrame + dwLen);
}

uint32_t fnClassify(ModuleSetPlan& stPlan, uint32_t dwProtocol, const Bytes& vecReply)
{
    return stPlan.fnClassify(dwProtocol, NEW_SETTING, vecReply.data(), fnSize(vecReply));
}
} // namespace

TEST(SettingsPlan, AsciiExchangesSendOneFrameAndReportOnce)
{
    struct Row
    {
        uint32_t dwProtocol;
        std::string strFrame;
        std::string strReply;
        const char* pchReport;
    } astRows[] = {
        {1, "%0102400640\r", "!02\r", TXT_SET_ASCII_OK},
        {1, "%0102400640\r", "", TXT_SET_ASCII_NO_REPLY},
        {2, "%010240064016\r", "!0283\r", TXT_SET_ASCII_OK},
        {2, "%010240064016\r", "?02A1\r", TXT_SET_ASCII_REFUSED},
        {2, "%010240064016\r", "!02\r", TXT_SET_ASCII_COMM_ERROR},
    };
    for (const Row& r : astRows)
    {
        ModuleSetPlan stPlan;
        EXPECT_EQ(fnBytes(r.strFrame), fnFrame(stPlan, r.dwProtocol)) << r.strFrame;
        EXPECT_EQ(ModuleSetReport, fnClassify(stPlan, r.dwProtocol, fnBytes(r.strReply)));
        EXPECT_STREQ(r.pchReport, stPlan.m_achResultText) << r.strReply;
        stPlan.fnReportShown(r.dwProtocol);
        // Done: the thread finds nothing more to send or classify until the next arming.
        EXPECT_TRUE(fnFrame(stPlan, r.dwProtocol).empty());
        EXPECT_EQ(ModuleSetIdle, fnClassify(stPlan, r.dwProtocol, fnBytes(r.strReply)));
    }
}

TEST(SettingsPlan, RtuSendsAddressThenBaudToTheNewAddress)
{
    ModuleSetPlan stPlan;
    EXPECT_EQ(fnBytes("\x01\x46\x04\x02\x00\x00\x00\xF5\x1E"), fnFrame(stPlan, 3));
    EXPECT_EQ(ModuleSetNextStep,
              fnClassify(stPlan, 3, fnBytes("\x02\x46\x04\x00\x00\x00\x00\xC7\xA6")));
    EXPECT_EQ(0u, stPlan.m_dwResultRtuAddress);
    EXPECT_EQ(2u, stPlan.m_dwStepRtu);
    EXPECT_EQ(fnBytes("\x02\x46\x06\x00\x06\x00\x00\x00\x00\x01\x00\xA3\xA7"), fnFrame(stPlan, 3));
    EXPECT_EQ(ModuleSetReport, fnClassify(stPlan, 3, fnBytes("\x02\xC6\x04\x82\x63")));
    EXPECT_EQ(std::string(TXT_SET_RTU_ADDR_OK) + TXT_SET_RTU_BAUD_EXC04, stPlan.m_achResultText);
    stPlan.fnReportShown(3);
    EXPECT_EQ(3u, stPlan.m_dwStepRtu);
    EXPECT_TRUE(fnFrame(stPlan, 3).empty());
}

TEST(SettingsPlan, SilentRtuModuleStillGetsStepTwoAndOneCombinedReport)
{
    ModuleSetPlan stPlan;
    EXPECT_EQ(9u, fnFrame(stPlan, 3).size());
    EXPECT_EQ(ModuleSetNextStep, fnClassify(stPlan, 3, {}));
    const Bytes vStep2 = fnFrame(stPlan, 3);
    ASSERT_EQ(13u, vStep2.size());
    EXPECT_EQ(0x02, vStep2[0]); // to the new address although step 1 failed
    EXPECT_EQ(ModuleSetReport, fnClassify(stPlan, 3, {}));
    const std::string strText = stPlan.m_achResultText;
    EXPECT_EQ(std::string(TXT_SET_RTU_ADDR_NO_REPLY) + TXT_SET_RTU_BAUD_NO_REPLY, strText);
    EXPECT_NE(std::string::npos, strText.find("\r\n")); // second line
}

TEST(SettingsPlan, ProtocolsWithoutSettingsFramesSendNothing)
{
    for (uint32_t dwProtocol : {0u, 4u, 5u, 0xFFFFFFFFu})
    {
        ModuleSetPlan stPlan;
        EXPECT_TRUE(fnFrame(stPlan, dwProtocol).empty()) << dwProtocol;
        EXPECT_EQ(ModuleSetIdle, fnClassify(stPlan, dwProtocol, fnBytes("!02\r")));
    }
}

TEST(SettingsPlan, ArmingAgainResetsEveryStepAndResult)
{
    ModuleSetPlan stPlan;
    fnClassify(stPlan, 1, fnBytes("!02\r"));
    stPlan.fnReportShown(1);
    fnClassify(stPlan, 3, {});
    fnClassify(stPlan, 3, fnBytes("x"));
    stPlan.fnReportShown(3);
    stPlan.fnArm();
    EXPECT_EQ(1u, stPlan.m_dwStepAscii);
    EXPECT_EQ(1u, stPlan.m_dwStepRtu);
    EXPECT_EQ(3u, stPlan.m_dwResultAscii);
    EXPECT_EQ(6u, stPlan.m_dwResultRtuBaud);
    // Still addressed to the address of the module list record (0x01 here).
    EXPECT_EQ(fnBytes("%0102400640\r"), fnFrame(stPlan, 1));
}

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
