// The whole paths of a process's modules as its loader lists them, read in one walk of the
// loader's list. The wide naming function walks that list anew for every module it names, which
// made naming a process's modules cost twice what listing them costs.
#pragma once

#include <windows.h>

#include <map>
#include <string>

// Held by a walk of one process's modules: while it lives, NameModule takes each module's whole
// path from it. It reads only a process of this program's own bitness; where the system has no
// such list (the Windows 95 family) or any read fails, it holds nothing and every module is named
// by the wide function as before. One thread lists.
class LoaderNames {
public:
    // Reads the list of `process` (none for null), and keeps it only where it holds each of the
    // `count` modules that the process-status functions listed: a list that does not is no
    // true reading of the loader's.
    LoaderNames(HANDLE process, const HMODULE* modules, DWORD count);
    ~LoaderNames();
    LoaderNames(const LoaderNames&) = delete;
    LoaderNames& operator=(const LoaderNames&) = delete;

    // The whole path of the module at `module` of `process` from the listing held now; false
    // where none is held for that process or its walk did not meet the module.
    static bool Find(HANDLE process, HMODULE module, std::wstring& path);

private:
    HANDLE m_process;
    std::map<ULONG_PTR, std::wstring> m_paths;
    LoaderNames* m_outer;
};
