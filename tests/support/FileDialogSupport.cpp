#include "support/FileDialogSupport.h"

#include <doctest/doctest.h>

namespace testing {

namespace {

HWND ChildOf(HWND parent, int id, const char* className)
{
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        char name[32] = "";
        ::GetClassNameA(child, name, sizeof name);
        if (::GetDlgCtrlID(child) == id && lstrcmpiA(name, className) == 0)
            return child;
    }
    return nullptr;
}

// Removes a folder with everything in it.
void RemoveTree(const std::string& folder)
{
    WIN32_FIND_DATAA found;
    HANDLE search = ::FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = found.cFileName;
            if (name == "." || name == "..")
                continue;
            const std::string path = folder + "\\" + name;
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(path);
            } else {
                ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                ::DeleteFileA(path.c_str());
            }
        } while (::FindNextFileA(search, &found));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(folder.c_str());
}

}  // namespace

HWND HookChild(HWND fileDialog)
{
    return ChildOf(fileDialog, 0, "#32770");
}

HWND OkButton(HWND fileDialog)
{
    return ChildOf(fileDialog, IDOK, "Button");
}

void PostCommand(HWND dialog, int id)
{
    ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

void ForgetLastFolders()
{
    const char* key = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\ComDlg32\\LastVisitedMRU";
    LONG result = ::RegDeleteKeyA(HKEY_CURRENT_USER, key);
    CHECK_MESSAGE((result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND), "deleting " << key << ": " << result);
}

std::string FreshFolder(const char* name)
{
    char temp[MAX_PATH] = "";
    ::GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + name + "." + std::to_string(::GetCurrentProcessId());
    RemoveTree(folder);
    ::CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

}  // namespace testing
