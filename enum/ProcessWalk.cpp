#include "enum/ProcessWalk.h"

#include <algorithm>

#include "enum/EnumApi.h"
#include "enum/LoaderNames.h"
#include "framework/Handles.h"

namespace {

// What opening a process for its modules asks for: PROCESS_QUERY_INFORMATION | PROCESS_VM_READ.
const DWORD kModuleAccess = PROCESS_QUERY_INFORMATION | PROCESS_VM_READ;

// Why the module list of an opened process could not be read.
ModuleWalk WhyNotListed(HANDLE process)
{
    if (OwnBits() == 32 && ProcessBits(process) == 64)
        return ModuleWalk::OtherBitness;
    DWORD code = 0;
    if (::GetExitCodeProcess(process, &code) && code != STILL_ACTIVE)
        return ModuleWalk::Ended;
    return ModuleWalk::NotListed;
}

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

bool EnumProcessIds(std::vector<DWORD>& ids, Capacity capacity)
{
    ids.assign(1024, 0);
    for (;;) {
        DWORD size = static_cast<DWORD>(ids.size() * sizeof(DWORD)), bytes = 0;
        if (!pfnEnumProcesses || !pfnEnumProcesses(ids.data(), size, &bytes)) {
            ids.clear();
            return false;
        }
        // EnumProcesses says nothing of ids that did not fit: a full array may have cut some.
        if (bytes < size || capacity == Capacity::Fixed) {
            ids.resize(std::min(bytes, size) / sizeof(DWORD));
            return true;
        }
        ids.resize(ids.size() * 2);
    }
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

ModuleWalk WalkModulesNt(DWORD processId, FirstEntry first, const ModuleSink& sink, Capacity capacity,
                         const ModuleNamer* namer)
{
    // A 64-bit program names a 32-bit process's modules through the drives' devices.
    DriveListing drives;
    KernelHandle process(::OpenProcess(kModuleAccess, FALSE, processId));
    if (!process)
        return ::GetLastError() == ERROR_INVALID_PARAMETER ? ModuleWalk::Ended : ModuleWalk::NotOpened;
    std::vector<HMODULE> modules(1024);
    DWORD needed = 0;
    for (;;) {
        DWORD size = static_cast<DWORD>(modules.size() * sizeof(HMODULE));
        if (!pfnGetModuleFileNameExA || !EnumEveryProcessModule(process.Get(), modules.data(), size, &needed))
            return WhyNotListed(process.Get());
        if (needed <= size || capacity == Capacity::Fixed)
            break;
        modules.resize(needed / sizeof(HMODULE) + 16);
    }
    DWORD count = std::min<DWORD>(needed / sizeof(HMODULE), static_cast<DWORD>(modules.size()));
    // A 32-bit process names its system modules by the folder of the 64-bit ones.
    const bool mapped = OwnBits() == 64 && ProcessBits(process.Get()) == 32;
    // The whole paths in one walk of the loader's list, for a process of this program's bitness
    // (a 32-bit program lists no other).
    const LoaderNames names(mapped ? nullptr : process.Get(), modules.data(), count);
    // Index 0 is the executable.
    for (DWORD i = first == FirstEntry::Skip ? 1 : 0; i < count; ++i) {
        ModuleEntry entry;
        // A module that no function names has nothing to show, open or copy.
        if (namer ? (*namer)(processId, process.Get(), modules[i], mapped, entry)
                  : NameModule(process.Get(), modules[i], mapped, entry))
            sink(entry);
    }
    return ModuleWalk::Listed;
}

ModuleWalk WalkModulesToolhelp(DWORD processId, FirstEntry first, const ModuleSink& sink)
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
        sink(ToolhelpModule(entry.szExePath, reinterpret_cast<ULONG_PTR>(entry.modBaseAddr)));
        more = pfnModule32Next(snapshot.Get(), &entry) != FALSE;
    }
    return ModuleWalk::Listed;
}

ModuleWalk WalkModules(const OSVERSIONINFOA& version, DWORD processId, FirstEntry first, const ModuleSink& sink,
                       Capacity capacity, const ModuleNamer* namer)
{
    return IsNtFamily(version) ? WalkModulesNt(processId, first, sink, capacity, namer)
                               : WalkModulesToolhelp(processId, first, sink);
}

