// Writing a file so that it is never left half written and never replaces a file unasked: the
// bytes go into a new file beside the target first, which then takes the target's place. Paths
// are whole paths (see paths/WidePath.h).
#pragma once

#include <windows.h>

#include <string>

#include "framework/Handles.h"
#include "paths/WidePath.h"

// Moves a file over another in one step: MoveFileExW.
using FileMover = BOOL(WINAPI*)(LPCWSTR from, LPCWSTR to, DWORD flags);

// MoveFileExW on the NT family; null elsewhere, where the system lacks a working one.
FileMover BoundMoveFileEx();

// A new, empty file of a name that no file has in `folder` (the current folder when empty); its
// path in `path`. Holds nothing when the system refuses (GetLastError says why).
KernelHandle CreateUniqueFile(const std::wstring& folder, std::wstring& path);

// Renames a file whose new name no file has: MoveFileOf.
using FileStep = bool (*)(const std::wstring& from, const std::wstring& to);

// Puts the file `source` in the place of `target`; a file at `target` (or a link, see
// NameIsFree) is replaced only when `replace` is set. Without a working `mover` the files are renamed by `step`: the old file
// steps aside first and comes back when the new one cannot take its place. False, with
// GetLastError saying why, when the new file did not take the place: `target` is then as it
// was, unless the old file could not come back either; `aside` then names the file that holds
// it. `aside` is empty otherwise.
bool ReplaceFileWith(const std::wstring& target, const std::wstring& source, bool replace, std::wstring& aside,
                     FileMover mover = BoundMoveFileEx(), FileStep step = MoveFileOf);

// Why a file was not written.
struct WriteFailure {
    DWORD error = 0;     // the system's reason
    std::wstring aside;  // where the old file is when it could not come back to its name; else empty
};

// Writes `bytes` as the file `file`, through a new file in the same folder; an existing file is
// replaced only when `replace` is set. False, with `failure` saying why, when the new bytes did
// not take the file's place; the old file is then as it was, or in `failure.aside`.
bool WriteNewFile(const std::wstring& file, const std::string& bytes, bool replace, WriteFailure& failure,
                  FileMover mover = BoundMoveFileEx(), FileStep step = MoveFileOf);

// Writes all of `bytes` to `handle`; false when the system refuses part of it (GetLastError says
// why).
bool WriteAll(HANDLE handle, const std::string& bytes);
