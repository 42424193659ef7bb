// Copying the module files of a process into a folder, never overwriting a file.
#pragma once

#include "controls/PathListBox.h"
#include "framework/String.h"

// Composes folder + file name and extension of `source` into `destination` (MAX_PATH
// characters), with a backslash between unless the folder ends in one (or a slash). False, and
// the destination untouched, when the result would not fit.
bool ComposeDestination(const char* folder, const char* source, char* destination);

// Copies the file of every entry of `modules`, in list order, into `folder` under its own name,
// failing where a file of that name exists. Returns how many copies failed; an entry without a
// path, or whose destination would be too long, counts as failed.
int CopyModuleFiles(CPathListBox& modules, const char* folder);

// The message that ends a copy.
CString CopyResultMessage(int failures, const char* processName, const char* folder);
