// Reads the program's menu bar and its submenus. Wine keeps menus inside the owning process,
// so the probe hook inside the program (tools/driver/ResourceProbe.h) copies the menu tree out.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct MenuEntry
{
    int sub = -1; // -1 for the menu bar, else the submenu's position
    int pos = 0;
    UINT id = 0;
    UINT type = 0;
    UINT state = 0;
    std::wstring text;

    bool IsSeparator() const { return (type & MFT_SEPARATOR) != 0; }
    bool IsGrayed() const { return (state & MFS_GRAYED) != 0; }
    bool IsChecked() const { return (state & MFS_CHECKED) != 0; }
};

class MenuProbe
{
  public:
    // Reads every item of the window's menu; false (with a reason) when the probe failed.
    static bool Read(HWND hMain, std::vector<MenuEntry>& out, std::wstring& error);
    // The item with this command id, or nullptr.
    static const MenuEntry* ById(const std::vector<MenuEntry>& items, UINT id);
};
