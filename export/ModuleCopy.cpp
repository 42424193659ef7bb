#include "export/ModuleCopy.h"

#include <windows.h>

#include <cstring>

#include "controls/DisplayName.h"

bool ComposeDestination(const char* folder, const char* source, char* destination)
{
    const char* name = source + FolderLength(source);
    size_t folderLength = std::strlen(folder);
    bool separator = folderLength > 0 && folder[folderLength - 1] != '\\' && folder[folderLength - 1] != '/';
    size_t total = folderLength + (separator ? 1 : 0) + std::strlen(name);
    if (total >= MAX_PATH)
        return false;
    std::memcpy(destination, folder, folderLength);
    if (separator)
        destination[folderLength] = '\\';
    std::strcpy(destination + folderLength + (separator ? 1 : 0), name);
    return true;
}

int CopyModuleFiles(CPathListBox& modules, const char* folder)
{
    int failures = 0;
    for (int i = 0; i < modules.GetCount(); ++i) {
        char source[MAX_PATH];
        char destination[MAX_PATH];
        if (modules.GetItemPath(i, source) < 0 || !ComposeDestination(folder, source, destination) ||
            !::CopyFileA(source, destination, TRUE))
            ++failures;
    }
    return failures;
}

CString CopyResultMessage(int failures, const char* processName, const char* folder)
{
    CString message;
    if (failures != 0)
        message.Format("%d of the Files used by %s couldn't be copied\n Check if %s doesn't already contain any of the files to be copied",
                       failures, processName, folder);
    else
        message.Format("All Modules used by %s copied in %s", processName, folder);
    return message;
}
