// Times the console program's fleet over 100, 1,000 and 10,000 module reports of 150 modules each
// (written into a temporary folder, and removed again): the engine's comparison (walking,
// reading, tallying, judging) against a bare walk, read and split of the same files, in this
// process; and the program itself, QuendrixCli fleet, in a process of its own, whose time and
// peak working set it reads. The time must grow with the lines, the memory with the distinct
// paths and versions.
//
// Usage: bench_fleet [runs]   (7 unless given; the program's own process runs at most 3 times)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "compare/Fleet.h"
#include "framework/Encoding.h"
#include "paths/FolderList.h"
#include "framework/Handles.h"

namespace {

#define QUENDRIX_TEXT(name) #name
#define QUENDRIX_NAME(name) QUENDRIX_TEXT(name)

const int kModules = 150;
const int kSites = 10;  // the reports lie in this many subfolders, as a fleet's sites

// Machine `i`'s report, as a fleet has them: most machines alike, a few in another folder, with
// an older version, a module missing, or a module of their own in a folder of their own.
std::string Report(int i)
{
    std::string report = i % 20 == 19 ? "Module zum Prozess: svc.exe\r\n\r\n" : "Module zum Prozess: app.exe\r\n\r\n";
    char line[300];
    for (int j = 0; j < kModules; ++j) {
        if (i % 97 == 3 && j == 77)
            continue;
        const char* folder = j < 40 ? "C:\\WINDOWS\\system32" : i % 3 ? "C:\\Programme\\Sample Suite" : "D:\\Apps\\Sample Suite";
        const int build = i % 50 == 7 && j % 30 == 5 ? 2180 : 5512;
        std::snprintf(line, sizeof line, "%s\\module_%03d.dll\t(V5.1.2600.%d, Module %d of the Sample Suite (x86), Widgets, Inc.)\r\n",
                      folder, j, build + j, j);
        report += line;
    }
    if (i % 200 == 11) {
        std::snprintf(line, sizeof line, "C:\\Users\\user%05d\\AppData\\Local\\Temp\\hook.dll\t(V0.%d, Hook)\r\n", i, i);
        report += line;
    }
    return report;
}

// The module lines of reports [0, count).
size_t Lines(int count)
{
    size_t lines = 0;
    for (int i = 0; i < count; ++i)
        lines += kModules - (i % 97 == 3 ? 1 : 0) + (i % 200 == 11 ? 1 : 0);
    return lines;
}

bool WriteAll(const std::string& path, const std::string& bytes)
{
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    bool done = file != INVALID_HANDLE_VALUE && ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                written == bytes.size();
    if (file != INVALID_HANDLE_VALUE)
        ::CloseHandle(file);
    return done;
}

std::string Site(const std::string& folder, int i)
{
    return folder + "\\site" + std::to_string(i % kSites);
}

// Writes reports [from, to) into `folder`; returns their bytes, 0 when one cannot be written.
double WriteFleet(const std::string& folder, int from, int to)
{
    double bytes = 0;
    for (int site = 0; site < kSites; ++site)
        ::CreateDirectoryA(Site(folder, site).c_str(), nullptr);
    for (int i = from; i < to; ++i) {
        const std::string report = Report(i);
        if (!WriteAll(Site(folder, i) + "\\pc" + std::to_string(i) + ".txt", report))
            return 0;
        bytes += static_cast<double>(report.size());
    }
    return bytes;
}

void RemoveFleet(const std::string& folder, int count)
{
    for (int i = 0; i < count; ++i)
        ::DeleteFileA((Site(folder, i) + "\\pc" + std::to_string(i) + ".txt").c_str());
    for (int site = 0; site < kSites; ++site)
        ::RemoveDirectoryA(Site(folder, site).c_str());
    ::RemoveDirectoryA(folder.c_str());
}

// The baseline: every file of `folder` and its subfolders listed with the same calls, and read
// and split bare.
size_t BareReadAndSplit(const std::wstring& folder)
{
    size_t lines = 0;
    std::vector<FolderEntry> entries;
    ListFolderOf(folder, entries);
    for (const FolderEntry& entry : entries) {
        const std::wstring path = folder + L"\\" + entry.name;
        if (entry.attributes & FILE_ATTRIBUTE_DIRECTORY) {
            lines += BareReadAndSplit(path);
            continue;
        }
        lines += bench::ReadAndSplit(path);
    }
    return lines;
}

struct Measured {
    double ms;
    double peakMb;
    DWORD exit;
};

// Runs `command` with its output into the void, looking at its peak working set every 50 ms
// until it ends (more often would keep the server that its file calls go through busy): the peak
// is a high-water mark, so the last look holds all of it but the last few milliseconds.
bool Run(std::string command, Measured& measured)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    KernelHandle none(::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = none.Get();
    PROCESS_INFORMATION info{};
    const double start = bench::NowMs();
    if (!::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr, &startup, &info))
        return false;
    KernelHandle process(info.hProcess), thread(info.hThread);
    SIZE_T peak = 0;
    bool ended = false;
    while (!ended) {
        ended = ::WaitForSingleObject(process.Get(), 50) != WAIT_TIMEOUT;
        // Where the system still counts an ended process, its last word is the whole peak.
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (::GetProcessMemoryInfo(process.Get(), &counters, sizeof counters))
            peak = std::max(peak, counters.PeakWorkingSetSize);
    }
    measured.ms = bench::NowMs() - start;
    measured.peakMb = static_cast<double>(peak) / (1024 * 1024);
    return ::GetExitCodeProcess(process.Get(), &measured.exit) != FALSE;
}

}  // namespace

