#include "enum/ProcessWalk.h"

#include <algorithm>

#include "enum/EnumApi.h"
#include "framework/Handles.h"

namespace {

// What opening a process for its modules asks for: PROCESS_QUERY_INFORMATION | PROCESS_VM_READ.
const DWORD kModuleAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;

}  // namespace

HMODULE BindEnumBackend(OSVERSIONINFOA& version)
{
    version.dwOSVersionInfoSize = sizeof version;
    if (!::GetVersionExA(&version)) {
        version.dwOSVersionInfoSize = 0;
        return nullptr;
    }
    return IsNtFamily(version) ? BindNtBackend() : BindToolhelpBackend();
}

bool EnumBackendAvailable(const OSVERSIONINFOA& version)
{
    if (version.dwOSVersionInfoSize == 0)
        return false;
    return IsNtFamily(version) ? NtBackendBound() : ToolhelpBackendBound();
}

bool EnumProcessIds(std::vector<DWORD>& ids)
{
    DWORD buffer[1024];
    DWORD bytes = 0;
    ids.clear();
    if (!pfnEnumProcesses || !pfnEnumProcesses(buffer, sizeof buffer, &bytes))
        return false;
    ids.assign(buffer, buffer + std::min<DWORD>(bytes, sizeof buffer) / sizeof buffer[0]);
    return true;
}

bool WalkProcessesNt(const EntrySink& sink)
{
    std::vector<DWORD> ids;
    if (!EnumProcessIds(ids))
        return false;
    for (DWORD id : ids)
        sink(GetProcessImagePath(id), id);
    return true;
}

bool WalkProcessesToolhelp(FirstEntry first, const EntrySink& sink)
{
    if (!pfnCreateToolhelp32Snapshot || !pfnProcess32First || !pfnProcess32Next)
        return false;
    KernelHandle snapshot(pfnCreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot)
        return false;
    PROCESSENTRY32 entry;
    entry.dwSize = sizeof entry;
    // Skipping the first entry, the record of the first call is overwritten by the second
    // before it is handed on.
    bool more = pfnProcess32First(snapshot.Get(), &entry) != FALSE;
    if (more && first == FirstEntry::Skip)
        more = pfnProcess32Next(snapshot.Get(), &entry) != FALSE;
    while (more) {
        sink(entry.szExeFile, entry.th32ProcessID);
        more = pfnProcess32Next(snapshot.Get(), &entry) != FALSE;
    }
    return true;
}

ModuleWalk WalkModulesNt(DWORD processId, FirstEntry first, const EntrySink& sink)
{
    KernelHandle process(::OpenProcess(kModuleAccess, FALSE, processId));
    if (!process)
        return ModuleWalk::NotOpened;
    HMODULE modules[1024];
    DWORD needed = 0;
    if (!pfnGetModuleFileNameExA || !EnumEveryProcessModule(process.Get(), modules, sizeof modules, &needed))
        return ModuleWalk::NotListed;
    DWORD count = std::min<DWORD>(needed, sizeof modules) / sizeof modules[0];
    // Index 0 is the executable.
    for (DWORD i = first == FirstEntry::Skip ? 1 : 0; i < count; ++i) {
        char path[MAX_PATH];
        DWORD length = pfnGetModuleFileNameExA(process.Get(), modules[i], path, MAX_PATH);
        // A module whose file name cannot be read has nothing to show, open or copy.
        if (length > 0 && length < MAX_PATH) {
            path[length] = '\0';
            sink(path, 0);
        }
    }
    return ModuleWalk::Listed;
}

ModuleWalk WalkModulesToolhelp(DWORD processId, FirstEntry first, const EntrySink& sink)
{
    if (!pfnModule32First || !pfnModule32Next || !pfnCreateToolhelp32Snapshot)
        return ModuleWalk::NotListed;
    KernelHandle snapshot(pfnCreateToolhelp32Snapshot(TH32CS_SNAPMODULE, processId));
    if (!snapshot)
        return ModuleWalk::NotOpened;
    MODULEENTRY32 entry;
    entry.dwSize = sizeof entry;
    bool more = pfnModule32First(snapshot.Get(), &entry) != FALSE;
    if (!more)
        return ModuleWalk::NotListed;
    if (first == FirstEntry::Skip)
        more = pfnModule32Next(snapshot.Get(), &entry) != FALSE;
    while (more) {
        sink(entry.szExePath, 0);
        more = pfnModule32Next(snapshot.Get(), &entry) != FALSE;
    }
    return ModuleWalk::Listed;
}

bool WalkProcesses(const OSVERSIONINFOA& version, FirstEntry first, const EntrySink& sink)
{
    return IsNtFamily(version) ? WalkProcessesNt(sink) : WalkProcessesToolhelp(first, sink);
}

ModuleWalk WalkModules(const OSVERSIONINFOA& version, DWORD processId, FirstEntry first, const EntrySink& sink)
{
    return IsNtFamily(version) ? WalkModulesNt(processId, first, sink) : WalkModulesToolhelp(processId, first, sink);
}

bool WalkEveryProcess(const OSVERSIONINFOA& version, const std::function<void(const ProcessModules&)>& sink)
{
    std::vector<ProcessModules> processes;
    if (IsNtFamily(version)) {
        std::vector<DWORD> ids;
        if (!EnumProcessIds(ids))
            return false;
        for (DWORD id : ids)
            processes.push_back({id, CString(kUnknownPath), ModuleWalk::NotOpened, {}});
    } else if (!WalkProcessesToolhelp(FirstEntry::List, [&](const char* path, DWORD id) {
                   processes.push_back({id, CString(path), ModuleWalk::NotOpened, {}});
               })) {
        return false;
    }
    for (ProcessModules& process : processes) {
        process.walk = WalkModules(version, process.id, FirstEntry::List,
                                   [&](const char* path, DWORD) { process.modules.push_back(CString(path)); });
        // The NT family names a process by its first module.
        if (IsNtFamily(version) && !process.modules.empty())
            process.executable = process.modules.front();
        sink(process);
        // Handed on: a search of every process holds one module list at a time.
        std::vector<CString>().swap(process.modules);
    }
    return true;
}
