#include "export/ModuleCopy.h"

#include <cstring>

#include "paths/DisplayName.h"
#include "paths/WidePath.h"

namespace {

// The file functions for each kind of path: the ANSI ones for the dialog's paths, the
// whole-path ones for the console's.
DWORD AttributesAt(const std::string& path)
{
    return ::GetFileAttributesA(path.c_str());
}

DWORD AttributesAt(const std::wstring& path)
{
    return AttributesOf(path);
}

bool CopyUnlessThere(const std::string& from, const std::string& to)
{
    return ::CopyFileA(from.c_str(), to.c_str(), TRUE) != FALSE;
}

bool CopyUnlessThere(const std::wstring& from, const std::wstring& to)
{
    return CopyFileOf(from, to, true);
}

void Remove(const std::string& path)
{
    ::DeleteFileA(path.c_str());
}

void Remove(const std::wstring& path)
{
    DeleteFileOf(path);
}

// Copies `source` as `destination`, as CopyModuleFile promises.
template <class Char>
CopyOutcome CopyToNewFile(const std::basic_string<Char>& source, const std::basic_string<Char>& destination)
{
    // Asked before the copy: the system may refuse for another reason (a missing source) before
    // it looks at the destination, and a file that was there must survive that too. Only a
    // destination known to be absent counts as absent.
    bool existed = AttributesAt(destination) != INVALID_FILE_ATTRIBUTES ||
                   (::GetLastError() != ERROR_FILE_NOT_FOUND && ::GetLastError() != ERROR_PATH_NOT_FOUND);
    if (CopyUnlessThere(source, destination))
        return {CopyStatus::Copied, 0};
    DWORD error = ::GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        return {CopyStatus::AlreadyThere, error};
    // The copy may have created the file and stopped part way: what it wrote is no copy.
    if (!existed)
        Remove(destination);
    return {CopyStatus::Failed, error};
}

}  // namespace

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
    // A name such as "com1.dll" would copy the port, or onto it.
    std::string from, to;
    if (!ExactAnsiPathOf(source, from) || !ExactAnsiPathOf(destination, to))
        return {CopyStatus::Failed, ::GetLastError()};
    return CopyToNewFile(from, to);
}

CopyOutcome CopyModuleFile(const std::wstring& source, const std::wstring& folder)
{
    const std::wstring destination = PathInFolder(folder, DisplayNameOf(source));
    // The Windows 95 family takes no path of MAX_PATH characters or more.
    if (!SystemHasWidePaths() && destination.size() >= MAX_PATH)
        return {CopyStatus::TooLong, ERROR_FILENAME_EXCED_RANGE};
    std::wstring from, to;
    if (!ExactPathOf(source, from) || !ExactPathOf(destination, to))
        return {CopyStatus::Failed, ::GetLastError()};
    return CopyToNewFile(from, to);
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
