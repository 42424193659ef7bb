// Where the system keeps what its processes load, read once for a run of the rules on loaded
// modules: its folders, the classes of folders, and the names of its known DLLs.
#pragma once

#include <set>
#include <string>

#include "paths/FolderClasses.h"
#include "paths/SystemFolders.h"

struct SystemPlaces {
    SystemFolders folders;
    FolderClasses classes;
    // The known DLLs' file names, in lower case: those that the loader maps from the system
    // folder only, for every process; and those that it maps so for the 32-bit processes of a
    // 64-bit system besides.
    std::set<std::wstring> knownDlls, knownDlls32;
    int ownBits = 0;  // this program's bitness: 32 or 64
};

// This system's, for the user that runs the program.
SystemPlaces ReadSystemPlaces();
