#include "enum/LoaderNames.h"

#include <winternl.h>

#include <cstddef>

#include "framework/SystemLibrary.h"

namespace {

LoaderNames* g_current = nullptr;

// No process has more modules than this; a list that seems to is no list.
const size_t kMostModules = 65536;

using PfnNtQueryInformationProcess = LONG(WINAPI*)(HANDLE, PROCESSINFOCLASS, PVOID, ULONG, PULONG);
PfnNtQueryInformationProcess g_queryInformationProcess = nullptr;
using PfnReadProcessMemory = BOOL(WINAPI*)(HANDLE, LPCVOID, LPVOID, SIZE_T, SIZE_T*);
PfnReadProcessMemory g_readProcessMemory = nullptr;

// `size` bytes at `at` in `process`, all of them. Bound, not imported, as the image stamps' reads
// are: the platform reference names no system as old as the import floor for it.
bool ReadBytes(HANDLE process, ULONG_PTR at, void* out, size_t size)
{
    SIZE_T read = 0;
    return at && g_readProcessMemory(process, reinterpret_cast<LPCVOID>(at), out, size, &read) && read == size;
}

template <class T> bool ReadRemote(HANDLE process, ULONG_PTR at, T& value)
{
    return ReadBytes(process, at, &value, sizeof value);
}

ULONG_PTR Address(const void* pointer)
{
    return reinterpret_cast<ULONG_PTR>(pointer);
}

// Reads the loader's list of `process` into `paths`, by each module's address; false, with
// `paths` as far as it came, where a read fails or the list does not close.
bool ReadLoaderList(HANDLE process, std::map<ULONG_PTR, std::wstring>& paths)
{
    if (!BindFromLoadedModule("ntdll.dll", EntryPoint{"NtQueryInformationProcess", g_queryInformationProcess}) ||
        !BindFromLoadedModule("kernel32.dll", EntryPoint{"ReadProcessMemory", g_readProcessMemory}))
        return false;
    PROCESS_BASIC_INFORMATION basic;
    ULONG size = 0;
    PEB peb;
    PEB_LDR_DATA loader;
    if (g_queryInformationProcess(process, ProcessBasicInformation, &basic, sizeof basic, &size) != 0 ||
        !ReadRemote(process, Address(basic.PebBaseAddress), peb) || !ReadRemote(process, Address(peb.Ldr), loader))
        return false;
    // The list's links point at each entry's links, inside the entry; the head's lies in the
    // loader's data.
    const ULONG_PTR head = Address(peb.Ldr) + offsetof(PEB_LDR_DATA, InMemoryOrderModuleList);
    const ULONG_PTR links = offsetof(LDR_DATA_TABLE_ENTRY, InMemoryOrderLinks);
    for (ULONG_PTR link = Address(loader.InMemoryOrderModuleList.Flink), count = 0; link != head; ++count) {
        LDR_DATA_TABLE_ENTRY entry;
        if (count == kMostModules || link < links || !ReadRemote(process, link - links, entry))
            return false;
        const UNICODE_STRING& name = entry.FullDllName;
        std::wstring path(name.Length / sizeof(wchar_t), L'\0');
        if (!path.empty() && !ReadBytes(process, Address(name.Buffer), &path[0], path.size() * sizeof(wchar_t)))
            return false;
        if (!path.empty())
            paths[Address(entry.DllBase)] = path;
        link = Address(entry.InMemoryOrderLinks.Flink);
    }
    return true;
}

}  // namespace

LoaderNames::LoaderNames(HANDLE process, const HMODULE* modules, DWORD count)
    : m_process(process), m_outer(g_current)
{
    g_current = this;
    // A list read only in part may hold a path that a later read would correct: none is kept.
    if (!process || !ReadLoaderList(process, m_paths))
        m_paths.clear();
    for (DWORD i = 0; i < count && !m_paths.empty(); ++i)
        if (!m_paths.count(reinterpret_cast<ULONG_PTR>(modules[i])))
            m_paths.clear();
}

LoaderNames::~LoaderNames()
{
    g_current = m_outer;
}

bool LoaderNames::Find(HANDLE process, HMODULE module, std::wstring& path)
{
    if (!g_current || g_current->m_process != process)
        return false;
    const auto found = g_current->m_paths.find(reinterpret_cast<ULONG_PTR>(module));
    if (found == g_current->m_paths.end())
        return false;
    path = found->second;
    return true;
}
