// Title line of the IO windows, set on the window thread when a window opens. The texts are
// GBK; the module's name and address are ASCII and go into the GBK format unchanged.
#include "io/IoTitle.h"

#include <cstdio>

#include "res/GbkText.h"
#include "res/Texts.h"
#include "search/ModuleList.h"

void fnIoSetTitle(HWND hDlg, int nId, char* pchOut, size_t nOutSize)
{
    const ModuleRecord* pstRecord = gstModuleList.fnSelected();
    const char* pchName = pstRecord != nullptr ? pstRecord->m_achModName : "";
    const char* pchAddress = pstRecord != nullptr ? pstRecord->m_achAddressHex2 : "";
    snprintf(pchOut, nOutSize, TXT_IO_TITLE_FMT, pchName, pchAddress);
    fnSetDlgItemTextGbk(hDlg, nId, pchOut);
}
