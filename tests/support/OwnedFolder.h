// A folder of a test's own, fresh at the start and removed with all it holds at the end.
#pragma once

#include <windows.h>

#include <string>

#include "support/FileDialogSupport.h"

namespace testing {

class OwnedFolder {
public:
    explicit OwnedFolder(const char* name) : m_path(FreshFolder(name)) {}
    ~OwnedFolder() { RemoveTree(Wide(m_path)); }
    OwnedFolder(const OwnedFolder&) = delete;
    OwnedFolder& operator=(const OwnedFolder&) = delete;

    // Its path (ANSI), without a trailing backslash.
    const std::string& Path() const { return m_path; }

private:
    static std::wstring Wide(const std::string& ansi)
    {
        std::wstring wide(ansi.size(), L'\0');
        wide.resize(static_cast<size_t>(::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()),
                                                               &wide[0], static_cast<int>(wide.size()))));
        return wide;
    }
    // Through the wide functions: what a test made inside may be named in any character.
    static void RemoveTree(const std::wstring& folder)
    {
        WIN32_FIND_DATAW found;
        HANDLE search = ::FindFirstFileW((folder + L"\\*").c_str(), &found);
        for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = ::FindNextFileW(search, &found)) {
            std::wstring name = found.cFileName, path = folder + L"\\" + name;
            if (name == L"." || name == L"..")
                continue;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(path);
            else
                ::DeleteFileW(path.c_str());
        }
        if (search != INVALID_HANDLE_VALUE)
            ::FindClose(search);
        ::RemoveDirectoryW(folder.c_str());
    }

    std::string m_path;
};

}  // namespace testing
