// Writing a file so that it is never left half written and never replaces a file unasked: the
// bytes go into a new file beside the target first, which then takes the target's place.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Handles.h"

using PfnMoveFileExA = BOOL(WINAPI*)(LPCSTR from, LPCSTR to, DWORD flags);

// kernel32's MoveFileExA, bound at first use; null where the system lacks it. The Windows 95
// family exports one that only answers ERROR_CALL_NOT_IMPLEMENTED.
PfnMoveFileExA BoundMoveFileEx();

// A new, empty file of a name that no file has in `folder` (the current folder when empty); its
// path in `path`. Holds nothing when the system refuses (GetLastError says why).
KernelHandle CreateUniqueFile(const std::string& folder, std::string& path);

// Puts the file `source` in the place of `target`; a file at `target` is replaced only when
// `replace` is set. Without a working `moveFileEx` the old file steps aside first and comes back
// when the new one cannot take its place. False, with GetLastError saying why, when `target`
// is as it was.
bool ReplaceFileWith(const char* target, const char* source, bool replace,
                     PfnMoveFileExA moveFileEx = BoundMoveFileEx());

// Writes `bytes` as the file `file`, through a new file in the same folder; an existing file is
// replaced only when `replace` is set. False, with the system's `error`, when nothing changed.
bool WriteNewFile(const std::string& file, const std::string& bytes, bool replace, DWORD& error,
                  PfnMoveFileExA moveFileEx = BoundMoveFileEx());

// Writes all of `bytes` to `handle`; false when the system refuses part of it (GetLastError says
// why).
bool WriteAll(HANDLE handle, const std::string& bytes);
