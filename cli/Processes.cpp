#include "cli/Processes.h"

#include <algorithm>
#include <cstdlib>

#include "enum/DisplayName.h"

namespace {

ModuleWalk Walk(const OSVERSIONINFOA& version, DWORD processId, FirstEntry first, std::vector<CString>& paths)
{
    paths.clear();
    return WalkModules(version, processId, first, [&paths](const char* path, DWORD) { paths.push_back(CString(path)); });
}

}  // namespace

bool ListProcesses(const OSVERSIONINFOA& version, std::vector<ProcessInfo>& processes)
{
    processes.clear();
    bool read = WalkProcesses(version, FirstEntry::List,
                              [&processes](const char* path, DWORD id) { processes.push_back({id, CString(path)}); });
    std::stable_sort(processes.begin(), processes.end(),
                     [](const ProcessInfo& a, const ProcessInfo& b) { return a.id < b.id; });
    return read;
}

bool IsProcessId(const std::string& name)
{
    return !name.empty() && name.find_first_not_of("0123456789") == std::string::npos;
}

std::vector<ProcessInfo> MatchProcesses(const std::vector<ProcessInfo>& processes, const std::string& name)
{
    bool isId = IsProcessId(name);
    unsigned long long id = isId ? std::strtoull(name.c_str(), nullptr, 10) : 0;
    std::vector<ProcessInfo> matches;
    for (const ProcessInfo& process : processes) {
        if (isId ? process.id == id : ::lstrcmpiA(DisplayNameOf(process.path), name.c_str()) == 0)
            matches.push_back(process);
    }
    return matches;
}

ModuleWalk ListModules(const OSVERSIONINFOA& version, DWORD processId, std::vector<CString>& paths)
{
    return Walk(version, processId, FirstEntry::List, paths);
}

ModuleWalk ListDialogModules(const OSVERSIONINFOA& version, DWORD processId, std::vector<CString>& paths)
{
    return Walk(version, processId, FirstEntry::Skip, paths);
}
