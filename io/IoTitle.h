// The title line of every IO window: model name and address text of the selected module.
#pragma once

#include <windows.h>

#include <cstddef>

// Formats "模块型号: %s     地址(Hex): %s" into pchOut and sets it into control nId.
void fnIoSetTitle(HWND hDlg, int nId, char* pchOut, size_t nOutSize);
