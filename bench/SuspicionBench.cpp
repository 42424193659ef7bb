// Times the engine's suspect over every process, as the console program asks it at its default
// severity, with many processes running, against a bare walk of the same modules that asks once
// per distinct module name whether the process's system folder has a file of that name.
#include <cstdio>
#include <map>
#include <set>
#include <string>
#include <utility>

#include "bench/BenchSupport.h"
#include "controls/HiddenListOrder.h"
#include "enum/EnumApi.h"
#include "export/VersionApi.h"
#include "paths/DisplayName.h"
#include "query/SuspicionSearch.h"

namespace {

const int kRuns = 7;

// The modules that shadow a system DLL: process id and path in lower case.
using Shadows = std::set<std::pair<DWORD, std::wstring>>;

std::wstring Lower(std::wstring text)
{
    if (!text.empty())
        ::CharLowerBuffW(&text[0], static_cast<DWORD>(text.size()));
    return text;
}

// A folder that the system names, lowered, with a backslash at its end; empty where none.
std::wstring Folder(UINT(WINAPI* named)(LPWSTR, UINT))
{
    wchar_t folder[MAX_PATH] = L"";
    return named && named(folder, MAX_PATH) ? Lower(folder) + L"\\" : std::wstring();
}

struct BareFolders {
    std::wstring windows = Folder(::GetWindowsDirectoryW), system = Folder(::GetSystemDirectoryW),
                 wow64 = Folder(::GetSystemWow64DirectoryW);
};

// Every process's modules, each named by both functions; a process that cannot be read asked
// whether it runs; for each distinct name the process's system folder asked once for a file of
// that name. A module outside the Windows folder, not the program's own, that has one shadows.
Shadows BaselineSuspect(const BareFolders& folders)
{
    Shadows shadows;
    std::vector<DWORD> ids(4096);
    DWORD bytes = 0;
    pfnEnumProcesses(ids.data(), static_cast<DWORD>(ids.size() * sizeof(DWORD)), &bytes);
    std::map<std::wstring, bool> present;
    for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
        HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]);
        BOOL wow = FALSE;
        if (process && pfnIsWow64Process)
            pfnIsWow64Process(process, &wow);
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
        const std::wstring& system = wow && !folders.wow64.empty() ? folders.wow64 : folders.system;
        for (DWORD m = 0; listed && m < std::min<DWORD>(needed, 1024 * sizeof(HMODULE)) / sizeof(HMODULE); ++m) {
            char path[MAX_PATH];
            wchar_t wide[MAX_PATH];
            pfnGetModuleFileNameExA(process, modules[m], path, MAX_PATH);
            DWORD length = pfnGetModuleFileNameExW(process, modules[m], wide, MAX_PATH);
            if (length == 0 || length >= MAX_PATH)
                continue;
            const std::wstring file = Lower(std::wstring(wide, length)), twin = system + DisplayNameOf(file);
            auto known = present.find(twin);
            if (known == present.end())
                known = present.emplace(twin, ::GetFileAttributesW(twin.c_str()) != INVALID_FILE_ATTRIBUTES).first;
            if (m > 0 && known->second && file.compare(0, folders.windows.size(), folders.windows) != 0)
                shadows.insert({ids[i], file});
        }
        if (process)
            ::CloseHandle(process);
    }
    return shadows;
}

// As the console program asks: the system's places read, every module judged at the default
// severity, the version of each module found read.
Shadows ProgramSuspect(const Backend& backend)
{
    const SystemPlaces places = ReadSystemPlaces();
    const SuspectRules rules(places, Severity::Medium);
    SuspectSearch search;
    FindSuspectModules(backend, rules, search);
    Shadows shadows;
    for (const SuspectModule& found : search.found)
        if (found.judgement.finding == Finding::Shadows || found.judgement.finding == Finding::SideLoad ||
            found.judgement.finding == Finding::KnownDll)
            shadows.insert({found.loaded.process.id, Lower(found.loaded.module.file)});
    return shadows;
}

// Whether both found the same in every process that both met, the planted module among it.
bool Agree(const Shadows& a, const Shadows& b, const std::pair<DWORD, std::wstring>& planted)
{
    const auto common = bench::OfCommonProcesses(a, b);
    return common.first == common.second && common.first.count(planted) == 1;
}

// A copy of a system DLL in a folder of the temporary folder, loaded here: one module that
// shadows a system DLL, for both to find. Removed with its folder when the owner goes.
class Planted {
public:
    explicit Planted(const BareFolders& folders)
    {
        wchar_t temp[MAX_PATH] = L"";
        ::GetTempPathW(MAX_PATH, temp);
        m_folder = std::wstring(temp) + L"quendrix-bench-suspect";
        m_file = m_folder + L"\\msimg32.dll";
        ::CreateDirectoryW(m_folder.c_str(), nullptr);
        ::CopyFileW((folders.system + L"msimg32.dll").c_str(), m_file.c_str(), FALSE);
        m_module = ::LoadLibraryW(m_file.c_str());
    }
    ~Planted()
    {
        if (m_module)
            ::FreeLibrary(m_module);
        ::DeleteFileW(m_file.c_str());
        ::RemoveDirectoryW(m_folder.c_str());
    }
    Planted(const Planted&) = delete;
    Planted& operator=(const Planted&) = delete;

    bool Loaded() const { return m_module != nullptr; }
    std::wstring File() const { return Lower(m_file); }

private:
    std::wstring m_folder, m_file;
    HMODULE m_module = nullptr;
};

}  // namespace

int main()
{
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    BindVersionFunctions();
    BindWideVersionFunctions();
    const HiddenListOrder order;
    const Backend backend(order);
    if (!backend.Available() || !IsNtFamily(backend.Version())) {
        std::printf("suspect: the process-status functions are not available\n");
        return 1;
    }
    const BareFolders folders;
    const Planted planted(folders);
    if (!planted.Loaded()) {
        std::printf("suspect: cannot load a copy of a system DLL\n");
        return 1;
    }
    const std::pair<DWORD, std::wstring> own{::GetCurrentProcessId(), planted.File()};
    return bench::TimeWithSleepers<Shadows>(
        "suspect", kRuns, [&] { return ProgramSuspect(backend); }, [&] { return BaselineSuspect(folders); },
        [&](const Shadows& found, const Shadows& walked) { return Agree(found, walked, own); });
}
