#include "cli/Session.h"

#include "enum/ProcessMatch.h"
#include "export/ModuleReport.h"
#include "framework/Encoding.h"
#include "paths/DisplayName.h"
#include "paths/TextForms.h"

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

bool Session::Available()
{
    if (!m_backend.Available())
        m_console.Error("cannot list processes: this system offers no process listing");
    return m_backend.Available();
}

bool Session::Processes(std::vector<ProcessRecord>& processes)
{
    if (!Available())
        return false;
    if (m_backend.Processes(processes))
        return true;
    m_console.Error("cannot read the process table");
    return false;
}

int Session::Lookup(const std::wstring& name, ProcessRecord& found)
{
    if (!Available())
        return kExitPartly;
    std::vector<ProcessRecord> matches;
    switch (m_backend.Find(name, matches)) {
    case ProcessLookup::Found:
        found = matches.front();
        return kExitDone;
    case ProcessLookup::Unreadable:
        m_console.Error("cannot read the process table");
        return kExitPartly;
    case ProcessLookup::Unknown:
        m_console.Error(IsProcessId(name) ? L"no process has the id " + name : L"no process is named \"" + name + L"\"");
        return kExitRefused;
    default:
        break;
    }
    std::vector<std::wstring> ids;
    for (const ProcessRecord& match : matches)
        ids.push_back(Decimal(match.id));
    m_console.Error(Decimal(static_cast<DWORD>(matches.size())) + L" processes are named \"" + name + L"\": " +
                    Listed(ids) + L"; name one by its id");
    return kExitRefused;
}

int Session::Unread(const ProcessRecord& process, ModuleWalk walk)
{
    m_console.Error(L"cannot read the modules of process " + Describe(process) + L": " + WhyUnread(walk));
    return kExitPartly;
}

int Session::Modules(const ProcessRecord& process, std::vector<ModuleEntry>& modules)
{
    ModuleWalk walk = m_backend.Modules(process, modules);
    return walk == ModuleWalk::Listed ? kExitDone : Unread(process, walk);
}

int Session::Report(const std::wstring& name, ProcessRecord& process, std::string& report,
                    std::vector<ModuleEntry>* listed)
{
    if (int status = Lookup(name, process))
        return status;
    std::vector<ModuleEntry> modules;
    bool ordered = false;
    ModuleWalk walk = m_backend.DialogModules(process, modules, ordered);
    if (walk != ModuleWalk::Listed)
        return Unread(process, walk);
    if (!ordered) {
        m_console.Error("cannot put the modules in the order of the dialog's list: the system gives no list box "
                        "(under Wine: no display)");
        return kExitPartly;
    }
    report = ComposeReport(m_backend.ListedPath(process), modules);
    if (listed)
        listed->swap(modules);
    return kExitDone;
}

void Session::ReportUnread(const std::vector<UnreadProcess>& unread)
{
    std::vector<std::wstring> otherBitness, refused;
    for (const UnreadProcess& process : unread)
        (process.walk == ModuleWalk::OtherBitness ? otherBitness : refused).push_back(Describe(process.process));
    if (!otherBitness.empty())
        m_console.Error(L"note: " + Decimal(static_cast<DWORD>(otherBitness.size())) +
                        L" 64-bit processes cannot be read by this 32-bit program; QuendrixCli64 reads them: " +
                        Listed(otherBitness));
    if (!refused.empty())
        m_console.Error(L"note: the modules of " + Decimal(static_cast<DWORD>(refused.size())) +
                        L" processes could not be read (access is refused, or their module list cannot be read): " +
                        Listed(refused));
}

int Session::Print(const std::vector<Column>& columns, const std::vector<Row>& rows, const Arguments& arguments)
{
    // CSV and JSON are exact for a file or a pipe; on a console, as text, each value is shown.
    std::vector<Row> shown;
    if (arguments.format != Format::Text && m_console.ToConsole()) {
        shown = rows;
        for (Row& row : shown)
            for (Cell& cell : row)
                cell.text = ShownText(cell.text);
    }
    const std::wstring table = RenderTable(columns, shown.empty() ? rows : shown, arguments.format, arguments.heading);
    bool written = arguments.format == Format::Text ? m_console.Text(table)
                                                    : m_console.Bytes(FromWide(table, CP_UTF8), CP_UTF8);
    return written ? kExitDone : OutputRefused();
}

int Session::OutputRefused()
{
    m_console.Error(L"cannot write the output: " + Console::Reason(::GetLastError()));
    return kExitRefused;
}
