// The enumeration engine: walks of the process table and of one process's modules through the
// back end that the platform asks for, each entry handed to a sink. It knows no window; the
// main dialog and the console program both build on it.
#pragma once

#include <windows.h>

#include <functional>
#include <vector>

#include "enum/ModuleName.h"
#include "framework/String.h"

// Receives one process of a walk: the full path of its executable ("unknown" for a process
// that cannot be named) and its id.
using EntrySink = std::function<void(const char* path, DWORD id)>;
// Receives one module of a walk.
using ModuleSink = std::function<void(const ModuleEntry& module)>;
// Names module `module` of process `processId`, opened as `process`, as NameModule does: a front
// end that walks the same processes again and again may answer from what it learnt before.
using ModuleNamer = std::function<bool(DWORD processId, HANDLE process, HMODULE module, bool mapped, ModuleEntry& entry)>;

// How many entries a walk reads: as many as the dialog's fixed arrays hold (1024 process ids,
// 1024 module handles), or all there are.
enum class Capacity { Fixed, Whole };

// Whether a walk hands on the first entry that the back end delivers. The dialog's lists leave
// it out: the first module on the NT family is the process's executable, which the process list
// already shows, and the dialog's tool-help walks skip the first record of every snapshot.
enum class FirstEntry { Skip, List };

// How a module walk ended.
enum class ModuleWalk {
    Listed,        // the back end delivered the modules
    NotOpened,     // the process cannot be opened or snapshot: access is refused, or it ended
    NotListed,     // it was opened, but its module list could not be read
    Ended,         // the process is gone
    OtherBitness,  // a 64-bit process, whose modules a 32-bit program cannot read
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
// this; the dialog's fillers name theirs.
ModuleWalk WalkModules(const OSVERSIONINFOA& version, DWORD processId, FirstEntry first, const ModuleSink& sink,
                       Capacity capacity = Capacity::Fixed, const ModuleNamer* namer = nullptr);

// The ids of every process of the system, in the order EnumProcesses delivers them (at most
// 1024 with Capacity::Fixed). False, and no id, when EnumProcesses fails.
bool EnumProcessIds(std::vector<DWORD>& ids, Capacity capacity = Capacity::Fixed);
// Every process of the system with the full path of its executable, in the order EnumProcesses
// delivers them (at most 1024). False, and nothing handed on, when EnumProcesses fails.
bool WalkProcessesNt(const EntrySink& sink);
// Every process of a tool-help snapshot with its executable's path. False when no snapshot.
bool WalkProcessesToolhelp(FirstEntry first, const EntrySink& sink);

// The modules of one process (at most 1024 with Capacity::Fixed), each named by `namer` where
// one is given, else by NameModule; a module that no function names is left out.
ModuleWalk WalkModulesNt(DWORD processId, FirstEntry first, const ModuleSink& sink,
                         Capacity capacity = Capacity::Fixed, const ModuleNamer* namer = nullptr);
ModuleWalk WalkModulesToolhelp(DWORD processId, FirstEntry first, const ModuleSink& sink);
