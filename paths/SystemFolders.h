// Where the system keeps its own files: the Windows folder and the system folders, as the system
// itself names them; and the one way in which a path is held against a folder.
#pragma once

#include <string>

// A folder as paths are held against it: its long form, in lower case, ending in a backslash;
// empty for an empty folder (one that the system does not name).
std::wstring FolderKey(const std::wstring& folder);
// Whether `lowered` (a path in lower case) lies in `folder` (a FolderKey) or in a folder below it;
// and whether it lies in `folder` itself. Never for an empty key.
bool IsUnder(const std::wstring& lowered, const std::wstring& folder);
bool IsDirectlyIn(const std::wstring& lowered, const std::wstring& folder);

// The system's own folders, each a FolderKey.
struct SystemFolders {
    std::wstring windows;     // the Windows folder (on a terminal server the shared one)
    std::wstring system;      // System32; System on the Windows 95 family
    std::wstring wow64;       // SysWOW64, the system folder of a 64-bit system's 32-bit processes;
                              // empty on a 32-bit system
    std::wstring sideBySide;  // the side-by-side store, WinSxS
};
// This system's, asked at the first call and kept for the run.
const SystemFolders& TheSystemFolders();

// Whether a file lives where the system keeps its own: directly in the Windows folder, or anywhere
// under the system folder, System32, SysWOW64, System or the side-by-side store.
bool InSystemFolder(const std::wstring& path);
// The same rule for `lowered`, a path in lower case, against `folders`.
bool InSystemFolder(const std::wstring& lowered, const SystemFolders& folders);
