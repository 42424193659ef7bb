// The main dialog's module list as the export commands read it: each entry's report line, and
// the copy of every entry's file.
#pragma once

#include "controls/PathListBox.h"
#include "framework/String.h"

// The report line of module entry `index`. An entry whose path names no file of its own (none
// stored, or one that names another file) is named by the path it has, or as the list shows
// it, with an unknown version, and no file is read for it.
CString ModuleReportLine(CPathListBox& modules, int index);

// Copies the file of every entry of `modules`, in list order, into `folder` under its own name,
// never overwriting a file. Returns how many copies failed; an entry without a path counts as
// failed.
int CopyModuleFiles(CPathListBox& modules, const char* folder);
