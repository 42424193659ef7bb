#include "cli/ModuleSearch.h"

#include <map>

#include "controls/DisplayName.h"
#include "enum/ProcessWalk.h"
#include "export/ModuleReport.h"

namespace {

std::string Lower(std::string text)
{
    if (!text.empty())
        ::CharLowerBuffA(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// MatchesPattern on a pattern and a text that are both lower case already.
bool MatchesLowered(const std::string& p, const std::string& t)
{
    size_t pi = 0, ti = 0, star = std::string::npos, resume = 0;
    while (ti < t.size()) {
        if (pi < p.size() && (p[pi] == '?' || p[pi] == t[ti])) {
            ++pi;
            ++ti;
        } else if (pi < p.size() && p[pi] == '*') {
            star = pi++;
            resume = ti;
        } else if (star != std::string::npos) {
            // Let the last star take one more character.
            pi = star + 1;
            ti = ++resume;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*')
        ++pi;
    return pi == p.size();
}

// Tests the loaded modules of one process after another against the pattern. Every process
// of a search has the same system DLLs: each file's version is read once.
class Search {
public:
    Search(const std::string& pattern, ModuleSearch& result)
        : m_pattern(Lower(pattern)), m_byPath(pattern.find_first_of("\\/:") != std::string::npos), m_result(result)
    {
    }

    // Walks the modules of one process; `executable` names it where the walk does not.
    void Process(const OSVERSIONINFOA& version, DWORD id, const char* executable)
    {
        CString processPath = executable ? executable : "";
        bool first = true;
        EntrySink test = [&](const char* path, DWORD) {
            if (first && !executable)
                processPath = path;
            first = false;
            std::string lowered = Lower(path);
            if (MatchesLowered(m_pattern, m_byPath ? lowered : lowered.substr(FolderLength(lowered.c_str()))))
                m_result.hits.push_back({id, processPath, CString(path), VersionOf(lowered, path)});
        };
        ModuleWalk walk = IsNtFamily(version) ? WalkModulesNt(id, FirstEntry::List, test)
                                              : WalkModulesToolhelp(id, FirstEntry::List, test);
        if (walk != ModuleWalk::Listed)
            ++m_result.unreadable;
    }

private:
    CString VersionOf(const std::string& key, const char* path)
    {
        auto known = m_versions.find(key);
        if (known == m_versions.end())
            known = m_versions.emplace(key, ReadModuleVersion(path).version).first;
        return known->second;
    }

    std::string m_pattern;
    bool m_byPath;
    ModuleSearch& m_result;
    std::map<std::string, CString> m_versions;
};

}  // namespace

bool MatchesPattern(const std::string& pattern, const std::string& text)
{
    return MatchesLowered(Lower(pattern), Lower(text));
}

bool FindModule(const OSVERSIONINFOA& version, const std::string& pattern, ModuleSearch& result)
{
    result = ModuleSearch();
    Search search(pattern, result);
    if (IsNtFamily(version)) {
        // The executable is a process's first module: naming a process costs no extra call.
        std::vector<DWORD> ids;
        if (!EnumProcessIds(ids))
            return false;
        for (DWORD id : ids)
            search.Process(version, id, nullptr);
        return true;
    }
    struct Entry { DWORD id; CString path; };
    std::vector<Entry> processes;
    if (!WalkProcessesToolhelp(FirstEntry::List, [&](const char* path, DWORD id) { processes.push_back({id, path}); }))
        return false;
    for (const Entry& process : processes)
        search.Process(version, process.id, process.path);
    return true;
}
