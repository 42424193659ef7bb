#include "enum/ProcessMatch.h"

#include <cstdlib>

#include "framework/Encoding.h"
#include "paths/Pattern.h"

bool IsProcessId(const std::wstring& name)
{
    return !name.empty() && name.find_first_not_of(L"0123456789") == std::wstring::npos;
}

std::vector<ProcessRecord> MatchProcesses(const std::vector<ProcessRecord>& processes, const std::wstring& name)
{
    std::vector<ProcessRecord> matches;
    if (IsProcessId(name)) {
        // Digits past what a process id holds name no process.
        unsigned long long id = name.size() > 10 ? ~0ULL : std::strtoull(FromWide(name).c_str(), nullptr, 10);
        for (const ProcessRecord& process : processes)
            if (process.id == id)
                matches.push_back(process);
        return matches;
    }
    // A program is a module of its process, named as modules are; ".exe" is what a name leaves out.
    const ModulePattern pattern(name, L".exe");
    for (const ProcessRecord& process : processes)
        if (!process.path.empty() && pattern.Matches(process.path))
            matches.push_back(process);
    return matches;
}
