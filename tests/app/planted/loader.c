/* Loads the two libraries by name, as any program may: beside the stand-ins, with Wine told to
   prefer them, it shows that they are found. */
#include <windows.h>

int main(void)
{
    LoadLibraryA("psapi.dll");
    LoadLibraryA("version.dll");
    return 0;
}
