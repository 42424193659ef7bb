// The record behind every list entry: the entry's full path and a 32-bit id.
#pragma once

#include <windows.h>

struct PathItem {
    char* path;     // heap copy (_strdup), released with free; null when the copy failed
    DWORD id;       // process id for a process entry, 0 for a module entry
    bool faithful;  // the path names the entry's file: no character bent by the ANSI code page
};
