// Where the system keeps its own files: the Windows folder and the system folders, as the system
// itself names them.
#pragma once

#include <string>

// Whether a file lives where the system keeps its own: directly in the Windows folder, or
// anywhere under the system folder, System32, SysWOW64, System or the side-by-side store WinSxS.
bool InSystemFolder(const std::wstring& path);
