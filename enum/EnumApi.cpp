#include "enum/EnumApi.h"

#include <cstring>

#include "framework/Handles.h"
#include "framework/SystemLibrary.h"

const char kUnknownPath[] = "unknown";

PfnEnumProcessModules pfnEnumProcessModules;
PfnEnumProcesses pfnEnumProcesses;
PfnGetModuleFileNameExA pfnGetModuleFileNameExA;
PfnEnumProcessModulesEx pfnEnumProcessModulesEx;
PfnGetModuleFileNameExW pfnGetModuleFileNameExW;
PfnGetMappedFileNameW pfnGetMappedFileNameW;
PfnGetProcessImageFileNameW pfnGetProcessImageFileNameW;
PfnIsWow64Process pfnIsWow64Process;
PfnQueryFullProcessImageNameW pfnQueryFullProcessImageNameW;

PfnCreateToolhelp32Snapshot pfnCreateToolhelp32Snapshot;
PfnProcess32First pfnProcess32First;
PfnProcess32Next pfnProcess32Next;
PfnModule32First pfnModule32First;
PfnModule32Next pfnModule32Next;

// The ANSI tool-help records, whose dwSize the system checks: 296 and 548 bytes in the 32-bit
// program, 304 and 568 in the 64-bit one.
static_assert(sizeof(PROCESSENTRY32) == (sizeof(void*) == 8 ? 304 : 296), "PROCESSENTRY32");
static_assert(sizeof(MODULEENTRY32) == (sizeof(void*) == 8 ? 568 : 548), "MODULEENTRY32");
static_assert(sizeof(OSVERSIONINFOA) == 148, "OSVERSIONINFOA is 148 bytes");

namespace {

// Only a 64-bit process meets modules of the other bitness; the 32-bit program binds no more
// than it always did.
const bool kListsOtherBitness = sizeof(void*) == 8;
// LIST_MODULES_ALL: the 32-bit and the 64-bit modules of a process.
const DWORD kListModulesAll = 0x03;

}  // namespace

HMODULE BindNtBackend()
{
    // From the system directory only: a psapi.dll beside the program is never loaded.
    HMODULE library = LoadSystemLibrary("psapi.dll");
    BindEntryPoint(library, "EnumProcessModules", pfnEnumProcessModules);
    BindEntryPoint(library, "EnumProcesses", pfnEnumProcesses);
    BindEntryPoint(library, "GetModuleFileNameExA", pfnGetModuleFileNameExA);
    if (kListsOtherBitness)
        BindEntryPoint(library, "EnumProcessModulesEx", pfnEnumProcessModulesEx);
    BindEntryPoint(library, "GetModuleFileNameExW", pfnGetModuleFileNameExW);
    BindEntryPoint(library, "GetMappedFileNameW", pfnGetMappedFileNameW);
    BindEntryPoint(library, "GetProcessImageFileNameW", pfnGetProcessImageFileNameW);
    BindFromLoadedModule("kernel32.dll", EntryPoint{"IsWow64Process", pfnIsWow64Process});
    BindFromLoadedModule("kernel32.dll", EntryPoint{"QueryFullProcessImageNameW", pfnQueryFullProcessImageNameW});
    return library;
}

HMODULE BindToolhelpBackend()
{
    HMODULE library = LoadSystemLibrary("kernel32.dll");
    BindEntryPoint(library, "CreateToolhelp32Snapshot", pfnCreateToolhelp32Snapshot);
    BindEntryPoint(library, "Process32First", pfnProcess32First);
    BindEntryPoint(library, "Process32Next", pfnProcess32Next);
    BindEntryPoint(library, "Module32First", pfnModule32First);
    BindEntryPoint(library, "Module32Next", pfnModule32Next);
    return library;
}

bool NtBackendBound()
{
    return pfnEnumProcesses && pfnEnumProcessModules && pfnGetModuleFileNameExA;
}

bool ToolhelpBackendBound()
{
    return pfnCreateToolhelp32Snapshot && pfnProcess32First && pfnProcess32Next;
}

BOOL EnumEveryProcessModule(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* bytesNeeded)
{
    if (pfnEnumProcessModulesEx)
        return pfnEnumProcessModulesEx(process, modules, bytes, bytesNeeded, kListModulesAll);
    return pfnEnumProcessModules && pfnEnumProcessModules(process, modules, bytes, bytesNeeded);
}

CString GetProcessImagePath(DWORD processId)
{
    char path[MAX_PATH];
    std::memset(path, 0, sizeof path);
    std::strcpy(path, kUnknownPath);

    KernelHandle process(::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId));
    if (process) {
        HMODULE executable;
        DWORD needed;
        if (pfnEnumProcessModules && pfnGetModuleFileNameExA &&
            pfnEnumProcessModules(process.Get(), &executable, sizeof executable, &needed)) {
            // A failed read must not leave half a name: keep "unknown" then.
            char name[MAX_PATH] = "";
            DWORD length = pfnGetModuleFileNameExA(process.Get(), executable, name, MAX_PATH);
            if (length > 0 && length < MAX_PATH)
                std::memcpy(path, name, length + 1);
        }
    }
    return CString(path);
}
