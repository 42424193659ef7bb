// Comparing a fleet: small fleets of reports written here against the rows worked out by hand.
#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "compare/Fleet.h"
#include "export/Fixtures.h"
#include "framework/Encoding.h"
#include "support/TestSupport.h"

namespace {

struct Report {
    const char* file;  // below the case's folder
    std::string bytes;
};

// A report of `process` with lines "PATH\t(VTEXT)", given as "PATH|TEXT".
std::string Of(const char* process, std::vector<const char*> lines)
{
    std::string bytes = std::string("Module zum Prozess: ") + process + "\r\n\r\n";
    for (std::string line : lines)
        bytes += line.replace(line.find('|'), 1, "\t(V") + ")\r\n";
    return bytes;
}

struct Case {
    const char* what;
    std::vector<Report> reports;
    FleetQuestion question;
    std::vector<std::string> rows;      // as Shown writes them
    std::vector<std::string> problems;  // each the file's name and the line, "bad.txt 4"
    std::uint32_t machines;             // the reports read
    bool differ;
};

std::string Names(const std::vector<std::wstring>& names)
{
    std::string text;
    for (const std::wstring& name : names)
        text += (text.empty() ? " " : ",") + FromWide(name);
    return text;
}

std::string Shown(const FleetModuleRow& row)
{
    const char* states[] = {"most", "other", "missing", "extra"};
    return row.process + " " + row.module + " " + std::to_string(row.present) + "/" + std::to_string(row.groupMachines) +
           " " + row.version.value_or("-") + " " + std::to_string(row.machines) + " " +
           states[static_cast<int>(row.state)] + Names(row.differing);
}

std::string Shown(const FleetMachineRow& row)
{
    const char* states[] = {"most", "other", "missing", "extra"};
    std::string paths;
    for (const std::string& path : row.paths)
        paths += " " + path;
    return row.process + " " + FromWide(row.machine) + " " + row.module + " " + states[static_cast<int>(row.state)] + " " +
           row.version.value_or("-") + " most=" + row.most.value_or("-") + paths;
}

std::string Shown(const FleetRareRow& row)
{
    return std::to_string(row.machines) + " " + row.process + " " + row.module + " " + FromWide(row.machine) + " " +
           row.path + " " + row.version;
}

std::vector<std::string> Rows(const FleetAnswer& answer)
{
    std::vector<std::string> rows;
    for (const FleetModuleRow& row : answer.modules)
        rows.push_back(Shown(row));
    for (const FleetMachineRow& row : answer.odd)
        rows.push_back(Shown(row));
    for (const FleetRareRow& row : answer.rare)
        rows.push_back(Shown(row));
    return rows;
}

std::vector<std::string> Problems(const FleetAnswer& answer)
{
    std::vector<std::string> problems;
    for (const FleetProblem& problem : answer.problems) {
        const std::string path = FromWide(problem.path);
        problems.push_back(path.substr(path.find_last_of('\\') + 1) + " " + std::to_string(problem.fault.line));
    }
    return problems;
}

// Writes `reports` below the new folder `root`, making their folders.
void Write(const std::string& root, const std::vector<Report>& reports)
{
    REQUIRE(::CreateDirectoryA(root.c_str(), nullptr));
    for (const Report& report : reports) {
        const std::string path = root + "\\" + report.file;
        for (size_t at = path.find('\\', root.size() + 1); at != std::string::npos; at = path.find('\\', at + 1))
            ::CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
        fixtures::WriteBytes(path, report.bytes);
        REQUIRE(fixtures::ReadBytes(path) == report.bytes);
    }
}

void Check(const Case& c, const std::string& folder)
{
    const std::string what = c.what;
    CAPTURE(what);
    const std::string root = folder + "\\" + c.what;
    Write(root, c.reports);
    const FleetAnswer answer = CompareFleet({ToWide(root)}, c.question);
    CHECK(answer.machines == c.machines);
    CHECK(answer.differ == c.differ);
    CHECK(Rows(answer) == c.rows);
    CHECK(Problems(answer) == c.problems);
}

}  // namespace

