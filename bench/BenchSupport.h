// Timing helpers shared by the benchmark programs.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Handles.h"
#include "paths/WidePath.h"

namespace bench {

inline double NowMs()
{
    LARGE_INTEGER counter, frequency;
    ::QueryPerformanceCounter(&counter);
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n == 0 ? 0 : (n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2);
}

// A baseline's bare read of a report file, with the calls the program makes, split at line ends,
// TABs and the first ", " after the TAB. Returns the lines that have all three, so that nothing
// is left out.
inline size_t ReadAndSplit(const std::wstring& path)
{
    KernelHandle file(CreateFileOf(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    DWORD size = ::GetFileSize(file.Get(), nullptr), read = 0;
    std::string bytes(size, '\0');
    ::ReadFile(file.Get(), &bytes[0], size, &read, nullptr);
    size_t lines = 0;
    for (const char *p = bytes.data(), *end = p + read; p < end;) {
        const char* eol = static_cast<const char*>(std::memchr(p, '\n', end - p));
        eol = eol ? eol : end;
        const char* tab = static_cast<const char*>(std::memchr(p, '\t', eol - p));
        if (tab && std::string_view(tab, eol - tab).find(", ") != std::string_view::npos)
            ++lines;
        p = eol + 1;
    }
    return lines;
}

// The directory of the running benchmark, with a trailing backslash.
inline std::string ExeDirectory()
{
    char path[MAX_PATH] = "";
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string dir(path);
    return dir.substr(0, dir.find_last_of("\\/") + 1);
}

// Processes for the benchmarks to list: copies of sleeper.exe, which load a few libraries and
// wait. Grows the group to `count` processes and waits until the new ones have settled.
class Sleepers {
public:
    Sleepers() = default;
    ~Sleepers()
    {
        for (PROCESS_INFORMATION& info : m_started) {
            ::TerminateProcess(info.hProcess, 0);
            ::CloseHandle(info.hThread);
            ::CloseHandle(info.hProcess);
        }
    }
    Sleepers(const Sleepers&) = delete;
    Sleepers& operator=(const Sleepers&) = delete;

    void GrowTo(int count)
    {
        std::string command = "\"" + ExeDirectory() + "sleeper.exe\"";
        while (static_cast<int>(m_started.size()) < count) {
            STARTUPINFOA startup{};
            startup.cb = sizeof startup;
            PROCESS_INFORMATION info{};
            std::string line = command;
            if (!::CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
                break;
            m_started.push_back(info);
        }
        ::Sleep(2000);  // let the last ones finish loading their libraries
    }

private:
    std::vector<PROCESS_INFORMATION> m_started;
};

// How many processes run now, as the system's snapshot counts them.
inline int ProcessCount()
{
    int count = 0;
    HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32First(snapshot, &entry); more; more = ::Process32Next(snapshot, &entry))
        ++count;
    if (snapshot != INVALID_HANDLE_VALUE)
        ::CloseHandle(snapshot);
    return count;
}

// The entries of `a` of the processes that `b` has entries of too, and of `b` of those that `a`
// has: a process that starts or ends between two walks is the system's doing, not a difference.
template <class Entry>
std::pair<std::set<Entry>, std::set<Entry>> OfCommonProcesses(const std::set<Entry>& a, const std::set<Entry>& b)
{
    std::set<DWORD> inA, inB;
    for (const Entry& entry : a)
        inA.insert(entry.first);
    for (const Entry& entry : b)
        inB.insert(entry.first);
    std::pair<std::set<Entry>, std::set<Entry>> common;
    for (const Entry& entry : a)
        if (inB.count(entry.first))
            common.first.insert(entry);
    for (const Entry& entry : b)
        if (inA.count(entry.first))
            common.second.insert(entry);
    return common;
}

// Times `program` against `baseline`, `runs` times each, with 25, 50 and 100 sleeping processes
// more; `agree` tells whether one run's two results agree. Prints a table, whether all agreed,
// and the closing line "<what>: program <ms> ms, baseline <ms> ms, ratio <r>" at 100; returns the
// exit status, 1 when a run disagreed (and then no ratio).
template <class Result>
int TimeWithSleepers(const char* what, int runs, const std::function<Result()>& program,
                     const std::function<Result()>& baseline,
                     const std::function<bool(const Result&, const Result&)>& agree)
{
    Sleepers sleepers;
    std::printf("%10s %10s %12s %12s %7s\n", "extra", "processes", "program ms", "baseline ms", "ratio");
    double programAt100 = 0, baselineAt100 = 0;
    bool identical = true;
    for (int target : {25, 50, 100}) {
        sleepers.GrowTo(target);
        std::vector<double> programMs, baselineMs;
        for (int run = 0; run < runs; ++run) {
            double start = NowMs();
            Result found = program();
            programMs.push_back(NowMs() - start);
            start = NowMs();
            Result walked = baseline();
            baselineMs.push_back(NowMs() - start);
            identical = identical && agree(found, walked);
        }
        double p = Median(programMs), b = Median(baselineMs);
        std::printf("%10d %10d %12.1f %12.1f %7.2f\n", target, ProcessCount(), p, b, p / b);
        programAt100 = p;
        baselineAt100 = b;
    }
    std::printf("results identical: %s\n", identical ? "yes" : "NO");
    if (!identical)
        return 1;
    std::printf("%s: program %.1f ms, baseline %.1f ms, ratio %.2f\n", what, programAt100, baselineAt100,
                programAt100 / baselineAt100);
    return 0;
}

}  // namespace bench
