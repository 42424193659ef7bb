// A kit: the module files of a process copied into a folder, with a manifest beside them that
// says what the process had loaded and what became of each file.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "enum/ModuleName.h"
#include "export/ModuleCopy.h"
#include "paths/WidePath.h"

// What a file of our own, created in a folder and removed again, tells of it: the one sure
// test that files can be created there.
struct FolderProbe {
    bool writable;
    DWORD error;         // why the folder refused the probe, or why the probe stays
    std::wstring stray;  // the probe's path when it could not be removed; empty when it is gone
};

// Removes a file: DeleteFileOf.
using FileRemover = bool (*)(const std::wstring& path);

// Probes `folder`, removing the probe by `remove`.
FolderProbe ProbeFolder(const std::wstring& folder, FileRemover remove = DeleteFileOf);

// The names of the manifest's two files in a kit's folder: the process's report and the list of
// what was copied.
struct KitNames {
    std::wstring report;
    std::wstring list;
};

// The first of "QuendrixKit", "QuendrixKit-2", "QuendrixKit-3", ... whose ".report.txt" and
// ".copied.csv" are neither the file name of one of `modules` (in any case) nor a name in
// `folder` (NameIsFree): a manifest never takes a module's place, nor an earlier kit's. False when the
// folder holds every name up to a limit.
bool ChooseKitNames(const std::wstring& folder, const std::vector<ModuleEntry>& modules, KitNames& names);
// The report's name of a folder's first kit, "QuendrixKit.report.txt": the kit that stands for
// its folder when reports are read back.
std::wstring FirstKitReportName();

// What became of one module of a kit.
enum class KitOutcome {
    Copied,
    AlreadyThere,  // the module's copy is in the folder: a file of that name, size and bytes
    SystemFile,    // left out: it lives in the Windows or a system folder
    Unreadable,    // the module's file cannot be read (`copy.error` says why)
    NotCopied,     // the copy failed otherwise (`copy` says why: CopyStatus::Different where
                   // another file of that name is in the folder)
};

struct KitEntry {
    KitOutcome outcome;
    CopyOutcome copy;  // the copy's own outcome; error 0 where none was tried
};

// Copies `module` into `folder` from its whole path, as CopyModuleFile does; with
// `leaveOutSystem`, a module in the Windows or a system folder is left out. A module named as
// the folder's `stray` probe is not copied: the probe is no copy of it.
KitEntry CopyIntoKit(const ModuleEntry& module, const std::wstring& folder, bool leaveOutSystem,
                     const std::wstring& stray = std::wstring());
