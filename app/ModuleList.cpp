#include "app/ModuleList.h"

#include "export/ModuleCopy.h"
#include "export/ModuleReport.h"

CString ModuleReportLine(CPathListBox& modules, int index)
{
    char path[MAX_PATH];
    if (modules.GetItemPath(index, path) >= 0)
        return ComposeModuleLine(path);
    // Named as the list has it: by its full path where it has one, else as it shows it.
    CString name;
    modules.GetText(index, name);
    modules.GetItemText(index, name);
    return ComposeModuleLine(name, false);
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
