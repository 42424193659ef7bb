// The main dialog's lists as the export commands read them: the report's entries, and the copy of
// every entry's file.
#pragma once

#include "controls/PathListBox.h"
#include "export/ModuleReport.h"
#include "framework/String.h"

// The visible text of the selected process; empty when none is selected, which happens only
// when the process list is empty.
CString SelectedProcessName(const CListBox& processes);

// The dialog's lists as the report reads them: the selected process, and the module list's
// entries. An entry whose path names no file of its own (none stored, or one that names another
// file) is named by the path it has, or as the list shows it.
class DialogLists : public ReportSource {
public:
    DialogLists(const CListBox& processes, CPathListBox& modules) : m_processes(processes), m_modules(modules) {}
    CString ProcessName() const override { return SelectedProcessName(m_processes); }
    int Count() const override { return m_modules.GetCount(); }
    ReportEntry Entry(int index) const override;

private:
    const CListBox& m_processes;
    CPathListBox& m_modules;
};

// Copies the file of every entry of `modules`, in list order, into `folder` under its own name,
// never overwriting a file. Returns how many copies failed; an entry without a path counts as
// failed.
int CopyModuleFiles(CPathListBox& modules, const char* folder);
