// suspect: the modules that were loaded from where they should not have been; the engine judges,
// this names the findings and their reasons in words.
#include "cli/Commands.h"
#include "cli/Session.h"
#include "paths/DisplayName.h"
#include "paths/WidePath.h"
#include "query/SuspicionSearch.h"

namespace {

const struct {
    const wchar_t* name;
    Severity severity;
} kSeverities[] = {{L"low", Severity::Low}, {L"medium", Severity::Medium}, {L"high", Severity::High}};

// The severity that --min names; false for any other word.
bool SeverityNamed(const std::wstring& word, Severity& severity)
{
    for (const auto& named : kSeverities)
        if (word == named.name) {
            severity = named.severity;
            return true;
        }
    return false;
}

const wchar_t* SeverityName(Severity severity)
{
    for (const auto& named : kSeverities)
        if (named.severity == severity)
            return named.name;
    return L"";
}

const wchar_t* FindingName(Finding finding)
{
    switch (finding) {
    case Finding::KnownDll: return L"known-dll";
    case Finding::SideLoad: return L"side-load";
    case Finding::Shadows: return L"shadows-system-dll";
    case Finding::DropFolder: return L"drop-folder";
    case Finding::Renamed: return L"renamed";
    default: return L"not-expected";
    }
}

const wchar_t* DropFolderName(DropFolder drop)
{
    switch (drop) {
    case DropFolder::UserTemp: return L"the user's temporary folder";
    case DropFolder::SystemTemp: return L"the system's temporary folder";
    case DropFolder::Downloads: return L"the user's Downloads";
    case DropFolder::Public: return L"the public profile";
    default: return L"a recycle bin";
    }
}

// Why the rules found what they found, in words.
std::wstring Reason(const Judgement& judgement)
{
    switch (judgement.finding) {
    case Finding::KnownDll:
        return L"a known DLL, which the loader maps only from the system folder (" + judgement.detail +
               L"): this copy came from elsewhere";
    case Finding::SideLoad:
        return L"the system folder has a file of this name (" + judgement.detail +
               L"); this one lies beside its program, outside the Windows and program folders";
    case Finding::Shadows:
        return L"the system folder has a file of this name (" + judgement.detail + L"); this one came from elsewhere";
    case Finding::DropFolder:
        return std::wstring(L"it lies in ") + DropFolderName(judgement.drop) + L", where anyone can drop a file";
    case Finding::Renamed:
        return L"its version resource names it \"" + judgement.detail + L"\"";
    default:
        return L"the list expects it in " + judgement.detail;
    }
}

// The modules of one process or of every process, judged; kExitDone, or the status to end with.
int Search(const Arguments& arguments, Session& session, const SuspectRules& rules, SuspectSearch& search)
{
    if (arguments.operands.empty()) {
        if (!session.Available())
            return kExitUnsure;
        if (FindSuspectModules(session.Engine(), rules, search))
            return kExitDone;
        session.Out().Error("cannot read the process table");
        return kExitUnsure;
    }
    ProcessModules walked{{}, ModuleWalk::Listed, {}};
    // A process that cannot be read was not judged: "nothing found" would be an answer never
    // looked for.
    if (int status = session.Lookup(arguments.operands[0], walked.process))
        return status == kExitPartly ? kExitUnsure : status;
    if (session.Modules(walked.process, walked.modules))
        return kExitUnsure;
    FindSuspectModules(walked, rules, search);
    return kExitDone;
}

}  // namespace

int RunSuspect(const Arguments& arguments, Session& session)
{
    Severity minimum = Severity::Medium;
    if (arguments.hasMinimum && !SeverityNamed(LowerCase(arguments.minimum), minimum)) {
        session.Out().Error(L"--min takes low, medium or high, not \"" + arguments.minimum + L"\"; try --help");
        return kExitRefused;
    }
    const SystemPlaces places = ReadSystemPlaces();
    ExpectedLocations expected(places.folders, places.classes);
    ListError error;
    if (arguments.hasExpected && !expected.Read(arguments.expected, error)) {
        session.Out().Error(L"the list \"" + arguments.expected + L"\"" +
                            (error.line ? L", line " + Decimal(static_cast<DWORD>(error.line)) + L": " : L" ") +
                            error.why);
        return kExitRefused;
    }
    const SuspectRules rules(places, minimum, arguments.hasExpected ? &expected : nullptr);
    SuspectSearch search;
    if (int status = Search(arguments, session, rules, search))
        return status;
    std::vector<Row> rows;
    for (const SuspectModule& found : search.found) {
        const ProcessRecord& process = found.loaded.process;
        const FileVersion& version = found.version;
        rows.push_back({Cell{Decimal(process.id)},
                        process.path.empty() ? Missing() : Cell{DisplayNameOf(process.path)},
                        Cell{found.loaded.module.file}, Cell{FindingName(found.judgement.finding)},
                        Cell{SeverityName(found.judgement.severity)}, Cell{Reason(found.judgement)},
                        version.source == VersionSource::None ? Missing() : Cell{version.number}});
    }
    int status = session.Print({{"id", true},
                                {"process", false},
                                {"path", false},
                                {"finding", false},
                                {"severity", false},
                                {"reason", false},
                                {"file_version", false}},
                               rows, arguments);
    session.ReportUnread(search.unread);
    if (status != kExitDone)
        return status;
    if (!search.found.empty())
        return kExitPartly;
    return search.unread.empty() ? kExitDone : kExitUnsure;
}
