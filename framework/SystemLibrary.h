// The one way to bind a function of a system library at run time.
#pragma once

#include <windows.h>

// Loads library `name` (e.g. "psapi.dll") from the system directory, never from the program's
// folder or the current directory, where anyone may have left a file of that name. Null when
// it cannot be loaded from there. A building block of BindFromSystemLibrary.
HMODULE LoadSystemLibrary(const char* name);

// Binds `entry` to the function `name` of `library`: null when the library is null or lacks it.
// A building block of the two functions below.
template <class Pfn> void BindEntryPoint(HMODULE library, const char* name, Pfn& entry)
{
    entry = library ? reinterpret_cast<Pfn>(reinterpret_cast<void*>(::GetProcAddress(library, name)))
                    : nullptr;
}

// One entry point to bind: the function's name and the variable that receives it.
template <class Pfn> struct EntryPoint {
    const char* name;
    Pfn& entry;
};
template <class Pfn> EntryPoint(const char*, Pfn&) -> EntryPoint<Pfn>;

// Binds every entry point from the library `library` of the system directory (psapi.dll,
// version.dll, comdlg32.dll, shell32.dll), unless all are bound already; the library stays
// loaded. True when all are bound.
template <class... Pfn> bool BindFromSystemLibrary(const char* library, EntryPoint<Pfn>... entries)
{
    if (!(entries.entry && ...)) {
        HMODULE module = LoadSystemLibrary(library);
        (BindEntryPoint(module, entries.name, entries.entry), ...);
    }
    return (entries.entry && ...);
}

// Binds every entry point from `module`, which every process of the programs has loaded from
// its start because the programs import it (kernel32.dll, user32.dll), unless all are bound
// already. True when all are bound.
template <class... Pfn> bool BindFromLoadedModule(const char* module, EntryPoint<Pfn>... entries)
{
    if (!(entries.entry && ...)) {
        HMODULE loaded = ::GetModuleHandleA(module);
        (BindEntryPoint(loaded, entries.name, entries.entry), ...);
    }
    return (entries.entry && ...);
}
