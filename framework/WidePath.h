// Files named by whole paths. On the NT family the wide functions take them, of any length and
// with every character; on the Windows 95 family, which has only stubs of those, the ANSI
// functions do, and a path there comes from the ANSI code page anyway.
#pragma once

#include <windows.h>

#include <string>

// Whether the system's wide file functions work: the NT family.
bool SystemHasWidePaths();

// `path` as the wide functions take it beyond MAX_PATH characters: a full path of that length
// gets the "\\?\" prefix ("\\?\UNC\" for a share); anything else stays as it is.
std::wstring LongPathForm(const std::wstring& path);

// The system's file functions for whole paths; each answers as its ANSI sibling does, with
// GetLastError set on failure.
HANDLE CreateFileOf(const std::wstring& path, DWORD access, DWORD share, DWORD disposition);
DWORD AttributesOf(const std::wstring& path);
bool CopyFileOf(const std::wstring& from, const std::wstring& to, bool failIfExists);
bool CreateFolderOf(const std::wstring& path);
bool DeleteFileOf(const std::wstring& path);
bool MoveFileOf(const std::wstring& from, const std::wstring& to);

// The full path of `path`, and its long form (8.3 names spelled out); `path` itself when the
// system cannot say.
std::wstring FullPathOf(const std::wstring& path);
std::wstring LongNameOf(const std::wstring& path);

// `text` in lower case, as the system lowers it.
std::wstring LowerCase(std::wstring text);
