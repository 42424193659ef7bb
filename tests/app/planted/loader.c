/* Loads every library named on its command line by name, as any program may: beside the
   stand-ins, with Wine told to prefer them, it shows that they are found. It imports the system
   libraries that the programs import, so that, run without names, it shows which stand-ins the
   system itself loads for a program in that folder before any code of the program runs. */
#include <windows.h>

int main(int argc, char** argv)
{
    if (argc == 0) {
        /* Never run: these calls only make the imports. */
        MessageBeep(0);
        GetStockObject(WHITE_BRUSH);
        OleUninitialize();
    }
    int missing = 0;
    for (int i = 1; i < argc; ++i) {
        if (!LoadLibraryA(argv[i]))
            ++missing;
    }
    return missing;
}
