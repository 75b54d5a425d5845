// The scan walks every address from the start to 0xFF, asking each in the three protocols in
// turn; the state lives in the module list so that it keeps its last values after a search.
#include "search/SearchScan.h"

#include "protocol/FrameBuilder.h"
#include "protocol/Protocol.h"

namespace
{

const uint8_t LAST_ADDRESS = 0xFF;

} // namespace

void fnScanStart(ModuleList& stList, uint8_t chStartAddress)
{
    stList.m_dwScanProtocol = ProtocolVqAscii;
    stList.m_chScanAddress = chStartAddress;
    stList.m_dwCount.store(0);
}

uint32_t fnScanFrame(const ModuleList& stList, uint8_t* pbyFrame)
{
    return fnBuildNameQuery(stList.m_dwScanProtocol, stList.m_chScanAddress, pbyFrame);
}

bool fnScanAdvance(ModuleList& stList)
{
    if (stList.m_dwScanProtocol == ProtocolVqAscii || stList.m_dwScanProtocol == ProtocolVqAsciiChk)
    {
        ++stList.m_dwScanProtocol;
        return true;
    }
    stList.m_dwScanProtocol = ProtocolVqAscii;
    if (stList.m_chScanAddress == LAST_ADDRESS)
        return false;
    ++stList.m_chScanAddress;
    return true;
}

ScanReplyResult fnScanReply(ModuleList& stList, const uint8_t* pbyData, uint32_t dwLen)
{
    if (fnScanListFull(stList) || !stList.fnSearchReply(stList.m_dwScanProtocol, pbyData, dwLen))
        return ScanReplyIgnored;
    stList.m_dwCount.fetch_add(1);
    return ScanReplyAdded;
}

bool fnScanListFull(const ModuleList& stList)
{
    return stList.m_dwCount.load() >= MODULE_LIST_MAX;
}

uint32_t fnScanProgressRange(uint8_t chStartAddress)
{
    return LAST_ADDRESS - chStartAddress;
}

uint32_t fnScanProgressPos(const ModuleList& stList, uint8_t chStartAddress)
{
    return static_cast<uint32_t>(stList.m_chScanAddress - chStartAddress);
}
