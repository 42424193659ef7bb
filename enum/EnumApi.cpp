#include "enum/EnumApi.h"

#include <cstring>

PfnEnumProcessModules pfnEnumProcessModules;
PfnEnumProcesses pfnEnumProcesses;
PfnGetModuleFileNameExA pfnGetModuleFileNameExA;
PfnEnumProcessModulesEx pfnEnumProcessModulesEx;

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

template <class Pfn> void Bind(HMODULE library, const char* name, Pfn& entry)
{
    entry = library ? reinterpret_cast<Pfn>(reinterpret_cast<void*>(::GetProcAddress(library, name)))
                    : nullptr;
}

}  // namespace

HMODULE BindNtBackend()
{
    HMODULE library = ::LoadLibraryA("psapi.dll");
    Bind(library, "EnumProcessModules", pfnEnumProcessModules);
    Bind(library, "EnumProcesses", pfnEnumProcesses);
    Bind(library, "GetModuleFileNameExA", pfnGetModuleFileNameExA);
    if (kListsOtherBitness)
        Bind(library, "EnumProcessModulesEx", pfnEnumProcessModulesEx);
    return library;
}

HMODULE BindToolhelpBackend()
{
    HMODULE library = ::LoadLibraryA("kernel32.dll");
    Bind(library, "CreateToolhelp32Snapshot", pfnCreateToolhelp32Snapshot);
    Bind(library, "Process32First", pfnProcess32First);
    Bind(library, "Process32Next", pfnProcess32Next);
    Bind(library, "Module32First", pfnModule32First);
    Bind(library, "Module32Next", pfnModule32Next);
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
    std::strcpy(path, "unknown");

    HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, processId);
    if (process) {
        HMODULE executable;
        DWORD needed;
        if (pfnEnumProcessModules && pfnGetModuleFileNameExA &&
            pfnEnumProcessModules(process, &executable, sizeof executable, &needed)) {
            // A failed read must not leave half a name: keep "unknown" then.
            char name[MAX_PATH] = "";
            DWORD length = pfnGetModuleFileNameExA(process, executable, name, MAX_PATH);
            if (length > 0 && length < MAX_PATH)
                std::memcpy(path, name, length + 1);
        }
        ::CloseHandle(process);
    }
    return CString(path);
}
