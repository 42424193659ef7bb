// The listings: processes, modules and find.
#include "cli/Commands.h"
#include "cli/Session.h"
#include "paths/DisplayName.h"
#include "query/ModuleSearch.h"
#include "query/Versions.h"

namespace {

Cell Text(const std::wstring& text, bool present = true)
{
    return present ? Cell{text, true} : Missing();
}

const wchar_t* SourceName(VersionSource source)
{
    return source == VersionSource::Resource ? L"resource" : L"header";
}

// The version columns of a file, as modules and find list them.
void AddVersion(Row& row, const FileVersion& version, bool withDescription)
{
    row.push_back(Text(version.number, version.source != VersionSource::None));
    row.push_back(Text(version.product, version.hasProduct));
    if (withDescription)
        row.push_back(Text(version.description, version.hasDescription));
    row.push_back(Text(SourceName(version.source), version.source != VersionSource::None));
}

}  // namespace

int RunProcesses(const Arguments& arguments, Session& session)
{
    std::vector<ProcessRecord> processes;
    if (!session.Processes(processes))
        return kExitPartly;
    std::vector<Row> rows;
    for (const ProcessRecord& process : processes) {
        bool named = !process.path.empty();
        rows.push_back({Text(Decimal(process.id)), Text(DisplayNameOf(process.path), named),
                        Text(Decimal(static_cast<DWORD>(process.bits)), process.bits != 0), Text(process.path, named)});
    }
    return session.Print({{"id", true}, {"name", false}, {"bits", true}, {"path", false}}, rows, arguments);
}

int RunModules(const Arguments& arguments, Session& session)
{
    static const std::vector<Column> columns = {
        {"path", false}, {"file_version", false}, {"product_version", false}, {"description", false}, {"source", false},
    };
    ProcessRecord process;
    if (int status = session.Lookup(arguments.operands[0], process))
        return status;
    std::vector<ModuleEntry> modules;
    // A process whose modules cannot be read lists none (JSON "[]"), as the status and the
    // message say why.
    if (int status = session.Modules(process, modules)) {
        session.Print(columns, {}, arguments);
        return status;
    }
    const std::vector<FileVersion> versions = VersionsOf(modules);
    std::vector<Row> rows;
    for (size_t i = 0; i < modules.size(); ++i) {
        rows.push_back({Text(modules[i].file)});
        AddVersion(rows.back(), versions[i], true);
    }
    return session.Print(columns, rows, arguments);
}

int RunFind(const Arguments& arguments, Session& session)
{
    if (arguments.operands[0].empty()) {
        session.Out().Error("find: the module's name is empty; try --help");
        return kExitRefused;
    }
    // Status 1 would say that no process holds the module.
    if (!session.Available())
        return kExitUnsure;
    ModuleSearch search;
    if (!FindModule(session.Engine(), ModulePattern(arguments.operands[0]), search)) {
        session.Out().Error("cannot read the process table");
        return kExitUnsure;
    }
    const std::vector<FileVersion> versions = VersionsOf(search.hits);
    std::vector<Row> rows;
    for (size_t i = 0; i < search.hits.size(); ++i) {
        const LoadedModule& hit = search.hits[i];
        rows.push_back({Text(Decimal(hit.process.id)), Text(DisplayNameOf(hit.process.path), !hit.process.path.empty()),
                        Text(hit.module.file)});
        AddVersion(rows.back(), versions[i], false);
    }
    int status = session.Print({{"id", true},
                                {"process", false},
                                {"path", false},
                                {"file_version", false},
                                {"product_version", false},
                                {"source", false}},
                               rows, arguments);
    session.ReportUnread(search.unread);
    if (status != kExitDone)
        return status;
    return !search.hits.empty() ? kExitDone : search.unread.empty() ? kExitPartly : kExitUnsure;
}
