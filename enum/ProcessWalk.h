// The enumeration engine: walks of the process table and of one process's modules through the
// back end that the platform asks for, each entry handed to a sink. It knows no window; the
// main dialog and the console program both build on it.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "framework/String.h"

// Receives one entry of a walk: a full path ("unknown" for a process that cannot be named) and
// an id (the process id; 0 for a module).
using EntrySink = std::function<void(const char* path, DWORD id)>;

// Whether a walk hands on the first entry that the back end delivers. The dialog's lists leave
// it out: the first module on the NT family is the process's executable, which the process list
// already shows, and the dialog's tool-help walks skip the first record of every snapshot.
enum class FirstEntry { Skip, List };

// How a module walk ended.
enum class ModuleWalk {
    Listed,     // the back end delivered the modules
    NotOpened,  // the process cannot be opened or snapshot: it ended, or access is refused
    NotListed,  // it was opened, but its module list could not be read
};

// Probes the platform and binds the functions of its back end: psapi.dll on the NT family,
// tool-help everywhere else. Fills `version` (its dwOSVersionInfoSize set to 0 when the query
// fails) and returns the back end's library, null when none was loaded. The library stays
// loaded.
HMODULE BindEnumBackend(OSVERSIONINFOA& version);
// Whether the platform's back end has every function its process walk calls.
bool EnumBackendAvailable(const OSVERSIONINFOA& version);
inline bool IsNtFamily(const OSVERSIONINFOA& version)
{
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// Walks through the back end that `version` asks for: the process-status functions on the NT
// family, tool-help everywhere else. A front end that has no back end of its own to name calls
// these; the dialog's fillers name theirs.
bool WalkProcesses(const OSVERSIONINFOA& version, FirstEntry first, const EntrySink& sink);
ModuleWalk WalkModules(const OSVERSIONINFOA& version, DWORD processId, FirstEntry first, const EntrySink& sink);

// One process of the system and its modules, its executable first.
struct ProcessModules {
    DWORD id;
    CString executable;            // the executable's path; "unknown" when the process cannot be named
    ModuleWalk walk;               // how the walk of its modules ended
    std::vector<CString> modules;  // every module, the executable first on the NT family
};
// Every process with its modules, each handed to `sink` once its modules are read. On the NT
// family a process is named by its first module, which costs no call of its own. False when the
// process table cannot be read.
bool WalkEveryProcess(const OSVERSIONINFOA& version, const std::function<void(const ProcessModules&)>& sink);

// The ids of every process of the system, in the order EnumProcesses delivers them (at most
// 1024). False, and no id, when EnumProcesses fails.
bool EnumProcessIds(std::vector<DWORD>& ids);
// Every process of the system with the full path of its executable, in the order EnumProcesses
// delivers them (at most 1024). False, and nothing handed on, when EnumProcesses fails.
bool WalkProcessesNt(const EntrySink& sink);
// Every process of a tool-help snapshot with its executable's path. False when no snapshot.
bool WalkProcessesToolhelp(FirstEntry first, const EntrySink& sink);

// The modules of one process, with their full paths (at most 1024); a module whose path cannot
// be read is left out.
ModuleWalk WalkModulesNt(DWORD processId, FirstEntry first, const EntrySink& sink);
ModuleWalk WalkModulesToolhelp(DWORD processId, FirstEntry first, const EntrySink& sink);
