#include "export/ModuleCopy.h"

#include <cstring>

#include "enum/DisplayName.h"
#include "framework/WidePath.h"

bool ComposeDestination(const char* folder, const char* source, char* destination)
{
    const std::string path = PathInFolder(std::string(folder), std::string(source + FolderLength(source)));
    if (path.size() >= MAX_PATH)
        return false;
    std::memcpy(destination, path.c_str(), path.size() + 1);
    return true;
}

CopyOutcome CopyModuleFile(const char* source, const char* folder)
{
    char destination[MAX_PATH];
    if (!ComposeDestination(folder, source, destination))
        return {CopyStatus::TooLong, ERROR_FILENAME_EXCED_RANGE};
    // Asked before the copy: the system may refuse for another reason (a missing source) before
    // it looks at the destination, and a file that was there must survive that too. Only a
    // destination known to be absent counts as absent.
    bool existed = ::GetFileAttributesA(destination) != INVALID_FILE_ATTRIBUTES ||
                   (::GetLastError() != ERROR_FILE_NOT_FOUND && ::GetLastError() != ERROR_PATH_NOT_FOUND);
    if (::CopyFileA(source, destination, TRUE))
        return {CopyStatus::Copied, 0};
    DWORD error = ::GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        return {CopyStatus::AlreadyThere, error};
    // The copy may have created the file and stopped part way: what it wrote is no copy.
    if (!existed)
        ::DeleteFileA(destination);
    return {CopyStatus::Failed, error};
}

CopyOutcome CopyModuleFile(const std::wstring& source, const std::wstring& folder)
{
    std::wstring destination = PathInFolder(folder, DisplayNameOf(source));
    // The Windows 95 family takes no path of MAX_PATH characters or more.
    if (!SystemHasWidePaths() && destination.size() >= MAX_PATH)
        return {CopyStatus::TooLong, ERROR_FILENAME_EXCED_RANGE};
    // As above: only a destination known to be absent counts as absent.
    bool existed = AttributesOf(destination) != INVALID_FILE_ATTRIBUTES ||
                   (::GetLastError() != ERROR_FILE_NOT_FOUND && ::GetLastError() != ERROR_PATH_NOT_FOUND);
    if (CopyFileOf(source, destination, true))
        return {CopyStatus::Copied, 0};
    DWORD error = ::GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        return {CopyStatus::AlreadyThere, error};
    if (!existed)
        DeleteFileOf(destination);
    return {CopyStatus::Failed, error};
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
