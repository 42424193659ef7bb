// A process for the tests to look at: loads the library named on its command line (a whole
// path), then waits to be ended. Exit status 2 when it cannot load it.
#include <windows.h>
#include <shellapi.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    int count = 0;
    LPWSTR* words = ::CommandLineToArgvW(::GetCommandLineW(), &count);
    if (!words || count != 2 || !::LoadLibraryW(words[1]))
        return 2;
    ::Sleep(INFINITE);
    return 0;
}
