// A process as a user names it, looked up in the process table.
#pragma once

#include <string>
#include <vector>

#include "enum/ProcessTable.h"

// Whether `name` names a process by its id: decimal digits only.
bool IsProcessId(const std::wstring& name);

// The processes that `name` names: by id (decimal digits); else by its program's file as
// ModulePattern takes a module: by file name, in any case, with or without ".exe", with * and ?;
// or, with a folder in it, by its path ("/" for "\", "\\?\", relative or with 8.3 names).
std::vector<ProcessRecord> MatchProcesses(const std::vector<ProcessRecord>& processes, const std::wstring& name);
