// The modules found on the bus: one record per recognised reply to the name query, in the order
// of the scan. Portable: the search thread fills it through the parsers below, the main thread
// reads it after the search and sets the selection before it starts a feature.
#pragma once

#include <atomic>
#include <cstdint>

const uint32_t MODULE_LIST_MAX = 768; // 256 addresses x 3 protocols

// ModuleType: the model code that picks the IO window.
enum ModuleType : uint32_t
{
    ModuleTypeUnknown = 0,
    ModuleType4652 = 1,
    ModuleType4652D = 2,
    ModuleType4652G = 3,
    ModuleType4652GD = 4,
    ModuleType4618 = 6,
    ModuleType4624 = 11,
    ModuleType4637 = 16,
};

struct ModuleRecord
{
    uint8_t m_chAddress;
    char m_achAddressHex2[8]; // as received in an ASCII reply, uppercase for Modbus RTU
    char m_achTypeDec4[8];    // "4652", ... or "????"
    char m_achSubType[8];     // variant letters; only m_dwSubTypeLen are significant
    uint32_t m_dwSubTypeLen;  // 0..3
    uint8_t m_chSubTypeCode;  // variant code of a Modbus RTU reply
    uint32_t m_dwModuleType;  // ModuleType
    uint32_t m_dwProtocol;    // ProtocolId
    char m_achListText[128];  // "[%sH] %s%s %s"
    char m_achModName[128];   // "%s%s"
};

class ModuleList
{
  public:
    ModuleList();

    ModuleRecord m_astModule[MODULE_LIST_MAX];
    std::atomic<uint32_t> m_dwSelected; // written by the main thread before a feature starts
    std::atomic<uint32_t> m_dwCount;    // valid records 0..768
    uint32_t m_dwScanProtocol;          // scan state, owned by the search's transmit thread
    uint8_t m_chScanAddress;

    // Each parser fills the record at index m_dwCount and returns true when the bytes are
    // exactly one valid reply of its protocol; the caller raises the count.
    bool fnSearchReplyAscii(const uint8_t* pbyData, uint32_t dwLen);
    bool fnSearchReplyAsciiChk(const uint8_t* pbyData, uint32_t dwLen);
    bool fnSearchReplyRtu(const uint8_t* pbyData, uint32_t dwLen);
    // The parser of a ProtocolId 1..3; false for any other id.
    bool fnSearchReply(uint32_t dwProtocol, const uint8_t* pbyData, uint32_t dwLen);

    void fnModuleTypeFromText(uint32_t dwIndex);
    void fnModuleTypeFromRtu(uint32_t dwIndex);
    void fnListTextFormat(uint32_t dwIndex);

    // The record of the selected line (m_dwSelected), or nullptr when it is out of range.
    const ModuleRecord* fnSelected() const;

  private:
    // Writes the record at m_dwCount from an already validated ASCII reply.
    bool fnFillFromAscii(const uint8_t* pbyData, uint32_t dwLetters, uint32_t dwProtocol);
};

extern ModuleList gstModuleList;

// Reply wait after each search query, in ms, by the port's BaudIndex.
uint32_t fnSearchWaitTime(uint32_t dwBaudIndex);
