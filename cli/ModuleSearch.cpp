#include "cli/ModuleSearch.h"

#include <algorithm>
#include <map>

#include "framework/WidePath.h"

namespace {

// Every process of a search has the same system DLLs: each file's version is read once.
class VersionCache {
public:
    const FileVersion& Of(const std::wstring& file)
    {
        std::wstring key = LowerCase(file);
        auto known = m_versions.find(key);
        if (known == m_versions.end())
            known = m_versions.emplace(key, ReadFileVersion(file)).first;
        return known->second;
    }

private:
    std::map<std::wstring, FileVersion> m_versions;
};

}  // namespace

bool FindModule(const OSVERSIONINFOA& version, const ModulePattern& pattern, ModuleSearch& search,
                const ModuleNamer* namer)
{
    search = ModuleSearch();
    VersionCache versions;
    bool read = WalkEveryProcess(version, [&](const ProcessModules& process) {
        if (process.walk != ModuleWalk::Listed) {
            if (process.walk != ModuleWalk::Ended && ProcessRuns(process.process.id))
                search.unread.push_back({process.process, process.walk});
            return;
        }
        for (const ModuleEntry& module : process.modules)
            if (pattern.Matches(module.file))
                search.hits.push_back({process.process, module, versions.Of(module.file)});
    }, namer);
    std::stable_sort(search.hits.begin(), search.hits.end(), [](const ModuleHit& a, const ModuleHit& b) {
        if (a.process.id != b.process.id)
            return a.process.id < b.process.id;
        return LowerCase(a.module.file) < LowerCase(b.module.file);
    });
    return read;
}
