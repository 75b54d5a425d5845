// Waits for the worker pairs of all four IO records. Only one IO window is open at a time (they
// are modal), so a pair that still runs here belongs to a window that has already closed.
#include "io/IoPortQuiet.h"

#include "serial/CommIo.h"
#include "serial/CommTRC.h"

bool fnIoPortQuiet(HWND hOwner)
{
    CommTRC* const apstRecords[] = {&gstCommTRCIO_4652, &gstCommTRCIO_4618, &gstCommTRCIO_4624,
                                    &gstCommTRCIO_4637};
    for (CommTRC* pstTRC : apstRecords)
    {
        if (!fnCommPairReady(*pstTRC, hOwner))
            return false;
    }
    return true;
}
