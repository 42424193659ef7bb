#include "framework/SystemLibrary.h"

#include <cstring>

namespace {

// Newer than the oldest systems the program runs on: bound from kernel32.dll.
using PfnSetDefaultDllDirectories = BOOL(WINAPI*)(DWORD directoryFlags);
using PfnSetDllDirectoryA = BOOL(WINAPI*)(LPCSTR path);
PfnSetDefaultDllDirectories pfnSetDefaultDllDirectories;
PfnSetDllDirectoryA pfnSetDllDirectoryA;

}  // namespace

void RestrictLibrarySearch()
{
    // Windows 8 and later, and Vista and 7 with update KB2533623.
    if (BindFromLoadedModule("kernel32.dll",
                             EntryPoint{"SetDefaultDllDirectories", pfnSetDefaultDllDirectories}))
        pfnSetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    // Windows XP SP1 and later: an empty folder takes the current folder out of the search.
    if (BindFromLoadedModule("kernel32.dll", EntryPoint{"SetDllDirectoryA", pfnSetDllDirectoryA}))
        pfnSetDllDirectoryA("");
}

HMODULE LoadSystemLibrary(const char* name)
{
    char path[MAX_PATH];
    UINT length = ::GetSystemDirectoryA(path, MAX_PATH);
    size_t nameLength = std::strlen(name);
    if (length == 0 || length + 1 + nameLength >= MAX_PATH)
        return nullptr;
    if (path[length - 1] != '\\')
        path[length++] = '\\';
    std::memcpy(path + length, name, nameLength + 1);
    // A full path alone leaves the search for the libraries that this one imports starting in
    // the program's folder; the altered search starts it in the library's own folder, the
    // system directory, on every system, also where the search cannot be restricted.
    return ::LoadLibraryExA(path, nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}
