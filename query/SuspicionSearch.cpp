#include "query/SuspicionSearch.h"

#include <algorithm>
#include <map>

#include "paths/WidePath.h"
#include "query/PathCache.h"

namespace {

// What a search has learnt of the files, each asked once.
class DiskFacts {
public:
    DiskFacts() : m_versions(ReadFileVersion)
    {
        m_facts.exists = [this](const std::wstring& path) { return Exists(path); };
        m_facts.originalName = [this](const std::wstring& path, std::wstring& original) {
            const FileVersion& version = m_versions.Of(path);
            original = version.originalName;
            return version.hasOriginalName;
        };
    }
    DiskFacts(const DiskFacts&) = delete;
    DiskFacts& operator=(const DiskFacts&) = delete;

    const FileFacts& Facts() const { return m_facts; }
    const FileVersion& VersionOf(const std::wstring& path) { return m_versions.Of(path); }

private:
    bool Exists(const std::wstring& path)
    {
        auto known = m_exists.find(path);
        if (known == m_exists.end()) {
            // Named exactly: a system file called like a device is a file.
            const DWORD attributes = AttributesOf(LongPathForm(path, PathUse::Exact));
            known = m_exists.emplace(path, attributes != INVALID_FILE_ATTRIBUTES &&
                                               !(attributes & FILE_ATTRIBUTE_DIRECTORY)).first;
        }
        return known->second;
    }

    FileFacts m_facts;
    std::map<std::wstring, bool> m_exists;
    PathCache<FileVersion> m_versions;
};

// A path with its short 8.3 names spelled out, as the system's folders are: a process started by
// a short name names its modules so. Only a path with a "~" asks the system.
std::wstring Spelled(const std::wstring& path)
{
    return path.find(L'~') == std::wstring::npos ? path : LongNameOf(path);
}

void Judge(const ProcessModules& walked, const SuspectRules& rules, DiskFacts& disk, SuspectSearch& search)
{
    if (walked.walk != ModuleWalk::Listed) {
        if (walked.walk != ModuleWalk::Ended && ProcessRuns(walked.process.id))
            search.unread.push_back({walked.process, walked.walk});
        return;
    }
    const JudgedProcess process{Spelled(walked.process.path), walked.process.bits};
    for (const ModuleEntry& module : walked.modules)
        for (Judgement& judgement : rules.Judge(process, Spelled(module.file), disk.Facts()))
            search.found.push_back({{walked.process, module}, std::move(judgement), disk.VersionOf(module.file)});
}

void Sort(SuspectSearch& search)
{
    std::stable_sort(search.found.begin(), search.found.end(), [](const SuspectModule& a, const SuspectModule& b) {
        if (a.judgement.severity != b.judgement.severity)
            return a.judgement.severity > b.judgement.severity;
        if (ListedBefore(a.loaded, b.loaded) || ListedBefore(b.loaded, a.loaded))
            return ListedBefore(a.loaded, b.loaded);
        return a.judgement.finding < b.judgement.finding;
    });
}

}  // namespace

bool FindSuspectModules(const Backend& backend, const SuspectRules& rules, SuspectSearch& search)
{
    search = SuspectSearch();
    DiskFacts disk;
    const bool read =
        backend.WalkEveryProcess([&](const ProcessModules& process) { Judge(process, rules, disk, search); });
    Sort(search);
    return read;
}

void FindSuspectModules(const ProcessModules& process, const SuspectRules& rules, SuspectSearch& search)
{
    search = SuspectSearch();
    DiskFacts disk;
    Judge(process, rules, disk, search);
    Sort(search);
}
