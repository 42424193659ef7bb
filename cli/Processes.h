// The processes and modules as the console program sees them: the engine's walks collected
// into lists, and a process named on the command line looked up among them.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "enum/ProcessWalk.h"
#include "framework/String.h"

struct ProcessInfo {
    DWORD id;
    CString path;  // "unknown" when the process cannot be named
};

// Every process: on the NT family as EnumProcesses delivers them, elsewhere every entry of the
// tool-help snapshot; ordered by id. False when the process table cannot be read.
bool ListProcesses(const OSVERSIONINFOA& version, std::vector<ProcessInfo>& processes);

// Whether `name` names a process by its id: decimal digits only.
bool IsProcessId(const std::string& name);

// A process named by its id (decimal digits) or its program's file name, in any case. The
// processes that fit; several only for a name.
std::vector<ProcessInfo> MatchProcesses(const std::vector<ProcessInfo>& processes, const std::string& name);

// Every module of a process, its executable first on the NT family.
ModuleWalk ListModules(const OSVERSIONINFOA& version, DWORD processId, std::vector<CString>& paths);
// The modules that the dialog's module list shows: without the first one the back end
// delivers, in the order it delivers them.
ModuleWalk ListDialogModules(const OSVERSIONINFOA& version, DWORD processId, std::vector<CString>& paths);
