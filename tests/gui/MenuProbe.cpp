#include "tests/gui/MenuProbe.h"

#include "tools/driver/ResourceProbe.h"

#include <cwchar>

namespace
{

bool fnParse(const wchar_t* text, std::vector<MenuEntry>& out)
{
    out.clear();
    const wchar_t* p = text;
    while (*p)
    {
        const wchar_t* end = wcschr(p, L'\n');
        if (!end)
        {
            return false;
        }
        std::wstring line(p, end);
        MenuEntry e;
        int consumed = 0;
        if (swscanf(line.c_str(), L"%d\t%d\t%u\t%u\t%u\t%n", &e.sub, &e.pos, &e.id, &e.type,
                    &e.state, &consumed) != 5)
        {
            return false;
        }
        e.text = line.substr(static_cast<size_t>(consumed));
        out.push_back(e);
        p = end + 1;
    }
    return !out.empty();
}

} // namespace

bool MenuProbe::Read(HWND hMain, std::vector<MenuEntry>& out, std::wstring& error)
{
    DWORD pid = 0;
    GetWindowThreadProcessId(hMain, &pid);
    ResourceProbe probe(pid);
    ResourceSample sample;
    if (!probe.Read(hMain, sample, error))
        return false;
    if (fnParse(sample.menu.c_str(), out))
        return true;
    error = L"menu probe: the program reported no menu";
    return false;
}

const MenuEntry* MenuProbe::ById(const std::vector<MenuEntry>& items, UINT id)
{
    for (const MenuEntry& e : items)
    {
        if (e.sub >= 0 && !e.IsSeparator() && e.id == id)
        {
            return &e;
        }
    }
    return nullptr;
}
