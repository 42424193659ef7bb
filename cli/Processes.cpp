#include "cli/Processes.h"

#include <cstdlib>

#include "cli/Pattern.h"
#include "enum/DisplayName.h"
#include "framework/Encoding.h"

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
    std::wstring pattern = name;
    for (wchar_t& c : pattern)
        if (c == L'/')
            c = L'\\';
    const bool byPath = pattern.find_first_of(L"\\:") != std::wstring::npos;
    const bool anyExtension = DisplayNameOf(pattern).find(L'.') == std::wstring::npos;
    for (const ProcessRecord& process : processes) {
        if (process.path.empty())
            continue;
        std::wstring text = byPath ? process.path : DisplayNameOf(process.path);
        if (MatchesPattern(pattern, text) || (anyExtension && MatchesPattern(pattern + L".exe", text)))
            matches.push_back(process);
    }
    return matches;
}
