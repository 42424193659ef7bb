// Times the engine's find as the console program asks it (which processes have kernel32.dll
// loaded, and the version of each file) with many processes running, against a bare walk that
// makes the same system calls.
#include <cstdio>
#include <set>
#include <string>
#include <utility>

#include "bench/BenchSupport.h"
#include "controls/HiddenListOrder.h"
#include "enum/EnumApi.h"
#include "enum/ProcessWalk.h"
#include "export/VersionApi.h"
#include "framework/Encoding.h"
#include "paths/DisplayName.h"
#include "query/ModuleSearch.h"
#include "query/Versions.h"

namespace {

const int kRuns = 7;
const char kModule[] = "kernel32.dll";
const wchar_t kModuleW[] = L"kernel32.dll";

using Hits = std::set<std::pair<DWORD, std::string>>;

// Every process's modules, each named by both functions and compared; a process that cannot be
// read is named by its executable and asked whether it runs; the version of the first file
// found read once, as the program reads each file's once.
Hits BaselineFind()
{
    Hits hits;
    DWORD ids[1024], bytes = 0;
    pfnEnumProcesses(ids, sizeof ids, &bytes);
    std::wstring versioned;
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
        HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]);
        HMODULE modules[1024];
        DWORD needed = 0;
        BOOL listed = process && (pfnEnumProcessModulesEx
                                      ? pfnEnumProcessModulesEx(process, modules, sizeof modules, &needed, 0x03)
                                      : pfnEnumProcessModules(process, modules, sizeof modules, &needed));
        if (!listed) {
            HANDLE named = ::OpenProcess(0x1000, FALSE, ids[i]);
            wchar_t image[MAX_PATH];
            DWORD size = MAX_PATH;
            if (named && pfnQueryFullProcessImageNameW)
                pfnQueryFullProcessImageNameW(named, 0, image, &size);
            if (named)
                ::CloseHandle(named);
            if (HANDLE runs = ::OpenProcess(SYNCHRONIZE, FALSE, ids[i])) {
                ::WaitForSingleObject(runs, 0);
                ::CloseHandle(runs);
            }
        }
        for (DWORD m = 0; listed && m < std::min<DWORD>(needed, sizeof modules) / sizeof(HMODULE); ++m) {
            char path[MAX_PATH];
            wchar_t wide[MAX_PATH];
            pfnGetModuleFileNameExA(process, modules[m], path, MAX_PATH);
            DWORD length = pfnGetModuleFileNameExW(process, modules[m], wide, MAX_PATH);
            if (length == 0 || length >= MAX_PATH)
                continue;
            const wchar_t* name = wide + FolderLength(std::wstring(wide, length));
            if (lstrcmpiW(name, kModuleW) != 0)
                continue;
            hits.insert({ids[i], FromWide(std::wstring(wide, length))});
            if (versioned.empty()) {
                versioned.assign(wide, length);
                DWORD unused = 0, size = pfnGetFileVersionInfoSizeW(wide, &unused);
                std::vector<BYTE> block(size ? size : 1);
                void* value = nullptr;
                UINT valueLength = 0;
                if (size && pfnGetFileVersionInfoW(wide, 0, size, block.data())) {
                    pfnVerQueryValueW(block.data(), L"\\", &value, &valueLength);
                    pfnVerQueryValueW(block.data(), L"\\StringFileInfo\\040904b0\\ProductVersion", &value, &valueLength);
                }
            }
        }
        if (process)
            ::CloseHandle(process);
    }
    return hits;
}

// Whether two searches found the same for every process that both met.
bool SameForCommonProcesses(const Hits& a, const Hits& b)
{
    const auto common = bench::OfCommonProcesses(a, b);
    return common.first == common.second && !common.first.empty();
}

Hits ProgramFind(const Backend& backend)
{
    ModuleSearch search;
    FindModule(backend, ModulePattern(kModuleW), search);
    // As find does: the version of each file that a hit names, read once.
    VersionsOf(search.hits);
    Hits hits;
    for (const LoadedModule& hit : search.hits)
        hits.insert({hit.process.id, FromWide(hit.module.file)});
    return hits;
}

}  // namespace

int main()
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    BindVersionFunctions();
    BindWideVersionFunctions();
    const HiddenListOrder order;
    const Backend backend(order);
    if (!backend.Available() || !IsNtFamily(backend.Version())) {
        std::printf("find: the process-status functions are not available\n");
        return 1;
    }
    return bench::TimeWithSleepers<Hits>("find", kRuns, [&] { return ProgramFind(backend); }, BaselineFind,
                                          SameForCommonProcesses);
}
