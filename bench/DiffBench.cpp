// Times the engine's diff of two module reports (reading both files, reading their lines,
// matching the modules and splitting the texts that the listing shows) against a bare read and
// split of the same files, at growing sizes: the program's time must grow as n log n, not faster.
//
// Usage: bench_diff [runs]
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "bench/BenchSupport.h"
#include "export/FileReplace.h"
#include "compare/ModuleDiff.h"
#include "compare/ReportSide.h"
#include "framework/Encoding.h"
#include "framework/Handles.h"
#include "paths/WidePath.h"

namespace {

// Two reports of as many modules, as two machines write them for one program: B names its
// modules in other folders, and, per 1,000 modules of A, 10 have another version in B, 4 are not
// in B, and B has 4 that A lacks.
struct Reports {
    std::string a, b;
    size_t changed = 0, onlyA = 0, onlyB = 0;
};

std::string Line(const std::string& folder, size_t i, const std::string& version)
{
    char line[256];
    std::snprintf(line, sizeof line, "%s\\module_%05u.dll\t(V%s, Module %u of the Sample Suite (x86), Widgets, Inc.)\n",
                  folder.c_str(), static_cast<unsigned>(i), version.c_str(), static_cast<unsigned>(i));
    return line;
}

std::string VersionOf(size_t i)
{
    // Half the versions with commas, as old resources write them.
    return i % 2 ? "5.1.2600." + std::to_string(i) : "6, 0, 2900, " + std::to_string(i);
}

Reports Make(size_t lines)
{
    Reports reports;
    reports.a = reports.b = "Module zum Prozess: app.exe\n\n";
    for (size_t i = 0; i < lines; ++i) {
        reports.a += Line("C:\\Programme\\Suite " + std::to_string(i % 40), i, VersionOf(i));
        std::string folder = "D:\\Apps\\Suite " + std::to_string(i % 40);
        if (i % 250 == 1) {
            reports.b += Line(folder, lines + i, VersionOf(i));
            ++reports.onlyA;
            ++reports.onlyB;
        } else if (i % 100 == 3) {
            reports.b += Line(folder, i, VersionOf(i) + "1");
            ++reports.changed;
        } else {
            reports.b += Line(folder, i, VersionOf(i));
        }
    }
    reports.a = WithCrLf(reports.a);
    reports.b = WithCrLf(reports.b);
    return reports;
}

// The baseline: both files read with the same calls, and split at line ends, TABs and the first
// ", ". Returns the number of lines, so that nothing is left out.
size_t BareReadAndSplit(const std::wstring& a, const std::wstring& b)
{
    return bench::ReadAndSplit(a) + bench::ReadAndSplit(b);
}

// The program: what diff does but print its rows.
size_t ProgramDiff(const std::wstring& a, const std::wstring& b, std::string& listing)
{
    ParsedReport x, y;
    ReportFile read = ReportFile::Read;
    ReportFault fault;
    DWORD error = 0;
    for (auto side : {std::make_pair(&a, &x), std::make_pair(&b, &y)})
        if (!ReadSideFile(*side.first, *side.second, read, fault, error) || read != ReportFile::Read)
            return 0;
    std::vector<ModuleDifference> differences = CompareModules(x.modules, y.modules, DiffMatch::ByName);
    // Each side's text split into version and description, as the rows show them.
    for (const ModuleDifference& difference : differences)
        for (const ReportedModule* side : {difference.a, difference.b})
            if (side)
                listing += side->Statement().version;
    return differences.size();
}

}  // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
    char temp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, temp);
    const std::wstring a = ToWide(std::string(temp) + "quendrix-bench-a.txt"), b = ToWide(std::string(temp) + "quendrix-bench-b.txt");
    std::printf("%10s %12s %12s %7s %16s\n", "lines", "program ms", "baseline ms", "ratio", "program us/line");
    double programAt5000 = 0, baselineAt5000 = 0;
    bool right = true;
    for (size_t lines : {1250, 2500, 5000, 10000, 20000}) {
        Reports reports = Make(lines);
        WriteFailure failure;
        if (!WriteNewFile(a, reports.a, true, failure) || !WriteNewFile(b, reports.b, true, failure)) {
            std::printf("diff: cannot write the reports (error %lu)\n", failure.error);
            return 1;
        }
        std::vector<double> program, baseline;
        for (int run = 0; run < runs; ++run) {
            // Each goes first every other run, as the second meets the heap that the first left.
            size_t found = 0, split = 0;
            auto timeProgram = [&] {
                std::string listing;
                double start = bench::NowMs();
                found = ProgramDiff(a, b, listing);
                program.push_back(bench::NowMs() - start);
            };
            auto timeBaseline = [&] {
                double start = bench::NowMs();
                split = BareReadAndSplit(a, b);
                baseline.push_back(bench::NowMs() - start);
            };
            if (run % 2) {
                timeBaseline();
                timeProgram();
            } else {
                timeProgram();
                timeBaseline();
            }
            right = right && found == reports.changed + reports.onlyA + reports.onlyB && split == 2 * lines;
        }
        double p = bench::Median(program), q = bench::Median(baseline);
        std::printf("%10u %12.2f %12.2f %7.2f %16.3f\n", static_cast<unsigned>(lines), p, q, p / q, 1000 * p / lines);
        if (lines == 5000) {
            programAt5000 = p;
            baselineAt5000 = q;
        }
    }
    DeleteFileOf(a);
    DeleteFileOf(b);
    std::printf("differences as made: %s\n", right ? "yes" : "NO");
    if (!right)
        return 1;
    std::printf("diff of 5000 lines: program %.2f ms, baseline %.2f ms, ratio %.2f\n", programAt5000, baselineAt5000,
                programAt5000 / baselineAt5000);
    return 0;
}
