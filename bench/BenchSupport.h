// Timing helpers shared by the benchmark programs.
#pragma once

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

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

}  // namespace bench
