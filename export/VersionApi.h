// The version-information functions of "version.dll", bound at run time from the system
// directory: a library of that name is not pinned to the system's folder on every system the
// program runs on, and one left beside the program must never be loaded.
#pragma once

#include <windows.h>

using PfnGetFileVersionInfoSizeA = DWORD(WINAPI*)(LPCSTR path, LPDWORD handle);
using PfnGetFileVersionInfoA = BOOL(WINAPI*)(LPCSTR path, DWORD handle, DWORD size, LPVOID data);
using PfnVerQueryValueA = BOOL(WINAPI*)(LPCVOID block, LPCSTR subBlock, LPVOID* value, PUINT length);

extern PfnGetFileVersionInfoSizeA pfnGetFileVersionInfoSizeA;
extern PfnGetFileVersionInfoA pfnGetFileVersionInfoA;
extern PfnVerQueryValueA pfnVerQueryValueA;

// The wide functions, which the NT family has: they read a file by its whole path and give each
// text in every character.
using PfnGetFileVersionInfoSizeW = DWORD(WINAPI*)(LPCWSTR path, LPDWORD handle);
using PfnGetFileVersionInfoW = BOOL(WINAPI*)(LPCWSTR path, DWORD handle, DWORD size, LPVOID data);
using PfnVerQueryValueW = BOOL(WINAPI*)(LPCVOID block, LPCWSTR subBlock, LPVOID* value, PUINT length);

extern PfnGetFileVersionInfoSizeW pfnGetFileVersionInfoSizeW;
extern PfnGetFileVersionInfoW pfnGetFileVersionInfoW;
extern PfnVerQueryValueW pfnVerQueryValueW;

// Loads the system's version.dll and binds the three functions; the library stays loaded.
// Called first thing at start-up, so that every later load of "version.dll" by name, the
// system's own included, finds this one. Binding again changes nothing. False when a function
// is missing: versions then read as absent.
bool BindVersionFunctions();
// Binds the three wide functions from the same library; false where the system lacks them.
bool BindWideVersionFunctions();
