#include "query/ModuleSearch.h"

#include <algorithm>

bool FindModule(const Backend& backend, const ModulePattern& pattern, ModuleSearch& search, const ModuleNamer* namer)
{
    search = ModuleSearch();
    bool read = backend.WalkEveryProcess([&](const ProcessModules& process) {
        if (process.walk != ModuleWalk::Listed) {
            if (process.walk != ModuleWalk::Ended && ProcessRuns(process.process.id))
                search.unread.push_back({process.process, process.walk});
            return;
        }
        for (const ModuleEntry& module : process.modules)
            if (pattern.Matches(module.file))
                search.hits.push_back({process.process, module});
    }, namer);
    std::stable_sort(search.hits.begin(), search.hits.end(), ListedBefore);
    return read;
}
