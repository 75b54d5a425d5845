// The lamp bitmaps of a digital IO window (resources 109 "off" and 110 "on") and the lamps'
// image changes. The window loads the pair when it opens and deletes it once it is destroyed;
// the lamp statics then no longer exist, so no lamp can show a deleted bitmap. fnSetLamp may
// run on a worker thread: STM_SETIMAGE is carried out by the window's thread.
#pragma once

#include <windows.h>

#include <atomic>

class IoLamps
{
  public:
    IoLamps();
    IoLamps(const IoLamps&) = delete;
    IoLamps& operator=(const IoLamps&) = delete;

    bool fnLoad();    // false when a bitmap is missing
    void fnRelease(); // after the window and its lamps are gone

    // Shows "on" or "off"; the template's own image that comes back first is deleted.
    void fnSetLamp(HWND hLamp, bool bOn);
    HBITMAP fnOn() const { return m_hOn.load(); }
    HBITMAP fnOff() const { return m_hOff.load(); }

  private:
    std::atomic<HBITMAP> m_hOn;
    std::atomic<HBITMAP> m_hOff;
};
