// The listings: processes, modules and find.
#include "cli/Arguments.h"
#include "cli/Commands.h"
#include "cli/ModuleSearch.h"
#include "cli/Session.h"
#include "enum/DisplayName.h"
#include "export/ModuleReport.h"

int RunProcesses(const Arguments& arguments, Session& session)
{
    std::vector<ProcessInfo> processes;
    if (!session.Processes(processes))
        return kExitPartly;
    std::vector<Row> rows;
    for (const ProcessInfo& process : processes)
        rows.push_back({{Decimal(process.id).c_str()}, {DisplayNameOf(process.path)}, {process.path}});
    return session.Print({{"id", true}, {"name", false}, {"path", false}}, rows, arguments.format);
}

int RunModules(const Arguments& arguments, Session& session)
{
    ProcessInfo process;
    if (int status = session.Lookup(arguments.operands[0], process))
        return status;
    std::vector<CString> paths;
    if (int status = session.Walked(ListModules(session.Version(), process.id, paths), process))
        return status;
    std::vector<Row> rows;
    for (const CString& path : paths) {
        ModuleVersion module = ReadModuleVersion(path);
        rows.push_back({{path}, {module.version}, {module.description, module.hasDescription}});
    }
    return session.Print({{"path", false}, {"version", false}, {"description", false}}, rows, arguments.format);
}

int RunFind(const Arguments& arguments, Session& session)
{
    if (!session.Available())
        return kExitPartly;
    ModuleSearch search;
    if (!FindModule(session.Version(), arguments.operands[0], search)) {
        session.Out().Error("cannot read the process table");
        return kExitPartly;
    }
    std::vector<Row> rows;
    for (const ModuleHit& hit : search.hits)
        rows.push_back(
            {{Decimal(hit.processId).c_str()}, {DisplayNameOf(hit.processPath)}, {hit.modulePath}, {hit.version}});
    int status = session.Print({{"id", true}, {"process", false}, {"path", false}, {"version", false}}, rows,
                               arguments.format);
    if (search.unreadable > 0)
        session.Out().Error("note: the modules of " + std::to_string(search.unreadable) +
                            " processes could not be read (they ended, or access is refused)");
    return status;
}
