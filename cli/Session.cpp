#include "cli/Session.h"

#include <algorithm>

#include "cli/ListOrder.h"
#include "export/ModuleReport.h"
#include "framework/Encoding.h"
#include "paths/DisplayName.h"

namespace {

std::wstring WhyUnread(ModuleWalk walk)
{
    switch (walk) {
    case ModuleWalk::OtherBitness: return L"a 64-bit process, which QuendrixCli64 reads";
    case ModuleWalk::Ended: return L"it has ended";
    case ModuleWalk::NotListed: return L"its module list cannot be read";
    default: return L"access is refused";
    }
}

}  // namespace

std::wstring Describe(const ProcessRecord& process)
{
    return Decimal(process.id) + L" (" + (process.path.empty() ? L"unknown" : DisplayNameOf(process.path)) + L")";
}

Session::Session(Console& console) : m_console(console)
{
    BindEnumBackend(m_version);
    m_available = EnumBackendAvailable(m_version);
}

bool Session::Available()
{
    if (!m_available)
        m_console.Error("cannot list processes: this system offers no process listing");
    return m_available;
}

bool Session::Processes(std::vector<ProcessRecord>& processes)
{
    if (!Available())
        return false;
    if (!ReadProcessTable(m_version, processes)) {
        m_console.Error("cannot read the process table");
        return false;
    }
    std::stable_sort(processes.begin(), processes.end(),
                     [](const ProcessRecord& a, const ProcessRecord& b) { return a.id < b.id; });
    return true;
}

int Session::Lookup(const std::wstring& name, ProcessRecord& found)
{
    std::vector<ProcessRecord> processes;
    if (!Processes(processes))
        return kExitPartly;
    std::vector<ProcessRecord> matches = MatchProcesses(processes, name);
    if (matches.empty()) {
        m_console.Error(IsProcessId(name) ? L"no process has the id " + name
                                          : L"no process is named \"" + name + L"\"");
        return kExitRefused;
    }
    if (matches.size() > 1) {
        std::wstring ids;
        for (const ProcessRecord& match : matches)
            ids += (ids.empty() ? L"" : L", ") + Decimal(match.id);
        m_console.Error(Decimal(static_cast<DWORD>(matches.size())) + L" processes are named \"" + name + L"\": " + ids +
                        L"; name one by its id");
        return kExitRefused;
    }
    found = matches.front();
    return kExitDone;
}

int Session::Modules(const ProcessRecord& process, std::vector<ModuleEntry>& modules, FirstEntry first,
                     Capacity capacity)
{
    modules.clear();
    ModuleWalk walk = WalkModules(m_version, process.id, first,
                                  [&modules](const ModuleEntry& module) { modules.push_back(module); }, capacity);
    if (walk == ModuleWalk::Listed)
        return kExitDone;
    m_console.Error(L"cannot read the modules of process " + Describe(process) + L": " + WhyUnread(walk));
    return kExitPartly;
}

int Session::DialogModules(const std::wstring& name, ProcessRecord& process, std::vector<ModuleEntry>& modules)
{
    if (int status = Lookup(name, process))
        return status;
    // As the dialog fills its list: without the executable, as many as its arrays hold.
    if (int status = Modules(process, modules, FirstEntry::Skip, Capacity::Fixed))
        return status;
    if (SortAsListShows(modules))
        return kExitDone;
    m_console.Error("cannot put the modules in the order of the dialog's list: the system gives no list box "
                    "(under Wine: no display)");
    return kExitPartly;
}

int Session::Report(const std::wstring& name, ProcessRecord& process, std::string& report,
                    std::vector<ModuleEntry>* listed)
{
    std::vector<ModuleEntry> modules;
    if (int status = DialogModules(name, process, modules))
        return status;
    std::vector<ReportEntry> entries;
    for (const ModuleEntry& module : modules)
        entries.push_back({module.path, module.faithful});
    report = ComposeReport(ListedProcessPath(m_version, process), entries);
    if (listed)
        listed->swap(modules);
    return kExitDone;
}

void Session::ReportUnread(const std::vector<UnreadProcess>& unread)
{
    std::wstring otherBitness, refused;
    size_t otherCount = 0;
    for (const UnreadProcess& process : unread) {
        std::wstring& list = process.walk == ModuleWalk::OtherBitness ? otherBitness : refused;
        list += (list.empty() ? L"" : L", ") + Describe(process.process);
        otherCount += process.walk == ModuleWalk::OtherBitness;
    }
    if (otherCount)
        m_console.Error(L"note: " + Decimal(static_cast<DWORD>(otherCount)) +
                        L" 64-bit processes cannot be read by this 32-bit program; QuendrixCli64 reads them: " +
                        otherBitness);
    if (unread.size() > otherCount)
        m_console.Error(L"note: the modules of " + Decimal(static_cast<DWORD>(unread.size() - otherCount)) +
                        L" processes could not be read (access is refused, or their module list cannot be read): " +
                        refused);
}

int Session::Print(const std::vector<Column>& columns, const std::vector<Row>& rows, const Arguments& arguments)
{
    std::wstring table = RenderTable(columns, rows, arguments.format, arguments.heading);
    bool written = arguments.format == Format::Text ? m_console.Text(table) : m_console.Bytes(FromWide(table, CP_UTF8));
    return written ? kExitDone : OutputRefused();
}

int Session::OutputRefused()
{
    m_console.Error(L"cannot write the output: " + Console::Reason(::GetLastError()));
    return kExitRefused;
}
