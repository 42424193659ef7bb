// Keeps Wine's desktop and services running for the length of a test run: one hidden window
// and a message loop, until the Wine server is stopped.
#include <windows.h>

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    HWND window = ::CreateWindowExA(0, "STATIC", "quendrix test holder", WS_POPUP, 0, 0, 1, 1,
                                    nullptr, nullptr, instance, nullptr);
    MSG msg;
    while (window && ::GetMessageA(&msg, nullptr, 0, 0) > 0)
        ::DispatchMessageA(&msg);
    return 0;
}
