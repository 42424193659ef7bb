// Times the console program's fleet over 100, 1,000 and 10,000 module reports of 150 modules each
// (written into a temporary folder, and removed again) against a bare walk, read and split of the
// same files, each in a process of its own, and reads each process's peak working set: the
// program's time must grow with the lines, and its memory with the distinct paths and versions.
//
// Usage: bench_fleet [runs]          (bench_fleet --bare FOLDER is the baseline's own process)
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "bench/BenchSupport.h"

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
        std::snprintf(line, sizeof line, "C:\\Users\\user%05d\\AppData\\Local\\Temp\\hook.dll\t(V0.%d)\r\n", i, i);
        report += line;
    }
    return report;
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

// The baseline: every file of `folder` and its subfolders read with the same calls and split at
// line ends, TABs and the first ", ". Returns the number of lines, so that nothing is left out.
size_t BareReadAndSplit(const std::string& folder)
{
    size_t lines = 0;
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = ::FindNextFileA(search, &found)) {
        const std::string name = found.cFileName, path = folder + "\\" + name;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (name != "." && name != "..")
                lines += BareReadAndSplit(path);
            continue;
        }
        HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        DWORD size = ::GetFileSize(file, nullptr), read = 0;
        std::string bytes(size, '\0');
        ::ReadFile(file, &bytes[0], size, &read, nullptr);
        ::CloseHandle(file);
        for (const char *p = bytes.data(), *end = p + read; p < end;) {
            const char* eol = static_cast<const char*>(std::memchr(p, '\n', end - p));
            eol = eol ? eol : end;
            const char* tab = static_cast<const char*>(std::memchr(p, '\t', eol - p));
            if (tab && std::string_view(tab, eol - tab).find(", ") != std::string_view::npos)
                ++lines;
            p = eol + 1;
        }
    }
    if (search != INVALID_HANDLE_VALUE)
        ::FindClose(search);
    return lines;
}

struct Measured {
    double ms;
    double peakMb;
    DWORD exit;
};

// Runs `command` with its output into the void, polling its peak working set until it ends.
bool Run(std::string command, Measured& measured)
{
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    HANDLE none = ::CreateFileA("NUL", GENERIC_WRITE, FILE_SHARE_WRITE, &inherit, OPEN_EXISTING, 0, nullptr);
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = none;
    PROCESS_INFORMATION info{};
    const double start = bench::NowMs();
    const BOOL started = ::CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, DETACHED_PROCESS, nullptr, nullptr,
                                          &startup, &info);
    ::CloseHandle(none);
    if (!started)
        return false;
    SIZE_T peak = 0;
    do {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (::GetProcessMemoryInfo(info.hProcess, &counters, sizeof counters))
            peak = std::max(peak, counters.PeakWorkingSetSize);
    } while (::WaitForSingleObject(info.hProcess, 5) == WAIT_TIMEOUT);
    measured.ms = bench::NowMs() - start;
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    // Where the system still counts an ended process, its last word is the whole peak.
    if (::GetProcessMemoryInfo(info.hProcess, &counters, sizeof counters))
        peak = std::max(peak, counters.PeakWorkingSetSize);
    measured.peakMb = static_cast<double>(peak) / (1024 * 1024);
    ::GetExitCodeProcess(info.hProcess, &measured.exit);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 3 && std::string(argv[1]) == "--bare")
        return BareReadAndSplit(argv[2]) > 0 ? 0 : 1;
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    char temp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, temp);
    const std::string folder = std::string(temp) + "quendrix-bench-fleet";
    ::CreateDirectoryA(folder.c_str(), nullptr);
    char self[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string program = "\"" + bench::ExeDirectory() + "..\\" QUENDRIX_NAME(QUENDRIX_CLI_PROGRAM) ".exe\" fleet \"" + folder + "\"";
    const std::string baseline = std::string("\"") + self + "\" --bare \"" + folder + "\"";
    std::printf("%8s %10s %8s %12s %12s %7s %10s %10s\n", "reports", "lines", "MB", "program ms", "baseline ms", "ratio",
                "peak MB", "bare MB");
    int written = 0, status = 0;
    double bytes = 0, last[3] = {};
    for (int reports : {100, 1000, 10000}) {
        const double more = WriteFleet(folder, written, reports);
        if (more == 0) {
            std::printf("fleet: cannot write the reports into %s\n", folder.c_str());
            status = 1;
            break;
        }
        bytes += more;
        written = reports;
        std::vector<double> programMs, baselineMs, peaks, barePeaks;
        for (int run = 0; run < runs && status == 0; ++run) {
            Measured p{}, b{};
            // Each goes first every other run, as the second meets the file cache that the first left.
            const bool programFirst = run % 2 == 0;
            if (!Run(programFirst ? program : baseline, programFirst ? p : b) || !Run(programFirst ? baseline : program, programFirst ? b : p) ||
                p.exit != 1 || b.exit != 0) {
                std::printf("fleet: a run failed (program exit %lu, baseline exit %lu)\n", p.exit, b.exit);
                status = 1;
            }
            programMs.push_back(p.ms);
            baselineMs.push_back(b.ms);
            peaks.push_back(p.peakMb);
            barePeaks.push_back(b.peakMb);
        }
        const double lines = static_cast<double>(reports) * kModules;
        last[0] = bench::Median(programMs);
        last[1] = bench::Median(baselineMs);
        last[2] = *std::max_element(peaks.begin(), peaks.end());
        std::printf("%8d %10.0f %8.1f %12.0f %12.0f %7.2f %10.1f %10.1f\n", reports, lines, bytes / (1024 * 1024), last[0],
                    last[1], last[0] / last[1], last[2], *std::max_element(barePeaks.begin(), barePeaks.end()));
    }
    RemoveFleet(folder, written);
    if (status)
        return status;
    std::printf("fleet of 10000 reports: program %.0f ms, baseline %.0f ms, ratio %.2f, peak working set %.1f MB\n", last[0],
                last[1], last[0] / last[1], last[2]);
    return 0;
}
