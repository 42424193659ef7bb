#include "cli/ModuleSearch.h"

#include <map>

#include "enum/DisplayName.h"
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

    void Process(const ProcessModules& process)
    {
        if (process.walk != ModuleWalk::Listed)
            ++m_result.unreadable;
        for (const CString& path : process.modules) {
            std::string lowered = Lower(path.GetString());
            if (MatchesLowered(m_pattern, m_byPath ? lowered : lowered.substr(FolderLength(lowered.c_str()))))
                m_result.hits.push_back({process.id, process.executable, path, VersionOf(lowered, path)});
        }
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
    return WalkEveryProcess(version, [&search](const ProcessModules& process) { search.Process(process); });
}
