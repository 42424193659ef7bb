// The entries of a folder named by a whole path, and what tells one folder from another: the
// wide functions on the NT family, the ANSI ones on the Windows 95 family, as for files.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct FolderEntry {
    std::wstring name;
    DWORD attributes;
};

// The entries of `folder` but "." and "..", in the order the system gives them; false, with
// GetLastError set, when the folder cannot be listed.
bool ListFolderOf(const std::wstring& folder, std::vector<FolderEntry>& entries);

// A folder's volume and its index there: the same for every path that reaches it (a link, a
// junction, a short name).
struct FolderIdentity {
    DWORD volume, high, low;
    bool operator<(const FolderIdentity& o) const
    {
        return volume != o.volume ? volume < o.volume : high != o.high ? high < o.high : low < o.low;
    }
};
// False where the system cannot say: the Windows 95 family opens no folder (and has no links),
// and some shares give every folder the index 0.
bool FolderIdentityOf(const std::wstring& folder, FolderIdentity& identity);
