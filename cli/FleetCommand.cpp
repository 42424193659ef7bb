// fleet: the module reports of many machines compared, and the machines that differ from the
// rest of their group named.
#include "cli/Commands.h"
#include "cli/Session.h"
#include "compare/Fleet.h"
#include "framework/Encoding.h"

namespace {

Cell Text(const std::string& bytes)
{
    return Cell{ToWide(bytes), true};
}

Cell Maybe(const std::optional<std::string>& bytes)
{
    return bytes ? Text(*bytes) : Missing();
}

Cell Number(std::uint32_t value)
{
    return Cell{Decimal(value), true};
}

Cell StateName(FleetState state)
{
    switch (state) {
    case FleetState::Most: return Cell{L"most", true};
    case FleetState::Other: return Cell{L"other", true};
    case FleetState::Missing: return Cell{L"missing", true};
    default: return Cell{L"extra", true};
    }
}

// Machine names and paths never hold "|", which Windows allows in no file name.
Cell Listed(const std::vector<std::wstring>& texts)
{
    if (texts.empty())
        return Missing();
    std::wstring joined;
    for (const std::wstring& text : texts)
        joined += (joined.empty() ? L"" : L"|") + text;
    return Cell{joined, true};
}

Cell Listed(const std::vector<std::string>& texts)
{
    std::vector<std::wstring> wide;
    for (const std::string& text : texts)
        wide.push_back(ToWide(text));
    return Listed(wide);
}

void Print(const std::vector<FleetModuleRow>& rows, std::vector<Row>& out)
{
    for (const FleetModuleRow& row : rows)
        out.push_back({Text(row.process), Text(row.module), Number(row.groupMachines), Number(row.present),
                       Maybe(row.version), Number(row.machines), StateName(row.state), Listed(row.differing)});
}

void Print(const std::vector<FleetMachineRow>& rows, std::vector<Row>& out)
{
    for (const FleetMachineRow& row : rows)
        out.push_back({Text(row.process), Cell{row.machine, true}, Text(row.module), StateName(row.state),
                       Maybe(row.version), Maybe(row.most), Listed(row.paths)});
}

void Print(const std::vector<FleetRareRow>& rows, std::vector<Row>& out)
{
    for (const FleetRareRow& row : rows)
        out.push_back({Number(row.machines), Text(row.process), Text(row.module), Cell{row.machine, true},
                       Text(row.path), Text(row.version)});
}

const std::vector<Column>& Columns(FleetListing listing)
{
    static const std::vector<Column> modules = {
        {"process", false}, {"module", false}, {"group_machines", true}, {"present", true},
        {"version", false}, {"machines", true}, {"state", false},        {"differing", false},
    };
    static const std::vector<Column> machines = {
        {"process", false}, {"machine", false},      {"module", false}, {"state", false},
        {"version", false}, {"most_version", false}, {"paths", false},
    };
    static const std::vector<Column> rare = {
        {"machines", true}, {"process", false}, {"module", false},
        {"machine", false}, {"path", false},    {"version", false},
    };
    return listing == FleetListing::Modules ? modules : listing == FleetListing::Machines ? machines : rare;
}

void Name(const FleetProblem& problem, Console& out)
{
    const std::wstring quoted = L"\"" + problem.path + L"\"";
    switch (problem.kind) {
    case FleetProblemKind::Unreadable: out.Error(L"cannot read " + quoted + L": " + Console::Reason(problem.error)); break;
    case FleetProblemKind::NoReports: out.Error(quoted + L" holds no report file (*.txt), nor do its subfolders"); break;
    case FleetProblemKind::TooLarge: out.Error(quoted + L" is not a module report: it is larger than any report"); break;
    case FleetProblemKind::NotReport:
        out.Error(quoted + L" is not a module report: line " + Decimal(static_cast<DWORD>(problem.fault.line)) + L" " +
                  ToWide(problem.fault.why));
    }
}

// --rare's number, whole and from 1; false for anything else.
bool RareCount(const std::wstring& text, std::uint32_t& count)
{
    if (text.empty() || text.size() > 9 || text.find_first_not_of(L"0123456789") != std::wstring::npos)
        return false;
    count = 0;
    for (wchar_t digit : text)
        count = count * 10 + static_cast<std::uint32_t>(digit - L'0');
    return count > 0;
}

}  // namespace

int RunFleet(const Arguments& arguments, Session& session)
{
    FleetQuestion question;
    question.match = arguments.byPath ? DiffMatch::ByPath : DiffMatch::ByName;
    if (arguments.machines && arguments.hasRare) {
        session.Out().Error("fleet: --machines and --rare exclude each other; try --help");
        return kExitRefused;
    }
    if (arguments.hasRare && !RareCount(arguments.rare, question.rare)) {
        session.Out().Error(L"fleet: --rare takes a whole number of machines from 1, not \"" + arguments.rare +
                            L"\"; try --help");
        return kExitRefused;
    }
    question.listing = arguments.machines ? FleetListing::Machines
                       : arguments.hasRare ? FleetListing::Rare
                                           : FleetListing::Modules;
    const FleetAnswer answer = CompareFleet(arguments.operands, question);
    for (const FleetProblem& problem : answer.problems)
        Name(problem, session.Out());
    if (answer.machines == 0) {
        session.Out().Error("fleet: no module report could be read");
        return kExitRefused;
    }
    std::vector<Row> rows;
    Print(answer.modules, rows);
    Print(answer.odd, rows);
    Print(answer.rare, rows);
    if (int status = session.Print(Columns(question.listing), rows, arguments))
        return status;
    return answer.differ ? kExitPartly : answer.problems.empty() ? kExitDone : kExitUnsure;
}
