// Writing a file so that it is never left half written and never replaces a file unasked: the
// bytes go into a new file beside the target first, which then takes the target's place. Paths
// are whole paths (see framework/WidePath.h).
#pragma once

#include <windows.h>

#include <string>

#include "framework/Handles.h"

// Moves a file over another in one step: MoveFileExW.
using FileMover = BOOL(WINAPI*)(LPCWSTR from, LPCWSTR to, DWORD flags);

// MoveFileExW on the NT family; null elsewhere, where the system lacks a working one.
FileMover BoundMoveFileEx();

// A new, empty file of a name that no file has in `folder` (the current folder when empty); its
// path in `path`. Holds nothing when the system refuses (GetLastError says why).
KernelHandle CreateUniqueFile(const std::wstring& folder, std::wstring& path);

// Puts the file `source` in the place of `target`; a file at `target` is replaced only when
// `replace` is set. Without a working `mover` the old file steps aside first and comes back
// when the new one cannot take its place. False, with GetLastError saying why, when `target`
// is as it was.
bool ReplaceFileWith(const std::wstring& target, const std::wstring& source, bool replace,
                     FileMover mover = BoundMoveFileEx());

// Writes `bytes` as the file `file`, through a new file in the same folder; an existing file is
// replaced only when `replace` is set. False, with the system's `error`, when nothing changed.
bool WriteNewFile(const std::wstring& file, const std::string& bytes, bool replace, DWORD& error,
                  FileMover mover = BoundMoveFileEx());

// Writes all of `bytes` to `handle`; false when the system refuses part of it (GetLastError says
// why).
bool WriteAll(HANDLE handle, const std::string& bytes);
