#include "enum/DisplayName.h"

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
