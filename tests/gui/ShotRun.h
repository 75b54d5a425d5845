// The --shots DIR run: opens every window the driver knows how to reach, and for each one
// writes DIR/request-<name> and waits up to 10 s for DIR/done-<name> (scripts/screens takes the
// picture in between) before it closes the window and goes on.
#pragma once

#include "tests/gui/GuiDriver.h"

#include <string>

class ShotRun
{
public:
    explicit ShotRun(const std::wstring& dir);
    // Returns the process exit code: 0 when every window was reached and shot.
    int Run();

private:
    // Asks for a picture of what is on the screen now; false when nobody answered in time.
    bool Shoot(const wchar_t* name);
    bool Fail(const std::wstring& what);
    bool ShowMain();
    bool ShowComSet();
    bool ShowOpenError();
    bool ShowSearch();

    std::wstring m_dir;
    GuiDriver m_app;
    int m_nShots = 0;
    int m_nMissed = 0;
};
