// Measures how soon the console program's wait returns once the last holder of a module has
// ended, with many processes running: a helper of the tests holds a copy of a fixture, the
// program waits for it, the helper is ended.
#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/BenchSupport.h"
#include "enum/ProcessWalk.h"
#include "framework/Encoding.h"
#include "framework/Handles.h"
#include "paths/WidePath.h"

namespace {

const int kWaits = 5;

#define QUENDRIX_TEXT(name) #name
#define QUENDRIX_NAME(name) QUENDRIX_TEXT(name)

// Starts `command`, its standard error into `err` when given; its id in `id`. Null when it
// cannot start.
KernelHandle Start(std::wstring command, DWORD& id, HANDLE err = nullptr)
{
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = err ? STARTF_USESTDHANDLES : 0;
    startup.hStdError = err;
    PROCESS_INFORMATION info{};
    if (!::CreateProcessW(nullptr, &command[0], nullptr, nullptr, err != nullptr, DETACHED_PROCESS, nullptr, nullptr,
                          &startup, &info))
        return KernelHandle();
    ::CloseHandle(info.hThread);
    id = info.dwProcessId;
    return KernelHandle(info.hProcess);
}

// Polls every 10 ms until `done` holds, at most two minutes: one look at every process takes
// seconds under Wine when a hundred processes run.
template <class Done> bool Until(Done done)
{
    for (int i = 0; i < 12000; ++i, ::Sleep(10))
        if (done())
            return true;
    return false;
}

// How soon the program's wait returns, kWaits times, once the only holder of a module has
// ended: 0, or the status to end the benchmark with.
int WaitReaction(const OSVERSIONINFOA& version, std::vector<double>& reactions)
{
    const std::wstring root = ToWide(bench::ExeDirectory() + "..\\");
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring held = std::wstring(temp) + L"quendrix-bench-held.dll", err = held + L".err";
    ::CopyFileW((root + L"fixtures\\fx_stale_old.dll").c_str(), held.c_str(), FALSE);
    for (int run = 0; run < kWaits; ++run) {
        DWORD holderId = 0, waitingId = 0;
        KernelHandle holder = Start(L"\"" + root + L"tests\\library_holder.exe\" \"" + held + L"\"", holderId);
        bool loaded = holder && Until([&] {
            bool has = false;
            WalkModules(version, holderId, FirstEntry::List,
                        [&](const ModuleEntry& module) { has = has || LowerCase(module.file) == LowerCase(held); },
                        Capacity::Whole);
            return has;
        });
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        KernelHandle errFile(::CreateFileW(err.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, &inherit,
                                           CREATE_ALWAYS, 0, nullptr));
        KernelHandle waiting = loaded && errFile ? Start(L"\"" + root + QUENDRIX_NAME(QUENDRIX_CLI_PROGRAM) L".exe\" wait \"" +
                                                             held + L"\"",
                                                         waitingId, errFile.Get())
                                                 : KernelHandle();
        errFile.Close();
        // The program has looked once and named the holder.
        bool named = waiting && Until([&] {
            WIN32_FILE_ATTRIBUTE_DATA data{};
            return ::GetFileAttributesExW(err.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeLow > 0;
        });
        if (holder) {
            ::TerminateProcess(holder.Get(), 0);
            ::WaitForSingleObject(holder.Get(), 10000);
        }
        const double ended = bench::NowMs();
        DWORD code = 1;
        bool returned = waiting && ::WaitForSingleObject(waiting.Get(), 120000) == WAIT_OBJECT_0 &&
                        ::GetExitCodeProcess(waiting.Get(), &code) && code == 0;
        reactions.push_back(bench::NowMs() - ended);
        if (waiting && !returned)
            ::TerminateProcess(waiting.Get(), 1);
        if (!loaded || !named || !returned) {
            std::printf("wait: the helper did not load the module, or wait did not name it, or did not return 0\n");
            return 1;
        }
    }
    ::DeleteFileW(err.c_str());
    ::DeleteFileW(held.c_str());
    return 0;
}

}  // namespace

int main()
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    OSVERSIONINFOA version{};
    BindEnumBackend(version);
    if (!EnumBackendAvailable(version)) {
        std::printf("wait: no process listing\n");
        return 1;
    }
    bench::Sleepers sleepers;
    std::printf("%10s %10s %12s %12s\n", "extra", "processes", "median ms", "longest ms");
    double atRest = 0;
    for (int target : {0, 25, 100}) {
        if (target)
            sleepers.GrowTo(target);
        std::vector<double> reactions;
        if (int failed = WaitReaction(version, reactions))
            return failed;
        std::vector<DWORD> ids;
        EnumProcessIds(ids, Capacity::Whole);
        std::printf("%10d %10u %12.0f %12.0f\n", target, static_cast<unsigned>(ids.size()), bench::Median(reactions),
                    *std::max_element(reactions.begin(), reactions.end()));
        if (target == 0)
            atRest = bench::Median(reactions);
    }
    std::printf("wait: returned %.0f ms after the last holder ended (median of %d, no extra processes)\n", atRest,
                kWaits);
    return 0;
}
