// Which processes have a module loaded: find's and wait's question, on the walks of enum/.
#pragma once

#include <windows.h>

#include <vector>

#include "enum/Backend.h"
#include "paths/Pattern.h"
#include "query/LoadedModule.h"

struct ModuleSearch {
    std::vector<LoadedModule> hits;      // by process id, then by path
    std::vector<UnreadProcess> unread;   // running processes whose modules could not be read
};

// Every loaded module that `pattern` matches, the modules named by `namer` where one is given. A
// process that ended during the search is left out: it holds nothing. No file is read: wait
// looks again and again and shows no version. False when the process table cannot be read.
bool FindModule(const Backend& backend, const ModulePattern& pattern, ModuleSearch& search,
                const ModuleNamer* namer = nullptr);
