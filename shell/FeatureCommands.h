// One entry point per feature command of the main window. The dispatch in MainWindow.cpp checks
// each command's preconditions (port state by the enabled items, a selected entry, a known
// ModuleType) and then calls one of these, which starts the feature's worker pair through its
// Idm_ handler and shows its modal dialog. All run on the main thread.
#pragma once

#include <windows.h>

// Every modal dialog of the program runs through here, from its template in the exe, as a
// Unicode window: its texts keep their Chinese on any system code page.
INT_PTR fnShowDialog(int nTemplate, HWND hOwner, DLGPROC pfnProc);

// Prepares the search-list file dialogs with the main window as owner.
void fnCommandFileInit(HWND hMain);
void fnCommandListLoad(HWND hMain);
void fnCommandListSave(HWND hMain);

// Module settings and terminal: handler, then the dialog when the handler returns 0.
void fnCommandModuleSet(HWND hMain);
void fnCommandTerminal(HWND hMain);

// IO control per model: the handler's result (0 when the pair started and its dialog ran).
int fnCommandModuleIO_4652(HWND hMain);
int fnCommandModuleIO_4618(HWND hMain);
int fnCommandModuleIO_4624(HWND hMain);
int fnCommandModuleIO_4637(HWND hMain);

void fnCommandAboutBox(HWND hMain);
void fnCommandCreditWindow(HWND hMain);
