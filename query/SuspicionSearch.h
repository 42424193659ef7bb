// Which loaded modules came from where they should not have: suspect's question, on the walks of
// enum/, the rules on loaded modules and the version reading of export/.
#pragma once

#include <vector>

#include "enum/Backend.h"
#include "export/FileVersion.h"
#include "query/LoadedModule.h"
#include "query/SuspicionRules.h"

struct SuspectModule {
    LoadedModule loaded;
    Judgement judgement;
    FileVersion version;  // of the module's file
};

struct SuspectSearch {
    std::vector<SuspectModule> found;   // by severity (high first), process id, path, finding
    std::vector<UnreadProcess> unread;  // running processes whose modules could not be read
};

// Judges every module of every process by `rules`. Each file is asked about once: whether the
// system folder has a file of a module's name, and its version resource, which is read for the
// modules found and, where low findings are wanted, for every module. A process that ended during
// the search is left out. False when the process table cannot be read.
bool FindSuspectModules(const Backend& backend, const SuspectRules& rules, SuspectSearch& search);
// The same for one process whose modules were walked.
void FindSuspectModules(const ProcessModules& process, const SuspectRules& rules, SuspectSearch& search);
