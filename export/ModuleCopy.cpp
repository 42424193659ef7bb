#include "export/ModuleCopy.h"

#include <cstring>
#include <vector>

#include "export/FileReplace.h"
#include "framework/Handles.h"
#include "paths/DisplayName.h"
#include "paths/WidePath.h"

namespace {

// Copies `source` as `destination` through the ANSI functions, as the dialog's copy promises.
CopyOutcome CopyToNewFile(const std::string& source, const std::string& destination)
{
    // Asked before the copy: the system may refuse for another reason (a missing source) before
    // it looks at the destination, and a file that was there must survive that too. Only a
    // destination known to be absent counts as absent.
    bool existed = ::GetFileAttributesA(destination.c_str()) != INVALID_FILE_ATTRIBUTES ||
                   (::GetLastError() != ERROR_FILE_NOT_FOUND && ::GetLastError() != ERROR_PATH_NOT_FOUND);
    if (::CopyFileA(source.c_str(), destination.c_str(), TRUE))
        return {CopyStatus::Copied, 0};
    DWORD error = ::GetLastError();
    if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
        return {CopyStatus::AlreadyThere, error};
    // The copy may have created the file and stopped part way: what it wrote is no copy.
    if (!existed)
        ::DeleteFileA(destination.c_str());
    return {CopyStatus::Failed, error};
}

// Whether the files `a` and `b` hold the same bytes: Same, Different, or Unreadable when `a`
// cannot be read (`error` says why). A `b` that cannot be read as a file differs.
enum class Sameness { Same, Different, Unreadable };
Sameness Compare(const std::wstring& a, const std::wstring& b, DWORD& error)
{
    KernelHandle first(CreateFileOf(a, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    if (!first) {
        error = ::GetLastError();
        return Sameness::Unreadable;
    }
    KernelHandle second(CreateFileOf(b, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_EXISTING));
    DWORD highA = 0, highB = 0;
    if (!second || ::GetFileSize(first.Get(), &highA) != ::GetFileSize(second.Get(), &highB) || highA != highB)
        return Sameness::Different;
    std::vector<char> left(64 * 1024), right(left.size());
    for (;;) {
        DWORD readA = 0, readB = 0;
        if (!::ReadFile(first.Get(), left.data(), static_cast<DWORD>(left.size()), &readA, nullptr)) {
            error = ::GetLastError();
            return Sameness::Unreadable;
        }
        if (!::ReadFile(second.Get(), right.data(), static_cast<DWORD>(right.size()), &readB, nullptr) ||
            readA != readB || std::memcmp(left.data(), right.data(), readA) != 0)
            return Sameness::Different;
        if (readA == 0)
            return Sameness::Same;
    }
}

// What a file already in the place of `destination` is to the module at `source`.
CopyOutcome AlreadyThere(const std::wstring& source, const std::wstring& destination)
{
    DWORD error = 0;
    switch (Compare(source, destination, error)) {
    case Sameness::Same: return {CopyStatus::AlreadyThere, ERROR_FILE_EXISTS};
    case Sameness::Different: return {CopyStatus::Different, ERROR_FILE_EXISTS};
    default: return {CopyStatus::Failed, error};
    }
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
    std::wstring from, to, temporary;
    if (!ExactPathOf(source, from) || !ExactPathOf(destination, to))
        return {CopyStatus::Failed, ::GetLastError()};
    if (!NameIsFree(to))
        return AlreadyThere(from, to);
    if (!CreateUniqueFile(to.substr(0, FolderLength(to)), temporary))
        return {CopyStatus::Failed, ::GetLastError()};
    std::wstring aside;
    if (CopyFileOf(from, temporary, false) && ReplaceFileWith(to, temporary, false, aside))
        return {CopyStatus::Copied, 0};
    const DWORD error = ::GetLastError();
    DeleteFileOf(temporary);
    // Another file may have taken the name meanwhile.
    if (!NameIsFree(to))
        return AlreadyThere(from, to);
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
