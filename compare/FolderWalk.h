// The files of a folder tree, each folder walked once however many links lead to it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct WalkedFile {
    std::wstring path;      // to open: in the full form that names this file and no device
    std::wstring relative;  // below the root, "\" between the folders
};

struct WalkFault {
    std::wstring path;  // the folder, as it was reached
    DWORD error;
};

// Every file under `root`, in its subfolders too, whose name `wanted` takes, each folder's
// entries in the order of their names. A folder already walked (reached again through a link or
// a junction, even one that points above it) is not walked again; a link or junction whose
// folder cannot be told apart from the others (the system cannot say) is not followed. A folder
// that cannot be listed goes to `faults`; the walk goes on. The walk keeps its folders in a list,
// not on the stack, so deep nesting ends like any other.
void WalkFolder(const std::wstring& root, bool (*wanted)(const std::wstring& name), std::vector<WalkedFile>& files,
                std::vector<WalkFault>& faults);
