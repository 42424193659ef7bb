// Which processes run an image of a module other than the file now at the module's path: stale's
// question, on the walks of enum/ and the header readers of export/.
#pragma once

#include <windows.h>

#include <vector>

#include "enum/Backend.h"
#include "query/LoadedModule.h"

// What stands at a module's path instead of the image that a process runs.
enum class FileState {
    Changed,     // a file whose header tells another build: time stamp, image size or checksum
    Vanished,    // no file
    Unreadable,  // a file whose header cannot be read: refused, locked, or no image
};

struct StaleModule {
    LoadedModule loaded;
    FileState state;
};

struct StaleSearch {
    std::vector<StaleModule> stale;       // by process id, then by path
    std::vector<UnreadProcess> unread;    // running processes whose modules could not be read
    std::vector<LoadedModule> unchecked;  // modules whose image in memory could not be read
    // 32-bit modules that the system names by a path where the 64-bit program finds a 64-bit
    // file: a name from the 32-bit process's view of the system folder, not the file it mapped
    std::vector<LoadedModule> otherView;
};

// Compares the image of every module of every process with the file at the module's path. A
// process that ended during the search is left out: it runs nothing. False when the process
// table cannot be read.
bool FindStaleModules(const Backend& backend, StaleSearch& search);
// The same for one process whose modules were walked. False when the process ended before its
// images were read: nothing of it is known then.
bool FindStaleModules(const ProcessModules& process, StaleSearch& search);
