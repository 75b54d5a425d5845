// Steps a technician takes again and again (open the port, start a search), shared by the
// test cases and the screenshot run. Each step waits a bounded time and, when it fails, says
// why in `error` together with the windows the program had up.
#pragma once

#include "tests/gui/GuiDriver.h"

#include <string>
#include <vector>

namespace gui
{

// Control ids of the program's windows, as its resource header numbers them.
enum : int
{
    kIdmComOpen = 40012,
    kIdmComClose = 40013,
    kIdmComSet = 40014,
    kIdmExit = 40015,
    kIdmModuleSearch = 40016,
    kIdmIoControl = 40017,
    kIdmModuleSet = 40018,
    kIdmTerminal = 40019,
    kIdmToolbar = 40020,
    kIdmClearList = 40021,
    kIdmAbout = 40023,
    kIdmListLoad = 40026,
    kIdmListSave = 40027,

    kIdStatusText = 1061,
    kIdModuleList = 1008,
    kIdComSetPort = 1011,
    kIdComSetBaud = 1012,
    kIdSearchStart = 1048,
    kIdSearchPrompt = 1098,
    kIdSearchIcon = 1049,
    kIdSearchLabel = 1099,
    kIdSearchAddress = 1050,
    kIdSearchProgress = 1051,
};

// COM number the simulator links (VQ_TEST_COM), 0 when unset.
int fnTestCom();
// The program to start (VQ_APP_EXE, default VQ4600Utility.exe beside the driver).
std::wstring fnAppExe();

std::wstring fnStatusText(GuiDriver& app);
std::vector<std::wstring> fnModuleList(GuiDriver& app);

// Sends COM Open or COM Set and waits for the COM Set dialog.
HWND fnShowComSet(GuiDriver& app, int command, std::wstring& error);
// COM Open with this port number and baud index; done when the status line shows the port.
bool fnOpenPort(GuiDriver& app, int com, int baudIndex, std::wstring& error);
// Module Search: types the start address and presses OK; returns the progress dialog.
HWND fnStartSearch(GuiDriver& app, const std::wstring& start, std::wstring& error);
// Waits until the progress dialog shows this address (two hex digits).
bool fnWaitSearchAddress(GuiDriver& app, HWND progress, const std::wstring& address, DWORD ms,
                         std::wstring& error);
// Waits out the search pair after a Stop at 9600 baud: the reply to the query in flight is still
// recorded, within the reply wait (350 ms) and the closing pause (500 ms) after the progress
// dialog has gone.
void fnWaitSearchPairEnd();

} // namespace gui
