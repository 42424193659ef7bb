#include "paths/SystemFolders.h"

#include <windows.h>

#include "framework/Encoding.h"
#include "framework/SystemLibrary.h"
#include "paths/DisplayName.h"
#include "paths/WidePath.h"

namespace {

using PfnFolderW = UINT(WINAPI*)(LPWSTR folder, UINT size);
using PfnFolderA = UINT(WINAPI*)(LPSTR folder, UINT size);

// A folder that the system names: through the wide function `wide` of kernel32.dll on the NT
// family, which gives every character; elsewhere through `ansi`, where there is one. Empty when
// the system names none, or one too long for a folder.
std::wstring FolderNamed(const char* wide, PfnFolderA ansi)
{
    if (SystemHasWidePaths()) {
        PfnFolderW function = nullptr;
        BindFromLoadedModule("kernel32.dll", EntryPoint{wide, function});
        wchar_t text[MAX_PATH + 1] = L"";
        const UINT length = function ? function(text, MAX_PATH + 1) : 0;
        return length > 0 && length <= MAX_PATH ? std::wstring(text, length) : std::wstring();
    }
    char text[MAX_PATH + 1] = "";
    const UINT length = ansi ? ansi(text, MAX_PATH + 1) : 0;
    return length > 0 && length <= MAX_PATH ? ToWide(std::string(text, length)) : std::wstring();
}

SystemFolders ReadSystemFolders()
{
    SystemFolders folders;
    // On a terminal server GetWindowsDirectory may name a private folder of the user's;
    // GetSystemWindowsDirectory (Windows 2000 on) names the shared one.
    std::wstring windows = FolderNamed("GetSystemWindowsDirectoryW", nullptr);
    if (windows.empty())
        windows = FolderNamed("GetWindowsDirectoryW", ::GetWindowsDirectoryA);
    folders.windows = FolderKey(windows);
    folders.system = FolderKey(FolderNamed("GetSystemDirectoryW", ::GetSystemDirectoryA));
    // Only a 64-bit system names one; a 32-bit system answers that it has none.
    folders.wow64 = FolderKey(FolderNamed("GetSystemWow64DirectoryW", nullptr));
    if (!folders.windows.empty())
        folders.sideBySide = folders.windows + L"winsxs\\";
    return folders;
}

}  // namespace

std::wstring FolderKey(const std::wstring& folder)
{
    if (folder.empty())
        return folder;
    std::wstring key = LowerCase(LongNameOf(folder));
    if (key.back() != L'\\')
        key += L'\\';
    return key;
}

bool IsUnder(const std::wstring& lowered, const std::wstring& folder)
{
    return !folder.empty() && lowered.size() > folder.size() && lowered.compare(0, folder.size(), folder) == 0;
}

bool IsDirectlyIn(const std::wstring& lowered, const std::wstring& folder)
{
    return IsUnder(lowered, folder) && FolderLength(lowered) == folder.size();
}

const SystemFolders& TheSystemFolders()
{
    static const SystemFolders folders = ReadSystemFolders();
    return folders;
}

bool InSystemFolder(const std::wstring& path)
{
    return InSystemFolder(LowerCase(path), TheSystemFolders());
}

bool InSystemFolder(const std::wstring& lowered, const SystemFolders& folders)
{
    if (IsDirectlyIn(lowered, folders.windows) || IsUnder(lowered, folders.system) ||
        IsUnder(lowered, folders.wow64) || IsUnder(lowered, folders.sideBySide))
        return true;
    // The system folders of the other kinds of system, where they stand beside the named one.
    for (const wchar_t* tree : {L"system32\\", L"syswow64\\", L"system\\"})
        if (!folders.windows.empty() && IsUnder(lowered, folders.windows + tree))
            return true;
    return false;
}
