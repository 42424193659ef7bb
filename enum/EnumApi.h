// Entry points of the enumeration back ends, bound by name at run time so that the program
// starts on platforms that lack one of the libraries. Each is null until bound.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

#include "framework/String.h"

// Process-status library ("psapi.dll"), the back end of the NT family.
using PfnEnumProcesses = BOOL(WINAPI*)(DWORD* ids, DWORD bytes, DWORD* bytesReturned);
using PfnEnumProcessModules = BOOL(WINAPI*)(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* bytesNeeded);
using PfnGetModuleFileNameExA = DWORD(WINAPI*)(HANDLE process, HMODULE module, LPSTR name, DWORD size);

extern PfnEnumProcessModules pfnEnumProcessModules;
extern PfnEnumProcesses pfnEnumProcesses;
extern PfnGetModuleFileNameExA pfnGetModuleFileNameExA;

// Bound by the 64-bit program only, and only where psapi.dll has it: from a 64-bit process,
// EnumProcessModules reaches just the 64-bit modules of a 32-bit process, this one all of them.
using PfnEnumProcessModulesEx = BOOL(WINAPI*)(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* bytesNeeded,
                                              DWORD filter);
extern PfnEnumProcessModulesEx pfnEnumProcessModulesEx;

// Whole names, bound on the NT family where the system has them: a module's path of any length
// and in every character (psapi.dll, NT 4.0 on), the file a process has mapped at an address
// and a process's executable as the kernel names it (psapi.dll, XP on), whether a process runs
// as a 32-bit process on a 64-bit system (kernel32.dll, XP SP2 on), and a process's executable
// read without opening it for its memory (kernel32.dll, Vista on).
using PfnGetModuleFileNameExW = DWORD(WINAPI*)(HANDLE process, HMODULE module, LPWSTR name, DWORD size);
using PfnGetMappedFileNameW = DWORD(WINAPI*)(HANDLE process, LPVOID address, LPWSTR name, DWORD size);
using PfnGetProcessImageFileNameW = DWORD(WINAPI*)(HANDLE process, LPWSTR name, DWORD size);
using PfnIsWow64Process = BOOL(WINAPI*)(HANDLE process, PBOOL wow64);
using PfnQueryFullProcessImageNameW = BOOL(WINAPI*)(HANDLE process, DWORD flags, LPWSTR name, PDWORD size);

extern PfnGetModuleFileNameExW pfnGetModuleFileNameExW;
extern PfnGetMappedFileNameW pfnGetMappedFileNameW;
extern PfnGetProcessImageFileNameW pfnGetProcessImageFileNameW;
extern PfnIsWow64Process pfnIsWow64Process;
extern PfnQueryFullProcessImageNameW pfnQueryFullProcessImageNameW;

// Tool-help snapshot functions of "kernel32.dll", the back end of every other platform.
using PfnCreateToolhelp32Snapshot = HANDLE(WINAPI*)(DWORD flags, DWORD processId);
using PfnProcess32First = BOOL(WINAPI*)(HANDLE snapshot, PROCESSENTRY32* entry);
using PfnProcess32Next = BOOL(WINAPI*)(HANDLE snapshot, PROCESSENTRY32* entry);
using PfnModule32First = BOOL(WINAPI*)(HANDLE snapshot, MODULEENTRY32* entry);
using PfnModule32Next = BOOL(WINAPI*)(HANDLE snapshot, MODULEENTRY32* entry);

extern PfnCreateToolhelp32Snapshot pfnCreateToolhelp32Snapshot;
extern PfnProcess32First pfnProcess32First;
extern PfnProcess32Next pfnProcess32Next;
extern PfnModule32First pfnModule32First;
extern PfnModule32Next pfnModule32Next;

// Loads the back end's library and binds its entry points in their lookup order; the library is
// never released. Returns the library handle, null when it could not be loaded.
HMODULE BindNtBackend();
HMODULE BindToolhelpBackend();

// Whether the entry points that the process listing of each back end calls are all bound.
bool NtBackendBound();
bool ToolhelpBackendBound();

// Fills `modules` with the handles of every module of `process`, its executable first:
// through EnumProcessModulesEx, asking for the modules of both bitnesses, where that is bound,
// else through EnumProcessModules. False when the listing fails.
BOOL EnumEveryProcessModule(HANDLE process, HMODULE* modules, DWORD bytes, DWORD* bytesNeeded);

// What names a process whose executable cannot be read.
extern const char kUnknownPath[];

// The full path of a process's executable (its first module), or "unknown" when the process
// cannot be opened or its first module cannot be read.
CString GetProcessImagePath(DWORD processId);