TEST_CASE("a fleet's machines are measured against the most of their process group")
{
    const char* app = "C:\\App\\app.exe|1.0, App";
    const char* ntdll = "C:\\WINDOWS\\system32\\ntdll.dll|5.1.2600.2180, NT Layer DLL";
    const char* ntdllCommas = "D:\\WINNT\\system32\\NTDLL.DLL|5, 1, 2600, 2180, NT Layer DLL";
    const char* zlib13 = "C:\\App\\zlib1.dll|1.2.13";
    const char* zlib11 = "C:\\App\\zlib1.dll|1.2.11";
    const char* plugin = "C:\\App\\plugin.dll|2.0, Plug-in";
    const char* comctl5 = "C:\\WINDOWS\\system32\\comctl32.dll|5.82";
    const char* comctl6 = "C:\\WINDOWS\\WinSxS\\x86\\comctl32.dll|6.0";
    const FleetQuestion modules, machines{DiffMatch::ByName, FleetListing::Machines, 0},
        rare{DiffMatch::ByName, FleetListing::Rare, 1}, byPath{DiffMatch::ByPath, FleetListing::Machines, 0};
    const Case cases[] = {
        {"outlier", {{"pc1.txt", Of("app.exe", {app, ntdll, zlib13})}, {"pc2.txt", Of("app.exe", {app, ntdllCommas, zlib13})},
                     {"pc3.txt", Of("app.exe", {app, ntdll, zlib11})}, {"pc4.txt", Of("app.exe", {app, ntdll, zlib13})}},
         modules,
         {"app.exe app.exe 4/4 1.0 4 most", "app.exe ntdll.dll 4/4 5.1.2600.2180 4 most", "app.exe zlib1.dll 4/4 1.2.13 3 most",
          "app.exe zlib1.dll 4/4 1.2.11 1 other pc3.txt"},
         {}, 4, true},
        // Two against two: the higher version is the one of the most. A module on half the
        // machines is expected of all.
        {"tie", {{"a.txt", Of("app.exe", {app, zlib11, plugin})}, {"b.txt", Of("app.exe", {app, zlib13, plugin})},
                 {"c.txt", Of("app.exe", {app, zlib13})}, {"d.txt", Of("app.exe", {app, zlib11})}},
         modules,
         {"app.exe app.exe 4/4 1.0 4 most", "app.exe plugin.dll 2/4 2.0 2 most", "app.exe plugin.dll 2/4 - 2 missing c.txt,d.txt",
          "app.exe zlib1.dll 4/4 1.2.13 2 most", "app.exe zlib1.dll 4/4 1.2.11 2 other a.txt,d.txt"},
         {}, 4, true},
        {"missing", {{"pc1.txt", Of("app.exe", {app, plugin, zlib13})}, {"pc2.txt", Of("app.exe", {app, zlib13})},
                     {"pc3.txt", Of("app.exe", {plugin, app, zlib13, "C:\\Temp\\hook.dll|0.1"})},
                     {"kits\\pc4\\QuendrixKit.report.txt", Of("app.exe", {app, plugin, zlib13})},
                     {"kits\\pc4\\plugin.dll", "MZ"}},
         machines,
         {"app.exe pc2.txt plugin.dll missing - most=2.0", "app.exe pc3.txt hook.dll extra 0.1 most=- C:\\Temp\\hook.dll"},
         {}, 4, true},
        {"groups", {{"pc1.txt", Of("app.exe", {app, zlib13})}, {"pc2.txt", Of("APP.EXE", {app, zlib13})},
                    {"pc3.txt", Of("svc.exe", {"C:\\Svc\\svc.exe|3.0", zlib11})}, {"pc4.txt", Of("svc.exe", {"C:\\Svc\\svc.exe|3.0", zlib11})},
                    {"pc5.txt", Of("app.exe", {app, zlib13})}},
         modules,
         {"app.exe app.exe 3/3 1.0 3 most", "app.exe zlib1.dll 3/3 1.2.13 3 most", "svc.exe svc.exe 2/2 3.0 2 most",
          "svc.exe zlib1.dll 2/2 1.2.11 2 most"},
         {}, 5, false},
        {"damaged", {{"pc1.txt", Of("app.exe", {app, zlib13})}, {"pc2.txt", Of("app.exe", {app, zlib13})},
                     {"bad.txt", Of("app.exe", {app}) + "C:\\App\\zlib1.dll\t(V1.2.1"}, {"pc3.txt", Of("app.exe", {app, zlib13})},
                     {"notes.txt", "Machines of the lab\r\n"}},
         modules, {"app.exe app.exe 3/3 1.0 3 most", "app.exe zlib1.dll 3/3 1.2.13 3 most"}, {"bad.txt 4", "notes.txt 1"},
         3, false},
        // A name listed twice: the set of its versions is the machine's version.
        {"twice", {{"pc1.txt", Of("app.exe", {comctl5, app, comctl6})}, {"pc2.txt", Of("app.exe", {app, comctl6, comctl5})},
                   {"pc3.txt", Of("app.exe", {app, comctl6})},
                   {"pc4.txt", Of("app.exe", {app, comctl6, "C:\\Other\\comctl32.dll|10.0"})}},
         machines,
         {"app.exe pc3.txt comctl32.dll other 6.0 most=5.82|6.0 C:\\WINDOWS\\WinSxS\\x86\\comctl32.dll",
          "app.exe pc4.txt comctl32.dll other 6.0|10.0 most=5.82|6.0 C:\\Other\\comctl32.dll C:\\WINDOWS\\WinSxS\\x86\\comctl32.dll"},
         {}, 4, true},
        {"rare", {{"pc1.txt", Of("app.exe", {app, zlib13, "C:\\Temp\\hook.dll|0.1"})}, {"pc2.txt", Of("app.exe", {app, zlib13})},
                  {"pc3.txt", Of("app.exe", {app, zlib13})}, {"pc4.txt", Of("svc.exe", {"C:\\Svc\\svc.exe|3.0"})}},
         rare, {"1 app.exe hook.dll pc1.txt C:\\Temp\\hook.dll 0.1", "1 svc.exe svc.exe pc4.txt C:\\Svc\\svc.exe 3.0"}, {},
         4, true},
        {"by path", {{"pc1.txt", Of("app.exe", {app, zlib13})}, {"pc2.txt", Of("app.exe", {app, zlib13})},
                     {"pc3.txt", Of("app.exe", {app, "D:\\App\\zlib1.dll|1.2.13"})}},
         byPath,
         {"app.exe pc3.txt C:\\App\\zlib1.dll missing - most=1.2.13",
          "app.exe pc3.txt D:\\App\\zlib1.dll extra 1.2.13 most=- D:\\App\\zlib1.dll"},
         {}, 3, true},
    };
    const std::string folder = testing::FreshFolder("quendrix-fleet");
    for (const Case& c : cases)
        Check(c, folder);
}

