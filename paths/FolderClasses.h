// The folders of each class that the rules on loaded modules name: the program folders, the data
// folders that lists of expected locations use, and the folders that anyone can drop a file into.
#pragma once

#include <string>

#include "paths/SystemFolders.h"

// Each a FolderKey; empty where the system names no such folder.
struct FolderClasses {
    std::wstring programFiles;     // Program Files (the 64-bit one on a 64-bit system)
    std::wstring programFilesX86;  // Program Files (x86), on a 64-bit system only
    std::wstring programData;      // the data of all users' programs (ProgramData)
    std::wstring appData;          // the user's roaming program data
    std::wstring localAppData;     // the user's local program data
    // Folders that anyone (a browser, a mail, any user of the machine) may drop a file into
    std::wstring userTemp;      // the user's temporary folder
    std::wstring systemTemp;    // the system's temporary folder
    std::wstring downloads;     // the user's Downloads
    std::wstring publicFolder;  // the public profile, shared by every user
};
// This system's, for the user that runs the program: asked of the system each time.
FolderClasses ReadFolderClasses(const SystemFolders& system);

// The class of the folder that anyone can drop into where a path lies.
enum class DropFolder { None, UserTemp, SystemTemp, Downloads, Public, RecycleBin };
// Where `lowered` (a path in lower case) lies: one of `classes`' drop folders, or a recycle bin
// of any drive ("\$Recycle.Bin", "\RECYCLER", "\RECYCLED" at a drive's root).
DropFolder DropFolderOf(const std::wstring& lowered, const FolderClasses& classes);
// Whether `lowered` lies in one of the program folders.
bool InProgramFolder(const std::wstring& lowered, const FolderClasses& classes);
