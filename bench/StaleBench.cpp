// Times the engine's stale over every process, with many processes running, against a
// bare walk that reads both headers of every module with the same calls.
#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "bench/BenchSupport.h"
#include "controls/HiddenListOrder.h"
#include "enum/EnumApi.h"
#include "framework/Encoding.h"
#include "paths/WidePath.h"
#include "query/StaleSearch.h"

namespace {

const int kRuns = 5;

using Stale = std::set<std::pair<DWORD, std::wstring>>;
using PfnReadProcessMemory = BOOL(WINAPI*)(HANDLE, LPCVOID, LPVOID, SIZE_T, SIZE_T*);
PfnReadProcessMemory pfnReadProcessMemory;

// The magic of this program's own images, as the first two bytes of a stamp below hold it.
const std::string kOwnMagic = sizeof(void*) == 8 ? "\x0B\x02" : "\x0B\x01";

// The magic, time stamp, image size and checksum behind the NT headers in `head`; empty when
// the head holds no header.
std::string StampIn(const BYTE* head, size_t size)
{
    // The NT headers through the checksum: 0x18 bytes before the optional header, 68 in it.
    const size_t reach = 0x18 + 68;
    if (size < 0x40 || size < reach)
        return std::string();
    DWORD nt = *reinterpret_cast<const DWORD*>(head + 0x3C);
    if (nt > size - reach)
        return std::string();
    const char* at = reinterpret_cast<const char*>(head + nt);
    return std::string(at + 0x18, 2) + std::string(at + 0x08, 4) + std::string(at + 0x18 + 56, 4) +
           std::string(at + 0x18 + 64, 4);
}

// The file's stamp, through the calls that the program's file reader makes.
std::string FileStamp(const std::wstring& path)
{
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "gone";
    DWORD high = 0, size = ::GetFileSize(file, &high);
    HANDLE mapping = ::CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr);
    const BYTE* view = mapping ? static_cast<const BYTE*>(::MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) : nullptr;
    MEMORY_BASIC_INFORMATION region{};
    std::string stamp = view && ::VirtualQuery(view, &region, sizeof region)
                            ? StampIn(view, std::min<size_t>(size, region.RegionSize)) : "unreadable";
    if (view)
        ::UnmapViewOfFile(view);
    if (mapping)
        ::CloseHandle(mapping);
    ::CloseHandle(file);
    return stamp;
}

// Every process's modules, each named by both functions; the head of each image read from the
// process, each file's header read once; a process that cannot be read asked whether it runs.
Stale BaselineStale()
{
    Stale stale;
    std::vector<DWORD> ids(4096);
    DWORD bytes = 0;
    pfnEnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes);
    std::map<std::wstring, std::string> files;
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
        HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]);
        std::vector<HMODULE> modules(1024);
        DWORD needed = 0;
        BOOL listed = process && EnumEveryProcessModule(process, modules.data(),
                                                        static_cast<DWORD>(modules.size() * sizeof(HMODULE)), &needed);
        if (!listed) {
            if (HANDLE runs = ::OpenProcess(SYNCHRONIZE, FALSE, ids[i])) {
                ::WaitForSingleObject(runs, 0);
                ::CloseHandle(runs);
            }
        }
        for (DWORD m = 0; listed && m < std::min<DWORD>(needed, 1024 * sizeof(HMODULE)) / sizeof(HMODULE); ++m) {
            char path[MAX_PATH];
            wchar_t wide[MAX_PATH];
            pfnGetModuleFileNameExA(process, modules[m], path, MAX_PATH);
            DWORD length = pfnGetModuleFileNameExW(process, modules[m], wide, MAX_PATH);
            BYTE head[1024];
            SIZE_T read = 0;
            if (length == 0 || length >= MAX_PATH ||
                !pfnReadProcessMemory(process, modules[m], head, sizeof head, &read))
                continue;
            const std::wstring file(wide, length);
            auto known = files.find(LowerCase(file));
            if (known == files.end())
                known = files.emplace(LowerCase(file), FileStamp(file)).first;
            const std::string loaded = StampIn(head, read);
            // A 32-bit image named by a path where a 64-bit file lies is not compared.
            const bool otherView = !loaded.empty() && known->second.size() == loaded.size() &&
                                   loaded.compare(0, 2, kOwnMagic) != 0 && known->second.compare(0, 2, loaded, 0, 2) != 0;
            if (!otherView && known->second != loaded)
                stale.insert({ids[i], file});
        }
        if (process)
            ::CloseHandle(process);
    }
    return stale;
}

Stale ProgramStale(const Backend& backend)
{
    StaleSearch search;
    FindStaleModules(backend, search);
    Stale stale;
    for (const StaleModule& module : search.stale)
        stale.insert({module.loaded.process.id, module.loaded.module.file});
    return stale;
}

// A copy of a fixture module loaded here and then replaced on disk by another build: one stale
// module for both to find.
std::wstring MakeOwnStaleModule()
{
    const std::wstring fixtures = ToWide(bench::ExeDirectory() + "..\\fixtures\\");
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::wstring copy = std::wstring(temp) + L"quendrix-bench-stale.dll";
    const std::wstring next = copy + L".next", aside = copy + L".aside";
    ::DeleteFileW(aside.c_str());
    ::DeleteFileW(copy.c_str());
    // The file in use moves aside (Wine refuses to rename another over it), the new one moves in.
    if (!::CopyFileW((fixtures + L"fx_stale_old.dll").c_str(), copy.c_str(), FALSE) || !::LoadLibraryW(copy.c_str()) ||
        !::CopyFileW((fixtures + L"fx_stale_new.dll").c_str(), next.c_str(), FALSE) ||
        !::MoveFileW(copy.c_str(), aside.c_str()) || !::MoveFileW(next.c_str(), copy.c_str()))
        return std::wstring();
    return copy;
}

}  // namespace

int main()
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    const HiddenListOrder order;
    const Backend backend(order);
    pfnReadProcessMemory = reinterpret_cast<PfnReadProcessMemory>(
        reinterpret_cast<void*>(::GetProcAddress(::GetModuleHandleA("kernel32.dll"), "ReadProcessMemory")));
    if (!backend.Available() || !IsNtFamily(backend.Version()) || !pfnReadProcessMemory) {
        std::printf("stale: the process-status functions are not available\n");
        return 1;
    }
    const std::wstring own = MakeOwnStaleModule();
    if (own.empty()) {
        std::printf("stale: cannot make a stale module of the fixtures\n");
        return 1;
    }
    return bench::TimeWithSleepers<Stale>(
        "stale", kRuns, [&] { return ProgramStale(backend); }, BaselineStale,
        [&](const Stale& found, const Stale& walked) {
            return found == walked && found.count({::GetCurrentProcessId(), own}) == 1;
        });
}
