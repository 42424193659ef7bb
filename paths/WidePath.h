// Files named by whole paths. On the NT family the wide functions take them, of any length and
// with every character; on the Windows 95 family, which has only stubs of those, the ANSI
// functions do, and a path there comes from the ANSI code page anyway.
#pragma once

#include <windows.h>

#include <string>

#include "framework/WideFunctions.h"


// What a path is handed to: CreateDirectoryW takes a folder's path only below 248 characters
// (room for an 8.3 name in it), the other file functions any path below MAX_PATH. Exact: a file
// found in a folder, which must be opened as the file of that name whatever the name (com1.txt
// is a port otherwise), and so always in the full form.
enum class PathUse { File, NewFolder, Exact };

// `path` as the wide functions take it beyond their limit: a path whose full form reaches the
// limit of `use` goes in that full form ("/" as "\", "." and ".." resolved, relative to the
// current folder) with the "\\?\" prefix ("\\?\UNC\" for a share). A path that has the prefix, a
// device path and a path below the limit stay as they are.
std::wstring LongPathForm(const std::wstring& path, PathUse use = PathUse::File);
// `path` without a "\\?\" prefix: "\\?\C:\a" as "C:\a", "\\?\UNC\srv\share" as "\\srv\share".
std::wstring WithoutLongPrefix(const std::wstring& path);

// Whether the system may read `path` as a device: its last part is a device's name (CON, PRN,
// AUX, NUL, CLOCK$, CONIN$, CONOUT$, COM0-COM9, LPT0-LPT9, COM and LPT with a superscript 1, 2
// or 3), in any case, with any extension, with blanks before it or a colon after it: "com1.dll"
// and "NUL .tar.gz" name the port and the null device. A wider set than any system reads so.
bool NamesDevice(const std::wstring& path);

// The form of `path` that names that file and nothing else, for a module's file and its copies,
// which others named: on the NT family the full "\\?\" form (PathUse::Exact), in which a device's
// name is a file's; on the Windows 95 family, which has no such form, `path` itself. False, with
// ERROR_INVALID_NAME, where that family would open a device (NamesDevice): it must not be opened.
bool ExactPathOf(const std::wstring& path, std::wstring& exact);
// The same for an ANSI path as the ANSI functions take it, within MAX_PATH: the path as it is
// where the system reads it as that file; where it would read a device, the "\\?\" form of a full
// path on the NT family. False, with ERROR_INVALID_NAME, where no such form fits or exists.
bool ExactAnsiPathOf(const char* path, std::string& exact);

// The system's file functions for whole paths; each answers as its ANSI sibling does, with
// GetLastError set on failure. CreateFileOf's `flags` are its sibling's flags and attributes.
HANDLE CreateFileOf(const std::wstring& path, DWORD access, DWORD share, DWORD disposition,
                    DWORD flags = FILE_ATTRIBUTE_NORMAL);
DWORD AttributesOf(const std::wstring& path);
bool CopyFileOf(const std::wstring& from, const std::wstring& to, bool failIfExists);
bool CreateFolderOf(const std::wstring& path);
bool DeleteFileOf(const std::wstring& path);
bool MoveFileOf(const std::wstring& from, const std::wstring& to);
bool RemoveFolderOf(const std::wstring& path);

// Whether no file, folder or link bears the name `path`: the system finds none, and a new file
// can be made under it (and is removed again). Under Wine a link to nothing is no file for
// GetFileAttributesW (ERROR_FILE_NOT_FOUND) nor for FindFirstFileW, and a rename onto its name
// replaces it; only CreateFileW with CREATE_NEW finds it there (ERROR_FILE_EXISTS).
bool NameIsFree(const std::wstring& path);

// The full path of `path`, and its long form (8.3 names spelled out); `path` itself when the
// system cannot say.
std::wstring FullPathOf(const std::wstring& path);
std::wstring LongNameOf(const std::wstring& path);
// The full path of `path` with its last part taken as a file's name: FullPathOf reads a last
// part such as "com1.dll" as the port ("\\.\com1").
std::wstring FullPathOfName(const std::wstring& path);

// `text` in lower case, as the system lowers it.
std::wstring LowerCase(std::wstring text);
