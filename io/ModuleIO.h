// The IO control of the four models: the command handlers that start each model's worker pair
// on its record, the thread procedures, and the model state that follows the record's two
// halves (bits of the digital models, values and texts of the analog ones). Which thread writes
// which field is written down in io/DigitalIo.h and io/AnalogDecode.h.
#pragma once

#include <windows.h>

#include "io/AnalogDecode.h"
#include "io/DigitalIo.h"

extern DigitalIo gstIOData_4652;    // with gstCommTRCIO_4652
extern DigitalIo gstIOData_4618;    // with gstCommTRCIO_4618
extern AnalogValues gstIOData_4624; // with gstCommTRCIO_4624
extern AnalogValues gstIOData_4637; // with gstCommTRCIO_4637

// Each starts the transmit thread, then the receive thread. 0 when both run; 1 after a
// message owned by hWnd (a thread not created, or the pair of the last window still running).
int Idm_ModuleIO_4652(HWND hWnd);
int Idm_ModuleIO_4618(HWND hWnd);
int Idm_ModuleIO_4624(HWND hWnd);
int Idm_ModuleIO_4637(HWND hWnd);

DWORD WINAPI CommThread_ModuleIO_4652_Tx(LPVOID pvParam);
DWORD WINAPI CommThread_ModuleIO_4652_Rx(LPVOID pvParam);
DWORD WINAPI CommThread_ModuleIO_4618_Tx(LPVOID pvParam);
DWORD WINAPI CommThread_ModuleIO_4618_Rx(LPVOID pvParam);
DWORD WINAPI CommThread_ModuleIO_4624_Tx(LPVOID pvParam);
DWORD WINAPI CommThread_ModuleIO_4624_Rx(LPVOID pvParam);
DWORD WINAPI CommThread_ModuleIO_4637_Tx(LPVOID pvParam);
DWORD WINAPI CommThread_ModuleIO_4637_Rx(LPVOID pvParam);
