// Where the console program may write: a folder to copy into (or to make), and a file to write.
// Both are asked before anything is read, as the process table takes a while.
#pragma once

#include <string>

// What a folder named to copy into is.
enum class FolderUse {
    Existing,   // a folder
    Missing,    // no such folder, but the folder to make it in exists: only it is made
    TooLong,    // longer than the Windows 95 family takes, with room for a file name
    File,       // a file, not a folder
    Nowhere,    // neither it nor the folder to make it in exists
    BadName,    // its name ends in a blank or a dot, which the system drops from a name it makes
                // but not from a folder in a path: it would be made as another folder
};
FolderUse FolderUseOf(const std::wstring& folder);

// What a file named to write is.
enum class FileUse {
    Missing,   // no such file: it is made
    Existing,  // a file (or a link to nothing, which bears the name), replaced only when asked
    TooLong,   // 260 characters or more, which the Windows 95 family does not take
    Folder,    // a folder
};
FileUse FileUseOf(const std::wstring& file);
