// Which processes have a module loaded: the console program's find, on the engine's walks.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/String.h"

struct ModuleHit {
    DWORD processId;
    CString processPath;  // the process's executable
    CString modulePath;
    CString version;  // as the module report states it
};

struct ModuleSearch {
    std::vector<ModuleHit> hits;  // by process, in the order the process table gives them
    int unreadable = 0;           // processes whose modules could not be read
};

// Whether `text` matches `pattern`, in which * stands for any characters and ? for one; case
// does not matter.
bool MatchesPattern(const std::string& pattern, const std::string& text);

// Every loaded module whose file name matches `pattern`, or whose full path does when the
// pattern names a folder too. False when the process table cannot be read.
bool FindModule(const OSVERSIONINFOA& version, const std::string& pattern, ModuleSearch& search);
