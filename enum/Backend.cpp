#include "enum/Backend.h"

#include <algorithm>

#include "enum/ProcessMatch.h"
#include "paths/DisplayName.h"

Backend::Backend(const ListOrder& order) : m_order(order)
{
    m_library = BindEnumBackend(m_version);
    m_available = EnumBackendAvailable(m_version);
}

bool Backend::Processes(std::vector<ProcessRecord>& processes) const
{
    processes.clear();
    if (!m_available || !ReadProcessTable(m_version, processes))
        return false;
    std::stable_sort(processes.begin(), processes.end(),
                     [](const ProcessRecord& a, const ProcessRecord& b) { return a.id < b.id; });
    return true;
}

ProcessLookup Backend::Find(const std::wstring& name, std::vector<ProcessRecord>& matches) const
{
    matches.clear();
    std::vector<ProcessRecord> processes;
    if (!Processes(processes))
        return ProcessLookup::Unreadable;
    matches = MatchProcesses(processes, name);
    if (matches.empty())
        return ProcessLookup::Unknown;
    return matches.size() == 1 ? ProcessLookup::Found : ProcessLookup::Ambiguous;
}

ModuleWalk Backend::Modules(const ProcessRecord& process, std::vector<ModuleEntry>& modules) const
{
    modules.clear();
    return WalkModules(m_version, process.id, FirstEntry::List,
                       [&modules](const ModuleEntry& module) { modules.push_back(module); }, Capacity::Whole);
}

ModuleWalk Backend::DialogModules(const ProcessRecord& process, std::vector<ModuleEntry>& modules, bool& ordered) const
{
    modules.clear();
    ordered = false;
    // As the dialog fills its list: without the executable, as many as its arrays hold.
    std::vector<ModuleEntry> walked;
    ModuleWalk walk = WalkModules(m_version, process.id, FirstEntry::Skip,
                                  [&walked](const ModuleEntry& module) { walked.push_back(module); }, Capacity::Fixed);
    if (walk != ModuleWalk::Listed)
        return walk;
    // The list shows each entry by the display name of its ANSI path.
    std::vector<CString> names;
    names.reserve(walked.size());
    for (const ModuleEntry& module : walked)
        names.push_back(DisplayNameOf(module.path));
    std::vector<size_t> order;
    if (!m_order.Sort(m_version, names, order))
        return walk;
    ordered = true;
    modules.reserve(order.size());
    for (size_t index : order)
        modules.push_back(walked[index]);
    return walk;
}

bool Backend::WalkEveryProcess(const std::function<void(const ProcessModules&)>& sink, const ModuleNamer* namer) const
{
    return m_available && ::WalkEveryProcess(m_version, sink, namer);
}

CString Backend::ListedPath(const ProcessRecord& process) const
{
    return ListedProcessPath(m_version, process);
}
