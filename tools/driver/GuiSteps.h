// Steps a technician takes again and again (open the port, start a search), shared by the
// test cases and the screenshot run. Each step waits a bounded time and, when it fails, says
// why in `error` together with the windows the program had up.
#pragma once

#include "res/resource.h"
#include "tools/driver/GuiDriver.h"
#include "tools/driver/GuiTexts.h"

#include <string>
#include <vector>

namespace gui
{

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
// A search from `start`, stopped once the progress dialog shows `stopAt`; true when it closed.
bool fnSearch(GuiDriver& app, const std::wstring& start, const std::wstring& stopAt,
              std::wstring& error);
// Types a path into the common file dialog with this title and presses its OK button.
bool fnChooseFile(GuiDriver& app, const std::wstring& title, const std::wstring& path,
                  std::wstring& error);
// Reads and dismisses the message boxes up now, the first one waited for up to `firstMs`;
// "caption: text" of each, joined by " / ", and their number added to *pCount.
std::wstring fnTakeBoxes(GuiDriver& app, DWORD firstMs = 0, int* pCount = nullptr);
// Chooses the terminal's protocol (0 VQASCII, 1 VQASCII-CHK, 2 Modbus RTU) as the list would.
void fnChooseTermProtocol(HWND hTerminal, int index);
// Opens the Terminal with this protocol, once it has emptied its return box (it does so in its
// first 500 ms without data).
HWND fnOpenTerminal(GuiDriver& app, int protocol, std::wstring& error);
// Types a command into the terminal and sends it once, or continuously; `interval` (ms) goes
// into the interval box unless null.
void fnTermSend(HWND hTerminal, const wchar_t* command, bool continuous = false,
                const wchar_t* interval = nullptr);
// Waits out the search pair after a Stop at 9600 baud: the reply to the query in flight is still
// recorded, within the reply wait (350 ms) and the closing pause (500 ms) after the progress
// dialog has gone.
void fnWaitSearchPairEnd();

} // namespace gui
