// The versions that the listings state of module files, each file read once however many modules
// or processes name it: every process has the same system DLLs.
#pragma once

#include <vector>

#include "export/FileVersion.h"
#include "query/LoadedModule.h"

// The version of each module's file, in the modules' order.
std::vector<FileVersion> VersionsOf(const std::vector<ModuleEntry>& modules);
// The version of each hit's file, in the hits' order.
std::vector<FileVersion> VersionsOf(const std::vector<LoadedModule>& hits);
