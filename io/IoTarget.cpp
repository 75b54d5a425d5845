// Reads the selected module record for the IO workers. Shared between the worker threads and
// the main thread without locks: the record is written only by the search, which cannot run
// while an IO window is open, and the selection index is atomic.
#include "io/IoTarget.h"

#include "search/ModuleList.h"

IoTarget fnIoTarget()
{
    IoTarget stTarget = {0, 0};
    const ModuleRecord* pstRecord = gstModuleList.fnSelected();
    if (pstRecord != nullptr)
    {
        stTarget.m_chAddress = pstRecord->m_chAddress;
        stTarget.m_dwProtocol = pstRecord->m_dwProtocol;
    }
    return stTarget;
}
