// The process table as a front end without the dialog's fixed arrays reads it: every process,
// named by the whole path of its executable whatever its bitness, and every process with its
// modules.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "enum/ProcessWalk.h"

struct ProcessRecord {
    DWORD id;
    std::wstring path;  // the executable's whole path; empty when the process cannot be named
    int bits;           // 32 or 64; 0 when it cannot be told
};

// Every process of the system, through the back end that `version` asks for. False when the
// process table cannot be read.
bool ReadProcessTable(const OSVERSIONINFOA& version, std::vector<ProcessRecord>& processes);

// The path that the dialog's process list gives `process`: the ANSI name of its first module on
// the NT family ("unknown" when that cannot be read), the snapshot's name elsewhere.
CString ListedProcessPath(const OSVERSIONINFOA& version, const ProcessRecord& process);

// One process with its modules, its executable first on the NT family where it can be named.
struct ProcessModules {
    ProcessRecord process;
    ModuleWalk walk;
    std::vector<ModuleEntry> modules;
};
// Every process with all its modules, each handed to `sink` once its modules are read, named by
// `namer` where one is given. False when the process table cannot be read.
bool WalkEveryProcess(const OSVERSIONINFOA& version, const std::function<void(const ProcessModules&)>& sink,
                      const ModuleNamer* namer = nullptr);

// A process whose modules could not be read, and why.
struct UnreadProcess {
    ProcessRecord process;
    ModuleWalk walk;
};

// Whether the process `id` runs now: a walk that could not read a process asks, so that one
// that ended meanwhile counts as gone, not as unread.
bool ProcessRuns(DWORD id);
