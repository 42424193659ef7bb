// A process named on the command line, looked up in the process table.
#pragma once

#include <string>
#include <vector>

#include "enum/ProcessTable.h"

// Whether `name` names a process by its id: decimal digits only.
bool IsProcessId(const std::wstring& name);

// The processes that `name` names: by id (decimal digits); by its program's file name, in any
// case, with or without ".exe", with * and ?; or, with a folder in it, by the full path.
std::vector<ProcessRecord> MatchProcesses(const std::vector<ProcessRecord>& processes, const std::wstring& name);
