// Loading, showing and releasing the lamp bitmaps of the digital IO windows. A lamp static
// starts with the bitmap its template names, loaded by the control; the first STM_SETIMAGE
// hands that one back and it is deleted here, so opening and closing a window leaks nothing.
#include "io/IoLamps.h"

#include "res/resource.h"

namespace
{
const int DESIGN_DPI = 96;

// The lamp bitmaps are drawn for 96 dpi; at another resolution they are stretched to the same
// size in inches, as the labels beside them grow. The original goes once the copy is made.
HBITMAP fnScaledLamp(HBITMAP hBitmap)
{
    HDC hScreen = GetDC(NULL);
    const int nDpi = hScreen != NULL ? GetDeviceCaps(hScreen, LOGPIXELSY) : DESIGN_DPI;
    if (hScreen != NULL)
        ReleaseDC(NULL, hScreen);
    BITMAP stBitmap;
    if (hBitmap == NULL || nDpi == DESIGN_DPI ||
        GetObjectA(hBitmap, sizeof stBitmap, &stBitmap) == 0)
        return hBitmap;
    HANDLE hCopy = CopyImage(hBitmap, IMAGE_BITMAP, MulDiv(stBitmap.bmWidth, nDpi, DESIGN_DPI),
                             MulDiv(stBitmap.bmHeight, nDpi, DESIGN_DPI), LR_COPYDELETEORG);
    return hCopy != NULL ? static_cast<HBITMAP>(hCopy) : hBitmap;
}
} // namespace

IoLamps::IoLamps() : m_hOn(NULL), m_hOff(NULL) {}

bool IoLamps::fnLoad()
{
    HINSTANCE hInst = GetModuleHandleA(NULL);
    m_hOn = static_cast<HBITMAP>(
        LoadImageA(hInst, MAKEINTRESOURCEA(IDB_LAMP_ON), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    m_hOff = static_cast<HBITMAP>(
        LoadImageA(hInst, MAKEINTRESOURCEA(IDB_LAMP_OFF), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
    m_hOn = fnScaledLamp(m_hOn.load());
    m_hOff = fnScaledLamp(m_hOff.load());
    return m_hOn.load() != NULL && m_hOff.load() != NULL;
}

void IoLamps::fnRelease()
{
    HBITMAP hOn = m_hOn.exchange(NULL);
    HBITMAP hOff = m_hOff.exchange(NULL);
    if (hOn != NULL)
        DeleteObject(hOn);
    if (hOff != NULL)
        DeleteObject(hOff);
}

void IoLamps::fnSetLamp(HWND hLamp, bool bOn)
{
    // Both handles are taken once: the pair may be released while the message is under way.
    HBITMAP hOn = m_hOn.load();
    HBITMAP hOff = m_hOff.load();
    HBITMAP hNew = bOn ? hOn : hOff;
    if (hLamp == NULL || hNew == NULL)
        return;
    HANDLE hOld = reinterpret_cast<HANDLE>(
        SendMessageA(hLamp, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(hNew)));
    if (hOld != NULL && hOld != hOn && hOld != hOff)
        DeleteObject(hOld);
}
