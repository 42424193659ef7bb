// Whether the system's wide functions work: on the NT family they take paths of any length and
// text in every character; the Windows 95 family has only stubs of most of them. And the whole
// path of a module of this process, which the program names itself by.
#pragma once

#include <windows.h>

#include <string>

// Whether the system is of the NT family, whose wide functions work.
bool SystemHasWidePaths();

// The whole path of `module` of this process (null: the program's file); empty when the system
// cannot say.
std::wstring ModuleFileOf(HMODULE module);
