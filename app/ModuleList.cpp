#include "app/ModuleList.h"

#include "export/ModuleCopy.h"

CString SelectedProcessName(const CListBox& processes)
{
    CString name;
    int selected = processes.GetCurSel();
    if (selected != LB_ERR)
        processes.GetText(selected, name);
    return name;
}

ReportEntry DialogLists::Entry(int index) const
{
    char path[MAX_PATH];
    if (m_modules.GetItemPath(index, path) >= 0)
        return {path, true};
    // Named as the list has it: by its full path where it has one, else as it shows it.
    CString name;
    m_modules.GetText(index, name);
    m_modules.GetItemText(index, name);
    return {name, false};
}

int CopyModuleFiles(CPathListBox& modules, const char* folder)
{
    int failures = 0;
    for (int i = 0; i < modules.GetCount(); ++i) {
        char source[MAX_PATH];
        if (modules.GetItemPath(i, source) < 0 || CopyModuleFile(source, folder).status != CopyStatus::Copied)
            ++failures;
    }
    return failures;
}