int main(int argc, char** argv)
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    char temp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "quendrix-bench-fleet";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    const std::string program = "\"" + bench::ExeDirectory() + "..\\" QUENDRIX_NAME(QUENDRIX_CLI_PROGRAM) ".exe\" fleet \"" + folder + "\"";
    std::printf("%8s %10s %8s %12s %12s %7s %12s %10s\n", "reports", "lines", "MB", "program ms", "baseline ms", "ratio",
                "process ms", "peak MB");
    int written = 0, status = 0;
    double bytes = 0, last[4] = {};
    for (int reports : {100, 1000, 10000}) {
        const double more = WriteFleet(folder, written, reports);
        if (more == 0) {
            std::printf("fleet: cannot write the reports into %s\n", folder.c_str());
            status = 1;
            break;
        }
        bytes += more;
        written = reports;
        std::vector<double> programMs, baselineMs;
        bool right = true;
        for (int run = 0; run < runs; ++run) {
            // Each goes first every other run, as the second meets the file cache that the first left.
            FleetAnswer answer;
            size_t lines = 0;
            auto timeProgram = [&] {
                const double start = bench::NowMs();
                answer = CompareFleet({ToWide(folder)}, FleetQuestion());
                programMs.push_back(bench::NowMs() - start);
            };
            auto timeBaseline = [&] {
                const double start = bench::NowMs();
                lines = BareReadAndSplit(ToWide(folder));
                baselineMs.push_back(bench::NowMs() - start);
            };
            if (run % 2) {
                timeBaseline();
                timeProgram();
            } else {
                timeProgram();
                timeBaseline();
            }
            right = right && answer.machines == static_cast<std::uint32_t>(reports) && answer.differ &&
                    answer.problems.empty() && lines == Lines(reports);
        }
        std::vector<double> processMs;
        double peakMb = 0;
        if (!right) {
            std::printf("fleet: the comparison does not find the fleet as written\n");
            status = 1;
            break;
        }
        for (int run = 0; run < std::min(runs, 3) && status == 0; ++run) {
            Measured process{};
            if (!Run(program, process) || process.exit != 1) {
                std::printf("fleet: the program went wrong (exit %lu)\n", process.exit);
                status = 1;
            }
            processMs.push_back(process.ms);
            peakMb = std::max(peakMb, process.peakMb);
        }
        if (status)
            break;
        last[0] = bench::Median(programMs);
        last[1] = bench::Median(baselineMs);
        last[2] = bench::Median(processMs);
        last[3] = peakMb;
        std::printf("%8d %10u %8.1f %12.0f %12.0f %7.2f %12.0f %10.1f\n", reports, static_cast<unsigned>(Lines(reports)),
                    bytes / (1024 * 1024), last[0], last[1], last[0] / last[1], last[2], last[3]);
    }
    RemoveFleet(folder, written);
    if (status)
        return status;
    std::printf("fleet of 10000 reports: program %.0f ms, baseline %.0f ms, ratio %.2f; the program's own process %.0f ms, "
                "peak working set %.1f MB\n",
                last[0], last[1], last[0] / last[1], last[2], last[3]);
    return 0;
}
