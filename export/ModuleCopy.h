// Copying module files into a folder, never overwriting a file.
#pragma once

#include <windows.h>

#include <string>

#include "framework/String.h"

// Composes folder + file name and extension of `source` into `destination` (MAX_PATH
// characters), as PathInFolder joins them. False, and the destination untouched, when the
// result would not fit.
bool ComposeDestination(const char* folder, const char* source, char* destination);

// How the copy of one module file ended.
enum class CopyStatus {
    Copied,
    AlreadyThere,  // a file of that name is in the folder (a whole path's copy: with the module's
                   // very bytes); it stays as it was
    Different,     // a file of that name, of another size or other bytes, is in the folder; it
                   // stays as it was
    TooLong,       // folder and file name together would not fit a path
    Failed,        // the system refused (`error` says why); nothing of this copy stays behind
};

struct CopyOutcome {
    CopyStatus status;
    DWORD error;  // the system's error code; 0 for a copy made
};

// Copies the file at `source` into `folder` under its own name and extension, failing where a
// file of that name exists. A copy that fails for any other reason (a full disk, say) removes
// the file it created, so that no truncated copy passes for a real one; a file that was there
// before is never touched. Paths that name a device are given in the form that names the file
// (ExactAnsiPathOf), or not copied (ERROR_INVALID_NAME).
CopyOutcome CopyModuleFile(const char* source, const char* folder);

// The same for a whole path into a folder named by a whole path, through the wide functions
// on the NT family (no length is too long there), each file in the form that names it
// (ExactPathOf). The copy is made under a name of its own in the folder and takes the module's
// name only when whole, never replacing a file: a copy cut short (the program ended, the power
// lost) never bears the module's name. A file of that name already there is AlreadyThere only
// with the module's size and bytes, Different otherwise.
CopyOutcome CopyModuleFile(const std::wstring& source, const std::wstring& folder);

// The message that ends a copy.
CString CopyResultMessage(int failures, const char* processName, const char* folder);
