#include "paths/SystemFolders.h"

#include <windows.h>

#include <vector>

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

// A folder as the start of the lowered paths inside it.
std::wstring AsPrefix(std::wstring folder)
{
    if (!folder.empty() && folder.back() != L'\\')
        folder += L'\\';
    return LowerCase(folder);
}

// Where the system keeps its own files, lowered, each ending in a backslash.
struct SystemFolders {
    std::wstring windows;              // holds system files directly
    std::vector<std::wstring> trees;  // hold them in every folder below too

    SystemFolders()
    {
        // On a terminal server GetWindowsDirectory may name a private folder of the user's;
        // GetSystemWindowsDirectory (Windows 2000 on) names the shared one.
        windows = FolderNamed("GetSystemWindowsDirectoryW", nullptr);
        if (windows.empty())
            windows = FolderNamed("GetWindowsDirectoryW", ::GetWindowsDirectoryA);
        const std::wstring system = FolderNamed("GetSystemDirectoryW", ::GetSystemDirectoryA),
                           wow64 = FolderNamed("GetSystemWow64DirectoryW", nullptr);
        if (!wow64.empty())
            trees.push_back(AsPrefix(wow64));
        if (!system.empty())
            trees.push_back(AsPrefix(system));
        if (windows.empty())
            return;
        windows = AsPrefix(windows);
        for (const wchar_t* folder : {L"system32\\", L"syswow64\\", L"system\\", L"winsxs\\"})
            trees.push_back(windows + folder);
    }
};

}  // namespace

bool InSystemFolder(const std::wstring& path)
{
    static const SystemFolders folders;
    std::wstring lowered = LowerCase(path);
    for (const std::wstring& tree : folders.trees)
        if (lowered.compare(0, tree.size(), tree) == 0)
            return true;
    return !folders.windows.empty() && FolderLength(lowered) == folders.windows.size() &&
           lowered.compare(0, folders.windows.size(), folders.windows) == 0;
}
