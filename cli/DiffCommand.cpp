// diff: two module lists compared, each a report file or the report of a running process.
#include "cli/Commands.h"
#include "cli/Session.h"
#include "compare/ModuleDiff.h"
#include "compare/ReportSide.h"
#include "framework/Encoding.h"

namespace {

Cell Text(std::string_view bytes)
{
    return Cell{ToWide(std::string(bytes)), true};
}

const wchar_t* ChangeName(DiffChange change)
{
    switch (change) {
    case DiffChange::OnlyInA: return L"only in A";
    case DiffChange::OnlyInB: return L"only in B";
    case DiffChange::Version: return L"version";
    case DiffChange::Description: return L"description";
    case DiffChange::VersionAndDescription: return L"version and description";
    default: return L"text";
    }
}

Cell Direction(VersionDirection direction)
{
    switch (direction) {
    case VersionDirection::Up: return Cell{L"up", true};
    case VersionDirection::Down: return Cell{L"down", true};
    case VersionDirection::Same: return Cell{L"same", true};
    default: return Missing();
    }
}

// A side's version and description, its text split once: for a line compared whole, all its
// text stands as the version.
struct SideCells {
    Cell version, description;
};

SideCells Side(const ReportedModule* module, bool whole)
{
    if (!module)
        return {Missing(), Missing()};
    if (whole)
        return {Text(module->Text()), Missing()};
    const VersionStatement statement = module->Statement();
    return {Text(statement.version), statement.hasDescription ? Text(statement.description) : Missing()};
}

// Reads one side: the report file that `operand` names, or else the report of the process it
// names. kExitDone, or the status to end with after the message.
int ReadSide(const std::wstring& operand, Session& session, ParsedReport& report)
{
    ReportFile read = ReportFile::Read;
    ReportFault fault;
    DWORD error = 0;
    if (ReadSideFile(operand, report, read, fault, error)) {
        switch (read) {
        case ReportFile::Read: return kExitDone;
        case ReportFile::Unreadable:
            session.Out().Error(L"cannot read \"" + operand + L"\": " + Console::Reason(error));
            return kExitRefused;
        case ReportFile::TooLarge:
            session.Out().Error(L"\"" + operand + L"\" is not a module report: it is larger than any report");
            return kExitRefused;
        default:
            session.Out().Error(L"\"" + operand + L"\" is not a module report: line " +
                                Decimal(static_cast<DWORD>(fault.line)) + L" " + ToWide(fault.why));
            return kExitRefused;
        }
    }
    ProcessRecord process;
    // A process that cannot be read leaves nothing to compare: that is no difference.
    if (session.Report(operand, process, report.bytes) != kExitDone)
        return kExitRefused;
    if (ParseReport(report, fault))
        return kExitDone;
    session.Out().Error(L"the report of process " + Describe(process) + L" cannot be read back: line " +
                        Decimal(static_cast<DWORD>(fault.line)) + L" " + ToWide(fault.why));
    return kExitRefused;
}

// The columns of the listing, the same in text, CSV and JSON.
const std::vector<Column>& DiffColumns()
{
    static const std::vector<Column> columns = {
        {"module", false},        {"change", false},        {"version_a", false},
        {"version_b", false},     {"direction", false},     {"description_a", false},
        {"description_b", false}, {"path_a", false},        {"path_b", false},
    };
    return columns;
}

// One row per difference, in the order given. Texts of the reports are shown in this machine's
// ANSI code page; what a side lacks is null.
std::vector<Row> DiffRows(const std::vector<ModuleDifference>& differences, DiffMatch match)
{
    std::vector<Row> rows;
    rows.reserve(differences.size());
    for (const ModuleDifference& difference : differences) {
        const ReportedModule* either = difference.a ? difference.a : difference.b;
        bool whole = difference.change == DiffChange::Text;
        SideCells a = Side(difference.a, whole), b = Side(difference.b, whole);
        rows.push_back({Text(match == DiffMatch::ByName ? ReportedName(either->Path()) : either->Path()),
                        Cell{ChangeName(difference.change), true}, a.version, b.version,
                        Direction(difference.direction), a.description, b.description,
                        difference.a ? Text(difference.a->Path()) : Missing(),
                        difference.b ? Text(difference.b->Path()) : Missing()});
    }
    return rows;
}

}  // namespace

int RunDiff(const Arguments& arguments, Session& session)
{
    ParsedReport a, b;
    if (int status = ReadSide(arguments.operands[0], session, a))
        return status;
    if (int status = ReadSide(arguments.operands[1], session, b))
        return status;
    DiffMatch match = arguments.byPath ? DiffMatch::ByPath : DiffMatch::ByName;
    std::vector<ModuleDifference> differences = CompareModules(a.modules, b.modules, match);
    if (int status = session.Print(DiffColumns(), DiffRows(differences, match), arguments))
        return status;
    return differences.empty() ? kExitDone : kExitPartly;
}
