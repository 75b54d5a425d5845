// Entry point of VQ4600Utility: registers the main window class, creates the centred 640 x 480
// main window and runs the message loop on the main thread until the quit message. Nothing is
// released on the way out; the process end does that.
#include "shell/MainWindow.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR pszCmdLine, int nCmdShow)
{
    (void)hPrevInstance;
    (void)pszCmdLine;
    if (!gstMainWindow.fnRegisterClass(hInstance))
    {
        MessageBoxW(nullptr, L"INF:WinMain()_00 Register Windows Class failed!", L"VQ4600Utility",
                    MB_OK | MB_ICONERROR);
        return 0;
    }
    if (gstMainWindow.fnCreate(nCmdShow) == nullptr)
        return 0;
    return gstMainWindow.fnMessageLoop();
}
