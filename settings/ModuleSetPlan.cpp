// Step plan of the module settings: one frame and one reply in the ASCII protocols, two in a
// row for Modbus RTU (new address to the current address, then baud rate and protocol to the
// new one), and one combined report at the end.
#include "settings/ModuleSetPlan.h"

#include "protocol/FrameBuilder.h"
#include "protocol/Protocol.h"
#include "settings/ModuleSetReply.h"

#include <cstring>

ModuleSetPlan::ModuleSetPlan()
{
    fnArm();
    m_achResultText[0] = '\0';
}

void ModuleSetPlan::fnArm()
{
    m_dwStepAscii = SetAsciiStepArmed;
    m_dwStepAsciiChk = SetAsciiStepArmed;
    m_dwStepRtu = SetRtuStepAddress;
    m_dwResultAscii = SetAsciiNoReply;
    m_dwResultAsciiChk = SetAsciiNoReply;
    m_dwResultRtuAddress = SetRtuAddressNoReply;
    m_dwResultRtuBaud = SetRtuBaudNoReply;
}

uint32_t ModuleSetPlan::fnBuildFrame(uint32_t dwProtocol, uint8_t chAddress,
                                     const ModuleSetting& stSetting, uint8_t* pbyFrame) const
{
    switch (dwProtocol)
    {
    case ProtocolVqAscii:
    case ProtocolVqAsciiChk:
    {
        const std::atomic<uint32_t>& dwStep =
            dwProtocol == ProtocolVqAscii ? m_dwStepAscii : m_dwStepAsciiChk;
        if (dwStep != SetAsciiStepArmed)
        {
            return 0;
        }
        return fnBuildSettingsAscii(dwProtocol, chAddress, stSetting.m_chAddress,
                                    stSetting.m_dwBaudIndex, stSetting.m_dwProtocolIndex, pbyFrame);
    }
    case ProtocolModbusRtu:
        if (m_dwStepRtu == SetRtuStepAddress)
        {
            return fnBuildSettingsRtuAddress(chAddress, stSetting.m_chAddress, pbyFrame);
        }
        if (m_dwStepRtu == SetRtuStepBaud)
        {
            return fnBuildSettingsRtuBaud(stSetting.m_chAddress, stSetting.m_dwBaudIndex,
                                          stSetting.m_dwProtocolIndex, pbyFrame);
        }
        return 0;
    default:
        return 0;
    }
}

uint32_t ModuleSetPlan::fnClassify(uint32_t dwProtocol, const ModuleSetting& stSetting,
                                   const uint8_t* pbyReply, uint32_t dwLen)
{
    const uint8_t chNew = stSetting.m_chAddress;
    if (dwProtocol == ProtocolVqAscii && m_dwStepAscii == SetAsciiStepArmed)
    {
        m_dwResultAscii = fnClassifySetAscii(pbyReply, dwLen, chNew);
        fnComposeText(fnSetAsciiText(m_dwResultAscii), "");
        return ModuleSetReport;
    }
    if (dwProtocol == ProtocolVqAsciiChk && m_dwStepAsciiChk == SetAsciiStepArmed)
    {
        m_dwResultAsciiChk = fnClassifySetAsciiChk(pbyReply, dwLen, chNew);
        fnComposeText(fnSetAsciiText(m_dwResultAsciiChk), "");
        return ModuleSetReport;
    }
    if (dwProtocol == ProtocolModbusRtu && m_dwStepRtu == SetRtuStepAddress)
    {
        // Whatever step 1 gave, step 2 is sent next, to the new address.
        m_dwResultRtuAddress = fnClassifySetRtuAddress(pbyReply, dwLen, chNew);
        m_dwStepRtu = SetRtuStepBaud;
        return ModuleSetNextStep;
    }
    if (dwProtocol == ProtocolModbusRtu && m_dwStepRtu == SetRtuStepBaud)
    {
        m_dwResultRtuBaud = fnClassifySetRtuBaud(pbyReply, dwLen);
        fnComposeText(fnSetRtuAddressText(m_dwResultRtuAddress),
                      fnSetRtuBaudText(m_dwResultRtuBaud));
        return ModuleSetReport;
    }
    return ModuleSetIdle;
}

void ModuleSetPlan::fnReportShown(uint32_t dwProtocol)
{
    switch (dwProtocol)
    {
    case ProtocolVqAscii:
        m_dwStepAscii = SetAsciiStepDone;
        break;
    case ProtocolVqAsciiChk:
        m_dwStepAsciiChk = SetAsciiStepDone;
        break;
    case ProtocolModbusRtu:
        m_dwStepRtu = SetRtuStepDone;
        break;
    default:
        break;
    }
}

void ModuleSetPlan::fnComposeText(const char* pchFirst, const char* pchSecond)
{
    m_achResultText[0] = '\0';
    const size_t nFirst = strlen(pchFirst);
    const size_t nSecond = strlen(pchSecond);
    const size_t nRoom = SET_RESULT_TEXT_MAX - 1;
    const size_t nCopyFirst = nFirst < nRoom ? nFirst : nRoom;
    const size_t nCopySecond = nSecond < nRoom - nCopyFirst ? nSecond : nRoom - nCopyFirst;
    memcpy(m_achResultText, pchFirst, nCopyFirst);
    memcpy(m_achResultText + nCopyFirst, pchSecond, nCopySecond);
    m_achResultText[nCopyFirst + nCopySecond] = '\0';
}
