// The screenshot run (vq_shots.exe DIR): opens every window the driver knows how to reach, and for
// each one writes DIR/request-<name> and waits up to 10 s for DIR/done-<name> (scripts/screens
// takes the picture in between) before it closes the window and goes on.
#pragma once

#include "tools/driver/GuiDriver.h"

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
    // Windows of features that may not be built yet: reported, not counted as missed.
    void ShowFeature(const wchar_t* name, int command, int listEntry);
    void ShowFeatures();
    // An IO window with live values: relays ticked, lamps lit, trend traces grown.
    void ShowIoLive(HWND dlg);
    // Module Settings with the preselected values (no change on the bus) and its report box.
    void ShowModuleSet();
    // The terminal with an exchange in text and one in hex.
    void ShowTerminal();

    std::wstring m_dir;
    GuiDriver m_app;
    int m_nShots = 0;
    int m_nMissed = 0;
};
