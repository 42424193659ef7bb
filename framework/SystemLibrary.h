// The one way to bind a function of a system library at run time, and the library search that
// keeps a library named without a folder in the system directory.
#pragma once

#include <windows.h>

// Called first thing by each program, before anything can load a library by name: from then on
// a library named without a folder is looked for in the system directory only where the system
// offers that (SetDefaultDllDirectories), and never in the current folder where it offers that
// (SetDllDirectoryA). Both are bound at run time; the oldest systems have neither.
void RestrictLibrarySearch();

// Loads library `name` (e.g. "psapi.dll") from the system directory, never from the program's
// folder or the current directory, where anyone may have left a file of that name; the
// libraries that it imports come from the system directory too, also where the search cannot be
// restricted. Null when it cannot be loaded from there. A building block of
// BindFromSystemLibrary.
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
