// A module as one process has it loaded: one row of find and of stale.
#pragma once

#include "enum/ProcessTable.h"

struct LoadedModule {
    ProcessRecord process;
    ModuleEntry module;
};

// The order of find's and stale's rows: by process id, then by path in any case.
bool ListedBefore(const LoadedModule& a, const LoadedModule& b);
