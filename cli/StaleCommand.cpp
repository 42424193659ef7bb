// stale: the modules whose file on disk is no longer the image that a process runs.
#include "cli/Commands.h"
#include "cli/Session.h"
#include "paths/DisplayName.h"
#include "query/StaleSearch.h"

namespace {

const wchar_t* StateName(FileState state)
{
    switch (state) {
    case FileState::Changed: return L"changed";
    case FileState::Vanished: return L"vanished";
    default: return L"unreadable";
    }
}

Cell ProcessName(const ProcessRecord& process)
{
    return process.path.empty() ? Missing() : Cell{DisplayNameOf(process.path)};
}

// Says on standard error which modules were not compared, and why.
void ReportUnchecked(Session& session, const std::vector<LoadedModule>& modules, const wchar_t* why)
{
    if (modules.empty())
        return;
    std::vector<std::wstring> named;
    for (const LoadedModule& loaded : modules)
        named.push_back(Describe(loaded.process) + L" " + loaded.module.file);
    session.Out().Error(L"note: " + Decimal(static_cast<DWORD>(modules.size())) + L" modules were not compared (" +
                        why + L"): " + Listed(named));
}

}  // namespace

int RunStale(const Arguments& arguments, Session& session)
{
    StaleSearch search;
    if (!arguments.operands.empty()) {
        ProcessModules walked{{}, ModuleWalk::Listed, {}};
        // Not even the process table could be read: that is not knowing, not finding.
        if (int status = session.Lookup(arguments.operands[0], walked.process))
            return status == kExitPartly ? kExitUnsure : status;
        // A process that cannot be read, or that ended since it was named, was not compared:
        // "none is stale" would be an answer never looked for.
        if (session.Modules(walked.process, walked.modules))
            return kExitUnsure;
        if (!FindStaleModules(walked, search)) {
            session.Out().Error(L"cannot compare the modules of process " + Describe(walked.process) + L": it has ended");
            return kExitUnsure;
        }
    } else {
        if (!session.Available())
            return kExitUnsure;
        if (!FindStaleModules(session.Engine(), search)) {
            session.Out().Error("cannot read the process table");
            return kExitUnsure;
        }
    }
    std::vector<Row> rows;
    for (const StaleModule& stale : search.stale)
        rows.push_back({Cell{Decimal(stale.loaded.process.id)}, ProcessName(stale.loaded.process),
                        Cell{stale.loaded.module.file}, Cell{StateName(stale.state)}});
    int status = session.Print({{"id", true}, {"process", false}, {"path", false}, {"state", false}}, rows, arguments);
    session.ReportUnread(search.unread);
    ReportUnchecked(session, search.unchecked, L"their image in memory could not be read");
    ReportUnchecked(session, search.otherView,
                    L"32-bit images that the system names by a path where a 64-bit file lies");
    if (status != kExitDone)
        return status;
    if (!search.stale.empty())
        return kExitPartly;
    return search.unread.empty() && search.unchecked.empty() && search.otherView.empty() ? kExitDone : kExitUnsure;
}
