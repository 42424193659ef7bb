// A process for the benchmarks to list: loads a few libraries, then waits to be ended.
#include <windows.h>

#include <initializer_list>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    for (const char* name : {"version.dll", "comdlg32.dll", "shlwapi.dll", "psapi.dll"})
        ::LoadLibraryA(name);
    ::Sleep(INFINITE);
    return 0;
}
