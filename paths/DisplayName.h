// Splitting a full path the way the lists show it.
#pragma once

#include <string>

#include "framework/String.h"

// The file name and extension of a path: what follows its drive and last folder separator.
// "C:\WINDOWS\SYSTEM\KERNEL32.DLL" gives "KERNEL32.DLL"; a text without folder stays as it is.
CString DisplayNameOf(const char* path);

// The length of the drive-and-folder part of a path, so that path + FolderLength(path) is the
// file name and extension.
int FolderLength(const char* path);

// The same for a whole path in UTF-16.
std::wstring DisplayNameOf(const std::wstring& path);
size_t FolderLength(const std::wstring& path);

// The path of the file `name` in `folder`: a backslash between, unless the folder is empty or
// already ends where a name begins (after a backslash, a slash or a drive's colon).
std::string PathInFolder(const std::string& folder, const std::string& name);
std::wstring PathInFolder(const std::wstring& folder, const std::wstring& name);
