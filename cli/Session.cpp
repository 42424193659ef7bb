#include "cli/Session.h"

#include "cli/ListOrder.h"
#include "enum/DisplayName.h"

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

bool Session::Processes(std::vector<ProcessInfo>& processes)
{
    if (!Available())
        return false;
    if (ListProcesses(m_version, processes))
        return true;
    m_console.Error("cannot read the process table");
    return false;
}

int Session::Lookup(const std::string& name, ProcessInfo& found)
{
    std::vector<ProcessInfo> processes;
    if (!Processes(processes))
        return kExitPartly;
    std::vector<ProcessInfo> matches = MatchProcesses(processes, name);
    if (matches.empty()) {
        m_console.Error(IsProcessId(name) ? "no process has the id " + name : "no process is named " + Quoted(name));
        return kExitRefused;
    }
    if (matches.size() > 1) {
        std::string ids;
        for (const ProcessInfo& match : matches)
            ids += (ids.empty() ? "" : ", ") + Decimal(match.id);
        m_console.Error(std::to_string(matches.size()) + " processes are named " + Quoted(name) + ": " + ids +
                        "; name one by its id");
        return kExitRefused;
    }
    found = matches.front();
    return kExitDone;
}

int Session::Walked(ModuleWalk walk, const ProcessInfo& process)
{
    if (walk == ModuleWalk::Listed)
        return kExitDone;
    m_console.Error("cannot read the modules of process " + Decimal(process.id) + " (" +
                    DisplayNameOf(process.path).GetString() + "): " +
                    (walk == ModuleWalk::NotOpened ? "it has ended, or access is refused"
                                                   : "its module list cannot be read"));
    return kExitPartly;
}

int Session::DialogModules(const std::string& name, ProcessInfo& process, std::vector<CString>& paths)
{
    if (int status = Lookup(name, process))
        return status;
    if (int status = Walked(ListDialogModules(m_version, process.id, paths), process))
        return status;
    if (SortAsListShows(paths))
        return kExitDone;
    m_console.Error("cannot put the modules in the order of the dialog's list: the system gives no list box "
                    "(under Wine: no display)");
    return kExitPartly;
}

int Session::Print(const std::vector<Column>& columns, const std::vector<Row>& rows, Format format)
{
    std::string table = RenderTable(columns, rows, format);
    bool written = format == Format::Text ? m_console.Text(table) : m_console.Bytes(table);
    return written ? kExitDone : OutputRefused();
}

int Session::OutputRefused()
{
    m_console.Error("cannot write the output: " + Console::Reason(::GetLastError()));
    return kExitRefused;
}
