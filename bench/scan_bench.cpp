// Measures the module search against the simulated bus under Wine: the time a scan of the top
// N addresses takes against the pacing of the reply-wait table (3 queries per address, each
// followed by the wait of the port's rate), and how long the search pair takes to end after a
// stop. Runs the real Idm_ModuleSearch and its threads, without the progress dialog, so it
// needs no display. Usage: scan_bench [--count N] [--baud INDEX] [--stops K] (COM from
// VQ_TEST_COM).
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "protocol/Protocol.h"
#include "res/GbkText.h"
#include "search/ModuleList.h"
#include "search/ModuleSearch.h"
#include "search/SearchStartDlg.h"
#include "serial/CommIo.h"
#include "serial/CommPort.h"
#include "serial/CommSettings.h"

namespace
{
struct Options
{
    uint32_t dwCount = 16;
    uint32_t dwBaudIndex = 3;
    uint32_t dwStops = 5;
    int nCom = 0;
};

int fnQuietBox(HWND, const char* pchText, const char*, UINT)
{
    printf("message: %s\n", pchText);
    return IDOK;
}

double fnNowMs()
{
    static LARGE_INTEGER s_stFreq = {};
    if (s_stFreq.QuadPart == 0)
        QueryPerformanceFrequency(&s_stFreq);
    LARGE_INTEGER stNow;
    QueryPerformanceCounter(&stNow);
    return static_cast<double>(stNow.QuadPart) * 1000.0 / static_cast<double>(s_stFreq.QuadPart);
}

bool fnParse(int argc, char** argv, Options* pstOpt)
{
    const char* pchCom = getenv("VQ_TEST_COM");
    pstOpt->nCom = pchCom != nullptr ? atoi(pchCom) : 0;
    for (int i = 1; i + 1 < argc; i += 2)
    {
        uint32_t dwValue = static_cast<uint32_t>(strtoul(argv[i + 1], nullptr, 10));
        if (strcmp(argv[i], "--count") == 0)
            pstOpt->dwCount = dwValue;
        else if (strcmp(argv[i], "--baud") == 0)
            pstOpt->dwBaudIndex = dwValue;
        else if (strcmp(argv[i], "--stops") == 0)
            pstOpt->dwStops = dwValue;
        else
            return false;
    }
    return pstOpt->nCom > 0 && pstOpt->dwCount >= 1 && pstOpt->dwCount <= 256 &&
           pstOpt->dwBaudIndex < BAUD_INDEX_COUNT;
}

bool fnPairEnded(DWORD dwTimeoutMs)
{
    HANDLE ahThread[2] = {gstCommTRCModuleSearch.m_stTx.m_hThread,
                          gstCommTRCModuleSearch.m_stRx.m_hThread};
    return WaitForMultipleObjects(2, ahThread, TRUE, dwTimeoutMs) == WAIT_OBJECT_0;
}

bool fnScan(const Options& stOpt)
{
    gstSearchStartDlg.m_chStartAddress = static_cast<uint8_t>(256 - stOpt.dwCount);
    double dStart = fnNowMs();
    if (Idm_ModuleSearch(NULL) != 0)
        return false;
    while (gstModuleSearch.m_bScanOver.load() == 0)
        Sleep(1);
    double dSpent = fnNowMs() - dStart;
    uint32_t dwQueries = gstModuleSearch.m_dwQueries.load();
    double dPacing = static_cast<double>(dwQueries) * fnSearchWaitTime(stOpt.dwBaudIndex);
    double dDeviation = (dSpent - dPacing) * 100.0 / dPacing;
    printf("scan: %u addresses (%02X..FF), %u queries at %s baud, %u found\n", stOpt.dwCount,
           256 - stOpt.dwCount, dwQueries, fnBaudName(stOpt.dwBaudIndex),
           gstModuleList.m_dwCount.load());
    printf("scan: measured %.1f ms, pacing %u x %u ms = %.0f ms, deviation %+.2f%% (goal within "
           "1%%): %s\n",
           dSpent, dwQueries, fnSearchWaitTime(stOpt.dwBaudIndex), dPacing, dDeviation,
           dDeviation <= 1.0 && dDeviation >= -1.0 ? "met" : "MISSED");
    gstCommTRCModuleSearch.fnStop(); // what the dialog's IDOK does at the scan's end
    return fnPairEnded(3000);
}

bool fnStops(const Options& stOpt)
{
    double dMin = 1e9, dMax = 0, dSum = 0;
    for (uint32_t i = 0; i < stOpt.dwStops; ++i)
    {
        gstSearchStartDlg.m_chStartAddress = 0;
        if (Idm_ModuleSearch(NULL) != 0)
            return false;
        Sleep(700 + 113 * i); // a different point of the query cycle each time
        double dStop = fnNowMs();
        gstCommTRCModuleSearch.fnStop(); // what the progress dialog does on Stop
        if (!fnPairEnded(5000))
        {
            printf("stop: the pair did not end within 5 s\n");
            return false;
        }
        double dSpent = fnNowMs() - dStop;
        dMin = dSpent < dMin ? dSpent : dMin;
        dMax = dSpent > dMax ? dSpent : dMax;
        dSum += dSpent;
    }
    if (stOpt.dwStops > 0)
        printf("stop: search pair ended %u times after %.1f / %.1f / %.1f ms (min / mean / max); "
               "bound: one reply wait %u ms + the closing pause 500 ms\n",
               stOpt.dwStops, dMin, dSum / stOpt.dwStops, dMax,
               fnSearchWaitTime(stOpt.dwBaudIndex));
    return true;
}
} // namespace

int main(int argc, char** argv)
{
    Options stOpt;
    if (!fnParse(argc, argv, &stOpt))
    {
        printf("usage: scan_bench [--count 1..256] [--baud 0..7] [--stops K], VQ_TEST_COM set\n");
        return 2;
    }
    setvbuf(stdout, nullptr, _IONBF, 0);
    fnSetMessageBoxHook(fnQuietBox);
    gstCommSettings.m_dwPortIndex = static_cast<uint32_t>(stOpt.nCom - 1);
    gstCommSettings.m_dwBaudIndex = stOpt.dwBaudIndex;
    if (Idm_CommOpen(NULL) != 0)
    {
        printf("COM%d could not be opened\n", stOpt.nCom);
        return 3;
    }
    bool bOk = fnScan(stOpt) && fnStops(stOpt);
    return bOk ? 0 : 1;
}
