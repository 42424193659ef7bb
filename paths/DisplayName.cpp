#include "paths/DisplayName.h"

#include <windows.h>

int FolderLength(const char* path)
{
    // The folder ends at the last backslash or slash, or after a drive's colon. Multi-byte code
    // pages may use 0x5C as a trail byte, so step by characters, not bytes.
    int length = 0;
    if (path[0] && path[1] == ':')
        length = 2;
    for (const char* p = path; *p; p = ::CharNextA(p)) {
        if (*p == '\\' || *p == '/')
            length = static_cast<int>(p - path) + 1;
    }
    return length;
}

CString DisplayNameOf(const char* path)
{
    return CString(path + FolderLength(path));
}

size_t FolderLength(const std::wstring& path)
{
    size_t separator = path.find_last_of(L"\\/");
    if (separator != std::wstring::npos)
        return separator + 1;
    return path.size() >= 2 && path[1] == L':' ? 2 : 0;
}

std::wstring DisplayNameOf(const std::wstring& path)
{
    return path.substr(FolderLength(path));
}

namespace {

size_t FolderLengthOf(const std::string& path)
{
    return static_cast<size_t>(FolderLength(path.c_str()));
}

size_t FolderLengthOf(const std::wstring& path)
{
    return FolderLength(path);
}

// "C:" stays as it is: a drive's current folder, not its root. The folder part is measured as
// FolderLength measures it, which steps over a 0x5C trail byte of a multi-byte code page.
template <class Char>
std::basic_string<Char> JoinedPath(const std::basic_string<Char>& folder, const std::basic_string<Char>& name)
{
    std::basic_string<Char> path = folder;
    if (FolderLengthOf(folder) != folder.size())
        path += Char('\\');
    return path + name;
}

}  // namespace

std::string PathInFolder(const std::string& folder, const std::string& name)
{
    return JoinedPath(folder, name);
}

std::wstring PathInFolder(const std::wstring& folder, const std::wstring& name)
{
    return JoinedPath(folder, name);
}
