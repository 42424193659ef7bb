// Naming a process's modules and executables on the NT family: whole paths from the wide
// functions beside the ANSI ones, the file that a process has really mapped, and bitness.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "framework/String.h"

// One module of a walk.
struct ModuleEntry {
    CString path;       // as the ANSI functions name it: what the dialog lists and the report writes
    std::wstring file;  // the whole path of the file that the process has mapped
    bool faithful;      // `path` names `file` for the ANSI functions: no character bent by the ANSI
                        // code page, shorter than MAX_PATH
    ULONG_PTR base;     // where the module lies in the process
};

// Names module `module` of `process`: its ANSI path as GetModuleFileNameExA gives it (MAX_PATH
// characters), and its whole path from the wide function where that is bound. With `mapped`,
// the path of the file mapped at the module's address wins where it differs: a 32-bit process
// on a 64-bit system names its system modules by the 64-bit system folder. False when neither
// function names the module.
bool NameModule(HANDLE process, HMODULE module, bool mapped, ModuleEntry& entry);

// The file mapped at `module` of `process`, as the kernel names it ("\Device\..."); empty when
// the system cannot say.
std::wstring MappedFileName(HANDLE process, HMODULE module);

// A module of a tool-help snapshot: the ANSI path is all there is, and it is the file's name.
ModuleEntry ToolhelpModule(const char* path, ULONG_PTR base);

// The DOS path ("C:\...", "\\server\share\...") of a path as the kernel names a mapped file
// ("\Device\HarddiskVolume2\...", "\??\C:\..."); empty when no drive maps it.
std::wstring DosPathOf(const std::wstring& kernelPath);

// Held by a listing: while one lives, DosPathOf asks the system for the drives' devices once and
// keeps them, as drives do not change meaningfully within a listing, though they may between
// two. Without one, each call asks afresh. Nested ones share the outermost's; one thread lists.
class DriveListing {
public:
    // A drive that has a device, and the device in lower case with a backslash after it ("C:" and
    // "\device\harddiskvolume1\").
    struct Drive {
        std::wstring letter, device;
    };

    DriveListing();
    // Where no listing is held yet, one whose drives are `drives`, asked of no system: for tests
    // of the paths on devices that another machine's drives have.
    explicit DriveListing(std::vector<Drive> drives);
    ~DriveListing();
    DriveListing(const DriveListing&) = delete;
    DriveListing& operator=(const DriveListing&) = delete;

    // Each drive that has a device, asked when first wanted.
    const std::vector<Drive>& Drives();

private:
    bool m_outer;
    bool m_asked = false;
    std::vector<Drive> m_drives;
};

// Whether the system is a 64-bit one, and the bitness of a process (32 or 64) opened with
// PROCESS_QUERY_INFORMATION; 0 when it cannot be told.
bool SystemIs64Bit();
int ProcessBits(HANDLE process);
// This program's bitness.
inline int OwnBits()
{
    return sizeof(void*) == 8 ? 64 : 32;
}
