#include "enum/ProcessTable.h"

#include "enum/EnumApi.h"
#include "framework/Encoding.h"
#include "framework/Handles.h"
#include "framework/WholeName.h"

namespace {

// PROCESS_QUERY_LIMITED_INFORMATION: enough for the executable's name and bitness, granted for
// more processes than the full query right (Vista and later; earlier systems refuse it).
const DWORD kQueryLimited = 0x1000;

// The process opened for its name: with the rights to read its modules where it grants them.
KernelHandle OpenForName(DWORD id)
{
    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, id);
    return KernelHandle(process ? process : ::OpenProcess(kQueryLimited, FALSE, id));
}

// The whole path of a process's executable, and its bitness, however the system can tell them.
ProcessRecord NameProcess(DWORD id)
{
    ProcessRecord record{id, std::wstring(), 0};
    KernelHandle process = OpenForName(id);
    if (!process)
        return record;
    record.bits = ProcessBits(process.Get());
    std::wstring name(kLongestPath, L'\0');
    DWORD size = static_cast<DWORD>(name.size());
    if (pfnQueryFullProcessImageNameW && pfnQueryFullProcessImageNameW(process.Get(), 0, &name[0], &size)) {
        record.path = name.substr(0, size);
    } else if (pfnGetProcessImageFileNameW) {
        DWORD length = pfnGetProcessImageFileNameW(process.Get(), &name[0], static_cast<DWORD>(name.size()));
        if (length > 0)
            record.path = DosPathOf(name.substr(0, length));
    }
    if (record.path.empty()) {
        HMODULE executable;
        DWORD needed;
        if (pfnEnumProcessModules && pfnEnumProcessModules(process.Get(), &executable, sizeof executable, &needed)) {
            ModuleEntry entry;
            if (NameModule(process.Get(), executable, false, entry))
                record.path = entry.file;
        }
    }
    return record;
}

}  // namespace

bool ReadProcessTable(const OSVERSIONINFOA& version, std::vector<ProcessRecord>& processes)
{
    processes.clear();
    if (!IsNtFamily(version))
        return WalkProcessesToolhelp(FirstEntry::List, [&processes](const char* path, DWORD id) {
            processes.push_back({id, ToWide(path), 32});
        });
    std::vector<DWORD> ids;
    if (!EnumProcessIds(ids, Capacity::Whole))
        return false;
    DriveListing drives;
    for (DWORD id : ids)
        processes.push_back(NameProcess(id));
    return true;
}

CString ListedProcessPath(const OSVERSIONINFOA& version, const ProcessRecord& process)
{
    return IsNtFamily(version) ? GetProcessImagePath(process.id) : CString(FromWide(process.path).c_str());
}

bool WalkEveryProcess(const OSVERSIONINFOA& version, const std::function<void(const ProcessModules&)>& sink,
                      const ModuleNamer* namer)
{
    DriveListing drives;
    std::vector<ProcessRecord> processes;
    if (IsNtFamily(version)) {
        std::vector<DWORD> ids;
        if (!EnumProcessIds(ids, Capacity::Whole))
            return false;
        for (DWORD id : ids)
            processes.push_back({id, std::wstring(), 0});
    } else if (!ReadProcessTable(version, processes)) {
        return false;
    }
    ProcessModules current;
    // A walk leaves out a module that cannot be named, so the first module listed is the
    // executable only when the walk's first naming succeeded.
    bool firstAsked = false, executableNamed = false, namedByMapping = false;
    const ModuleNamer noting = [&](DWORD id, HANDLE process, HMODULE module, bool mapped, ModuleEntry& entry) {
        bool named = namer ? (*namer)(id, process, module, mapped, entry) : NameModule(process, module, mapped, entry);
        if (!firstAsked) {
            executableNamed = named;
            namedByMapping = mapped;
        }
        firstAsked = true;
        return named;
    };
    for (const ProcessRecord& process : processes) {
        current.process = process;
        current.modules.clear();
        firstAsked = executableNamed = false;
        current.walk = WalkModules(version, process.id, FirstEntry::List,
                                   [&current](const ModuleEntry& module) { current.modules.push_back(module); },
                                   Capacity::Whole, &noting);
        // The NT family names a process by its executable's module, which costs no call of its
        // own; one whose executable cannot be read so is named as the process list names it. Its
        // bitness the walk knows: the 32-bit program reads 32-bit processes only, and the 64-bit
        // program names the modules of a 32-bit one by the files mapped.
        if (IsNtFamily(version))
            current.process = current.walk == ModuleWalk::Listed && executableNamed && !current.modules.empty()
                                  ? ProcessRecord{process.id, current.modules.front().file,
                                                  OwnBits() == 64 && !namedByMapping ? 64 : 32}
                                  : NameProcess(process.id);
        sink(current);
    }
    return true;
}

bool ProcessRuns(DWORD id)
{
    KernelHandle process(::OpenProcess(SYNCHRONIZE, FALSE, id));
    if (!process)
        return ::GetLastError() != ERROR_INVALID_PARAMETER;
    return ::WaitForSingleObject(process.Get(), 0) == WAIT_TIMEOUT;
}
