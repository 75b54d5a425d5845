// One entry point per feature command of the main window. The dispatch in MainWindow.cpp checks
// each command's preconditions (port state by the enabled items, a selected entry, a known
// ModuleType) and then calls one of these, which starts the feature's worker pair through its
// Idm_ handler and shows its modal dialog. All run on the main thread.
#pragma once

#include <windows.h>

#include <cstdint>

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

// IO control of a module of this ModuleType: its model's handler, then its IO window when the
// handler returned 0. Returns the failure text the list panel shows when the handler failed,
// else nullptr (also for a type without an IO window).
const char* fnCommandModuleIO(HWND hMain, uint32_t dwModuleType);

void fnCommandAboutBox(HWND hMain);
void fnCommandCreditWindow(HWND hMain);
