// The program's entry point; everything else starts from the application object.
#include "Guard.h"
#include "SystemLibrary.h"
#include "WinApp.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    RestrictLibrarySearch();
    return AfxGuardCallback(-1, [&] { return AfxWinMain(instance); });
}