TEST_CASE("on a tie the highest is the version of the most: numbers above other texts, more versions above fewer")
{
    const char* app = "C:\\App\\app.exe|1.0, App";
    const Case ties = {"ties",
                       {{"pc1.txt", Of("app.exe", {app, "C:\\x\\t.dll|beta", "C:\\x\\n.dll|1.0", "C:\\x\\s.dll|2.0"})},
                        {"pc2.txt", Of("app.exe", {app, "C:\\x\\t.dll|alpha", "C:\\x\\n.dll|unknown", "C:\\x\\s.dll|2.0",
                                                   "C:\\y\\s.dll|1.0"})}},
                       FleetQuestion(),
                       {"app.exe app.exe 2/2 1.0 2 most", "app.exe n.dll 2/2 1.0 1 most", "app.exe n.dll 2/2 unknown 1 other pc2.txt",
                        "app.exe s.dll 2/2 1.0|2.0 1 most", "app.exe s.dll 2/2 2.0 1 other pc1.txt", "app.exe t.dll 2/2 beta 1 most",
                        "app.exe t.dll 2/2 alpha 1 other pc2.txt"},
                       {},
                       2,
                       true};
    Check(ties, testing::FreshFolder("quendrix-fleet-ties"));
}

TEST_CASE("a report stands for the machine of its path below its folder, a kit's for its kit's folder")
{
    const std::string root = testing::FreshFolder("quendrix-fleet-names");
    const std::string report = Of("app.exe", {"C:\\App\\app.exe|1.0"});
    Write(root + "\\lab", {{"QuendrixKit.report.txt", report}, {"REPORT.TXT", report}, {"pc1.txt", report},
                             {"notes.csv", "not read"}, {"kit\\QuendrixKit.report.txt", report},
                             {"kit\\QuendrixKit-2.report.txt", report}, {"kit\\zlib1.dll", "MZ"}});
    Write(root + "\\other", {{"pc1.txt", report}});
    Write(root + "\\empty", {});
    struct Case {
        std::vector<std::string> inputs;  // below root
        std::vector<std::string> machines;  // "~" for root
        std::vector<FleetProblemKind> problems;
    } cases[] = {
        {{"lab"}, {"lab", "REPORT.TXT", "pc1.txt", "kit\\QuendrixKit-2.report.txt", "kit"}, {}},
        {{"lab\\pc1.txt", "lab\\kit\\QuendrixKit.report.txt", "lab\\notes.csv"}, {"pc1.txt", "kit", "notes.csv"}, {}},
        // Names given twice are told apart by whole paths; a file reached twice counts once.
        {{"lab\\pc1.txt", "other\\pc1.txt"}, {"~\\lab\\pc1.txt", "~\\other\\pc1.txt"}, {}},
        {{"lab\\kit", "lab\\kit\\QuendrixKit.report.txt", "lab\\kit"}, {"QuendrixKit-2.report.txt", "kit"}, {}},
        {{"empty", "missing.txt", "other"}, {"pc1.txt"}, {FleetProblemKind::NoReports, FleetProblemKind::Unreadable}},
    };
    for (const Case& c : cases) {
        std::vector<std::wstring> inputs;
        for (const std::string& input : c.inputs)
            inputs.push_back(ToWide(root + "\\" + input));
        CAPTURE(c.inputs.front());
        std::vector<FleetFile> files;
        std::vector<FleetProblem> problems;
        ListFleetFiles(inputs, files, problems);
        std::vector<std::string> machines, expected;
        for (const FleetFile& file : files)
            machines.push_back(FromWide(file.machine));
        for (std::string machine : c.machines)
            expected.push_back(machine[0] == '~' ? root + machine.substr(1) : machine);
        CHECK(machines == expected);
        std::vector<FleetProblemKind> kinds;
        for (const FleetProblem& problem : problems)
            kinds.push_back(problem.kind);
        CHECK(kinds == c.problems);
    }
}
