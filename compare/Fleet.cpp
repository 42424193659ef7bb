#include "compare/Fleet.h"

#include "compare/FleetRows.h"
#include "compare/FleetSpelling.h"
#include "compare/FleetTally.h"
#include "compare/FleetVerdict.h"

namespace {

// Far more modules than any process loads: a report that lists more was not written by one, and
// would make a machine's share of memory grow with its file.
const size_t kMostModules = 65536;

// Reads `file` into `tally`, or says in `problems` why it gives no report.
void ReadInto(FleetFile& file, FleetTally& tally, std::vector<FleetProblem>& problems)
{
    ParsedReport report;
    ReportFault fault;
    DWORD error = 0;
    switch (ReadReportFile(file.path, report, fault, error, kMostModules)) {
    case ReportFile::Read:
        tally.Add(std::move(file.machine), report);
        return;
    case ReportFile::Unreadable:
        problems.push_back({file.shown, FleetProblemKind::Unreadable, error, {}});
        return;
    case ReportFile::TooLarge:
        problems.push_back({file.shown, FleetProblemKind::TooLarge, 0, {}});
        return;
    case ReportFile::NotReport:
        problems.push_back({file.shown, FleetProblemKind::NotReport, 0, fault});
        return;
    }
}

}  // namespace

FleetAnswer CompareFleet(const std::vector<std::wstring>& inputs, const FleetQuestion& question)
{
    FleetAnswer answer;
    std::vector<FleetFile> files;
    ListFleetFiles(inputs, files, answer.problems);
    FleetTally tally(question.match);
    // One report at a time: what stays of it is its machine's ids.
    for (FleetFile& file : files)
        ReadInto(file, tally, answer.problems);
    answer.machines = static_cast<std::uint32_t>(tally.Machines().size());
    if (answer.machines == 0)
        return answer;
    const FleetVerdict verdict = JudgeFleet(tally);
    answer.differ = !verdict.odd.empty();
    const FleetSpelling spelling(tally);
    const std::vector<std::uint32_t> rank = RankByName(tally.Machines());
    const JudgedFleet fleet{tally, spelling, verdict, rank};
    switch (question.listing) {
    case FleetListing::Modules: answer.modules = ModuleRows(fleet); break;
    case FleetListing::Machines: answer.odd = MachineRows(fleet); break;
    case FleetListing::Rare: answer.rare = RareRows(fleet, question.rare); break;
    }
    return answer;
}
