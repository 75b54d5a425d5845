// The module search: the command handler that starts the worker pair on gstCommTRCModuleSearch
// and the pair's two thread procedures. The transmit thread drives the scan and parses the
// replies into gstModuleList; the receive thread only collects bytes into the accumulator.
#pragma once

#include <windows.h>

#include <atomic>
#include <cstdint>

class CommTRC;

// Search frames: the name query of one protocol for one address into m_achTxBuf / m_dwTxLen.
void fnSearchFrameAscii(CommTRC& stTRC, uint8_t chAddress);
void fnSearchFrameAsciiChk(CommTRC& stTRC, uint8_t chAddress);
void fnSearchFrameRtu(CommTRC& stTRC, uint8_t chAddress);

// State of the running search beyond the record's two halves.
class ModuleSearch
{
  public:
    ModuleSearch();

    uint8_t m_chStartAddress;          // copied from the start-address dialog at the start
    std::atomic<uint32_t> m_bScanOver; // 1 once the transmit thread has left its scan
    std::atomic<uint32_t> m_dwQueries; // queries completed in this search (for the bench)
    std::atomic<HWND> m_hListBox;      // where found lines go; the list panel's listbox
};

extern ModuleSearch gstModuleSearch;

// What the search threads see of the progress dialog; the dialog defines it.
struct SearchWorkerView
{
    HWND (*pfnWindow)();   // owner of the messages, target of OK; NULL once it has ended
    HWND (*pfnProgress)(); // the progress bar, NULL while the dialog is not up
};
extern const SearchWorkerView gstSearchWorkerView;

// Starts the receive thread and then the transmit thread. 0 when both run; 1 after a message
// (creation failure, or an earlier search pair that would not end).
int Idm_ModuleSearch(HWND hOwner);

DWORD WINAPI CommThread_ModuleSearch_Tx(LPVOID pvParam);
DWORD WINAPI CommThread_ModuleSearch_Rx(LPVOID pvParam);
